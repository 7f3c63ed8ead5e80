// A point viewer made by the factory: its "&Points" menu, point and style
// files, navigation, clicks, painted markers, the info window's page and the
// preferences dialog.

#include "gui_test.h"
#include "point_file_text.h"
#include "view_model.h"

#include "../bix/io_test_support.h"

#include <orv/orv_keys.h>
#include <orv/point_prefs_dialog.h>
#include <orv/point_set_module.h>

#include <wx/colordlg.h>
#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>

#include <cstring>
#include <fstream>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

using namespace orv;
using bix::Vector3d;
using Module = orv_PointSetModule<unsigned char>;
using Canvas = orv_PointOrthoscopeCanvas<unsigned char>;

namespace {

class PointViewerTest : public ::testing::Test {
protected:
  // A black 40 x 30 x 20 image of `res` voxels per micron at `offset`.
  void Open(Vector3d<float> res = {1, 1, 1}, Vector3d<float> offset = {0, 0, 0}) {
    const bix::Resolution resolution(res);
    auto* image = new bix::Image3d<unsigned char>(Vector3d<unsigned>(40, 30, 20), &offset, &resolution);
    frame = orv_CreateImage3dPointsFrame<unsigned char>(image, true, wxEmptyString, nullptr, wxID_ANY, "points");
    canvas = dynamic_cast<Canvas*>(frame->GetCanvas());
    for (wxEvtHandler* h = frame->GetEventHandler(); h != frame; h = h->GetNextHandler())
      if (auto* m = dynamic_cast<Module*>(h)) module = m;
    ASSERT_TRUE(canvas && module);
    orv_CutPointerStyle none;
    none.style = POINTER_NONE;
    canvas->SetPointerStyle(none);
    ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  }
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  void Command(int offset) {
    wxCommandEvent event(wxEVT_MENU, module->GetMenuId(offset));
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    iotest::WriteBytes(dir / name, bytes);
    return dir / name;
  }
  std::string LoadFailure(const std::string& path) {
    try {
      canvas->Load(wxString::FromUTF8(path));
    } catch (const PointFileError& e) {
      return e.what();
    }
    return "loaded";
  }
  std::vector<unsigned> Selection() const {
    const std::set<unsigned>& s = canvas->GetPoints().GetSelection();
    return std::vector<unsigned>(s.begin(), s.end());
  }

  iotest::ScratchDir dir;
  orv_OrthoscopeFrame* frame = nullptr;
  Canvas* canvas = nullptr;
  Module* module = nullptr;
};

}  // namespace

TEST_F(PointViewerTest, ThePointsMenu) {
  Open();
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuLabel(2), "&Points");
  EXPECT_EQ(module->GetMenuId(0), FIRST_MODULE_ID + 1 + 18);
  orvtest::ExpectMenuRows(bar->GetMenu(2), module->GetMenuId(0), {
      {0, wxITEM_NORMAL, "&Load...", "Load new point-set from file"},
      {1, wxITEM_NORMAL, "Save\tCtrl-S", "Save point-set to file"},
      {2, wxITEM_NORMAL, "Save As...", "Save point-set to a new file"},
      {-1, wxITEM_SEPARATOR, "", ""},
      {3, wxITEM_NORMAL, "Show first point\tF", "Change cut planes to intersect in the first point in the list"},
      {4, wxITEM_NORMAL, "Show previous point\tP", "Change cut planes to intersect in the previous point in the list"},
      {5, wxITEM_NORMAL, "Show next point\tN", "Change cut planes to intersect in the next point in the list"},
      {6, wxITEM_NORMAL, "Show last point\tL", "Change cut planes to intersect in the last point in the list"},
      {7, wxITEM_NORMAL, "Show selected point\tX", "Change cut planes to intersect in the point last selected"},
      {-1, wxITEM_SEPARATOR, "", ""},
      {8, wxITEM_CHECK, "Show points\tY", "Show or hide the points"},
      {-1, wxITEM_SEPARATOR, "", ""},
      {11, wxITEM_NORMAL, "&Delete Selected\tDel", "Delete selected points"},
      {-1, wxITEM_SEPARATOR, "", ""},
      {9, wxITEM_NORMAL, "Options...", "Change visualization options"},
      {10, wxITEM_NORMAL, "Labels...", "Select labeles for info window"},
  });
  // Ctrl-S is "Save" of the points here, not the frame's "Save 3d data...".
  EXPECT_EQ(FindMenuKey(MenuKeys(bar), 'S', wxMOD_CONTROL), module->GetMenuId(Module::MENU_SAVE));
  wxUpdateUIEvent update(module->GetMenuId(Module::MENU_SHOW));
  frame->GetEventHandler()->ProcessEvent(update);
  EXPECT_TRUE(update.GetChecked());
  Command(Module::MENU_SHOW);
  EXPECT_FALSE(canvas->GetPointsShown());
}

