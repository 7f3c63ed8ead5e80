#ifndef ORV_VARIABLE_TEXTCTRL_H
#define ORV_VARIABLE_TEXTCTRL_H

#include <orv/orv_export.h>

#include <wx/event.h>
#include <wx/textctrl.h>

namespace orv {

class orv_VariableTextCtrlEvent;
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_VARIABLE_TEXTCTRL, orv_VariableTextCtrlEvent);

// A number entered in a VariableTextCtrl; the id is the field's window id.
class ORV_EXPORT orv_VariableTextCtrlEvent : public wxEvent {
public:
  orv_VariableTextCtrlEvent(int id = 0, double value = 0.0)
      : wxEvent(id, orv_EVT_VARIABLE_TEXTCTRL), m_value(value) {}
  double GetValue() const { return m_value; }
  wxEvent* Clone() const override { return new orv_VariableTextCtrlEvent(*this); }

private:
  double m_value;
};

// The step between neighbouring positions of a range split into `steps`:
// (highest - lowest + 1) / steps for integers (1 when there is one step per
// value), (highest - lowest) / steps for floating-point values.
template <class T>
ORV_EXPORT T StepIncrement(T lowest, T highest, int steps);

// A small numeric field bound to a variable, with the range lowest..highest.
// Enter or leaving the field takes a typed value (clamped into the range; a
// text that is no value of T is replaced by the variable's value); Up and
// Down step by the increment. Each taken value is reported to the parent as
// an orv_VariableTextCtrlEvent.
template <class T>
class ORV_EXPORT VariableTextCtrl : public wxTextCtrl {
public:
  VariableTextCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition);

  void Attach(T* variable, T lowest, T highest, T defaultValue, int steps);
  // Shows a value without marking the field as edited.
  void ShowValue(T value);
  // The printf format values are shown in ("%lld", "%g", or "%2.2f" for the
  // double gamma fields); validators that read the text back use it too.
  static const char* DisplayFormat();
  // The field's text as a value of T; false when it is none.
  bool ReadValue(T& value) const;

  T GetLowest() const { return m_lowest; }
  T GetHighest() const { return m_highest; }
  T GetDefault() const { return m_default; }
  T GetIncrement() const { return m_increment; }
  int GetSteps() const { return m_steps; }
  T* GetVariable() const { return m_variable; }

private:
  void Commit();
  void Report(T value);
  void OnEnter(wxCommandEvent& event);
  void OnKillFocus(wxFocusEvent& event);
  void OnKeyDown(wxKeyEvent& event);

  T* m_variable = nullptr;
  T m_lowest{}, m_highest{}, m_default{}, m_increment{};
  int m_steps = 1;
};

}  // namespace orv

#endif
