#include <orv/variable_textctrl.h>

#include <bix/Types.h>

#include <algorithm>
#include <limits>
#include <type_traits>

namespace orv {

wxDEFINE_EVENT(orv_EVT_VARIABLE_TEXTCTRL, orv_VariableTextCtrlEvent);

template <class T>
T StepIncrement(T lowest, T highest, int steps) {
  steps = std::max(steps, 1);
  if constexpr (std::is_integral_v<T>) {
    const long long span = static_cast<long long>(highest) - static_cast<long long>(lowest) + 1;
    return static_cast<T>(std::max<long long>(span / steps, 1));
  } else {
    return static_cast<T>((static_cast<double>(highest) - static_cast<double>(lowest)) / steps);
  }
}

namespace {

// The longest text a value of T is shown with: five characters hold every
// 8- and 16-bit value and every gamma ("10.00"); int and float values need
// more (GTK drops a text longer than the limit, so the limit must hold them
// all), and a wider field to show them.
template <class T>
int FieldCharacters() {
  if constexpr (std::is_same_v<T, int>)
    return 11;  // "-2147483648"
  else if constexpr (std::is_same_v<T, float>)
    return 12;  // "%g": "-1.23457e+38"
  else
    return 5;
}

// The widest text a value of T is shown with.
template <class T>
const char* WidestValueText() {
  if constexpr (std::is_same_v<T, unsigned char>)
    return "255";
  else if constexpr (std::is_same_v<T, unsigned short>)
    return "65535";
  else if constexpr (std::is_same_v<T, int>)
    return "-2147483648";
  else if constexpr (std::is_same_v<T, float>)
    return "-8.88888e+38";
  else
    return "10.00";  // a gamma
}

}  // namespace

template <class T>
VariableTextCtrl<T>::VariableTextCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos)
    : wxTextCtrl(parent, id, "", pos, wxSize(FieldCharacters<T>() > 5 ? 80 : 40, -1),
                 wxTE_RIGHT | wxTE_PROCESS_ENTER) {
  SetMaxLength(FieldCharacters<T>());
  // Wide enough for the widest value in the font in use (with GTK's default
  // font the written 40 pixels cut "5660" to "566"), never narrower.
  const wxSize needed = GetSizeFromTextSize(GetTextExtent(WidestValueText<T>()).x);
  if (needed.x > GetSize().x) SetInitialSize(wxSize(needed.x, -1));
  Bind(wxEVT_TEXT_ENTER, &VariableTextCtrl::OnEnter, this);
  Bind(wxEVT_KILL_FOCUS, &VariableTextCtrl::OnKillFocus, this);
  Bind(wxEVT_KEY_DOWN, &VariableTextCtrl::OnKeyDown, this);
}

template <class T>
void VariableTextCtrl<T>::Attach(T* variable, T lowest, T highest, T defaultValue, int steps) {
  m_variable = variable;
  m_lowest = lowest;
  m_highest = highest;
  m_default = defaultValue;
  m_steps = std::max(steps, 1);
  m_increment = StepIncrement(lowest, highest, m_steps);
  if (m_variable) ShowValue(*m_variable);
}

template <class T>
const char* VariableTextCtrl<T>::DisplayFormat() {
  if constexpr (std::is_integral_v<T>) return "%lld";
  if constexpr (std::is_same_v<T, double>) return "%2.2f";
  return "%g";
}

template <class T>
void VariableTextCtrl<T>::ShowValue(T value) {
  if constexpr (std::is_integral_v<T>)
    ChangeValue(wxString::Format(DisplayFormat(), static_cast<long long>(value)));
  else
    ChangeValue(wxString::Format(DisplayFormat(), static_cast<double>(value)));
  DiscardEdits();  // a shown value is not a user's edit
}

template <class T>
bool VariableTextCtrl<T>::ReadValue(T& value) const {
  const wxString text = GetValue().Strip(wxString::both);
  if constexpr (std::is_integral_v<T>) {
    long long v = 0;
    if (!text.ToLongLong(&v, 10) || v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
      return false;
    value = static_cast<T>(v);
  } else {
    double v = 0;
    if (!text.ToDouble(&v) || !(v == v)) return false;
    value = static_cast<T>(v);
  }
  return true;
}

template <class T>
void VariableTextCtrl<T>::Report(T value) {
  orv_VariableTextCtrlEvent event(GetId(), static_cast<double>(value));
  event.SetEventObject(this);
  if (wxWindow* parent = GetParent()) parent->ProcessWindowEvent(event);
}

template <class T>
void VariableTextCtrl<T>::Commit() {
  if (!IsModified()) return;
  T value{};
  if (!ReadValue(value)) {
    if (m_variable) ShowValue(*m_variable);
    return;
  }
  value = std::min(std::max(value, m_lowest), m_highest);
  ShowValue(value);
  Report(value);
}

template <class T>
void VariableTextCtrl<T>::OnEnter(wxCommandEvent&) {
  Commit();
}

template <class T>
void VariableTextCtrl<T>::OnKillFocus(wxFocusEvent& event) {
  Commit();
  event.Skip();
}

template <class T>
void VariableTextCtrl<T>::OnKeyDown(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  T value{};
  if ((key != WXK_UP && key != WXK_DOWN) || !ReadValue(value)) {
    event.Skip();
    return;
  }
  // In double precision, so unsigned values cannot wrap below zero.
  const double step = key == WXK_UP ? static_cast<double>(m_increment) : -static_cast<double>(m_increment);
  const double moved = std::min(std::max(static_cast<double>(value) + step, static_cast<double>(m_lowest)),
                                static_cast<double>(m_highest));
  value = static_cast<T>(moved);
  ShowValue(value);
  Report(value);
}

#define ORV_INSTANTIATE_VARIABLE_TEXTCTRL(T)                 \
  template T StepIncrement<T>(T, T, int);                    \
  template class VariableTextCtrl<T>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_VARIABLE_TEXTCTRL)
ORV_INSTANTIATE_VARIABLE_TEXTCTRL(double)

}  // namespace orv