TEST_F(PointViewerTest, PointFilesConvertVoxelsToMicronsAndBack) {
  Open({2, 2, 1}, {1, 1, 1});
  // Blank lines (an editor's last one too) are no points.
  const std::string file = Write("a.txt", "x0\ty0\t\tz0\tname\t\n\n10\t4\tA\t3\tcell one\n \t \n\n");
  ASSERT_TRUE(module->LoadPoints(wxString::FromUTF8(file)));
  const LabelledPointSet& points = canvas->GetPoints();
  ASSERT_EQ(points.GetCount(), 1u);
  EXPECT_EQ(points[0], Vector3d<float>(6, 3, 4));
  EXPECT_EQ(points.GetAllLabels(0), "\tA\tcell one");
  EXPECT_EQ(points.GetLabel(0, 1), "cell one");
  canvas->AddPoint(Vector3d<float>(0, 0, 0));
  ASSERT_EQ(points.GetLabelNameCount(), 2u);
  EXPECT_EQ(points.GetLabelName(0), "empty");
  EXPECT_EQ(points.GetLabelName(1), "name");
  EXPECT_EQ(module->GetFileName(), wxString::FromUTF8(file));

  Command(Module::MENU_SAVE);
  const std::string saved = "Gravity(1)\tGravity(2)\tGravity(3)\tempty\tname\n10\t4\t3\tA\tcell one\n-2\t-2\t-1\n";
  EXPECT_EQ(iotest::FileBytes(file), saved);
  // Our own files read back byte for byte.
  ASSERT_TRUE(module->LoadPoints(wxString::FromUTF8(file)));
  Command(Module::MENU_SAVE);
  EXPECT_EQ(iotest::FileBytes(file), saved);
  // What spreadsheets write: UTF-16 with CRLF line ends.
  const std::string utf16("\xFF\xFE" "x\0" "0\0\t\0y\0" "0\0\t\0z\0" "0\0\r\0\n\0" "2\0\t\0" "4\0\t\0" "6\0\r\0\n\0", 36);
  ASSERT_TRUE(module->LoadPoints(wxString::FromUTF8(Write("u16.txt", utf16))));
  ASSERT_EQ(points.GetCount(), 1u);
  EXPECT_EQ(points[0], Vector3d<float>(2, 3, 7));
}

TEST_F(PointViewerTest, UntouchedCoordinatesAreWrittenAsReadAndNewOnesShortest) {
  const Vector3d<float> res(5, 5, 1 / 0.35f), offset(0.3f, 0.7f, 1.1f);
  Open(res, offset);
  const std::string file = Write("p.txt", "x0\ty0\tz0\n84.48\t13.03\t7\n0.1\t1e-3\t-2.5\n");
  ASSERT_TRUE(module->LoadPoints(wxString::FromUTF8(file)));
  // A click at the centre of voxel (12, 8, 30).
  Vector3d<float> click;
  for (unsigned a = 0; a < 3; ++a) click[a] = FileToMicrons(std::vector<double>{12, 8, 30.5}[a], offset[a], res[a]);
  canvas->AddPoint(click);
  ASSERT_TRUE(module->SavePoints(wxString::FromUTF8(file)));
  EXPECT_EQ(iotest::FileBytes(file),
            "Gravity(1)\tGravity(2)\tGravity(3)\n84.48\t13.03\t7\n0.1\t0.001\t-2.5\n12\t8\t30.5\n");
}

