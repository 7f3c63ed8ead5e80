// A level typed into the levels dialog with real keys: it applies on Enter
// and also when the field loses the focus (Tab, or a click elsewhere).

#include "gui_test.h"

#include <orv/levels_dialog.h>

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
