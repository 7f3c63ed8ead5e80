#include "preferences_dialog.h"

#include <orv/validators.h>

#include "../wdr/dialog_child.h"
#include "../wdr/dlg_preferences_wdr.h"

#include <wx/colordlg.h>
#include <wx/msgdlg.h>

#include <cmath>

namespace orv {

wxColourData& ApplicationColourData() {
  static wxColourData data;
  return data;
}

namespace {

// A resolution (pixels per micron) is a number above 0: a 0 would be taken
// for "unchanged" and the user's entry lost without a word.
class ResolutionValidator : public RealValidator<float> {
public:
  explicit ResolutionValidator(float* value) : RealValidator<float>(value, "") {}
  wxObject* Clone() const override { return new ResolutionValidator(*this); }
  bool Validate(wxWindow* parent) override {
    if (!RealValidator<float>::Validate(parent)) return false;
    float value = 0;
    if (GetRealValue(value) && value > 0 && std::isfinite(value)) return true;
    wxMessageBox("The resolution must be a number greater than 0", "Validation conflict", wxOK | wxICON_WARNING,
                 parent);
    GetWindow()->SetFocus();
    return false;
  }
};

}  // namespace

PreferencesDialog::PreferencesDialog(wxWindow* parent, orv_CanvasSettings* settings, wxColourData* colourData)
    : wxDialog(parent, wxID_ANY, "Screen options dialog", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_settings(settings),
      m_colourData(colourData) {
  SetExtraStyle(GetExtraStyle() | wxWS_EX_VALIDATE_RECURSIVELY);
  PreferencesDialogFunc(this);
  m_pointerType = Child<wxRadioBox>(this, ID_PREFERENCES_POINTER_TYPE);
  m_swatch = Child<wxStaticText>(this, ID_PREFERENCES_COLOUR);
  const float rx = m_settings->baseZoom.x;
  for (int a = 0; a < 3; ++a) {
    m_resolution[a] = Child<wxTextCtrl>(this, ID_PREFERENCES_RESOLUTION_X + a);
    m_resolution[a]->SetValidator(ResolutionValidator(&m_settings->baseZoom[static_cast<unsigned>(a)]));
    m_aspect[a] = Child<wxTextCtrl>(this, ID_PREFERENCES_ASPECT_X + a);
    m_aspect[a]->ChangeValue(wxString::Format("%f", a == 0 ? 1.0 : double(m_settings->baseZoom[static_cast<unsigned>(a)]) / rx));
  }
  if (m_settings->pointerStyle >= 0 && m_settings->pointerStyle < 6) m_pointerType->SetSelection(m_settings->pointerStyle);
  ShowColour(m_settings->pointerColour);
  GetSizer()->SetSizeHints(this);
  Bind(wxEVT_RADIOBOX, &PreferencesDialog::OnPointerType, this, ID_PREFERENCES_POINTER_TYPE);
  Bind(wxEVT_BUTTON, &PreferencesDialog::OnChangeColour, this, ID_PREFERENCES_COLOUR);
  Bind(wxEVT_TEXT, &PreferencesDialog::OnText, this);
}

void PreferencesDialog::OnPointerType(wxCommandEvent& event) { m_settings->pointerStyle = event.GetInt(); }

void PreferencesDialog::ShowColour(const wxColour& colour) {
  m_swatch->SetBackgroundColour(colour);
  m_swatch->SetForegroundColour(colour);
  m_swatch->Refresh();
}

bool ChooseColour(wxWindow* parent, wxColourData& data, wxColour& colour) {
  data.SetColour(colour);
  data.SetChooseFull(true);
  wxColourDialog dialog(parent, &data);
  if (dialog.ShowModal() != wxID_OK) return false;
  data = dialog.GetColourData();
  colour = data.GetColour();
  return true;
}

void PreferencesDialog::OnChangeColour(wxCommandEvent&) {
  if (ChooseColour(this, *m_colourData, m_settings->pointerColour)) ShowColour(m_settings->pointerColour);
}

// Resolution and aspect ratio of an axis follow each other, in both
// directions, from what the user types: the program's own changes
// (ChangeValue) send no event, so the two never feed each other. The x
// resolution the ratios refer to is the one the dialog opened with.
void PreferencesDialog::OnText(wxCommandEvent& event) {
  event.Skip();
  const double rx = m_settings->baseZoom.x;
  for (int a = 0; a < 3; ++a) {
    double value = 0;
    if (event.GetEventObject() == m_resolution[a] && m_resolution[a]->IsModified()) {
      if (m_resolution[a]->GetValue().ToDouble(&value)) m_aspect[a]->ChangeValue(wxString::Format("%f", value / rx));
    } else if (event.GetEventObject() == m_aspect[a] && m_aspect[a]->IsModified()) {
      if (m_aspect[a]->GetValue().ToDouble(&value)) m_resolution[a]->ChangeValue(wxString::Format("%f", rx * value));
    }
  }
}

}  // namespace orv