// Closing with unsaved points asks; Cancel, or a save that fails, keeps the
// viewer open. The title says "*" while points are unsaved.
TEST_F(PointViewerTest, UnsavedPointsAreNeverLostOnClose) {
  Open();
  EXPECT_TRUE(frame->Close());  // nothing to save: no question
  orvtest::Pump();
  Open();
  canvas->AddPoint(Vector3d<float>(2, 3, 4));
  orvtest::Pump();
  EXPECT_EQ(frame->GetTitle(), "*points");
  wxTEST_DIALOG(EXPECT_FALSE(frame->Close()),
                orvtest::ExpectMessageBox("Save changes to the points?", "Unsaved points", wxID_CANCEL));
  const wxString folder = wxString::FromUTF8(dir / "");
  module->SetFileName(folder);
  wxTEST_DIALOG(EXPECT_FALSE(frame->Close()),
                orvtest::ExpectMessageBox("Save changes to the points of '" + folder + "'?", "Unsaved points",
                                          wxID_YES),
                orvtest::ExpectMessageBox("Can't save file " + folder + ": Cannot create file: Is a directory.",
                                          "Error"));
  // "Load..." would replace them: it asks too, and its filters list files.
  const wxString file = wxString::FromUTF8(dir / "p.txt");
  module->SetFileName(file);
  wxTEST_DIALOG(Command(Module::MENU_LOAD),
                orvtest::ExpectMessageBox("Save changes to the points of '" + file + "'?", "Unsaved points", wxID_YES),
                orvtest::ExpectDialog<wxFileDialog>([](wxFileDialog* d) {
                  EXPECT_EQ(d->GetWildcard(), "Text file (*.txt)|*.txt|Points (*.pts) |*.pts|All files (*.*) |*");
                  return wxID_CANCEL;
                }));
  EXPECT_EQ(iotest::FileBytes(dir / "p.txt"), "Gravity(1)\tGravity(2)\tGravity(3)\n2\t3\t4\n");
  orvtest::Pump();
  EXPECT_EQ(frame->GetTitle(), "points");
  canvas->AddPoint(Vector3d<float>(5, 5, 5));
  wxTEST_DIALOG(EXPECT_TRUE(frame->Close()),
                orvtest::ExpectMessageBox("Save changes to the points of '" + file + "'?", "Unsaved points", wxID_NO));
  EXPECT_EQ(iotest::FileBytes(dir / "p.txt"), "Gravity(1)\tGravity(2)\tGravity(3)\n2\t3\t4\n");
}

TEST_F(PointViewerTest, LoadFailuresSayWhatAndKeepWhatWasRead) {
  Open();
  EXPECT_EQ(LoadFailure(dir / "missing.txt"), "Cannot open file.");
  EXPECT_EQ(LoadFailure(Write("two.txt", "x0\ty0\tname\n1\t2\ta\n")), "Columns with point coordinates not found.");
  EXPECT_EQ(LoadFailure(Write("abc.txt", "x0\ty0\tz0\n1\t2\t3\n\n1\tabc\t3\n4\t5\t6\n")),
            "line 4: cannot convert 'abc' to a coordinate.");
  EXPECT_EQ(canvas->GetPoints().GetCount(), 1u);
  // A missing or empty coordinate field is no 0.
  EXPECT_EQ(LoadFailure(Write("short.txt", "x0\ty0\tz0\tname\n30\t40\n")), "line 2 has no z coordinate.");
  EXPECT_EQ(LoadFailure(Write("gap.txt", "z0\ty0\tx0\n1\t2\t3\n1\t \t3\n")), "line 3 has no y coordinate.");
  // Numbers no image holds, and a field of a megabyte quoted short.
  EXPECT_EQ(LoadFailure(Write("nan.txt", "x0\ty0\tz0\nnan\t2\t3\n")), "line 2: cannot convert 'nan' to a coordinate.");
  EXPECT_EQ(LoadFailure(Write("huge.txt", "x0\ty0\tz0\n1e308\t2\t3\n")),
            "line 2: cannot convert '1e308' to a coordinate.");
  // A host's point at no finite place is refused as a file's is.
  const unsigned count = canvas->GetPoints().GetCount();
  EXPECT_EQ(canvas->AddPoint(Vector3d<float>(1, std::numeric_limits<float>::quiet_NaN(), 3)), count);
  EXPECT_EQ(canvas->AddPoint(Vector3d<float>(std::numeric_limits<float>::infinity(), 2, 3)), count);
  EXPECT_EQ(canvas->GetPoints().GetCount(), count);
  EXPECT_EQ(LoadFailure(Write("long.txt", "x0\ty0\tz0\n1\t" + std::string(1 << 20, '7') + "x\t3\n")),
            "line 2: cannot convert '" + std::string(60, '7') + "\xE2\x80\xA6' to a coordinate.");
  // The module names the file in a box titled "Error" and forgets the file name.
  const wxString abc = wxString::FromUTF8(dir / "abc.txt");
  wxTEST_DIALOG(EXPECT_FALSE(module->LoadPoints(abc)),
                orvtest::ExpectMessageBox("Can't load file " + abc + ": line 4: cannot convert 'abc' to a coordinate.",
                                          "Error"));
  EXPECT_TRUE(module->GetFileName().empty());
}

