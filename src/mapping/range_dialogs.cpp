#include <orv/range_dialogs.h>
#include <orv/validators.h>

#include "../wdr/dlg_set_range_wdr.h"
#include "../wdr/dialog_child.h"

#include <bix/Types.h>

#include <wx/msgdlg.h>

#include <type_traits>

namespace orv {

namespace {

constexpr long kDialogStyle = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER;
const char* const kMinNotBelowMax = "Min value must be less than max value.";

template <class V>
bool ReadNumber(const wxTextCtrl* field, V& value) {
  if constexpr (std::is_floating_point_v<V>) {
    double v = 0;
    if (!field->GetValue().ToDouble(&v)) return false;
    value = static_cast<V>(v);
  } else {
    long v = 0;
    if (!field->GetValue().ToLong(&v, 10)) return false;
    value = static_cast<V>(v);
  }
  return true;
}

// Ends the dialog with OK, also when it was shown without a modal loop.
void AcceptDialog(wxDialog* dialog) {
  if (dialog->IsModal()) {
    dialog->EndModal(wxID_OK);
  } else {
    dialog->SetReturnCode(wxID_OK);
    dialog->Show(false);
  }
}

}  // namespace

template <class V>
SetRangeDlgBase<V>::SetRangeDlgBase(wxWindow* parent, V min_limit, V max_limit, V* min, V* max)
    : wxDialog(parent, wxID_ANY, "Set Range", wxDefaultPosition, wxDefaultSize, kDialogStyle) {
  wxASSERT(min_limit < max_limit);
  SetRangeDialogFunc(this);
  min_limit_text = Child<wxStaticText>(this, ID_MIN_LIMIT_TEXT);
  max_limit_text = Child<wxStaticText>(this, ID_MAX_LIMIT_TEXT);
  _min_value_ctrl = Child<wxTextCtrl>(this, ID_MIN_VALUE);
  _max_value_ctrl = Child<wxTextCtrl>(this, ID_MAX_VALUE);
  if constexpr (std::is_floating_point_v<V>) {
    min_limit_text->SetLabel(wxString::Format("%f", min_limit));
    max_limit_text->SetLabel(wxString::Format("%f", max_limit));
    _min_value_ctrl->SetValidator(RealValidator<V>(min, min_limit, max_limit, true, true, ""));
    _max_value_ctrl->SetValidator(RealValidator<V>(max, min_limit, max_limit, true, true, ""));
  } else {
    min_limit_text->SetLabel(wxString::Format("%ld", static_cast<long>(min_limit)));
    max_limit_text->SetLabel(wxString::Format("%ld", static_cast<long>(max_limit)));
    _min_value_ctrl->SetValidator(IntValidator<V>(min, min_limit, max_limit, false, true, true, "%d"));
    _max_value_ctrl->SetValidator(IntValidator<V>(max, min_limit, max_limit, false, true, true, "%d"));
  }
  GetSizer()->SetSizeHints(this);
  Bind(wxEVT_BUTTON, &SetRangeDlgBase::OnOK, this, wxID_OK);
}

template <class V>
void SetRangeDlgBase<V>::OnOK(wxCommandEvent&) {
  if (!Validate()) return;
  V min{}, max{};
  if (!ReadNumber(_min_value_ctrl, min) || !ReadNumber(_max_value_ctrl, max) || max <= min) {
    wxMessageBox(kMinNotBelowMax, wxMessageBoxCaptionStr, wxOK | wxCENTRE, this);
    return;
  }
  if (TransferDataFromWindow()) AcceptDialog(this);
}

template <class T>
SetRGBRangeDlg<T>::SetRGBRangeDlg(wxWindow* parent, const Colour& min_limit, const Colour& max_limit, Colour* min,
                                  Colour* max)
    : wxDialog(parent, wxID_ANY, "Set Range", wxDefaultPosition, wxDefaultSize, kDialogStyle),
      m_minLimit(min_limit),
      m_maxLimit(max_limit) {
  SetRGBRangeDialogFunc(this);
  wxStaticText** minTexts[3] = {&red_min_limit_text, &green_min_limit_text, &blue_min_limit_text};
  wxStaticText** maxTexts[3] = {&red_max_limit_text, &green_max_limit_text, &blue_max_limit_text};
  wxTextCtrl** minFields[3] = {&_red_min_value_ctrl, &_green_min_value_ctrl, &_blue_min_value_ctrl};
  wxTextCtrl** maxFields[3] = {&_red_max_value_ctrl, &_green_max_value_ctrl, &_blue_max_value_ctrl};
  wxButton** buttons[3] = {&_red_apply_button, &_green_apply_button, &_blue_apply_button};
  for (int c = 0; c < 3; ++c) {
    const int first = ID_RGB_FIRST + c * ID_RGB_PER_CHANNEL;
    *minTexts[c] = Child<wxStaticText>(this, first);
    *maxTexts[c] = Child<wxStaticText>(this, first + 1);
    *minFields[c] = Child<wxTextCtrl>(this, first + 2);
    *maxFields[c] = Child<wxTextCtrl>(this, first + 3);
    *buttons[c] = Child<wxButton>(this, first + 4);
    const T lo = min_limit.GetComponent(c), hi = max_limit.GetComponent(c);
    (*minTexts[c])->SetLabel(wxString::Format("%d", static_cast<int>(lo)));
    (*maxTexts[c])->SetLabel(wxString::Format("%d", static_cast<int>(hi)));
    (*minFields[c])->SetValidator(IntValidator<T>(&min->GetComponent(c), lo, hi, false, true, true, "%d"));
    (*maxFields[c])->SetValidator(IntValidator<T>(&max->GetComponent(c), lo, hi, false, true, true, "%d"));
    Bind(wxEVT_BUTTON, &SetRGBRangeDlg::OnApply, this, first + 4);
    Bind(wxEVT_UPDATE_UI, &SetRGBRangeDlg::OnUpdateApply, this, first + 4);
  }
  GetSizer()->SetSizeHints(this);
  Bind(wxEVT_BUTTON, &SetRGBRangeDlg::OnOK, this, wxID_OK);
}

template <class T>
wxTextCtrl* SetRGBRangeDlg<T>::MinField(int c) const {
  return c == 0 ? _red_min_value_ctrl : (c == 1 ? _green_min_value_ctrl : _blue_min_value_ctrl);
}

template <class T>
wxTextCtrl* SetRGBRangeDlg<T>::MaxField(int c) const {
  return c == 0 ? _red_max_value_ctrl : (c == 1 ? _green_max_value_ctrl : _blue_max_value_ctrl);
}

template <class T>
bool SetRGBRangeDlg<T>::ReadChannel(int c, long& min, long& max) const {
  return ReadNumber(MinField(c), min) && ReadNumber(MaxField(c), max);
}

template <class T>
void SetRGBRangeDlg<T>::OnOK(wxCommandEvent&) {
  if (!Validate()) return;
  for (int c = 0; c < 3; ++c) {
    long min = 0, max = 0;
    if (!ReadChannel(c, min, max) || max <= min) {
      wxMessageBox(kMinNotBelowMax, wxMessageBoxCaptionStr, wxOK | wxCENTRE, this);
      return;
    }
  }
  if (TransferDataFromWindow()) AcceptDialog(this);
}

template <class T>
void SetRGBRangeDlg<T>::OnApply(wxCommandEvent& event) {
  const int c = (event.GetId() - ID_RGB_FIRST) / ID_RGB_PER_CHANNEL;
  for (int other = 0; other < 3; ++other) {
    if (other == c) continue;
    MinField(other)->SetValue(MinField(c)->GetValue());
    MaxField(other)->SetValue(MaxField(c)->GetValue());
  }
}

template <class T>
void SetRGBRangeDlg<T>::OnUpdateApply(wxUpdateUIEvent& event) {
  const int c = (event.GetId() - ID_RGB_FIRST) / ID_RGB_PER_CHANNEL;
  long min = 0, max = 0;
  bool enable = ReadChannel(c, min, max) && min <= max;
  for (int other = 0; enable && other < 3; ++other) {
    if (other == c) continue;
    const long lo = m_minLimit.GetComponent(other), hi = m_maxLimit.GetComponent(other);
    enable = min >= lo && min <= hi && max >= lo && max <= hi;
  }
  event.Enable(enable);
}

namespace {

// Runs a range dialog on copies, so the caller's range changes only on OK.
template <class Dialog, class V>
bool RunRangeDialog(wxWindow* parent, V min_limit, V max_limit, V& min, V& max) {
  V newMin = min, newMax = max;
  Dialog dialog(parent, min_limit, max_limit, &newMin, &newMax);
  if (dialog.ShowModal() != wxID_OK) return false;
  min = newMin;
  max = newMax;
  return true;
}

}  // namespace

bool GetFloatRangeFromUser(wxWindow* parent, float min_limit, float max_limit, float& min, float& max) {
  return RunRangeDialog<SetFloatRangeDlg>(parent, min_limit, max_limit, min, max);
}

bool GetLongRangeFromUser(wxWindow* parent, long min_limit, long max_limit, long& min, long& max) {
  return RunRangeDialog<SetLongRangeDlg>(parent, min_limit, max_limit, min, max);
}

template class SetRangeDlgBase<float>;
template class SetRangeDlgBase<long>;

// The RGB range dialog edits one colour voxel type's component values.
#define ORV_INSTANTIATE_RGB_RANGE_DIALOG(T) template class SetRGBRangeDlg<T::component_type>;
BIX_FOR_EACH_RGB_TYPE(ORV_INSTANTIATE_RGB_RANGE_DIALOG)

}  // namespace orv
