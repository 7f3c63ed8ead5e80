// Validators and range dialogs, driven as a user would: texts typed into the
// fields, buttons pressed, every message box answered with its exact words.

#include "gui_test.h"

#include <orv/range_dialogs.h>
#include <orv/validators.h>

#include <functional>

using orvtest::ExpectMessageBox;

namespace {

// A dialog with one text field carrying the validator under test.
struct FieldDialog {
  explicit FieldDialog(const wxValidator& validator) {
    dialog = new wxDialog(nullptr, wxID_ANY, "field");
    field = new wxTextCtrl(dialog, wxID_ANY);
    field->SetValidator(validator);
  }
  ~FieldDialog() { dialog->Destroy(); }
  bool Validate(const wxString& text) {
    field->ChangeValue(text);
    return dialog->Validate();
  }
  wxDialog* dialog;
  wxTextCtrl* field;
};

const char* kConflict = "Validation conflict";

}  // namespace

TEST(IntValidator, BoundsAreCheckedWithTheirMessages) {
  int value = 0;
  FieldDialog both(orv::IntValidator<int>(&value, 0, 255, false, true, true, "%d"));
  EXPECT_TRUE(both.Validate("255"));
  bool ok = true;
  wxTEST_DIALOG(ok = both.Validate("300"), ExpectMessageBox("The value 300 is out of range [0,255]", kConflict));
  EXPECT_FALSE(ok);
  wxTEST_DIALOG(ok = both.Validate("-1"), ExpectMessageBox("The value -1 is out of range [0,255]", kConflict));
  EXPECT_FALSE(ok);
  wxTEST_DIALOG(ok = both.Validate("-"), ExpectMessageBox("The value '-' cannot be converted to a long", kConflict));
  EXPECT_FALSE(ok);

  FieldDialog low(orv::IntValidator<int>(&value, 10, 20, false, true, false, "%d"));
  EXPECT_TRUE(low.Validate("1000"));
  wxTEST_DIALOG(ok = low.Validate("9"), ExpectMessageBox("The value cannot be less than 10", kConflict));
  EXPECT_FALSE(ok);

  FieldDialog high(orv::IntValidator<int>(&value, 10, 20, false, false, true, "%d"));
  EXPECT_TRUE(high.Validate("-1000"));
  wxTEST_DIALOG(ok = high.Validate("21"), ExpectMessageBox("The value cannot be greater than 20", kConflict));
  EXPECT_FALSE(ok);

  FieldDialog unbounded(orv::IntValidator<int>(&value, "%d"));
  EXPECT_TRUE(unbounded.Validate("123456"));

  // The character filter of a non-negative field refuses a minus sign with
  // the toolkit's own message.
  unsigned char byte = 0;
  FieldDialog digits(orv::IntValidator<unsigned char>(&byte, 0, 255, true, true, true, "%d"));
  wxTEST_DIALOG(ok = digits.Validate("-3"), orvtest::ExpectDialog<wxMessageDialog>([](wxMessageDialog* box) {
                  EXPECT_EQ(box->GetCaption(), kConflict);
                  return wxID_OK;
                }));
  EXPECT_FALSE(ok);
}

TEST(IntValidator, TransfersTheVariable) {
  unsigned char byte = 42;
  FieldDialog f(orv::IntValidator<unsigned char>(&byte, 0, 255, true, true, true, "%d"));
  f.dialog->TransferDataToWindow();
  EXPECT_EQ(f.field->GetValue(), "42");
  f.field->ChangeValue("7");
  EXPECT_TRUE(f.dialog->TransferDataFromWindow());
  EXPECT_EQ(byte, 7);
  f.field->ChangeValue("x");
  EXPECT_FALSE(f.dialog->TransferDataFromWindow());
  EXPECT_EQ(byte, 7);

  long wide = -1234567890123L;
  FieldDialog l(orv::IntValidator<long>(&wide, "%ld"));
  l.dialog->TransferDataToWindow();
  EXPECT_EQ(l.field->GetValue(), "-1234567890123");

  unsigned int u = 4000000000u;
  FieldDialog uf(orv::IntValidator<unsigned int>(&u, "%u"));
  uf.dialog->TransferDataToWindow();
  EXPECT_EQ(uf.field->GetValue(), "4000000000");
  uf.field->ChangeValue("4000000001");
  EXPECT_TRUE(uf.dialog->TransferDataFromWindow());
  EXPECT_EQ(u, 4000000001u);

  unsigned long ul = 0;
  FieldDialog unsupported(orv::IntValidator<unsigned long>(&ul, "%lu"));
  unsupported.field->ChangeValue("5");
  bool ok = true;
  wxTEST_DIALOG(ok = unsupported.dialog->TransferDataFromWindow(),
                ExpectMessageBox("IntValidator::GetIntValue: Only long, int, unsigned int, Gray8 and Gray16 types are supported.",
                                 "Message"));
  EXPECT_FALSE(ok);
}

