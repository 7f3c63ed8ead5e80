// The viewer frame: its menu, extension modules, check marks, fitting, icon
// and closing notification.

#include "gui_test.h"
#include "../support/test_mappers.h"

#include <orv/orv_frame.h>
#include <orv/orv_imagecanvas.h>

#include <memory>
#include <vector>

using namespace orv;
using RGB8 = bix::RGB_generic<unsigned char>;

namespace {

using orvtest::GrayMapper;

// A module that takes `count` ids, counts the commands it sees and records
// its destruction.
class TestModule : public orv_ExtensionModule {
public:
  TestModule(int count, std::vector<int>* destroyed, int name) : m_count(count), m_destroyed(destroyed), m_name(name) {
    Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
      commands.push_back(e.GetId());
      e.Skip();
    });
  }
  ~TestModule() override { m_destroyed->push_back(m_name); }
  wxMenu* CreateMenu(int& lastId) override {
    m_menuId = lastId + 1;
    lastId += m_count;
    auto* menu = new wxMenu;
    menu->Append(GetMenuId(0), "First");
    return menu;
  }
  std::vector<int> commands;

private:
  int m_count;
  std::vector<int>* m_destroyed;
  int m_name;
};

std::unique_ptr<bix::Image3d<unsigned char>> Ramp(bix::Vector3d<unsigned> n) {
  const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
  auto image = std::make_unique<bix::Image3d<unsigned char>>(n, nullptr, &res);
  for (unsigned z = 0; z < n.z; ++z)
    for (unsigned y = 0; y < n.y; ++y)
      for (unsigned x = 0; x < n.x; ++x) image->GetVoxel(x, y, z) = static_cast<unsigned char>(x + y + z);
  return image;
}

class FrameTest : public ::testing::Test {
protected:
  void Open(bix::Vector3d<unsigned> n = {60, 40, 20}, wxWindow* parent = nullptr) {
    frame = new orv_OrthoscopeFrame(parent, wxID_ANY, "viewer");
    canvas = new orv_ImageOrthoscopeCanvas<unsigned char>(frame, mapper, Ramp(n).release(), true);
    frame->SetCanvas(canvas);
    frame->ResizeFrameIfRequired();
    ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  }
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  void Command(int id, bool checked = false) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetInt(checked ? 1 : 0);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
  }
  bool Checked(int id) {
    frame->DoMenuUpdates();
    return frame->GetMenuBar()->IsChecked(id);
  }

  GrayMapper mapper;
  orv_OrthoscopeFrame* frame = nullptr;
  orv_ImageOrthoscopeCanvas<unsigned char>* canvas = nullptr;
};

struct Row {
  int id;
  const char* label;
  const char* help;
  wxItemKind kind;
};

void ExpectItems(const wxMenu* menu, const std::vector<Row>& rows) {
  const wxMenuItemList& items = menu->GetMenuItems();
  ASSERT_EQ(items.size(), rows.size());
  size_t i = 0;
  for (const wxMenuItem* item : items) {
    const Row& r = rows[i++];
    if (r.kind == wxITEM_SEPARATOR) {
      EXPECT_TRUE(item->IsSeparator()) << "position " << i - 1;
      continue;
    }
    EXPECT_EQ(item->GetId(), r.id);
    EXPECT_EQ(item->GetItemLabel(), wxString::FromUTF8(r.label)) << r.id;
    EXPECT_EQ(item->GetHelp(), wxString::FromUTF8(r.help)) << r.id;
    if (!item->IsSubMenu()) {
      EXPECT_EQ(item->GetKind(), r.kind) << r.id;
    }
  }
}

}  // namespace

