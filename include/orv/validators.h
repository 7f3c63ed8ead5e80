#ifndef ORV_VALIDATORS_H
#define ORV_VALIDATORS_H

#include <orv/orv_export.h>

#include <wx/valtext.h>

namespace orv {

// Binds a text field to an integer variable: shows it with `format`, reads it
// back in base 10, and on validation checks the optional bounds, reporting a
// violation in a "Validation conflict" message box.
template <class T>
class ORV_EXPORT IntValidator : public wxTextValidator {
public:
  // Accepts only digits, and "-" unless `nonNegative`.
  IntValidator(T* value, T min, T max, bool nonNegative, bool hasMin, bool hasMax, const wxString& format);
  // Numeric characters, no bounds.
  IntValidator(T* value, const wxString& format);

  wxObject* Clone() const override { return new IntValidator(*this); }
  bool Validate(wxWindow* parent) override;
  bool TransferToWindow() override;
  bool TransferFromWindow() override;

protected:
  // Converts the field's text; false when it is not a number of this kind.
  bool GetIntValue(T& value) const;

private:
  T* m_value;
  T m_min, m_max;
  bool m_hasMin, m_hasMax;
  wxString m_format;
};

// The same for float and double variables ("%f" or "%g" when no format is given).
template <class T>
class ORV_EXPORT RealValidator : public wxTextValidator {
public:
  RealValidator(T* value, T min, T max, bool hasMin, bool hasMax, const wxString& format);
  RealValidator(T* value, const wxString& format);

  wxObject* Clone() const override { return new RealValidator(*this); }
  bool Validate(wxWindow* parent) override;
  bool TransferToWindow() override;
  bool TransferFromWindow() override;

  T GetMin() const { return m_min; }
  T GetMax() const { return m_max; }
  void SetMin(T min) { m_min = min; }
  void SetMax(T max) { m_max = max; }

protected:
  bool GetRealValue(T& value) const;

private:
  T ValueOfText(const wxString& text, double parsed) const;

  T* m_value;
  T m_min, m_max;
  bool m_hasMin, m_hasMax;
  wxString m_format;
};

// Applies a printf format to one number whatever integer type the format's
// conversion expects ("%d", "%ld", "%u", "%lu", "%x", ...).
ORV_EXPORT wxString FormatInteger(const wxString& format, long long value);

}  // namespace orv

#endif
