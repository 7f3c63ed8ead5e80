// orv-view's "&File" menu: opening stacks in viewers of their own (through
// the file dialog, the recent files, dropped files), the titles that say
// what is shown, the recent files kept across runs, closing and quitting,
// and viewers whose cut points and zoom levels are linked.

#include "gui_test.h"

#include "../bix/io_test_support.h"
#include "help_window.h"
#include "open_image.h"
#include "snapshot.h"
#include "viewer_link.h"
#include "viewer_session.h"
#include "viewer_title.h"

#include <orv/orv_factory.h>
#include <orv/orv_keys.h>

#include <bix/Exceptions.h>

#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/uiaction.h>

#include "../../src/wdr/info_frame_wdr.h"

#include <algorithm>

using orvview::ViewerSession;

namespace {

class OrvViewFiles : public ::testing::Test {
protected:
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  std::string Stack(const std::string& name, unsigned short a = 1, unsigned short b = 2) {
    const bix::Resolution res(bix::Vector3d<float>(4, 4, 2));
    bix::Image3d<unsigned short> image(bix::Vector3d<unsigned>(6, 5, 4), nullptr, &res);
    unsigned i = 0;
    for (unsigned short& v : image) v = (i++ % 2) ? a : b;
    image.SaveImage(dir / name);
    return dir / name;
  }
  wxString Config() const { return wxString::FromUTF8(dir / "config/orv-view.conf"); }

  iotest::ScratchDir dir;
};

std::vector<wxString> Labels(const wxMenu* menu) {
  std::vector<wxString> labels;
  for (const wxMenuItem* item : menu->GetMenuItems()) labels.push_back(item->IsSeparator() ? "-" : item->GetItemLabel());
  return labels;
}

const wxString kStackTitle = "stack.tif (16-bit, 6 x 5 x 4 voxels of 0.25 x 0.25 x 0.5 um)";

}  // namespace

TEST(OrvViewTitle, NamesTheFileItsVoxelTypeSizeAndVoxelSize) {
  const bix::Resolution res(bix::Vector3d<float>(5, 4, 2));
  EXPECT_EQ(orvview::ViewerTitle("a.tif", "8-bit", bix::Vector3d<unsigned>(640, 480, 31), res),
            "a.tif (8-bit, 640 x 480 x 31 voxels of 0.2 x 0.25 x 0.5 um)");
  EXPECT_EQ(orvview::ViewerTitle("b.ics", "32-bit float", bix::Vector3d<unsigned>(1, 2, 3), bix::Resolution()),
            "b.ics (32-bit float, 1 x 2 x 3 voxels, voxel size undefined)");
}

TEST_F(OrvViewFiles, TheFileMenuComesFirstWithItsItemsAndAccelerators) {
  ViewerSession session({}, Config());
  orv::orv_OrthoscopeFrame* frame = session.Open(Stack("stack.tif"));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetTitle(), kStackTitle);
  const wxMenuBar* bar = frame->GetMenuBar();
  EXPECT_EQ(bar->GetMenuLabel(0), "&File");
  EXPECT_EQ(bar->GetMenuLabel(1), "&View");
  EXPECT_EQ(bar->GetMenuLabel(bar->GetMenuCount() - 1), "&Help");
  const wxMenu* file = bar->GetMenu(0);
  EXPECT_EQ(Labels(file), (std::vector<wxString>{"&Open...\tCtrl-O", "Open &recent", "-", "&Link cut points", "-",
                                                 "&Close\tCtrl-W", "&Quit\tCtrl-Q"}));
  const std::vector<int> ids = {wxID_OPEN, orvview::kOpenRecentId, wxID_SEPARATOR, orvview::kLinkCutPointsId,
                                wxID_SEPARATOR, wxID_CLOSE, wxID_EXIT};
  for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(file->FindItemByPosition(i)->GetId(), ids[i]) << i;
  EXPECT_TRUE(file->FindItem(orvview::kLinkCutPointsId)->IsCheckable());
  EXPECT_NE(file->FindItem(orvview::kOpenRecentId)->GetSubMenu(), nullptr);

  // The frame's key dispatch and the help window read the same table.
  const std::vector<orv::orv_MenuKey> keys = orv::MenuKeys(bar);
  ASSERT_GE(keys.size(), 3u);
  const struct {
    int id, keyCode;
    const char *keys, *menu;
  } expected[] = {{wxID_OPEN, 'O', "Ctrl-O", "File > Open..."},
                  {wxID_CLOSE, 'W', "Ctrl-W", "File > Close"},
                  {wxID_EXIT, 'Q', "Ctrl-Q", "File > Quit"}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(keys[i].id, expected[i].id);
    EXPECT_EQ(keys[i].flags, wxACCEL_CTRL);
    EXPECT_EQ(keys[i].keyCode, expected[i].keyCode);
    EXPECT_EQ(keys[i].keys, expected[i].keys);
    EXPECT_EQ(keys[i].menu, expected[i].menu);
    EXPECT_EQ(orv::FindMenuKey(keys, expected[i].keyCode, wxMOD_CONTROL), expected[i].id);
  }
  const wxString help = orvview::KeysAndMouseText(orvview::KeysAndMouseRows(bar));
  for (const char* row : {"  Ctrl-O                 File > Open...\n", "  Ctrl-W                 File > Close\n",
                          "  Ctrl-Q                 File > Quit\n"})
    EXPECT_NE(help.find(row), wxString::npos) << row << " in\n" << help;
}

