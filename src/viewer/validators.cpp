#include <orv/validators.h>

#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <cmath>
#include <limits>
#include <type_traits>

namespace orv {

wxString FormatInteger(const wxString& format, long long value) {
  // Find the conversion of the first "%" that is not "%%" and its length
  // modifier, and pass the argument in the type the format promises.
  bool isLong = false, isUnsigned = false;
  for (size_t i = 0; i + 1 < format.length(); ++i) {
    if (format[i] != '%') continue;
    if (format[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < format.length() && wxString("0123456789.-+ #lhjzt").Find(format[j]) != wxNOT_FOUND) {
      if (format[j] == 'l' || format[j] == 'j' || format[j] == 'z') isLong = true;
      ++j;
    }
    if (j < format.length()) isUnsigned = wxString("uxXo").Find(format[j]) != wxNOT_FOUND;
    break;
  }
  if (isLong && isUnsigned) return wxString::Format(format, static_cast<unsigned long>(value));
  if (isLong) return wxString::Format(format, static_cast<long>(value));
  if (isUnsigned) return wxString::Format(format, static_cast<unsigned>(value));
  return wxString::Format(format, static_cast<int>(value));
}

namespace {

wxTextCtrl* Field(wxWindow* window) { return wxDynamicCast(window, wxTextCtrl); }

// Shows a bound violation the way every dialog of the viewer does and puts
// the focus back into the offending field.
bool Conflict(wxWindow* field, wxWindow* parent, const wxString& message) {
  wxMessageBox(message, "Validation conflict", wxOK | wxICON_WARNING, parent);
  if (field) field->SetFocus();
  return false;
}

template <class V, class Formatter>
wxString BoundMessage(V v, V min, V max, bool hasMin, bool hasMax, const wxString& format, Formatter text) {
  if (hasMin && hasMax && (v < min || v > max))
    return "The value " + text(format, v) + " is out of range [" + text(format, min) + "," + text(format, max) + "]";
  if (hasMin && !hasMax && v < min) return "The value cannot be less than " + text(format, min);
  if (hasMax && !hasMin && v > max) return "The value cannot be greater than " + text(format, max);
  return wxString();
}

wxTextValidator IntegerFilter(bool nonNegative) {
  wxTextValidator filter(wxFILTER_INCLUDE_CHAR_LIST);
  filter.SetCharIncludes(nonNegative ? "0123456789" : "0123456789-");
  return filter;
}

}  // namespace

template <class T>
IntValidator<T>::IntValidator(T* value, T min, T max, bool nonNegative, bool hasMin, bool hasMax,
                              const wxString& format)
    : wxTextValidator(IntegerFilter(nonNegative)),
      m_value(value),
      m_min(min),
      m_max(max),
      m_hasMin(hasMin),
      m_hasMax(hasMax),
      m_format(format) {}

template <class T>
IntValidator<T>::IntValidator(T* value, const wxString& format)
    : wxTextValidator(wxFILTER_NUMERIC), m_value(value), m_min(0), m_max(0), m_hasMin(false), m_hasMax(false),
      m_format(format) {}

template <class T>
bool IntValidator<T>::GetIntValue(T& value) const {
  wxTextCtrl* field = Field(GetWindow());
  if (!field) return false;
  const wxString text = field->GetValue();
  if constexpr (std::is_same_v<T, unsigned long>) {
    wxMessageBox("IntValidator::GetIntValue: Only long, int, unsigned int, Gray8 and Gray16 types are supported.");
    return false;
  } else if constexpr (std::is_same_v<T, unsigned int>) {
    unsigned long v = 0;
    if (!text.ToULong(&v, 10)) return false;
    value = static_cast<T>(v);
  } else {
    long v = 0;
    if (!text.ToLong(&v, 10)) return false;
    value = static_cast<T>(v);
  }
  return true;
}

template <class T>
bool IntValidator<T>::Validate(wxWindow* parent) {
  if (!wxTextValidator::Validate(parent)) return false;
  if (!m_hasMin && !m_hasMax) return true;
  wxTextCtrl* field = Field(GetWindow());
  const wxString text = field ? field->GetValue() : wxString();
  long v = 0;
  if (!text.ToLong(&v, 10))
    return Conflict(field, parent, wxString::Format("The value '%s' cannot be converted to a long", text));
  const wxString message = BoundMessage<long long>(v, m_min, m_max, m_hasMin, m_hasMax, m_format, FormatInteger);
  return message.empty() ? true : Conflict(field, parent, message);
}

template <class T>
bool IntValidator<T>::TransferToWindow() {
  wxTextCtrl* field = Field(GetWindow());
  if (!field || !m_value) return false;
  field->SetValue(FormatInteger(m_format, static_cast<long long>(*m_value)));
  return true;
}

template <class T>
bool IntValidator<T>::TransferFromWindow() {
  T v{};
  if (!m_value || !GetIntValue(v)) return false;
  *m_value = v;
  return true;
}

namespace {
wxString FormatReal(const wxString& format, double v) { return wxString::Format(format, v); }
}  // namespace

template <class T>
RealValidator<T>::RealValidator(T* value, T min, T max, bool hasMin, bool hasMax, const wxString& format)
    : wxTextValidator(wxFILTER_NUMERIC),
      m_value(value),
      m_min(min),
      m_max(max),
      m_hasMin(hasMin),
      m_hasMax(hasMax),
      m_format(format.empty() ? wxString(std::is_same_v<T, float> ? "%f" : "%g") : format) {}

template <class T>
RealValidator<T>::RealValidator(T* value, const wxString& format) : RealValidator(value, 0, 0, false, false, format) {}

// The value a field's text stands for, in the variable's type. Fields show
// numbers through the format, "%f" keeping six decimals: the text of the
// variable's own value or of a limit stands for that exact value, so that a
// field left as shown neither moves the variable nor falls outside its own
// limits (0.1f reads back as 0.1, below 0.1f; 0.001953125 shows as 0.001953).
template <class T>
T RealValidator<T>::ValueOfText(const wxString& text, double parsed) const {
  if (m_value && text == FormatReal(m_format, static_cast<double>(*m_value))) return *m_value;
  if (m_hasMin && text == FormatReal(m_format, static_cast<double>(m_min))) return m_min;
  if (m_hasMax && text == FormatReal(m_format, static_cast<double>(m_max))) return m_max;
  if (std::abs(parsed) > static_cast<double>(std::numeric_limits<T>::max()))
    return parsed < 0 ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
  return static_cast<T>(parsed);
}

template <class T>
bool RealValidator<T>::GetRealValue(T& value) const {
  wxTextCtrl* field = Field(GetWindow());
  if (!field) return false;
  const wxString text = field->GetValue();
  double v = 0;
  if (!text.ToDouble(&v)) return false;
  value = ValueOfText(text, v);
  return true;
}

template <class T>
bool RealValidator<T>::Validate(wxWindow* parent) {
  if (!wxTextValidator::Validate(parent)) return false;
  if (!m_hasMin && !m_hasMax) return true;
  wxTextCtrl* field = Field(GetWindow());
  const wxString text = field ? field->GetValue() : wxString();
  double v = 0;
  if (!text.ToDouble(&v))
    return Conflict(field, parent, wxString::Format("The value '%s' cannot be converted to a double", text));
  // Compared in the variable's precision: "0.1" is the float 0.1f, not less.
  const double value = static_cast<double>(ValueOfText(text, v));
  const wxString message = BoundMessage<double>(value, m_min, m_max, m_hasMin, m_hasMax, m_format, FormatReal);
  return message.empty() ? true : Conflict(field, parent, message);
}

template <class T>
bool RealValidator<T>::TransferToWindow() {
  wxTextCtrl* field = Field(GetWindow());
  if (!field || !m_value) return false;
  field->SetValue(FormatReal(m_format, static_cast<double>(*m_value)));
  return true;
}

template <class T>
bool RealValidator<T>::TransferFromWindow() {
  T v{};
  if (!m_value || !GetRealValue(v)) return false;
  *m_value = v;
  return true;
}

template class IntValidator<unsigned char>;
template class IntValidator<unsigned short>;
template class IntValidator<int>;
template class IntValidator<long>;
template class IntValidator<unsigned int>;
template class IntValidator<unsigned long>;
template class RealValidator<float>;
template class RealValidator<double>;

}  // namespace orv
