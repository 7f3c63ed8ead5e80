#ifndef ORV_RANGE_DIALOGS_H
#define ORV_RANGE_DIALOGS_H

#include <orv/orv_export.h>

#include <bix/RGB.h>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace orv {

// The "Set Range" dialog for a minimum and a maximum inside [min limit, max
// limit] (V = float or long). OK validates both fields, refuses max <= min
// with "Min value must be less than max value." and only then stores the
// values in the bound variables.
template <class V>
class ORV_EXPORT SetRangeDlgBase : public wxDialog {
public:
  SetRangeDlgBase(wxWindow* parent, V min_limit, V max_limit, V* min, V* max);

  wxStaticText* min_limit_text;
  wxStaticText* max_limit_text;
  wxTextCtrl* _min_value_ctrl;
  wxTextCtrl* _max_value_ctrl;

private:
  void OnOK(wxCommandEvent& event);
};

class ORV_EXPORT SetFloatRangeDlg : public SetRangeDlgBase<float> {
public:
  using SetRangeDlgBase<float>::SetRangeDlgBase;
};

class ORV_EXPORT SetLongRangeDlg : public SetRangeDlgBase<long> {
public:
  using SetRangeDlgBase<long>::SetRangeDlgBase;
};

// The same per channel for RGB data (T = channel type), with a button per
// channel that copies its range to the two other channels.
template <class T>
class ORV_EXPORT SetRGBRangeDlg : public wxDialog {
public:
  using Colour = bix::RGB_generic<T>;
  SetRGBRangeDlg(wxWindow* parent, const Colour& min_limit, const Colour& max_limit, Colour* min, Colour* max);

  wxStaticText *red_min_limit_text, *red_max_limit_text;
  wxTextCtrl *_red_min_value_ctrl, *_red_max_value_ctrl;
  wxButton* _red_apply_button;
  wxStaticText *green_min_limit_text, *green_max_limit_text;
  wxTextCtrl *_green_min_value_ctrl, *_green_max_value_ctrl;
  wxButton* _green_apply_button;
  wxStaticText *blue_min_limit_text, *blue_max_limit_text;
  wxTextCtrl *_blue_min_value_ctrl, *_blue_max_value_ctrl;
  wxButton* _blue_apply_button;

private:
  void OnOK(wxCommandEvent& event);
  void OnApply(wxCommandEvent& event);
  void OnUpdateApply(wxUpdateUIEvent& event);
  // Channel c's fields as numbers; false when either does not convert.
  bool ReadChannel(int c, long& min, long& max) const;
  wxTextCtrl* MinField(int c) const;
  wxTextCtrl* MaxField(int c) const;

  Colour m_minLimit, m_maxLimit;
};

// Runs the float or long range dialog; true when the user accepted, and then
// min and max hold the new range (unchanged otherwise).
ORV_EXPORT bool GetFloatRangeFromUser(wxWindow* parent, float min_limit, float max_limit, float& min, float& max);
ORV_EXPORT bool GetLongRangeFromUser(wxWindow* parent, long min_limit, long max_limit, long& min, long& max);

}  // namespace orv

#endif