TEST_F(FrameTest, TheViewMenuIsExactlyTheTable) {
  Open();
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 1u);
  EXPECT_EQ(bar->GetMenuLabel(0), "&View");
  const wxItemKind N = wxITEM_NORMAL, C = wxITEM_CHECK, S = wxITEM_SEPARATOR;
  ExpectItems(bar->GetMenu(0), {
      {6005, "Save 3d data...\tCtrl-S", "Save original 3d image data", N},
      {6006, "Save view...\tCtrl-V", "Save current view for publication purposes", N},
      {6007, "Save gallery...\tCtrl-I", "Save slices of 3d data in chosen increment", N},
      {0, "", "", S},
      {6008, "Adjust frame size\tCtrl-E", "Adjust frame size according to the visible image", N},
      {6009, "Auto adjust frame size", "Automatically adjust frame on zooming", C},
      {0, "", "", S},
      {6010, "3D volume visualization\tV", "Show 3D visualization", N},
      {0, "", "", S},
      {5999, "Zoom In\tF2", "Zoom in", N},
      {6000, "Zoom Out\tF3", "Zoom out", N},
      {6001, "Normal Zoom\t1", "Normal zoom", N},
      {0, "", "", S},
      {6015, "Auto Focus\tA", "Auto focus", C},
      {0, "", "", S},
      {6016, "Show info\tI", "Show/hide info window", C},
      {0, "", "", S},
      {6004, "Window", "Show/hide window", N},
      {6003, "Axis", "Axis options", N},
      {6023, "Autofocus", "Switch autofocus on/off", N},
      {0, "", "", S},
      {6002, "Preferences\tCtrl-P", "Change screen options", N},
  });
  ExpectItems(bar->FindItem(6004)->GetSubMenu(), {{6012, "Show XY", "Show/hide XY window", C},
                                                  {6013, "Show XZ", "Show/hide XZ window", C},
                                                  {6014, "Show YZ", "Show/hide YZ window", C}});
  ExpectItems(bar->FindItem(6003)->GetSubMenu(), {{6017, "Reverse X\tF9", "Reverse X axis", C},
                                                  {6018, "Reverse Y\tF10", "Reverse Y axis", C},
                                                  {6019, "Reverse Z\tF11", "Reverse Z axis", C}});
  ExpectItems(bar->FindItem(6023)->GetSubMenu(), {{6020, "Window XY", "Autofocus in XY windows on/off", C},
                                                  {6021, "Window XZ", "Autofocus in XZ windows on/off", C},
                                                  {6022, "Window YZ", "Autofocus in YZ windows on/off", C}});
  EXPECT_TRUE(bar->IsChecked(6009));
  EXPECT_TRUE(bar->IsChecked(6012) && bar->IsChecked(6013) && bar->IsChecked(6014));
  EXPECT_FALSE(bar->IsChecked(6020) || bar->IsChecked(6021) || bar->IsChecked(6022));
  EXPECT_TRUE(frame->GetStatusBar());
  EXPECT_EQ(frame->GetMinSize(), wxSize(200, 200));
}

TEST_F(FrameTest, ModulesGetDisjointIdBlocksAndArePoppedInReverse) {
  std::vector<int> destroyed;
  auto* shared = new TestModule(5, &destroyed, 99);
  Open();
  auto* first = new TestModule(18, &destroyed, 1);
  auto* second = new TestModule(10, &destroyed, 2);
  frame->AddExtensionModule(first, "&Mapping", true);
  frame->AddExtensionModule(second, "&Overlaying", true);
  frame->AddExtensionModule(shared, "&Ignored", false);
  EXPECT_EQ(first->GetMenuId(0), 6028);
  EXPECT_EQ(second->GetMenuId(0), 6028 + 18);
  EXPECT_EQ(shared->GetMenuId(0), 0);  // no menu for a module the frame does not own
  EXPECT_EQ(first->GetFrame(), frame);
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 3u);
  EXPECT_EQ(bar->GetMenuLabel(1), "&Mapping");
  EXPECT_EQ(bar->GetMenuLabel(2), "&Overlaying");

  // Every module sees the frame's commands, the last pushed first.
  Command(ID_NORMAL_ZOOM);
  EXPECT_EQ(shared->commands, std::vector<int>{ID_NORMAL_ZOOM});
  EXPECT_EQ(first->commands, std::vector<int>{ID_NORMAL_ZOOM});

  delete frame;
  frame = nullptr;
  EXPECT_EQ(destroyed, (std::vector<int>{2, 1}));  // the unowned module survives
  delete shared;
}