TEST_F(OrvViewFiles, CtrlOOpensTheChosenTiffInASecondViewerCtrlWClosesItCtrlQQuits) {
  const wxString path = wxString::FromUTF8(Stack("stack.tif"));
  Stack("first.tif", 5, 6);
  ViewerSession session({}, Config());
  orv::orv_OrthoscopeFrame* first = session.Open(wxString::FromUTF8(dir / "first.tif"));
  ASSERT_TRUE(orvtest::ShowAndActivate(first));
  ASSERT_TRUE(orvtest::FocusAndWait(first->GetCanvas()->GetDrWin(orv::PROJ_XY)));
  wxUIActionSimulator sim;
  wxString wildcard;
  wxTEST_DIALOG(
      {
        sim.Char('o', wxMOD_CONTROL);
        orvtest::PumpUntil([&] { return session.Viewers().size() == 2; });
      },
      orvtest::ExpectDialog<wxFileDialog>([&](wxFileDialog* dialog) {
        wildcard = dialog->GetWildcard();
        dialog->SetPath(path);
        orvtest::PumpUntil([&] { return dialog->GetPath() == path; });
        return int(wxID_OK);
      }));
  EXPECT_EQ(wildcard, orvview::kOpenWildcard);
  ASSERT_EQ(session.Viewers().size(), 2u);
  orv::orv_OrthoscopeFrame* second = session.Viewers()[1];
  EXPECT_NE(second, first);
  EXPECT_EQ(second->GetTitle(), kStackTitle);
  EXPECT_TRUE(second->IsShown());
  EXPECT_EQ(session.Recent().GetHistoryFile(0), path);

  ASSERT_TRUE(orvtest::ShowAndActivate(second));
  ASSERT_TRUE(orvtest::FocusAndWait(second->GetCanvas()->GetDrWin(orv::PROJ_XY)));
  sim.Char('w', wxMOD_CONTROL);
  EXPECT_TRUE(orvtest::PumpUntil([&] { return session.Viewers().size() == 1; }));
  EXPECT_EQ(session.Viewers()[0], first);

  session.Open(path);
  ASSERT_TRUE(orvtest::ShowAndActivate(first));
  ASSERT_TRUE(orvtest::FocusAndWait(first->GetCanvas()->GetDrWin(orv::PROJ_XY)));
  sim.Char('q', wxMOD_CONTROL);
  EXPECT_TRUE(orvtest::PumpUntil([&] { return session.Viewers().empty() && wxTopLevelWindows.empty(); }));
}

