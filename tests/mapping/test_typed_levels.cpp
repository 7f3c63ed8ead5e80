// A level typed into the levels dialog with real keys: it applies on Enter
// and also when the field loses the focus (Tab, or a click elsewhere).

#include "gui_test.h"

#include <orv/gray_mapping.h>
#include <orv/levels_dialog.h>
#include <orv/orv_factory.h>

#include <wx/uiaction.h>

#include <memory>

namespace {

using Levels16 = orv::TLevelsParams<unsigned short, unsigned char>;

struct PreviewParent {
  PreviewParent() {
    frame = new wxFrame(nullptr, wxID_ANY, "viewer");
    frame->Bind(orv::orv_EVT_LEVELS_PREVIEW, [this](orv::orv_LevelsEvent& e) { levels.push_back(e.GetParams()); });
  }
  wxFrame* frame;
  std::vector<orv::TLevelsParams<float, float>> levels;
};

}  // namespace

TEST(TypedLevels, ATypedLevelAppliesWhenTheFieldLosesTheFocus) {
  PreviewParent parent;
  orv::Histogram<unsigned short> histogram;
  histogram.Init(0, 65535, 65536);
  histogram[35] = 10;
  histogram[7509] = 10;
  std::vector<orv::Histogram<unsigned short>*> histograms{&histogram};
  const std::vector<Levels16> records{{35, 27349, 1.0, 0, 255}};
  wxArrayString names;
  names.Add("Gray");
  auto* dialog = new orv::LevelsWidget<unsigned short, unsigned char>(parent.frame, wxID_ANY, histograms, records,
                                                                      names, "Adjust Levels");
  ASSERT_TRUE(orvtest::ShowAndActivate(dialog));
  auto* input = dialog->GetInputControl();
  wxTextCtrl* upper = input->GetUpperField();
  ASSERT_TRUE(orvtest::FocusAndWait(upper));
  upper->SelectAll();
  parent.levels.clear();
  wxUIActionSimulator sim;
  sim.Text("6000");
  ASSERT_TRUE(orvtest::PumpUntil([&] { return upper->GetValue() == "6000"; }));
  EXPECT_TRUE(parent.levels.empty()) << "typing alone applies nothing";
  sim.Char(WXK_TAB);
  EXPECT_TRUE(orvtest::PumpUntil([&] { return !parent.levels.empty(); }));
  ASSERT_FALSE(parent.levels.empty());
  EXPECT_EQ(parent.levels.back().in_max, 6000.0f);
  EXPECT_EQ(input->GetMarkers()->GetUpper(), 6000);
}

// The same in orv-view's viewer of 16-bit camera data: the levels dialog the
// menu opens previews a level typed and left with Tab, and OK keeps it.
TEST(TypedLevels, InTheViewersLevelsDialogTabAppliesTheTypedLevel) {
  using Module = orv::orv_GrayMappingModule<unsigned short>;
  const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
  auto* image = new bix::Image3d<unsigned short>(bix::Vector3d<unsigned>(20, 10, 4), nullptr, &res);
  unsigned i = 0;
  for (unsigned short& v : *image) v = (i++ % 2) ? 35 : 27349;
  orv::orv_OrthoscopeFrame* frame = orv::orv_CreateImage3dFrame<unsigned short>(image, true, nullptr, wxID_ANY, "v");
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  auto* module = dynamic_cast<Module*>(frame->GetEventHandler());
  ASSERT_NE(module, nullptr);
  const unsigned char shownBefore = module->GetIntensityLUT().Get(6000);
  ASSERT_LT(shownBefore, 255);

  using Dialog = orv::LevelsWidget<unsigned short, unsigned char>;
  auto typeAndTab = [&](Dialog* dialog) {
    dialog->Show();
    EXPECT_TRUE(orvtest::ShowAndActivate(dialog));
    wxTextCtrl* upper = dialog->GetInputControl()->GetUpperField();
    EXPECT_TRUE(orvtest::FocusAndWait(upper));
    upper->SelectAll();
    wxUIActionSimulator sim;
    sim.Text("6000");
    EXPECT_TRUE(orvtest::PumpUntil([&] { return upper->GetValue() == "6000"; }));
    EXPECT_EQ(module->GetIntensityLUT().Get(6000), shownBefore) << "typing alone previews nothing";
    sim.Char(WXK_TAB);
    EXPECT_TRUE(orvtest::PumpUntil([&] { return module->GetIntensityLUT().Get(6000) == 255; }))
        << "the image shows the typed level";
    EXPECT_EQ(dialog->GetInputControl()->GetMarkers()->GetUpper(),
              dialog->GetInputControl()->ValueToStep(6000)) << "and so does the marker";
    dialog->Hide();
    return dialog->Validate() && dialog->TransferDataFromWindow() ? int(wxID_OK) : int(wxID_CANCEL);
  };
  wxCommandEvent levels(wxEVT_MENU, module->GetMenuId(Module::MENU_LEVELS));
  wxTEST_DIALOG(frame->ProcessWindowEvent(levels), orvtest::ExpectDialog<Dialog>(typeAndTab));
  EXPECT_EQ(module->GetLevels().in_max, 6000);
  EXPECT_EQ(module->GetStretchMode(), 4);
  frame->Destroy();
}