TEST_F(PointViewerTest, StyleFilesPickColoursAndMarkers) {
  Open();
  const std::string points = Write("p.txt", "x0\ty0\tz0\tkind\tname\n1\t1\t1\t1\tone\n2\t2\t2\t7\ttwo\n3\t3\t3\tx\t\n");
  Write("points.sty", "StyleColumn=kind\nDisplayedLabel=name\n");
  EXPECT_EQ(LoadFailure(points), "MaxStyle entry does not exist.");
  EXPECT_EQ(canvas->GetPoints().GetCount(), 3u);  // the points were read
  Write("points.sty", "StyleColumn=kind\nMaxStyle=2\n[Style_0]\nColour=RED\nMarker=box\n[Style_1]\nColour=#0000FF\n"
                      "Marker=Circle\n");
  EXPECT_EQ(LoadFailure(points), "Group /Style_2 does not exist");
  // Lines no configuration file has: said with their line, never an assertion.
  Write("points.sty", "StyleColumn=kind\nMaxStyle=0\n=oops\n");
  EXPECT_EQ(LoadFailure(points), "points.sty line 3: a value without a key in '=oops'");
  Write("points.sty", "StyleColumn=kind\n[Style_0\n");
  EXPECT_EQ(LoadFailure(points), "points.sty line 2: a group without its closing ']' in '[Style_0'");
  // A group opened twice (names compare without case; CR ends a line too).
  Write("points.sty", "StyleColumn=kind\rMaxStyle=0\n[Style_0]\nColour=red\n\v[style_0]\n");
  EXPECT_EQ(LoadFailure(points), "points.sty line 5: a group opened a second time in '[style_0]'");
  Write("points.sty", "StyleColumn=kind\nMaxStyle=0\n[S/./..]\n[S/./..]\n");
  EXPECT_EQ(LoadFailure(points).rfind("points.sty cannot be read (", 0), 0u);
  Write("points.sty", "StyleColumn=kind\nMaxStyle=2\nDisplayedLabel=name\n[Style_0]\nColour=RED\nMarker=box\n"
                      "[Style_1]\nColour=#0000FF\nMarker=Circle\n[Style_2]\nColour=green\nMarker=text\n");
  EXPECT_EQ(LoadFailure(points), "loaded");
  ASSERT_EQ(canvas->GetStyles().size(), 3u);
  EXPECT_EQ(canvas->GetStyles()[0].marker, MARKER_BOX);
  EXPECT_EQ(canvas->GetStyles()[1].marker, MARKER_CROSS);  // "Circle" is no marker word
  EXPECT_EQ(canvas->GetStyles()[1].colour, wxColour(0, 0, 255));
  EXPECT_EQ(canvas->GetStyles()[2].marker, MARKER_TEXT);
  EXPECT_EQ(canvas->StyleOf(0), 1u);
  EXPECT_EQ(canvas->StyleOf(1), 0u);  // "7" with three styles
  EXPECT_EQ(canvas->StyleOf(2), 0u);
  EXPECT_EQ(canvas->GetDisplayedLabelColumn(), 1u);
}

// The style file beside a point file named relatively, wherever that is.
TEST_F(PointViewerTest, AStyleFileIsFoundBesideAPointFileNamedRelatively) {
  Open();
  wxMkdir(wxString::FromUTF8(dir / "sub"));
  Write("sub/p.txt", "x0\ty0\tz0\tkind\n1\t1\t1\t1\n");
  Write("sub/points.sty", "StyleColumn=kind\nMaxStyle=1\n[Style_0]\nColour=red\n[Style_1]\nColour=blue\nMarker=box\n");
  const wxString before = wxGetCwd();
  ASSERT_TRUE(wxSetWorkingDirectory(wxString::FromUTF8(dir.Path())));
  const std::string result = LoadFailure("sub/p.txt");
  wxSetWorkingDirectory(before);
  EXPECT_EQ(result, "loaded");
  ASSERT_EQ(canvas->GetStyles().size(), 2u);
  EXPECT_EQ(canvas->GetStyles()[1].marker, MARKER_BOX);
}

