#ifndef ORV_MINMAX_CTRL_H
#define ORV_MINMAX_CTRL_H

#include <orv/histgraph.h>
#include <orv/orv_export.h>
#include <orv/triangles.h>
#include <orv/variable_textctrl.h>

#include <wx/event.h>
#include <wx/panel.h>

namespace orv {

class orv_MinMaxCtrlEvent;
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_MINMAXCTRL, orv_MinMaxCtrlEvent);

// A min/max control changed its limits or gamma; its record already holds
// the new values.
class ORV_EXPORT orv_MinMaxCtrlEvent : public wxNotifyEvent {
public:
  orv_MinMaxCtrlEvent() : wxNotifyEvent(orv_EVT_MINMAXCTRL, 0) {}
  wxEvent* Clone() const override { return new orv_MinMaxCtrlEvent(*this); }
};

// Edits a lower/upper limit pair, optionally with a gamma, bound to the
// variables of one record: two numeric fields (and a gamma field), a mapping
// stripe, a reference stripe and draggable markers. Every accepted change is
// written into the record and announced to the parent window with an
// orv_MinMaxCtrlEvent.
template <class T>
class ORV_EXPORT VariableMinMaxCtrl : public wxPanel {
public:
  enum { ID_UPPER = 20000, ID_LOWER = 20001, ID_GAMMA = 20002 };

  VariableMinMaxCtrl(wxWindow* parent, wxWindowID id, bool hasGamma, bool mayCross, bool gradient,
                     const wxColour& below, const wxColour& above, const wxColour& ramp,
                     const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                     long style = wxCLIP_CHILDREN | wxTAB_TRAVERSAL);

  // Binds the control to a record's variables (gamma may be null without a
  // gamma field) with the range lowest..highest split into `steps` positions.
  // A previous record first receives what the fields show.
  void Attach(T* lower, T* upper, double* gamma, T lowest, T highest, int steps);
  // Limits back to lowest and highest, gamma back to 1, written into the record.
  void Reset();

  void SetLowerValue(T value);
  void SetUpperValue(T value);
  void SetGammaValue(double gamma);
  T GetLowerValue() const { return m_lower; }
  T GetUpperValue() const { return m_upper; }
  double GetGammaValue() const { return m_gamma; }

  // The step position of a value (-1 outside lowest..highest) and back.
  int ValueToStep(T value) const;
  T StepToValue(int step) const;

  VariableTextCtrl<T>* GetLowerField() const { return m_lowerField; }
  VariableTextCtrl<T>* GetUpperField() const { return m_upperField; }
  VariableTextCtrl<double>* GetGammaField() const { return m_gammaField; }
  GradStripe* GetMappingStripe() const { return m_mappingStripe; }
  GradStripe* GetReferenceStripe() const { return m_referenceStripe; }
  Triangles* GetMarkers() const { return m_markers; }

private:
  bool OneStepPerIncrement() const;
  bool IsAttached() const;
  void ShowPositions();
  void OnField(orv_VariableTextCtrlEvent& event);
  void OnMarker(orv_TriangleEvent& event);
  void Changed();

  bool m_hasGamma, m_mayCross;
  VariableTextCtrl<T>* m_lowerField;
  VariableTextCtrl<T>* m_upperField;
  VariableTextCtrl<double>* m_gammaField = nullptr;
  GradStripe* m_mappingStripe;
  GradStripe* m_referenceStripe;
  Triangles* m_markers;
  T m_lowest{}, m_highest{};
  int m_steps = 256;
  T m_lower{}, m_upper{};
  double m_gamma = 1.0;
};

}  // namespace orv

#endif
