#ifndef ORV_POINT_PREFS_DIALOG_H
#define ORV_POINT_PREFS_DIALOG_H

#include <orv/orv_pointcanvas.h>

#include <wx/colourdata.h>
#include <wx/dialog.h>

namespace orv {

// "Point Canvas Preferences": fading depth, marker size and the two marker
// colours of a settings record, edited in place (the spin values when OK
// ends the dialog, colours as soon as they are chosen). The colour data
// keeps the colour chooser's custom colours.
class ORV_EXPORT PointCanvasPreferencesDialog : public wxDialog {
public:
  PointCanvasPreferencesDialog(wxWindow* parent, orv_PointCanvasSettings* settings, wxColourData* colours);

private:
  void OnColour(wxCommandEvent& event);

  orv_PointCanvasSettings* m_settings;
  wxColourData* m_colours;

  wxDECLARE_EVENT_TABLE();
};

}  // namespace orv

#endif
