#include <orv/minmax_ctrl.h>
#include <orv/validators.h>

#include "level_markers.h"

#include <bix/Types.h>

#include <wx/sizer.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace orv {

wxDEFINE_EVENT(orv_EVT_MINMAXCTRL, orv_MinMaxCtrlEvent);

namespace {

constexpr double kLowestGamma = 0.1;
constexpr double kHighestGamma = 10.0;
constexpr int kGammaSteps = 99;

// A value typed or reported as a double, as a value of T (integers rounded).
template <class T>
T FromDouble(double value) {
  if constexpr (std::is_integral_v<T>)
    return static_cast<T>(std::lround(value));
  else
    return static_cast<T>(value);
}

// Gives a limit field the validator that checks it and writes it into its variable.
template <class T>
void SetLimitValidator(wxWindow* field, T* variable, T lowest, T highest) {
  if (!variable)
    field->SetValidator(wxDefaultValidator);
  else if constexpr (std::is_integral_v<T>)
    // A minus sign only where the range has negative values to type.
    field->SetValidator(IntValidator<T>(variable, lowest, highest, lowest >= 0, true, true, "%d"));
  else
    // The field's own format: text it shows for its value or a limit then
    // reads back as exactly that value, not as a rounding outside the range.
    field->SetValidator(
        RealValidator<T>(variable, lowest, highest, true, true, VariableTextCtrl<T>::DisplayFormat()));
}

}  // namespace

template <class T>
VariableMinMaxCtrl<T>::VariableMinMaxCtrl(wxWindow* parent, wxWindowID id, bool hasGamma, bool mayCross,
                                          bool gradient, const wxColour& below, const wxColour& above,
                                          const wxColour& ramp, const wxPoint& pos, const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style), m_hasGamma(hasGamma), m_mayCross(mayCross) {
  auto* inner = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN | wxCLIP_CHILDREN);
  m_mappingStripe = new GradStripe(inner, wxID_ANY, gradient, below, above, ramp);
  // The reference shows the whole input range mapped linearly and never changes.
  m_referenceStripe = new GradStripe(inner, wxID_ANY, true, below, above, ramp);
  m_markers = new Triangles(inner, wxID_ANY, this, hasGamma, mayCross, *wxBLACK);
  auto* stripes = new wxBoxSizer(wxVERTICAL);
  // The markers' apexes run from pixel 2 to width - 3: the stripes sit inside that inset.
  stripes->Add(m_mappingStripe, 0, wxLEFT | wxRIGHT, 2);
  stripes->Add(m_referenceStripe, 0, wxLEFT | wxRIGHT, 2);
  stripes->Add(m_markers, 0);
  inner->SetSizerAndFit(stripes);

  // Created in tab order: lower, gamma, upper.
  m_lowerField = new VariableTextCtrl<T>(this, ID_LOWER);
  if (hasGamma) m_gammaField = new VariableTextCtrl<double>(this, ID_GAMMA);
  m_upperField = new VariableTextCtrl<T>(this, ID_UPPER);
  auto* fields = new wxBoxSizer(wxHORIZONTAL);
  fields->Add(m_lowerField, 0);
  if (m_gammaField) {
    fields->Add(40, 0, 1);
    fields->Add(m_gammaField, 0);
  }
  fields->Add(40, 0, 1);
  fields->Add(m_upperField, 0);

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(inner, 0, wxEXPAND);
  column->Add(fields, 0, wxEXPAND | wxTOP, 2);
  SetSizerAndFit(column);

  Bind(orv_EVT_VARIABLE_TEXTCTRL, &VariableMinMaxCtrl::OnField, this);
  Bind(orv_EVT_TRIANGLE, &VariableMinMaxCtrl::OnMarker, this);
}

template <class T>
bool VariableMinMaxCtrl<T>::IsAttached() const {
  return m_lowerField->GetVariable() && m_upperField->GetVariable();
}

template <class T>
void VariableMinMaxCtrl<T>::Attach(T* lower, T* upper, double* gamma, T lowest, T highest, int steps) {
  if (IsAttached()) TransferDataFromWindow();
  m_lowest = lowest;
  m_highest = highest;
  m_steps = std::max(steps, 1);
  m_lowerField->Attach(lower, lowest, highest, lowest, m_steps);
  m_upperField->Attach(upper, lowest, highest, highest, m_steps);
  SetLimitValidator(m_lowerField, lower, lowest, highest);
  SetLimitValidator(m_upperField, upper, lowest, highest);
  if (m_gammaField) {
    m_gammaField->Attach(gamma, kLowestGamma, kHighestGamma, 1.0, kGammaSteps);
    if (gamma)
      m_gammaField->SetValidator(RealValidator<double>(gamma, kLowestGamma, kHighestGamma, true, true, ""));
    else
      m_gammaField->SetValidator(wxDefaultValidator);
  }
  m_mappingStripe->SetSteps(m_steps);
  m_referenceStripe->SetSteps(m_steps);
  m_markers->SetSteps(m_steps);
  SetLowerValue(lower ? *lower : lowest);
  SetUpperValue(upper ? *upper : highest);
  SetGammaValue(m_hasGamma && gamma ? *gamma : 1.0);
  m_referenceStripe->Refresh(false);
}