TEST(RealValidator, FormatsBoundsAndConversion) {
  float f = 0.5f;
  FieldDialog fd(orv::RealValidator<float>(&f, 0.f, 1.f, true, true, ""));
  fd.dialog->TransferDataToWindow();
  EXPECT_EQ(fd.field->GetValue(), "0.500000");
  bool ok = true;
  wxTEST_DIALOG(ok = fd.Validate("1.5"),
                ExpectMessageBox("The value 1.500000 is out of range [0.000000,1.000000]", kConflict));
  EXPECT_FALSE(ok);
  wxTEST_DIALOG(ok = fd.Validate("1e"), ExpectMessageBox("The value '1e' cannot be converted to a double", kConflict));
  EXPECT_FALSE(ok);
  fd.field->ChangeValue("0.25");
  EXPECT_TRUE(fd.dialog->TransferDataFromWindow());
  EXPECT_EQ(f, 0.25f);

  double d = 0.1;
  orv::RealValidator<double> dv(&d, 0.0, 0.0, false, false, "");
  FieldDialog dd(dv);
  dd.dialog->TransferDataToWindow();
  EXPECT_EQ(dd.field->GetValue(), "0.1");
  dv.SetMin(-2.0);
  dv.SetMax(3.0);
  EXPECT_EQ(dv.GetMin(), -2.0);
  EXPECT_EQ(dv.GetMax(), 3.0);
}

TEST(RangeDialogs, FloatDialogShowsLimitsAndRefusesAnEmptyRange) {
  float min = 0.2f, max = 0.4f;
  auto* dialog = new orv::SetFloatRangeDlg(nullptr, 0.f, 1.f, &min, &max);
  EXPECT_EQ(dialog->GetTitle(), "Set Range");
  EXPECT_EQ(dialog->min_limit_text->GetLabel(), "0.000000");
  EXPECT_EQ(dialog->max_limit_text->GetLabel(), "1.000000");
  EXPECT_EQ(dialog->FindWindow(10004), dialog->_min_value_ctrl);
  EXPECT_EQ(dialog->FindWindow(10005), dialog->_max_value_ctrl);
  dialog->InitDialog();
  EXPECT_EQ(dialog->_min_value_ctrl->GetValue(), "0.200000");

  dialog->_min_value_ctrl->ChangeValue("0.5");
  dialog->_max_value_ctrl->ChangeValue("0.5");
  wxTEST_DIALOG(orvtest::ClickButton(dialog, wxID_OK),
                ExpectMessageBox("Min value must be less than max value.", "Message"));
  EXPECT_EQ(min, 0.2f);
  EXPECT_EQ(max, 0.4f);

  dialog->_max_value_ctrl->ChangeValue("0.75");
  orvtest::ClickButton(dialog, wxID_OK);
  EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
  EXPECT_EQ(min, 0.5f);
  EXPECT_EQ(max, 0.75f);
  dialog->Destroy();
}

