// The keys of a viewer: the accelerators of every menu label work from any
// window of the frame (pressed on the keyboard, through the X server), keys
// typed into text fields of dialogs stay text, and the key tables say what
// the code does.

#include "gui_test.h"

#include <orv/levels_dialog.h>
#include <orv/orv_factory.h>
#include <orv/orv_keys.h>

#include <wx/uiaction.h>

#include <memory>
#include <vector>

using namespace orv;

namespace {

// Pushed onto the frame's handler chain: sees every command the frame gets.
struct CommandRecorder : wxEvtHandler {
  CommandRecorder() {
    Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
      ids.push_back(e.GetId());
      e.Skip();
    });
  }
  std::vector<int> ids;
};

template <class T>
orv_OrthoscopeFrame* MakeViewer(T a, T b) {
  const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
  auto* image = new bix::Image3d<T>(bix::Vector3d<unsigned>(40, 30, 12), nullptr, &res);
  unsigned i = 0;
  for (T& v : *image) v = (i++ % 3) ? a : b;
  return orv_CreateImage3dFrame<T>(image, true, nullptr, wxID_ANY, "keys");
}

int SimulatorModifiers(int flags) {
  int modifiers = 0;
  if (flags & wxACCEL_ALT) modifiers |= wxMOD_ALT;
  if (flags & wxACCEL_CTRL) modifiers |= wxMOD_CONTROL;
  if (flags & wxACCEL_SHIFT) modifiers |= wxMOD_SHIFT;
  return modifiers;
}

// The simulator types letters as they come: lower case is the plain key.
int SimulatorKey(int keyCode) { return keyCode >= 'A' && keyCode <= 'Z' ? keyCode - 'A' + 'a' : keyCode; }

// Presses every accelerator of the viewer's menus with `target` focused and
// expects each to run its command once. Dialogs that commands open are
// answered with Cancel.
void PressEveryAccelerator(orv_OrthoscopeFrame* frame, wxWindow* target, size_t expectedKeys) {
  CommandRecorder recorder;
  frame->PushEventHandler(&recorder);
  const std::vector<orv_MenuKey> keys = MenuKeys(frame->GetMenuBar());
  EXPECT_EQ(keys.size(), expectedKeys);
  wxUIActionSimulator sim;
  for (const orv_MenuKey& key : keys) {
    // A command that does nothing here is greyed out: its key does nothing.
    frame->DoMenuUpdates();
    if (!frame->GetMenuBar()->IsEnabled(key.id)) {
      EXPECT_EQ(key.menu, "Mapping > Smart stretch");
      continue;
    }
    ASSERT_TRUE(orvtest::FocusAndWait(target)) << key.menu;
    recorder.ids.clear();
    auto pressed = [&] { return !recorder.ids.empty(); };
    wxTEST_DIALOG(
        {
          sim.Char(SimulatorKey(key.keyCode), SimulatorModifiers(key.flags));
          orvtest::PumpUntil(pressed);
        },
        orvtest::ExpectDialog<wxDialog>([](wxDialog*) { return int(wxID_CANCEL); }).Optional());
    EXPECT_EQ(recorder.ids, std::vector<int>{key.id}) << key.keys << " for " << key.menu;
    // "3D volume visualization" opens a window of its own, which takes the
    // keyboard: hide it once it is on screen and bring the viewer back.
    wxFrame* volume = frame->GetCanvas()->GetVolumeFrame();
    if (volume && volume->IsShown()) {
      ASSERT_TRUE(orvtest::ShowAndActivate(volume));
      volume->Hide();
      ASSERT_TRUE(orvtest::ShowAndActivate(frame));
    }
  }
  frame->PopEventHandler();
}

class ViewerKeys : public ::testing::Test {
protected:
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
};

}  // namespace

