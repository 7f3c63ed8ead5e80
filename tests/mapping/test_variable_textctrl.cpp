// The numeric field of the level controls: typed values, Enter, leaving the
// field, arrow stepping, and what it reports to its parent.

#include "gui_test.h"

#include <orv/variable_textctrl.h>

#include <vector>

namespace {

// A frame that records the values its fields report.
struct FieldFrame {
  FieldFrame() {
    frame = new wxFrame(nullptr, wxID_ANY, "fields");
    panel = new wxPanel(frame);
    panel->Bind(orv::orv_EVT_VARIABLE_TEXTCTRL, [this](orv::orv_VariableTextCtrlEvent& e) {
      reports.push_back(e.GetValue());
      ids.push_back(e.GetId());
    });
  }
  ~FieldFrame() {
    frame->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  template <class Field>
  void Type(Field* field, const wxString& text) {
    field->ChangeValue(text);
    field->MarkDirty();
  }
  template <class Field>
  void Enter(Field* field) {
    wxCommandEvent enter(wxEVT_TEXT_ENTER, field->GetId());
    enter.SetEventObject(field);
    field->GetEventHandler()->ProcessEvent(enter);
  }
  wxFrame* frame;
  wxPanel* panel;
  std::vector<double> reports;
  std::vector<int> ids;
};

}  // namespace

TEST(VariableTextCtrl, IncrementsFollowTheStepCount) {
  EXPECT_EQ(orv::StepIncrement<unsigned char>(0, 255, 256), 1);
  EXPECT_EQ(orv::StepIncrement<unsigned short>(0, 65535, 256), 256);
  EXPECT_EQ(orv::StepIncrement<int>(-10, 9, 20), 1);
  EXPECT_DOUBLE_EQ(orv::StepIncrement<double>(0.1, 10.0, 99), 0.1);
  EXPECT_FLOAT_EQ(orv::StepIncrement<float>(0.f, 2.56f, 256), 0.01f);
  EXPECT_EQ(orv::StepIncrement<int>(0, 10, 100), 1) << "never a zero step";
}

TEST(VariableTextCtrl, TypedValuesAreClampedOrRefused) {
  FieldFrame f;
  unsigned char level = 10;
  auto* field = new orv::VariableTextCtrl<unsigned char>(f.panel, 20001);
  field->Attach(&level, 0, 200, 0, 256);
  EXPECT_EQ(field->GetValue(), "10");

  f.Type(field, "300");  // not an 8-bit value: the variable's value comes back
  f.Enter(field);
  EXPECT_EQ(field->GetValue(), "10");
  EXPECT_TRUE(f.reports.empty());
  f.Type(field, "-5");
  f.Enter(field);
  EXPECT_EQ(field->GetValue(), "10");
  f.Type(field, "abc");
  f.Enter(field);
  EXPECT_EQ(field->GetValue(), "10");
  EXPECT_TRUE(f.reports.empty());

  f.Type(field, "77");
  f.Enter(field);
  ASSERT_EQ(f.reports, std::vector<double>{77});
  EXPECT_EQ(f.ids, std::vector<int>{20001});
  f.Type(field, "250");  // an 8-bit value above the field's highest
  f.Enter(field);
  EXPECT_EQ(f.reports.back(), 200);
  EXPECT_EQ(field->GetValue(), "200");

  f.Enter(field);  // nothing typed since: nothing reported
  EXPECT_EQ(f.reports.size(), 2u);
  EXPECT_EQ(level, 10) << "the field reports; the owner stores";
}

TEST(VariableTextCtrl, LeavingTheFieldTakesTheTypedValue) {
  FieldFrame f;
  unsigned short level = 1000;
  auto* field = new orv::VariableTextCtrl<unsigned short>(f.panel, 20000);
  field->Attach(&level, 100, 60000, 60000, 65536);
  f.Type(field, "50");
  wxFocusEvent leave(wxEVT_KILL_FOCUS, field->GetId());
  leave.SetEventObject(field);
  field->GetEventHandler()->ProcessEvent(leave);
  EXPECT_EQ(f.reports, std::vector<double>{100});
}

TEST(VariableTextCtrl, ArrowKeysStepWithinTheRange) {
  FieldFrame f;
  unsigned char level = 254;
  auto* field = new orv::VariableTextCtrl<unsigned char>(f.panel, 20001);
  field->Attach(&level, 0, 255, 0, 256);
  orvtest::SendKeyDown(field, WXK_UP);
  EXPECT_EQ(field->GetValue(), "255");
  orvtest::SendKeyDown(field, WXK_UP);
  EXPECT_EQ(field->GetValue(), "255");
  EXPECT_EQ(f.reports, (std::vector<double>{255, 255}));
  field->ShowValue(0);
  orvtest::SendKeyDown(field, WXK_DOWN);  // no wrap below zero
  EXPECT_EQ(field->GetValue(), "0");
  EXPECT_FALSE(orvtest::SendKeyDown(field, 'x'));  // other keys pass on

  double gamma = 1.0;
  auto* gammaField = new orv::VariableTextCtrl<double>(f.panel, 20002);
  gammaField->Attach(&gamma, 0.1, 10.0, 1.0, 99);
  EXPECT_EQ(gammaField->GetValue(), "1.00");
  orvtest::SendKeyDown(gammaField, WXK_UP);
  EXPECT_EQ(gammaField->GetValue(), "1.10");
  EXPECT_NEAR(f.reports.back(), 1.1, 1e-9);
  gammaField->ShowValue(0.15);
  orvtest::SendKeyDown(gammaField, WXK_DOWN);
  EXPECT_EQ(gammaField->GetValue(), "0.10");
  EXPECT_EQ(f.ids.back(), 20002);
}

namespace {

template <class T>
void ExpectWidestValueVisible(FieldFrame& f, const wxString& widest) {
  auto* field = new orv::VariableTextCtrl<T>(f.panel, wxID_ANY);
  field->ChangeValue(widest);
  const int extent = field->GetTextExtent(widest).x;
  EXPECT_LT(extent, field->GetClientSize().x) << widest;
  EXPECT_LE(field->GetSizeFromTextSize(extent).x, field->GetSize().x) << widest << ": GTK's padding cuts it";
  EXPECT_GE(field->GetSize().x, 40) << "never narrower than the written width";
}

}  // namespace

// With GTK's default font a 40-pixel field showed "566" of 5660.
TEST(VariableTextCtrl, TheWidestValueOfEveryTypeIsFullyVisible) {
  FieldFrame f;
  ExpectWidestValueVisible<unsigned char>(f, "255");
  ExpectWidestValueVisible<unsigned short>(f, "65535");
  ExpectWidestValueVisible<int>(f, "-2147483648");
  ExpectWidestValueVisible<float>(f, "-8.88888e+38");
  ExpectWidestValueVisible<double>(f, "10.00");
}
