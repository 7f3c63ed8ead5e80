#include <orv/point_prefs_dialog.h>

#include "../wdr/point_prefs_wdr.h"
#include "preferences_dialog.h"

#include <wx/button.h>
#include <wx/valgen.h>

namespace orv {

wxBEGIN_EVENT_TABLE(PointCanvasPreferencesDialog, wxDialog)
  EVT_BUTTON(ID_MARKER_COLOUR, PointCanvasPreferencesDialog::OnColour)
  EVT_BUTTON(ID_SELECTED_COLOUR, PointCanvasPreferencesDialog::OnColour)
wxEND_EVENT_TABLE()

PointCanvasPreferencesDialog::PointCanvasPreferencesDialog(wxWindow* parent, orv_PointCanvasSettings* settings,
                                                           wxColourData* colours)
    : wxDialog(parent, wxID_ANY, "Point Canvas Preferences"), m_settings(settings), m_colours(colours) {
  PointCanvasPrefsFunc(this);
  FindWindow(ID_FADING_DEPTH)->SetValidator(wxGenericValidator(&m_settings->fadingDepth));
  FindWindow(ID_MARKER_SIZE)->SetValidator(wxGenericValidator(&m_settings->markerSize));
  FindWindow(ID_MARKER_COLOUR)->SetBackgroundColour(m_settings->pointColour);
  FindWindow(ID_SELECTED_COLOUR)->SetBackgroundColour(m_settings->selectedColour);
}

void PointCanvasPreferencesDialog::OnColour(wxCommandEvent& event) {
  wxColour& field = event.GetId() == ID_MARKER_COLOUR ? m_settings->pointColour : m_settings->selectedColour;
  if (ChooseColour(this, *m_colours, field)) FindWindow(event.GetId())->SetBackgroundColour(field);
}

}  // namespace orv