TEST(KeyTables, MenuKeysAreTheAcceleratorsOfTheLabels) {
  auto* frame = MakeViewer<unsigned char>(10, 200);
  const std::vector<orv_MenuKey> keys = MenuKeys(frame->GetMenuBar());
  std::vector<std::pair<wxString, wxString>> listed;
  for (const orv_MenuKey& k : keys) listed.emplace_back(k.keys, k.menu);
  const std::vector<std::pair<wxString, wxString>> expected = {
      {"Ctrl-S", "View > Save 3d data..."},
      {"Ctrl-V", "View > Save view..."},
      {"Ctrl-I", "View > Save gallery..."},
      {"Ctrl-E", "View > Adjust frame size"},
      {"V", "View > 3D volume visualization"},
      {"F2", "View > Zoom In"},
      {"F3", "View > Zoom Out"},
      {"1", "View > Normal Zoom"},
      {"A", "View > Auto Focus"},
      {"I", "View > Show info"},
      {"F9", "View > Axis > Reverse X"},
      {"F10", "View > Axis > Reverse Y"},
      {"F11", "View > Axis > Reverse Z"},
      {"Ctrl-P", "View > Preferences"},
      {"Alt-1", "Mapping > No stretch"},
      {"Alt-2", "Mapping > Linear stretch"},
      {"Alt-3", "Mapping > Smart stretch"},
      {"Alt-4", "Mapping > Percentil stretch"},
      {"Alt-5", "Mapping > Levels"},
      {"Alt-6", "Mapping > Threshold"},
  };
  EXPECT_EQ(listed, expected);

  EXPECT_EQ(FindMenuKey(keys, 'I', wxMOD_NONE), ID_SHOW_INFO);
  EXPECT_EQ(FindMenuKey(keys, 'i', wxMOD_NONE), ID_SHOW_INFO);
  EXPECT_EQ(FindMenuKey(keys, 'I', wxMOD_SHIFT), wxID_NONE) << "modifiers must match exactly";
  EXPECT_EQ(FindMenuKey(keys, 'I', wxMOD_CONTROL), ID_SAVE_GALLERY);
  EXPECT_EQ(FindMenuKey(keys, '1', wxMOD_NONE), ID_NORMAL_ZOOM);
  EXPECT_EQ(FindMenuKey(keys, WXK_F10, wxMOD_NONE), ID_REVERSE_Y);
  EXPECT_EQ(FindMenuKey(keys, 'P', wxMOD_CONTROL), ID_PREFERENCES);
  EXPECT_EQ(FindMenuKey(keys, 'Q', wxMOD_NONE), wxID_NONE);
  frame->Destroy();
}

TEST(KeyTables, CutWindowKeysMatchTheirModifiers) {
  auto action = [](int key, int modifiers) {
    const orv_CutKey* row = FindCutKey(key, modifiers);
    return row ? static_cast<int>(row->action) : -1;
  };
  EXPECT_EQ(action(WXK_LEFT, wxMOD_NONE), CUTKEY_SCROLL_LEFT);
  EXPECT_EQ(action(WXK_LEFT, wxMOD_CONTROL), CUTKEY_SCROLL_LEFT) << "arrows ignore modifiers";
  EXPECT_EQ(action(WXK_PAGEDOWN, wxMOD_NONE), CUTKEY_NEXT_SLICE);
  EXPECT_EQ(action(WXK_SPACE, wxMOD_NONE), CUTKEY_CUT_AT_MOUSE);
  EXPECT_EQ(action('c', wxMOD_NONE), CUTKEY_CENTER_AT_MOUSE);
  EXPECT_EQ(action('C', wxMOD_SHIFT), CUTKEY_CENTER_AT_MOUSE);
  EXPECT_EQ(action('C', wxMOD_ALT), CUTKEY_CENTER_ON_CUT);
  EXPECT_EQ(action('C', wxMOD_CONTROL), -1);
  EXPECT_EQ(action('C', wxMOD_ALT | wxMOD_CONTROL), -1);
  EXPECT_EQ(action('/', wxMOD_NONE), -1);
  EXPECT_EQ(action('/', wxMOD_ALT), CUTKEY_TOGGLE_LABELS);
  EXPECT_EQ(action('I', wxMOD_NONE), -1) << "menu keys are the frame's";
  EXPECT_EQ(CutWindowKeys().size(), 10u);
}