// Point saves follow image saves: a failure keeps the old file and says
// why, a read-only file is refused, a link stays and its file is replaced.
TEST_F(PointViewerTest, SavesKeepTheOldFileOnFailureAndWriteThroughLinks) {
  Open();
  canvas->AddPoint(Vector3d<float>(1, 2, 3));
  const std::string file = Write("keep.txt", "old");
  wxMkdir(wxString::FromUTF8(dir / "taken"));
  Write("taken/inside", "x");
  const wxString taken = wxString::FromUTF8(dir / "taken");
  wxTEST_DIALOG(EXPECT_FALSE(module->SavePoints(taken)),
                orvtest::ExpectMessageBox("Can't save file " + taken + ": Cannot create file: cannot replace '" +
                                              taken + "': Is a directory.",
                                          "Error"));
  EXPECT_EQ(iotest::FileBytes(dir / "taken/inside"), "x");
  const wxString missing = wxString::FromUTF8(dir / "no/such.txt");
  wxTEST_DIALOG(EXPECT_FALSE(module->SavePoints(missing)),
                orvtest::ExpectMessageBox("Can't save file " + missing +
                                              ": Cannot create file: no new file can be made in its directory (No "
                                              "such file or directory).",
                                          "Error"));
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  wxTEST_DIALOG(EXPECT_FALSE(module->SavePoints(wxString::FromUTF8(file))),
                orvtest::ExpectMessageBox("Can't save file " + wxString::FromUTF8(file) +
                                              ": Cannot create file: it is read-only.",
                                          "Error"));
  EXPECT_EQ(iotest::FileBytes(file), "old");
  wxArrayString left;
  wxDir::GetAllFiles(wxString::FromUTF8(dir / ""), &left);
  EXPECT_EQ(left.size(), 2u) << "a temporary file was left behind";

  ASSERT_EQ(::symlink("taken/inside", (dir / "link.txt").c_str()), 0);
  ASSERT_TRUE(module->SavePoints(wxString::FromUTF8(dir / "link.txt")));
  EXPECT_TRUE(wxFileName::Exists(wxString::FromUTF8(dir / "link.txt"), wxFILE_EXISTS_SYMLINK | wxFILE_EXISTS_NO_FOLLOW));
  EXPECT_EQ(iotest::FileBytes(dir / "taken/inside"), "Gravity(1)\tGravity(2)\tGravity(3)\n1\t2\t3\n");
}

TEST_F(PointViewerTest, NavigationStepsThroughThePoints) {
  Open();
  for (float x : {5.5f, 10.5f, 15.5f}) canvas->AddPoint(Vector3d<float>(x, 8.5f, 6.5f));
  // No current point: "previous" goes to the last.
  Command(Module::MENU_PREVIOUS);
  EXPECT_EQ(canvas->GetCurrentPoint(), 2u);
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(15.5f, 8.5f, 6.5f));
  wxTEST_DIALOG(Command(Module::MENU_NEXT), orvtest::ExpectMessageBox("Last point already selected", "Message"));
  EXPECT_EQ(canvas->GetCurrentPoint(), 2u);
  Command(Module::MENU_FIRST);
  EXPECT_EQ(canvas->GetCurrentPoint(), 0u);
  EXPECT_EQ(Selection(), std::vector<unsigned>{0});
  wxTEST_DIALOG(Command(Module::MENU_PREVIOUS), orvtest::ExpectMessageBox("First point already selected", "Message"));
  // Showing a point moves the cut and centres the view: one change, told once.
  int told = 0;
  frame->Bind(orv_EVT_VIEW_CHANGED, [&](orv_ViewChangedEvent&) { ++told; });
  Command(Module::MENU_NEXT);
  EXPECT_EQ(told, 1);
  EXPECT_EQ(Selection(), std::vector<unsigned>{1});  // showing a point drops other selections
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(10.5f, 8.5f, 6.5f));
  Command(Module::MENU_DELETE);
  EXPECT_EQ(canvas->GetPoints().GetCount(), 2u);
  EXPECT_EQ(canvas->GetPoints()[1], Vector3d<float>(15.5f, 8.5f, 6.5f));
}

TEST_F(PointViewerTest, ClicksAddAndSelectPoints) {
  Open();
  orv_DrWin3d* xy = canvas->GetDrWin(PROJ_XY);
  const wxSize size = xy->GetClientSize();
  const PixelPoint at = canvas->View().Orientation(0).PixelOf(12.25f, 7.25f, size.x, size.y);
  orvtest::SendMouse(xy, wxEVT_RIGHT_DOWN, wxPoint(at.x, at.y));
  ASSERT_EQ(canvas->GetPoints().GetCount(), 1u);
  const Vector3d<float> added = canvas->GetPoints()[0];
  EXPECT_EQ(added.x, xy->WindowToHorizontal(at.x));
  EXPECT_EQ(added.y, xy->WindowToVertical(at.y));
  EXPECT_EQ(added.z, canvas->GetCut().z);
  orvtest::SendMouse(xy, wxEVT_RIGHT_DOWN, wxPoint(at.x + 20, at.y));
  orvtest::SendMouse(xy, wxEVT_LEFT_DOWN, wxPoint(at.x + 1, at.y));  // within 3 pixels of point 0
  EXPECT_EQ(Selection(), std::vector<unsigned>{0});
  EXPECT_EQ(canvas->GetCurrentPoint(), 0u);
  orvtest::SendMouse(xy, wxEVT_LEFT_DOWN, wxPoint(at.x + 20, at.y), wxMOD_SHIFT);
  EXPECT_EQ(Selection(), (std::vector<unsigned>{0, 1}));
  orvtest::SendMouse(xy, wxEVT_LEFT_DOWN, wxPoint(at.x + 20, at.y));  // without Shift: only it, toggled off
  EXPECT_TRUE(Selection().empty());
  orvtest::SendMouse(xy, wxEVT_LEFT_DOWN, wxPoint(at.x + 10, at.y));  // nothing within reach
  EXPECT_TRUE(Selection().empty());
  // The reach is a circle of 3 x sqrt(2) pixels: as far beside as above.
  orvtest::SendMouse(xy, wxEVT_LEFT_DOWN, wxPoint(at.x + 4, at.y));
  EXPECT_EQ(Selection(), std::vector<unsigned>{0});
  orvtest::SendMouse(xy, wxEVT_LEFT_DOWN, wxPoint(at.x, at.y + 4));
  EXPECT_TRUE(Selection().empty());
  orvtest::SendMouse(xy, wxEVT_LEFT_DOWN, wxPoint(at.x + 5, at.y));
  EXPECT_TRUE(Selection().empty());
}