// Float limits and values rarely have a six-decimal text of their own: a
// dialog accepted as shown keeps the exact limits and values, and a typed
// limit is the float limit, not a double just below or above it.
TEST(RangeDialogs, FloatDialogAcceptsItsOwnLimitsAndValuesAsShown) {
  // Opens the dialog, lets `act` check or edit it, presses OK.
  auto acceptAsShown = [](float lo, float hi, float& min, float& max,
                          std::function<void(orv::SetFloatRangeDlg*)> act) {
    bool accepted = false;
    wxTEST_DIALOG(accepted = orv::GetFloatRangeFromUser(nullptr, lo, hi, min, max),
                  orvtest::ExpectDialog<orv::SetFloatRangeDlg>([&act](orv::SetFloatRangeDlg* d) {
                    d->InitDialog();
                    act(d);
                    orvtest::ClickButton(d, wxID_OK);
                    return d->GetReturnCode();
                  }));
    return accepted;
  };
  const float lo = 0.1f, hi = 0.9f;
  float min = lo, max = hi;
  EXPECT_TRUE(acceptAsShown(lo, hi, min, max, [](orv::SetFloatRangeDlg* d) {
    EXPECT_EQ(d->_min_value_ctrl->GetValue(), "0.100000");
  }));
  EXPECT_EQ(min, lo);
  EXPECT_EQ(max, hi);

  // Limits whose six decimals lie outside them, values between limits.
  const float tiny = 0.001953125f, third = 1.f / 3, inside = 0.123456789f;
  min = inside;
  max = third;
  EXPECT_TRUE(acceptAsShown(tiny, third, min, max, [](orv::SetFloatRangeDlg* d) {
    EXPECT_EQ(d->_max_value_ctrl->GetValue(), "0.333333");
  }));
  EXPECT_EQ(min, inside);
  EXPECT_EQ(max, third);
  EXPECT_TRUE(acceptAsShown(tiny, third, min, max, [](orv::SetFloatRangeDlg* d) {
    d->_min_value_ctrl->ChangeValue("0.001953");  // the lower limit as shown
  }));
  EXPECT_EQ(min, tiny);

  float f = 0.5f;
  FieldDialog typed(orv::RealValidator<float>(&f, lo, hi, true, true, ""));
  EXPECT_TRUE(typed.Validate("0.1"));
  EXPECT_TRUE(typed.Validate("0.9"));
  bool ok = true;
  wxTEST_DIALOG(ok = typed.Validate("0.0999999"),
                ExpectMessageBox("The value 0.100000 is out of range [0.100000,0.900000]", kConflict));
  EXPECT_FALSE(ok);
  wxTEST_DIALOG(ok = typed.Validate("1e39"), ExpectMessageBox("The value inf is out of range [0.100000,0.900000]", kConflict));
  EXPECT_FALSE(ok);
}

TEST(RangeDialogs, LongDialogChecksEachFieldFirst) {
  long min = 0, max = 5;
  auto* dialog = new orv::SetLongRangeDlg(nullptr, -10, 10, &min, &max);
  EXPECT_EQ(dialog->min_limit_text->GetLabel(), "-10");
  EXPECT_EQ(dialog->max_limit_text->GetLabel(), "10");
  dialog->_min_value_ctrl->ChangeValue("-11");
  dialog->_max_value_ctrl->ChangeValue("3");
  wxTEST_DIALOG(orvtest::ClickButton(dialog, wxID_OK),
                ExpectMessageBox("The value -11 is out of range [-10,10]", kConflict));
  EXPECT_EQ(min, 0);
  dialog->Destroy();

  orvtest::AssertCapture capture;
  auto* inverted = new orv::SetLongRangeDlg(nullptr, 5, 5, &min, &max);
  ASSERT_EQ(capture.Messages().size(), 1u);
  EXPECT_NE(capture.Messages()[0].find("min_limit < max_limit"), std::string::npos);
  inverted->Destroy();
}