TEST_F(ViewerKeys, EveryAcceleratorWorksInACutWindowOfAGrayViewer) {
  orv_OrthoscopeFrame* frame = MakeViewer<unsigned char>(10, 200);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  PressEveryAccelerator(frame, canvas->GetDrWin(PROJ_XY), 20);
  // The commands did what their items say.
  EXPECT_EQ(canvas->GetZoomLevel(), 0) << "F2, F3, then 1";
  EXPECT_EQ(canvas->GetContent(PROJ_ALL), CONTENT_AUTOFOCUS) << "A";
  EXPECT_TRUE(canvas->InfoFrame_IsShown()) << "I";
  EXPECT_TRUE(canvas->IsAxisReversed(0) && canvas->IsAxisReversed(1) && canvas->IsAxisReversed(2));
}

TEST_F(ViewerKeys, EveryAcceleratorWorksAfterAClickIntoAnRGBViewersWindow) {
  using RGB8 = bix::RGB_generic<unsigned char>;
  orv_OrthoscopeFrame* frame = MakeViewer<RGB8>(RGB8(10, 20, 30), RGB8(200, 100, 50));
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  orv_DrWin3d* xz = frame->GetCanvas()->GetDrWin(PROJ_XZ);
  wxUIActionSimulator sim;
  sim.MouseMove(xz->ClientToScreen(wxPoint(5, 5)));
  sim.MouseClick();
  ASSERT_TRUE(orvtest::PumpUntil([xz] { return wxWindow::FindFocus() == xz; }));
  PressEveryAccelerator(frame, xz, 24);
  frame->GetCanvas()->InfoFrame_Show(false);
}

TEST_F(ViewerKeys, KeysTypedIntoADialogsFieldStayText) {
  orv_OrthoscopeFrame* frame = MakeViewer<unsigned char>(10, 200);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  CommandRecorder recorder;
  frame->PushEventHandler(&recorder);
  orv::Histogram<unsigned char> histogram;
  histogram.Init(0, 255, 256);
  std::vector<orv::Histogram<unsigned char>*> histograms{&histogram};
  const std::vector<orv::TLevelsParams<unsigned char, unsigned char>> records{{0, 255, 1.0, 0, 255}};
  wxArrayString names;
  names.Add("Gray");
  auto* dialog = new orv::LevelsWidget<unsigned char, unsigned char>(frame, wxID_ANY, histograms, records, names,
                                                                     "Adjust Levels");
  ASSERT_TRUE(orvtest::ShowAndActivate(dialog));
  // The level fields take digits only; "1" is Normal Zoom's key.
  wxTextCtrl* level = dialog->GetInputControl()->GetLowerField();
  ASSERT_TRUE(orvtest::FocusAndWait(level));
  level->Clear();
  wxUIActionSimulator sim;
  sim.Text("12");
  EXPECT_TRUE(orvtest::PumpUntil([level] { return level->GetValue() == "12"; })) << level->GetValue();

  // Any text field of a dialog over the viewer keeps the letters too.
  auto* note = new wxTextCtrl(dialog, wxID_ANY);
  ASSERT_TRUE(orvtest::FocusAndWait(note));
  sim.Text("via1");
  EXPECT_TRUE(orvtest::PumpUntil([note] { return note->GetValue() == "via1"; })) << note->GetValue();
  EXPECT_TRUE(recorder.ids.empty());
  EXPECT_EQ(frame->GetCanvas()->GetContent(PROJ_ALL), CONTENT_CUT);
  frame->PopEventHandler();
  dialog->Destroy();
}