TEST_F(PointViewerTest, MarkersFadeOverThreeSlicesAndMirrorWithTheAxes) {
  Open();
  const Vector3d<float> cut = canvas->GetCut();
  // Crosses at 0, 1, 2 and 3 slices from the cut along z.
  for (int slices = 0; slices < 4; ++slices) canvas->AddPoint(Vector3d<float>(6.5f + 8 * slices, 10.5f, cut.z + slices));
  canvas->AddPoint(Vector3d<float>(6.5f, 20.5f, cut.z));
  canvas->SetCurrentPoint(4);
  orv_DrWin3d* xy = canvas->GetDrWin(PROJ_XY);
  auto check = [&](const char* what) {
    orvtest::PaintNow(xy);
    const wxImage picture = xy->GetBitmapImage();
    const CutOrientation o = canvas->View().Orientation(0);
    auto yellow = [&](int x, int y) {
      return picture.GetRed(x, y) == 255 && picture.GetGreen(x, y) == 255 && picture.GetBlue(x, y) == 0;
    };
    for (int slices = 0; slices < 4; ++slices) {
      const PixelPoint c = o.PixelOf(6.5f + 8 * slices, 10.5f, picture.GetWidth(), picture.GetHeight());
      const int r = 3 - slices;  // 3, 2, 1 and none
      EXPECT_EQ(yellow(c.x, c.y), r > 0) << what << ", " << slices << " slices";
      if (r > 0) {
        EXPECT_TRUE(yellow(c.x - r, c.y - r)) << what << ", " << slices << " slices";
        EXPECT_FALSE(yellow(c.x - r - 1, c.y - r - 1)) << what << ", " << slices << " slices";
      }
    }
  };
  check("no axis reversed");
  frame->ProcessCommand(ID_REVERSE_X);
  check("x reversed");
}

TEST_F(PointViewerTest, TheInfoWindowHasAPointsPage) {
  Open();
  Write("labels.txt", "x0\ty0\tz0\tcell\tkind\n4\t5\t6\tnucleus\t2\n");
  ASSERT_TRUE(module->LoadPoints(wxString::FromUTF8(dir / "labels.txt")));
  frame->ProcessCommand(ID_SHOW_INFO);
  wxFrame* info = canvas->InfoFrame_Get();
  ASSERT_TRUE(info && info->IsShown());
  auto* notebook = dynamic_cast<wxNotebook*>(info->FindWindow(10010));
  ASSERT_TRUE(orvtest::PumpUntil([&] { return notebook->GetPageCount() > 0 && notebook->GetPageText(notebook->GetSelection()) == "Points"; }));
  auto text = [&](int id) { return info->FindWindow(id)->GetLabel(); };
  EXPECT_EQ(text(20006), "Count:");
  EXPECT_EQ(text(20007), "1");
  EXPECT_EQ(text(20009), "none");
  EXPECT_EQ(text(20011), "none");
  EXPECT_EQ(text(20013), "none");
  canvas->SetCurrentPoint(0);
  ASSERT_TRUE(orvtest::PumpUntil([&] { return text(20009) == "0"; }));
  EXPECT_EQ(text(20011), "4.000   5.000   6.000");
  EXPECT_EQ(text(20013), "cell: nucleus\nkind: 2\n");
  // Of twelve label columns the first ten are shown until "Labels..." is used.
  std::string header = "x0\ty0\tz0", line = "1\t2\t3";
  for (int k = 0; k < 12; ++k) {
    header += "\tl" + std::to_string(k);
    line += "\tv" + std::to_string(k);
  }
  ASSERT_TRUE(module->LoadPoints(wxString::FromUTF8(Write("twelve.txt", header + "\n" + line + "\n"))));
  ASSERT_EQ(module->GetInfoLabels().size(), 10u);
  EXPECT_EQ(module->GetInfoLabels()[9], 9);
}