TEST(RangeDialogs, GetRangeFromUserChangesTheRangeOnlyOnOK) {
  long min = 1, max = 2;
  bool accepted = false;
  wxTEST_DIALOG(accepted = orv::GetLongRangeFromUser(nullptr, 0, 100, min, max),
                orvtest::ExpectDialog<orv::SetLongRangeDlg>([](orv::SetLongRangeDlg* d) {
                  d->InitDialog();
                  EXPECT_EQ(d->_min_value_ctrl->GetValue(), "1");
                  d->_min_value_ctrl->ChangeValue("10");
                  d->_max_value_ctrl->ChangeValue("90");
                  orvtest::ClickButton(d, wxID_OK);
                  return d->GetReturnCode();
                }));
  EXPECT_TRUE(accepted);
  EXPECT_EQ(min, 10);
  EXPECT_EQ(max, 90);

  float fmin = 0.1f, fmax = 0.2f;
  wxTEST_DIALOG(accepted = orv::GetFloatRangeFromUser(nullptr, 0.f, 1.f, fmin, fmax),
                orvtest::ExpectDialog<orv::SetFloatRangeDlg>([](orv::SetFloatRangeDlg* d) {
                  d->InitDialog();
                  d->_min_value_ctrl->ChangeValue("0.3");
                  return wxID_CANCEL;
                }));
  EXPECT_FALSE(accepted);
  EXPECT_EQ(fmin, 0.1f);
  EXPECT_EQ(fmax, 0.2f);
}

TEST(RangeDialogs, RGBApplyButtonsFollowTheOtherChannelsLimits) {
  using C = bix::RGB_generic<unsigned char>;
  C min(0, 0, 0), max(255, 100, 100);
  auto* dialog = new orv::SetRGBRangeDlg<unsigned char>(nullptr, C(0, 0, 0), C(255, 100, 100), &min, &max);
  EXPECT_EQ(dialog->FindWindow(10010), dialog->_red_apply_button);
  EXPECT_EQ(dialog->FindWindow(10019), dialog->_blue_max_value_ctrl);
  EXPECT_EQ(dialog->green_max_limit_text->GetLabel(), "100");
  dialog->InitDialog();
  EXPECT_EQ(dialog->_red_max_value_ctrl->GetValue(), "255");
  auto enabled = [&](wxButton* b) {
    dialog->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    return b->IsEnabled();
  };
  dialog->_red_min_value_ctrl->ChangeValue("0");
  dialog->_red_max_value_ctrl->ChangeValue("200");
  EXPECT_FALSE(enabled(dialog->_red_apply_button));
  dialog->_red_max_value_ctrl->ChangeValue("100");
  EXPECT_TRUE(enabled(dialog->_red_apply_button));
  dialog->_red_min_value_ctrl->ChangeValue("101");  // min above max
  EXPECT_FALSE(enabled(dialog->_red_apply_button));
  dialog->_red_min_value_ctrl->ChangeValue("x");
  EXPECT_FALSE(enabled(dialog->_red_apply_button));
  // Green 0..100 fits red's limits and blue's.
  EXPECT_TRUE(enabled(dialog->_green_apply_button));

  dialog->_red_min_value_ctrl->ChangeValue("10");
  dialog->_red_max_value_ctrl->ChangeValue("90");
  orvtest::ClickButton(dialog, 10010);
  EXPECT_EQ(dialog->_green_min_value_ctrl->GetValue(), "10");
  EXPECT_EQ(dialog->_blue_max_value_ctrl->GetValue(), "90");

  // "-" can be typed; the range check refuses the negative value on OK.
  dialog->_blue_min_value_ctrl->ChangeValue("-5");
  wxTEST_DIALOG(orvtest::ClickButton(dialog, wxID_OK),
                ExpectMessageBox("The value -5 is out of range [0,100]", kConflict));
  dialog->_blue_min_value_ctrl->ChangeValue("90");
  wxTEST_DIALOG(orvtest::ClickButton(dialog, wxID_OK),
                ExpectMessageBox("Min value must be less than max value.", "Message"));
  EXPECT_EQ(min, C(0, 0, 0));
  dialog->_blue_min_value_ctrl->ChangeValue("20");
  orvtest::ClickButton(dialog, wxID_OK);
  EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
  EXPECT_EQ(min, C(10, 10, 20));
  EXPECT_EQ(max, C(90, 90, 90));
  dialog->Destroy();
}