TEST_F(FrameTest, CheckMarksFollowTheCanvas) {
  Open();
  canvas->ShowDrWin(PROJ_XZ, false);
  canvas->ToggleAxisReverse(2);
  canvas->ChangeContent(CONTENT_AUTOFOCUS, PROJ_YZ);
  EXPECT_FALSE(Checked(ID_SHOW_XZ));
  EXPECT_TRUE(Checked(ID_SHOW_XY));
  EXPECT_TRUE(Checked(ID_REVERSE_Z));
  EXPECT_FALSE(Checked(ID_REVERSE_X));
  EXPECT_TRUE(Checked(ID_AUTOFOCUS_YZ));
  EXPECT_FALSE(Checked(ID_AUTOFOCUS));
  canvas->ChangeContent(CONTENT_AUTOFOCUS, PROJ_ALL);
  EXPECT_TRUE(Checked(ID_AUTOFOCUS));
  EXPECT_FALSE(Checked(ID_SHOW_INFO));

  // And the commands change the canvas.
  Command(ID_SHOW_XZ);
  EXPECT_TRUE(canvas->IsDrWinShown(PROJ_XZ));
  Command(ID_REVERSE_Y);
  EXPECT_TRUE(canvas->IsAxisReversed(1));
  Command(ID_AUTOFOCUS_XY, false);
  EXPECT_EQ(canvas->GetContent(PROJ_XY), CONTENT_CUT);
  Command(ID_AUTOFOCUS, false);
  EXPECT_EQ(canvas->GetContent(PROJ_XZ), CONTENT_CUT);
}

TEST_F(FrameTest, ZoomFitsTheFrameWithinTheDisplayAndNeverBelowItsMinimum) {
  Open({300, 200, 100});
  const wxRect display = wxGetClientDisplayRect();
  for (int i = 0; i < 30; ++i) Command(ID_ZOOM_IN);
  EXPECT_LE(frame->GetSize().x, display.width);
  EXPECT_LE(frame->GetSize().y, display.height);
  EXPECT_GE(frame->GetSize().x, display.width - 50) << "a large zoom fills the display";

  Command(ID_NORMAL_ZOOM);
  const wxSize optimal = frame->ClientToWindowSize(canvas->GetOptimalSize());
  EXPECT_EQ(frame->GetSize(), optimal);
  for (int i = 0; i < 30; ++i) Command(ID_ZOOM_OUT);
  EXPECT_GE(frame->GetSize().x, 200);
  EXPECT_GE(frame->GetSize().y, 200);

  // Without "Auto adjust frame size" zooming leaves the frame alone.
  frame->GetMenuBar()->Check(ID_AUTO_ADJUST_FRAME, false);
  const wxSize before = frame->GetSize();
  Command(ID_NORMAL_ZOOM);
  EXPECT_EQ(frame->GetSize(), before);
  Command(ID_ADJUST_FRAME);
  EXPECT_EQ(frame->GetSize(), optimal);
}

TEST_F(FrameTest, TheParentLearnsThatTheViewerCloses) {
  auto* host = new wxFrame(nullptr, wxID_ANY, "host");
  void* closing = nullptr;
  host->Bind(wxEVT_UPDATE_UI, [&](wxUpdateUIEvent& e) {
    if (e.GetId() == ID_VIEWER_CLOSING) closing = e.GetClientData();
  });
  Open({60, 40, 20}, host);
  orv_OrthoscopeFrame* viewer = frame;
  frame->Destroy();
  frame = nullptr;
  ASSERT_TRUE(orvtest::PumpUntil([&] { return closing != nullptr; }));
  EXPECT_EQ(closing, viewer);
}

// A host closing with its viewers inside: they go with it, after its own
// destructor has run, and must not call it back.
TEST_F(FrameTest, AParentBeingDeletedIsNotToldOfItsViewersClosing) {
  struct Host : wxFrame {
    explicit Host(bool* gone) : wxFrame(nullptr, wxID_ANY, "host"), m_gone(gone) {}
    ~Host() override { *m_gone = true; }
    bool* m_gone;
  };
  bool hostGone = false;
  int toldAfterwards = 0;
  auto* host = new Host(&hostGone);
  host->Bind(wxEVT_UPDATE_UI, [&](wxUpdateUIEvent& e) {
    if (e.GetId() == ID_VIEWER_CLOSING && hostGone) ++toldAfterwards;
  });
  Open({60, 40, 20}, host);
  frame = nullptr;  // goes with its host
  host->Destroy();
  ASSERT_TRUE(orvtest::PumpUntil([&] { return hostGone; }));
  EXPECT_EQ(toldAfterwards, 0);
}