TEST_F(PointViewerTest, ThePreferencesDialogAppliesOnlyOnOk) {
  Open();
  // A colour chosen in options then cancelled leaves the canvas as it was.
  wxTEST_DIALOG(Command(Module::MENU_OPTIONS),
                orvtest::ExpectDialog<PointCanvasPreferencesDialog>([](PointCanvasPreferencesDialog* d) {
                  auto* fading = dynamic_cast<wxSpinCtrl*>(d->FindWindow(20001));
                  auto* size = dynamic_cast<wxSpinCtrl*>(d->FindWindow(20002));
                  EXPECT_EQ(fading->GetMin(), 0);
                  EXPECT_EQ(fading->GetMax(), 10);
                  EXPECT_EQ(size->GetMin(), 0);
                  EXPECT_EQ(size->GetMax(), 100);
                  EXPECT_EQ(d->GetTitle(), "Point Canvas Preferences");
                  orvtest::ClickButton(d, 20003);
                  EXPECT_EQ(d->FindWindow(20003)->GetBackgroundColour(), wxColour(0, 0, 255));
                  return wxID_CANCEL;
                }),
                orvtest::AnswerColourDialog([](wxColourData& data) { data.SetColour(wxColour(0, 0, 255)); }));
  orv_PointCanvasSettings settings;
  canvas->GetSettings(settings);
  EXPECT_EQ(settings.pointColour, wxColour(255, 255, 0));
  wxTEST_DIALOG(Command(Module::MENU_OPTIONS), orvtest::ExpectDialog<PointCanvasPreferencesDialog>([](PointCanvasPreferencesDialog* d) {
                  d->InitDialog();
                  dynamic_cast<wxSpinCtrl*>(d->FindWindow(20001))->SetValue(5);
                  dynamic_cast<wxSpinCtrl*>(d->FindWindow(20002))->SetValue(7);
                  return orvtest::AcceptDialog(d);
                }));
  canvas->GetSettings(settings);
  EXPECT_EQ(settings.fadingDepth, 5);
  EXPECT_EQ(settings.markerSize, 7);
}

// Many points on one place paint what one point there paints (a repaint is
// bounded by pixels, not points).
TEST_F(PointViewerTest, PointsRepeatingAMarkerPaintAsOne) {
  Open();
  const Vector3d<float> cut = canvas->GetCut();
  orv_DrWin3d* xy = canvas->GetDrWin(PROJ_XY);
  auto picture = [&] {
    orvtest::PaintNow(xy);
    return xy->GetBitmapImage();
  };
  canvas->AddPoint(Vector3d<float>(10.5f, 8.5f, cut.z));
  canvas->AddPoint(Vector3d<float>(20.5f, 8.5f, cut.z + 1));
  const PixelPoint at = canvas->View().Orientation(0).PixelOf(20.5f, 8.5f, xy->GetClientSize().x, xy->GetClientSize().y);
  orvtest::SendMouse(xy, wxEVT_LEFT_DOWN, wxPoint(at.x, at.y));
  ASSERT_EQ(Selection(), std::vector<unsigned>{1});
  const wxImage one = picture();
  for (int k = 0; k < 50000; ++k) canvas->AddPoint(Vector3d<float>(10.5f, 8.5f, cut.z));
  for (int k = 0; k < 50000; ++k) canvas->AddPoint(Vector3d<float>(20.5f, 8.5f, cut.z + 1));
  const wxImage many = picture();
  ASSERT_EQ(many.GetSize(), one.GetSize());
  EXPECT_EQ(std::memcmp(many.GetData(), one.GetData(), std::size_t(one.GetWidth()) * one.GetHeight() * 3), 0);
}