template <class T>
int VariableMinMaxCtrl<T>::ValueToStep(T value) const {
  if (value < m_lowest || value > m_highest) return -1;
  long long step;
  if (OneStepPerIncrement()) {
    step = (static_cast<long long>(value) - m_lowest) / std::max<long long>(m_lowerField->GetIncrement(), 1);
  } else {
    // Floating-point positions run from the lowest value at step 0 to the
    // highest at the last step, so both ends of the range are reachable.
    const double span = static_cast<double>(m_highest) - static_cast<double>(m_lowest);
    step = span > 0 ? std::llround((static_cast<double>(value) - m_lowest) / span * (m_steps - 1)) : 0;
  }
  // A value inside the range always has a position, even where the last
  // increment does not divide the range evenly.
  return static_cast<int>(std::min<long long>(step, m_steps - 1));
}

template <class T>
T VariableMinMaxCtrl<T>::StepToValue(int step) const {
  step = std::clamp(step, 0, m_steps - 1);
  if (OneStepPerIncrement()) {
    const long long value = static_cast<long long>(m_lowest) + static_cast<long long>(step) * m_lowerField->GetIncrement();
    return static_cast<T>(std::min<long long>(value, static_cast<long long>(m_highest)));
  }
  if (step == m_steps - 1) return m_highest;
  const double span = static_cast<double>(m_highest) - static_cast<double>(m_lowest);
  const double value = m_lowest + span * step / std::max(m_steps - 1, 1);
  if constexpr (std::is_integral_v<T>) return static_cast<T>(std::llround(value));
  return static_cast<T>(value);
}

// Integer ranges whose steps are whole increments that cover every value
// (one step per value, as the histograms have up to their largest size).
// Others, floating-point ones and integer ones wider than the histogram's
// bins, are spread over the steps in proportion, the way the histogram's
// bin centres are, so that the markers sit over the bins of their values
// and both ends are reachable.
template <class T>
bool VariableMinMaxCtrl<T>::OneStepPerIncrement() const {
  if constexpr (std::is_integral_v<T>) {
    const long long values = static_cast<long long>(m_highest) - static_cast<long long>(m_lowest) + 1;
    return values == static_cast<long long>(m_steps) * m_lowerField->GetIncrement();
  }
  return false;
}

template <class T>
void VariableMinMaxCtrl<T>::SetLowerValue(T value) {
  m_lower = value;
  m_lowerField->ShowValue(value);
  const int step = ValueToStep(value);
  if (step < 0) return;
  m_mappingStripe->SetLower(step);
  m_markers->SetLower(step);
  m_mappingStripe->Refresh(false);
}

template <class T>
void VariableMinMaxCtrl<T>::SetUpperValue(T value) {
  m_upper = value;
  m_upperField->ShowValue(value);
  const int step = ValueToStep(value);
  if (step < 0) return;
  m_mappingStripe->SetUpper(step);
  m_markers->SetUpper(step);
  m_mappingStripe->Refresh(false);
}

template <class T>
void VariableMinMaxCtrl<T>::SetGammaValue(double gamma) {
  m_gamma = gamma;
  if (m_gammaField) m_gammaField->ShowValue(gamma);
  m_mappingStripe->SetGamma(gamma);
  m_markers->SetGamma(gamma);
  m_mappingStripe->Refresh(false);
}

template <class T>
void VariableMinMaxCtrl<T>::Reset() {
  SetLowerValue(m_lowerField->GetDefault());
  SetUpperValue(m_upperField->GetDefault());
  m_mappingStripe->SetSteps(m_steps);
  m_markers->SetSteps(m_steps);
  SetGammaValue(1.0);
  TransferDataFromWindow();
}

template <class T>
void VariableMinMaxCtrl<T>::OnField(orv_VariableTextCtrlEvent& event) {
  switch (event.GetId()) {
    case ID_LOWER: {
      T value = FromDouble<T>(event.GetValue());
      if (!m_mayCross) value = std::min(value, m_upper);
      SetLowerValue(value);
      break;
    }
    case ID_UPPER: {
      T value = FromDouble<T>(event.GetValue());
      if (!m_mayCross) value = std::max(value, m_lower);
      SetUpperValue(value);
      break;
    }
    case ID_GAMMA:
      SetGammaValue(event.GetValue());
      break;
    default:
      event.Skip();
      return;
  }
  Changed();
}

template <class T>
void VariableMinMaxCtrl<T>::OnMarker(orv_TriangleEvent& event) {
  switch (event.GetId()) {
    case MARKER_LOWER:
      SetLowerValue(StepToValue(event.GetPosition()));
      break;
    case MARKER_UPPER:
      SetUpperValue(StepToValue(event.GetPosition()));
      break;
    case MARKER_GAMMA:
      SetGammaValue(GammaFromMarker(m_markers->GetLower(), m_markers->GetUpper(), event.GetPosition(),
                                    m_gammaField ? m_gammaField->GetHighest() : kHighestGamma));
      break;
    default:
      return;
  }
  Changed();
}

template <class T>
void VariableMinMaxCtrl<T>::Changed() {
  if (!IsAttached()) return;
  TransferDataFromWindow();
  orv_MinMaxCtrlEvent event;
  event.SetEventObject(this);
  if (wxWindow* parent = GetParent()) parent->ProcessWindowEvent(event);
}

#define ORV_INSTANTIATE_MINMAX_CTRL(T) template class VariableMinMaxCtrl<T>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_MINMAX_CTRL)

}  // namespace orv