// A settings file that cannot be read is said to be so, naming it, and left
// as it is; the session goes on without its recent files.
TEST_F(OrvViewFiles, AnUnreadableSettingsFileIsReportedAndKeptAsItIs) {
  wxMkdir(wxString::FromUTF8(dir / "config"));
  const std::string conf = dir / "config/orv-view.conf";
  struct Case {
    std::string bytes;
    std::string said;
  };
  const std::vector<Case> cases = {
      {"[RecentFiles]\nfile1=/a.tif\n=oops\n",
       conf + " line 3: a value without a key in '=oops'; the recent files start empty, and the file is left as it is."},
      {"[RecentFiles]\nfile1=/a.tif\n[RecentFiles]\n",
       conf + " line 3: a group opened a second time in '[RecentFiles]'; the recent files start empty, and the file "
              "is left as it is."},
  };
  for (const Case& c : cases) {
    iotest::WriteBytes(conf, c.bytes);
    auto* log = new orvtest::RecordingLog;
    wxLog* previous = wxLog::SetActiveTarget(log);
    {
      ViewerSession session({}, Config());
      EXPECT_EQ(session.Recent().GetCount(), 0u);
      session.AddRecent(wxString::FromUTF8(dir / "b.tif"));
    }
    wxLog::SetActiveTarget(previous);
    ASSERT_EQ(log->records.size(), 1u) << c.bytes;
    EXPECT_EQ(log->records[0].first, wxLOG_Warning);
    EXPECT_EQ(log->records[0].second.utf8_string(), c.said);
    delete log;
    EXPECT_EQ(iotest::FileBytes(conf), c.bytes);
  }
  // A folder in the file's place: named, with the system's reason.
  wxRemoveFile(wxString::FromUTF8(conf));
  wxMkdir(wxString::FromUTF8(conf));
  auto* log = new orvtest::RecordingLog;
  wxLog* previous = wxLog::SetActiveTarget(log);
  { ViewerSession session({}, Config()); }
  wxLog::SetActiveTarget(previous);
  ASSERT_EQ(log->records.size(), 1u);
  EXPECT_EQ(log->records[0].second.utf8_string(),
            "'" + conf + "': cannot be opened: it is a folder; the recent files start empty, and the file is left as "
                         "it is.");
  delete log;
}