TEST_F(FrameTest, MappingEventsReachTheCanvasAndTheIconFollowsTheXYView) {
  Open();
  for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) orvtest::PaintNow(canvas->GetDrWin(w));
  ASSERT_EQ(frame->GetIcons().GetIconCount(), 2u) << "the first XY picture set the icon";
  const int before = mapper.calls;
  orv_MappingEvent changed(false);
  frame->ProcessWindowEvent(changed);
  for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) orvtest::PaintNow(canvas->GetDrWin(w));
  EXPECT_EQ(mapper.calls, before + 3);
  EXPECT_EQ(frame->GetIcons().GetIconCount(), 2u);
}

// Painting only draws: the icon and the info window are renewed by the
// changes that make them stale, once per change, never by a paint.
class CountingCanvas : public orv_ImageOrthoscopeCanvas<unsigned char> {
public:
  using orv_ImageOrthoscopeCanvas::orv_ImageOrthoscopeCanvas;
  void GetIcons(wxIconBundle& icons) override {
    ++iconRebuilds;
    orv_ImageOrthoscopeCanvas::GetIcons(icons);
  }
  void InfoFrame_UpdatePixelInfo() override {
    ++infoUpdates;
    orv_ImageOrthoscopeCanvas::InfoFrame_UpdatePixelInfo();
  }
  void OnCutChange(orv_ProjectionType windows) override {
    ++cutChanges;
    orv_ImageOrthoscopeCanvas::OnCutChange(windows);
  }
  int iconRebuilds = 0, infoUpdates = 0, cutChanges = 0;
};

TEST_F(FrameTest, PaintingHasNoSideEffectsAndChangesRenewIconAndInfoOnce) {
  frame = new orv_OrthoscopeFrame(nullptr, wxID_ANY, "viewer");
  auto* counting = new CountingCanvas(frame, mapper, Ramp({60, 40, 20}).release(), true);
  canvas = counting;
  frame->SetCanvas(canvas);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  canvas->InfoFrame_Show(true);
  auto paintAll = [&] {
    for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) orvtest::PaintNow(canvas->GetDrWin(w));
  };
  paintAll();
  orvtest::Pump();
  int icons = counting->iconRebuilds, infos = counting->infoUpdates;
  for (int k = 0; k < 5; ++k) paintAll();
  EXPECT_EQ(counting->iconRebuilds, icons) << "a paint rebuilt the icon";
  EXPECT_EQ(counting->infoUpdates, infos) << "a paint updated the info window";

  for (int k = 0; k < 3; ++k) orvtest::SendMouse(canvas->GetDrWin(PROJ_XZ), wxEVT_MOTION, wxPoint(10 + k, 5));
  EXPECT_EQ(counting->infoUpdates, infos + 3) << "one info update per mouse move";
  EXPECT_EQ(counting->iconRebuilds, icons) << "a mouse move rebuilt the icon";

  icons = counting->iconRebuilds;
  infos = counting->infoUpdates;
  canvas->ChangeCut(canvas->GetCut() + bix::Vector3d<float>(0, 0, 1));
  EXPECT_EQ(counting->iconRebuilds, icons) << "the icon is made after the action, not inside it";
  EXPECT_EQ(counting->infoUpdates, infos + 1);
  orvtest::Pump();
  EXPECT_EQ(counting->iconRebuilds, icons + 1) << "a new XY plane renews the icon";
  paintAll();
  orvtest::Pump();
  EXPECT_EQ(counting->iconRebuilds, icons + 1);

  // One user action, one extraction per window it changed, made when the
  // window paints: a click in XZ moves the cut in x and z, so XY (and the
  // icon) and YZ change; XZ's cut plane stays.
  const unsigned long before[3] = {canvas->GetExtractionCount(PROJ_XY), canvas->GetExtractionCount(PROJ_XZ),
                                   canvas->GetExtractionCount(PROJ_YZ)};
  icons = counting->iconRebuilds;
  const int hooks = counting->cutChanges;
  std::vector<unsigned> told;
  frame->Bind(orv_EVT_VIEW_CHANGED, [&](orv_ViewChangedEvent& e) { told.push_back(e.GetCutWindows()); });
  canvas->Bind(orv_EVT_MOUSE3D, [&](orv_Mouse3dEvent& e) {
    if (e.GetMouseEvent().LeftDown()) {
      orv_DrWin3d* w = e.GetWindow();
      w->SetCutAt(w->WindowToHorizontal(e.GetMouseEvent().GetX()), w->WindowToVertical(e.GetMouseEvent().GetY()));
      canvas->AnnounceCutChange(w->GetDepthAxisMask());
      canvas->AnnounceCutChange(w->GetDepthAxisMask());  // a second listener saying the same
    }
    e.Skip();
  });
  orvtest::SendMouse(canvas->GetDrWin(PROJ_XZ), wxEVT_LEFT_DOWN, wxPoint(12, 9));
  EXPECT_EQ(told, std::vector<unsigned>{PROJ_XY | PROJ_YZ}) << "one notification for one action";
  EXPECT_EQ(counting->cutChanges, hooks + 1);
  for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ})
    EXPECT_EQ(canvas->GetExtractionCount(w), before[WindowIndex(w)]) << "extracted inside the handler, window " << w;
  paintAll();
  orvtest::Pump();
  paintAll();
  EXPECT_EQ(canvas->GetExtractionCount(PROJ_XY), before[0] + 1);
  EXPECT_EQ(canvas->GetExtractionCount(PROJ_XZ), before[1]);
  EXPECT_EQ(canvas->GetExtractionCount(PROJ_YZ), before[2] + 1);
  EXPECT_EQ(counting->iconRebuilds, icons + 1) << "one icon for one action";

  // A plane that XY does not show leaves the icon alone.
  icons = counting->iconRebuilds;
  orvtest::SendKeyDown(canvas->GetDrWin(PROJ_XZ), WXK_PAGEUP);
  paintAll();
  EXPECT_EQ(counting->iconRebuilds, icons);
}