TEST_F(PointViewerTest, EveryMarkerKindIsDrawnAtItsPlaceAndFullSizeInProjections) {
  Open();
  const Vector3d<float> cut = canvas->GetCut();
  std::string text = "x0\ty0\tz0\tstyle\tname\n";
  // Styles 0 to 4: cross, circle, box, plus, text; one point of each, 1.5
  // microns (one slice) from the cut at z 10.5: r = 2 in the cut window, 3
  // in a projection.
  for (int k = 0; k < 5; ++k)
    text += std::to_string(4 + 7 * k) + "\t10\t" + std::to_string(int(cut.z) + 2) + "\t" + std::to_string(k) + "\tT\n";
  Write("kinds.txt", text);
  Write("points.sty", "StyleColumn=style\nMaxStyle=4\nDisplayedLabel=name\n"
                      "[Style_0]\nColour=#FF0000\nMarker=cross\n[Style_1]\nColour=#00FF00\nMarker=circle\n"
                      "[Style_2]\nColour=#0000FF\nMarker=box\n[Style_3]\nColour=#FF00FF\nMarker=plus\n"
                      "[Style_4]\nColour=#00FFFF\nMarker=text\n");
  ASSERT_TRUE(module->LoadPoints(wxString::FromUTF8(dir / "kinds.txt")));
  orv_DrWin3d* xy = canvas->GetDrWin(PROJ_XY);
  auto check = [&](int r, const char* what) {
    orvtest::PaintNow(xy);
    const wxImage picture = xy->GetBitmapImage();
    const CutOrientation o = canvas->View().Orientation(0);
    auto is = [&](int x, int y, unsigned char red, unsigned char green, unsigned char blue) {
      return picture.GetRed(x, y) == red && picture.GetGreen(x, y) == green && picture.GetBlue(x, y) == blue;
    };
    auto centre = [&](int k) {
      return o.PixelOf(4.0f + 7 * k, 10.0f, picture.GetWidth(), picture.GetHeight());
    };
    PixelPoint c = centre(0);
    EXPECT_TRUE(is(c.x - r, c.y - r, 255, 0, 0) && is(c.x, c.y, 255, 0, 0)) << what << ": cross";
    c = centre(1);
    EXPECT_TRUE(is(c.x, c.y - r, 0, 255, 0) && !is(c.x, c.y, 0, 255, 0)) << what << ": circle";
    c = centre(2);
    EXPECT_TRUE(is(c.x - r, c.y, 0, 0, 255) && is(c.x - r, c.y - r, 0, 0, 255) && !is(c.x, c.y, 0, 0, 255))
        << what << ": box";
    c = centre(3);
    EXPECT_TRUE(is(c.x, c.y - r, 255, 0, 255) && is(c.x + r, c.y, 255, 0, 255) && !is(c.x - r, c.y - r, 255, 0, 255))
        << what << ": plus";
    c = centre(4);
    int ink = 0;
    for (int y = c.y - 8; y <= c.y + 8; ++y)
      for (int x = c.x - 8; x <= c.x + 8; ++x)
        if (x >= 0 && y >= 0 && x < picture.GetWidth() && y < picture.GetHeight())
          ink += picture.GetBlue(x, y) > 100 && picture.GetGreen(x, y) > 100 && picture.GetRed(x, y) < 100;
    EXPECT_GT(ink, 0) << what << ": text";
  };
  check(2, "cut");
  frame->ProcessCommand(ID_AUTOFOCUS_XY);
  ASSERT_EQ(canvas->GetContent(PROJ_XY), CONTENT_AUTOFOCUS);
  check(3, "projection");
}

// Label texts live in one buffer: texts replaced (many times over, so that
// the buffer is compacted), points deleted and points without a text leave
// every other point's text as it was.
TEST(LabelledPointSetTexts, ReplacingDeletingAndAssigningKeepEveryOtherText) {
  LabelledPointSet set;
  set.Assign({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, std::vector<std::string>{"\ta", "\tbb", "\tccc"});
  EXPECT_EQ(set.GetAllLabels(3), "") << "a point without a text";
  for (int k = 0; k < 50; ++k) set.SetAllLabels(1, wxString::Format("\tb%d", k));
  EXPECT_EQ(set.GetAllLabels(0), "\ta");
  EXPECT_EQ(set.GetAllLabels(1), "\tb49");
  EXPECT_EQ(set.GetAllLabels(2), "\tccc");
  const unsigned added = set.AddPoint({4, 0, 0});
  EXPECT_EQ(set.GetAllLabels(added), "");
  set.SetAllLabels(added, wxString::FromUTF8("\t\xC3\xA9t\xC3\xA9"));
  set.Select(0, true, true);
  set.Select(2, true, false);
  set.DeleteSelected();
  ASSERT_EQ(set.GetCount(), 3u);
  EXPECT_EQ(set.GetAllLabels(0), "\tb49");
  EXPECT_EQ(set.GetAllLabels(1), "");
  EXPECT_EQ(set.GetLabel(2, 0), wxString::FromUTF8("\xC3\xA9t\xC3\xA9"));
  EXPECT_EQ(set.GetAllLabelsUtf8(2), "\t\xC3\xA9t\xC3\xA9");
}
