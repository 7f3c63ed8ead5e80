// orv-view's mouse and help: a left click or drag in a cut window moves the
// cut point to the pointer (the info window says where, in microns), other
// hosts keep the library's behaviour, and "Keys and mouse" lists every key
// and button from the tables the code uses.

#include "gui_test.h"

#include <utility>
#include <vector>

#include "../bix/io_test_support.h"
#include "cut_mouse.h"
#include "help_window.h"
#include "open_image.h"

#include <orv/orv_factory.h>
#include <orv/orv_keys.h>

#include <wx/uiaction.h>

#include "../../src/wdr/info_frame_wdr.h"

namespace {

// 40 x 30 x 12 voxels of 0.5 um: 20 x 15 x 6 um, opened at 20 pixels per
// micron (the XY window grows to 400 pixels).
struct MouseViewer {
  MouseViewer() {
    const bix::Resolution res(bix::Vector3d<float>(2, 2, 2));
    bix::Image3d<unsigned char> image(bix::Vector3d<unsigned>(40, 30, 12), nullptr, &res);
    unsigned i = 0;
    for (unsigned char& v : image) v = static_cast<unsigned char>(i++);
    image.SaveImage(dir / "stack.tif");
    orvview::ViewerOptions options;
    options.image = dir / "stack.tif";
    frame = orvview::OpenViewer(options);
    canvas = frame->GetCanvas();
  }
  wxString CutText() const {
    wxWindow* text = canvas->InfoFrame_Get()->FindWindow(orv::ID_INFO_CUT_POSITION);
    return text ? text->GetLabel() : wxString("<no cut text>");
  }
  iotest::ScratchDir dir;
  orv::orv_OrthoscopeFrame* frame;
  orv::orv_OrthoscopeCanvas* canvas;
};

wxString Point(double x, double y, double z) { return wxString::Format("[%.3f, %.3f, %.3f]", x, y, z); }

}  // namespace

TEST(OrvViewMouse, ClickAndDragInEachWindowMoveTheCutToThePointer) {
  MouseViewer v;
  ASSERT_TRUE(orvtest::ShowAndActivate(v.frame));
  ASSERT_EQ(v.canvas->GetZoom(), bix::Vector3d<float>(20, 20, 20));
  ASSERT_EQ(v.canvas->GetVisibleBox().offset, bix::Vector3d<float>(0, 0, 0)) << "the whole image is in view";
  v.canvas->InfoFrame_Show(true);
  ASSERT_TRUE(orvtest::ShowAndActivate(v.frame));
  EXPECT_EQ(v.CutText(), Point(10.25, 7.75, 3.25)) << "the centre voxel's centre";

  wxUIActionSimulator sim;
  auto moveTo = [&](orv::orv_ProjectionType w, wxPoint at) {
    sim.MouseMove(v.canvas->GetDrWin(w)->ClientToScreen(at));
  };
  auto waitFor = [&](const wxString& text) {
    EXPECT_TRUE(orvtest::PumpUntil([&] { return v.CutText() == text; })) << v.CutText() << " instead of " << text;
  };
  // A click at the first point, then a drag through the others; after each
  // the cut shows the expected point.
  auto clickAndDrag = [&](orv::orv_ProjectionType w, std::vector<std::pair<wxPoint, wxString>> path) {
    moveTo(w, path[0].first);
    sim.MouseClick();
    waitFor(path[0].second);
    sim.MouseDown();
    for (std::size_t k = 1; k < path.size(); ++k) {
      moveTo(w, path[k].first);
      waitFor(path[k].second);
    }
    sim.MouseUp();
    orvtest::Pump();
  };
  // XY: x across, y down, 20 pixels per micron; the depth (z) stays.
  clickAndDrag(orv::PROJ_XY, {{wxPoint(100, 60), Point(5, 3, 3.25)},
                              {wxPoint(150, 90), Point(7.5, 4.5, 3.25)},
                              {wxPoint(300, 200), Point(15, 10, 3.25)}});
  // XZ: x across, z down.
  clickAndDrag(orv::PROJ_XZ, {{wxPoint(40, 20), Point(2, 10, 1)}, {wxPoint(50, 100), Point(2.5, 10, 5)}});
  // YZ: z across, y down.
  clickAndDrag(orv::PROJ_YZ, {{wxPoint(80, 40), Point(2.5, 2, 4)}, {wxPoint(20, 240), Point(2.5, 12, 1)}});
  // Moving without a button leaves the cut where it is.
  moveTo(orv::PROJ_XY, wxPoint(10, 10));
  orvtest::Pump();
  EXPECT_EQ(v.CutText(), Point(2.5, 12, 1));
}