TEST_F(FrameTest, CommandsWithoutACanvasDoNothing) {
  frame = new orv_OrthoscopeFrame(nullptr, wxID_ANY, "empty");
  for (int id : {ID_ZOOM_IN, ID_ZOOM_OUT, ID_NORMAL_ZOOM, ID_ADJUST_FRAME, ID_AUTOFOCUS, ID_AUTOFOCUS_XY, ID_SHOW_XZ,
                 ID_REVERSE_X, ID_SHOW_INFO, ID_VOLUME_VISUALIZATION})
    Command(id, true);
  frame->DoMenuUpdates();
  frame->RefreshIcon();
  EXPECT_EQ(frame->GetCanvas(), nullptr);
}

TEST_F(FrameTest, CanvasesOfEmptyAndSingleVoxelImagesPaint) {
  for (bix::Vector3d<unsigned> n : {bix::Vector3d<unsigned>(0, 0, 0), bix::Vector3d<unsigned>(1, 1, 1),
                                    bix::Vector3d<unsigned>(1, 300, 1)}) {
    Open(n);
    canvas->ChangeContent(CONTENT_AUTOFOCUS, PROJ_YZ);
    for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) orvtest::PaintNow(canvas->GetDrWin(w));
    Command(ID_ZOOM_IN);
    Command(ID_REVERSE_Z);
    for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) orvtest::PaintNow(canvas->GetDrWin(w));
    frame->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
}

TEST_F(FrameTest, AppendMenuCopiesAHostsItems) {
  Open();
  wxMenu host;
  host.Append(7001, "Next image\tCtrl+N", "Show the next image");
  host.AppendSeparator();
  host.AppendCheckItem(7002, "Sync", "Keep viewers in step");
  frame->AppendMenu(&host, "&Host");
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 2u);
  ExpectItems(bar->GetMenu(1), {{7001, "Next image\tCtrl+N", "Show the next image", wxITEM_NORMAL},
                                {0, "", "", wxITEM_SEPARATOR},
                                {7002, "Sync", "Keep viewers in step", wxITEM_CHECK}});
  orvtest::AssertCapture capture;
  frame->AppendMenu(nullptr, "&Nothing");
  EXPECT_EQ(bar->GetMenuCount(), 2u);
  EXPECT_EQ(capture.Messages().size(), 1u);
}