TEST_F(OrvViewFiles, RecentFilesSurviveARestartAndOpenFromTheMenu) {
  const wxString a = wxString::FromUTF8(Stack("a.tif"));
  const wxString b = wxString::FromUTF8(Stack("stack.tif"));
  {
    ViewerSession session({}, Config());
    ASSERT_NE(session.Open(a), nullptr);
    ASSERT_NE(session.Open(b), nullptr);
    EXPECT_EQ(session.Recent().GetCount(), 2u);
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  EXPECT_TRUE(wxFileName::FileExists(Config()));

  ViewerSession restarted({}, Config());
  ASSERT_EQ(restarted.Recent().GetCount(), 2u);
  EXPECT_EQ(restarted.Recent().GetHistoryFile(0), b) << "the last opened first";
  EXPECT_EQ(restarted.Recent().GetHistoryFile(1), a);
  orv::orv_OrthoscopeFrame* frame = restarted.Open(a);
  ASSERT_NE(frame, nullptr);
  const wxMenu* recent = frame->GetMenuBar()->FindItem(orvview::kOpenRecentId)->GetSubMenu();
  EXPECT_EQ(Labels(recent), (std::vector<wxString>{"&1 a.tif", "&2 stack.tif"}));

  frame->ProcessCommand(wxID_FILE1 + 1);
  ASSERT_EQ(restarted.Viewers().size(), 2u);
  EXPECT_EQ(restarted.Viewers()[1]->GetTitle(), kStackTitle);
  EXPECT_EQ(Labels(recent), (std::vector<wxString>{"&1 stack.tif", "&2 a.tif"}));
}

TEST_F(OrvViewFiles, DroppedFilesOpenEachInItsViewer) {
  ViewerSession session({}, Config());
  orv::orv_OrthoscopeFrame* frame = session.Open(wxString::FromUTF8(Stack("a.tif")));
  auto* drop = dynamic_cast<wxFileDropTarget*>(frame->GetDropTarget());
  ASSERT_NE(drop, nullptr);
  wxArrayString files;
  files.push_back(wxString::FromUTF8(Stack("stack.tif")));
  files.push_back(wxString::FromUTF8(Stack("b.tif")));
  EXPECT_TRUE(drop->OnDropFiles(10, 10, files));
  ASSERT_EQ(session.Viewers().size(), 3u);
  EXPECT_EQ(session.Viewers()[1]->GetTitle(), kStackTitle);
  EXPECT_TRUE(session.Viewers()[2]->GetTitle().StartsWith("b.tif ("));
}

TEST_F(OrvViewFiles, AFileThatCannotBeOpenedIsReportedAndOpensNothing) {
  const std::string missing = dir / "missing.tif";
  std::string message;
  try {
    orvview::ViewerOptions options;
    options.image = missing;
    orvview::OpenViewer(options);
  } catch (const bix::IOException& e) {
    message = e.what();
  }
  ASSERT_FALSE(message.empty());
  ViewerSession session({}, Config());
  wxTEST_DIALOG(EXPECT_EQ(session.Open(wxString::FromUTF8(missing)), nullptr),
                orvtest::ExpectMessageBox("The image cannot be opened.\n\n" + wxString::FromUTF8(message), "orv-view"));
  EXPECT_TRUE(session.Viewers().empty());
  EXPECT_EQ(session.Recent().GetCount(), 0u);
}

// Cancelling a read is the user's choice: nothing is reported, nothing
// opens, and a cancelled start shows the sample instead of quitting.
TEST_F(OrvViewFiles, ACancelledReadSaysNothingAndKeepsWhatWasShown) {
  const std::string stack = Stack("stack.tif");
  const bix::ProgressCallback cancel = [](double) { return false; };
  ViewerSession session({}, Config());
  session.SetReadProgress(cancel);
  EXPECT_EQ(session.Open(wxString::FromUTF8(stack)), nullptr);  // no message box: the hook fails on one
  EXPECT_TRUE(session.Viewers().empty());
  EXPECT_EQ(session.Recent().GetCount(), 0u);
  orvview::ViewerOptions options;
  options.image = stack;
  bool cancelled = false;
  orv::orv_OrthoscopeFrame* start = orvview::OpenStartViewer(options, cancelled, cancel);
  ASSERT_NE(start, nullptr);
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(start->GetTitle().StartsWith("sample stack")) << start->GetTitle();
}

TEST(OrvViewSnapshot, AFailedWriteSaysWhy) {
  const wxImage picture(4, 3);
  EXPECT_EQ(orvview::SaveSnapshotPng(picture, "/no-such-folder/out.png"),
            "cannot write the snapshot /no-such-folder/out.png: No such file or directory");
}

TEST(OrvViewLink, BoxesOverlapWhenTheyShareVolume) {
  const bix::VOI<float> a{{0, 0, 0}, {10, 10, 10}};
  EXPECT_TRUE(orvview::BoxesOverlap(a, {{5, 5, 5}, {10, 10, 10}}));
  EXPECT_TRUE(orvview::BoxesOverlap(a, {{-1, -1, -1}, {20, 20, 20}}));
  EXPECT_FALSE(orvview::BoxesOverlap(a, {{10, 0, 0}, {10, 10, 10}})) << "touching faces";
  EXPECT_FALSE(orvview::BoxesOverlap(a, {{0, 0, 20}, {10, 10, 10}}));
}

namespace {

wxString Point(double x, double y, double z) { return wxString::Format("[%.3f, %.3f, %.3f]", x, y, z); }

// 40 x 30 x 12 voxels of 0.5 um (20 x 15 x 6 um) starting at `offset`.
orv::orv_OrthoscopeFrame* LinkViewer(bix::Vector3d<float> offset) {
  const bix::Resolution res(bix::Vector3d<float>(2, 2, 2));
  auto* image = new bix::Image3d<unsigned char>(bix::Vector3d<unsigned>(40, 30, 12), &offset, &res);
  unsigned i = 0;
  for (unsigned char& v : *image) v = static_cast<unsigned char>(i++);
  orv::orv_OrthoscopeFrame* frame = orv::orv_CreateImage3dFrame<unsigned char>(image, true, nullptr, wxID_ANY, "link");
  frame->Show();
  frame->GetCanvas()->InfoFrame_Show(true);
  return frame;
}

wxString CutText(orv::orv_OrthoscopeFrame* frame) {
  wxWindow* text = frame->GetCanvas()->InfoFrame_Get()->FindWindow(orv::ID_INFO_CUT_POSITION);
  return text ? text->GetLabel() : wxString("<no cut text>");
}

}  // namespace

TEST_F(OrvViewFiles, LinkedViewersFollowTheCutAndZoomOfTheOneInUseUntilUnlinked) {
  ViewerSession session({}, Config());
  orv::orv_OrthoscopeFrame* one = LinkViewer({0, 0, 0});
  orv::orv_OrthoscopeFrame* two = LinkViewer({0, 0, 0});
  orv::orv_OrthoscopeFrame* apart = LinkViewer({100, 0, 0});
  for (orv::orv_OrthoscopeFrame* frame : {one, two, apart}) session.Adopt(frame);
  orvtest::Pump();
  const wxString centre = Point(10.25, 7.75, 3.25);
  EXPECT_EQ(CutText(one), centre);
  EXPECT_EQ(CutText(two), centre);
  EXPECT_EQ(CutText(apart), Point(110.25, 7.75, 3.25));

  one->ProcessCommand(orvview::kLinkCutPointsId);
  EXPECT_TRUE(session.Link().IsLinked());
  for (orv::orv_OrthoscopeFrame* frame : {one, two, apart}) {
    frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(orvview::kLinkCutPointsId)) << "checked in every viewer";
  }

  // Page Down, typed into one's XY window: the next slice, 0.5 um deeper, in both.
  ASSERT_TRUE(orvtest::ShowAndActivate(one));
  ASSERT_TRUE(orvtest::FocusAndWait(one->GetCanvas()->GetDrWin(orv::PROJ_XY)));
  wxUIActionSimulator sim;
  sim.Char(WXK_PAGEDOWN);
  const wxString deeper = Point(10.25, 7.75, 3.75);
  EXPECT_TRUE(orvtest::PumpUntil([&] { return CutText(one) == deeper && CutText(two) == deeper; }))
      << CutText(one) << " and " << CutText(two);
  EXPECT_EQ(CutText(apart), Point(110.25, 7.75, 3.25)) << "a stack elsewhere keeps its cut";

  // A viewer opened while linked joins the others.
  orv::orv_OrthoscopeFrame* late = LinkViewer({0, 0, 0});
  session.Adopt(late);
  EXPECT_EQ(CutText(late), deeper);
  late->Destroy();
  EXPECT_TRUE(orvtest::PumpUntil([&] { return session.Viewers().size() == 3; }));

  // The other way round, and the zoom.
  orvtest::SendKeyDown(two->GetCanvas()->GetDrWin(orv::PROJ_XY), WXK_PAGEUP);
  EXPECT_TRUE(orvtest::PumpUntil([&] { return CutText(one) == centre && CutText(two) == centre; }));
  const int level = one->GetCanvas()->GetZoomLevel();
  two->ProcessCommand(orv::ID_ZOOM_IN);
  EXPECT_TRUE(orvtest::PumpUntil([&] { return one->GetCanvas()->GetZoomLevel() == level + 1; }));
  EXPECT_EQ(apart->GetCanvas()->GetZoomLevel(), level + 1) << "the zoom follows everywhere";
  one->ProcessCommand(orv::ID_NORMAL_ZOOM);
  EXPECT_TRUE(orvtest::PumpUntil([&] { return two->GetCanvas()->GetZoomLevel() == 0; }));

  // Unlinked: each viewer on its own again.
  two->ProcessCommand(orvview::kLinkCutPointsId);
  EXPECT_FALSE(session.Link().IsLinked());
  orvtest::SendKeyDown(one->GetCanvas()->GetDrWin(orv::PROJ_XY), WXK_PAGEDOWN);
  one->ProcessCommand(orv::ID_ZOOM_OUT);
  EXPECT_TRUE(orvtest::PumpUntil([&] { return CutText(one) == deeper; }));
  orvtest::Pump();
  EXPECT_EQ(CutText(two), centre);
  EXPECT_EQ(two->GetCanvas()->GetZoomLevel(), 0);
  EXPECT_EQ(one->GetCanvas()->GetZoomLevel(), -1);
}

TEST(OrvViewConfig, TheRecentFilesLiveInTheUsersConfigurationFolder) {
  wxString saved;
  const bool had = wxGetEnv("XDG_CONFIG_HOME", &saved);
  wxSetEnv("XDG_CONFIG_HOME", "/tmp/orv-config-test");
  EXPECT_EQ(orvview::DefaultConfigFile(), "/tmp/orv-config-test/orv-view.conf");
  if (had)
    wxSetEnv("XDG_CONFIG_HOME", saved);
  else
    wxUnsetEnv("XDG_CONFIG_HOME");
}