TEST(OrvViewMouse, OtherHostsKeepTheLibrarysClick) {
  const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
  auto* image = new bix::Image3d<unsigned char>(bix::Vector3d<unsigned>(40, 30, 12), nullptr, &res);
  orv::orv_OrthoscopeFrame* frame = orv::orv_CreateImage3dFrame<unsigned char>(image, true, nullptr, wxID_ANY, "x");
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  orv::orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  const bix::Vector3d<float> cut = canvas->GetCut();
  orvtest::SendMouse(canvas->GetDrWin(orv::PROJ_XY), wxEVT_LEFT_DOWN, wxPoint(3, 4));
  EXPECT_EQ(canvas->GetCut(), cut);
  orvview::BindCutMouse(canvas);
  orvtest::SendMouse(canvas->GetDrWin(orv::PROJ_XY), wxEVT_LEFT_DOWN, wxPoint(3, 4));
  EXPECT_EQ(canvas->GetCut(), bix::Vector3d<float>(3, 4, cut.z));
  frame->Destroy();
}

TEST(OrvViewHelp, KeysAndMouseListsTheTablesTheCodeUses) {
  MouseViewer v;
  wxMenuBar* bar = v.frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 3u);
  EXPECT_EQ(bar->GetMenuLabel(2), "&Help");
  wxMenuItem* item = bar->FindItem(orvview::kKeysAndMouseId);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetItemLabel(), "Keys and mouse");

  // Every row comes from a table: mouse actions, cut-window keys, menu keys.
  const std::vector<orvview::HelpRow> rows = orvview::KeysAndMouseRows(bar);
  std::vector<orvview::HelpRow> expected{{"", "In the cut windows (XY, XZ, YZ)"}};
  for (const auto& m : orvview::CutWindowMouseActions()) expected.emplace_back(m.buttons, m.description);
  for (const auto& k : orv::CutWindowKeys()) expected.emplace_back(k.keys, k.description);
  expected.emplace_back("", "Anywhere in the viewer (the menu commands)");
  for (const auto& k : orv::MenuKeys(bar)) expected.emplace_back(k.keys, k.menu);
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(rows.size(), 1u + 2u + 10u + 1u + 20u);

  // Opened from the menu, the window shows them, one line each.
  wxCommandEvent show(wxEVT_MENU, orvview::kKeysAndMouseId);
  v.frame->ProcessWindowEvent(show);
  auto* window = wxDynamicCast(wxWindow::FindWindowByName("keys-and-mouse", v.frame), wxFrame);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->GetTitle(), "Keys and mouse");
  EXPECT_TRUE(window->IsShown());
  wxTextCtrl* text = nullptr;
  for (wxWindow* child : window->GetChildren())
    if (!text) text = wxDynamicCast(child, wxTextCtrl);
  ASSERT_NE(text, nullptr);
  const wxString shown = text->GetValue();
  EXPECT_EQ(shown, orvview::KeysAndMouseText(rows));
  for (const char* line : {"In the cut windows (XY, XZ, YZ)\n",
                           "\n  Left click or drag     move the cut point to the mouse\n",
                           "\n  Space                  move the cut point to the mouse\n",
                           "\n  Page Down              move the window's cut one voxel on in depth\n",
                           "\n  Alt+C                  centre the view on the cut point\n",
                           "\n  I                      View > Show info\n",
                           "\n  F9                     View > Axis > Reverse X\n",
                           "\n  Alt-5                  Mapping > Levels\n"})
    EXPECT_NE(shown.Find(line), wxNOT_FOUND) << line;

  // Closed, it hides; asked for again, the same window comes back.
  window->Close();
  EXPECT_FALSE(window->IsShown());
  v.frame->ProcessWindowEvent(show);
  EXPECT_EQ(wxWindow::FindWindowByName("keys-and-mouse", v.frame), window);
  EXPECT_TRUE(window->IsShown());
}
