#ifndef ORV_SRC_PREFERENCES_DIALOG_H
#define ORV_SRC_PREFERENCES_DIALOG_H

// "Screen options dialog": edits a copy of a canvas's settings, the base
// zoom of each axis (shown as resolution and as aspect ratio to x) and the
// cut pointer's style and colour. The caller applies the copy on OK.

#include <orv/orv_canvas.h>

#include <wx/colourdata.h>
#include <wx/dialog.h>
#include <wx/radiobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace orv {

class PreferencesDialog : public wxDialog {
public:
  // Neither pointer is owned. The pointer style and colour are written into
  // `settings` as they are chosen, the base zoom on OK; the colour chooser's
  // state (custom colours) is kept in `colourData`.
  PreferencesDialog(wxWindow* parent, orv_CanvasSettings* settings, wxColourData* colourData);

private:
  void OnPointerType(wxCommandEvent& event);
  void OnChangeColour(wxCommandEvent& event);
  void OnText(wxCommandEvent& event);
  void ShowColour(const wxColour& colour);

  orv_CanvasSettings* m_settings;
  wxColourData* m_colourData;
  wxRadioBox* m_pointerType;
  wxStaticText* m_swatch;
  wxTextCtrl* m_resolution[3];
  wxTextCtrl* m_aspect[3];
};

// The colour chooser's state shared by every viewer of the process, so that
// custom colours are offered again the next time.
wxColourData& ApplicationColourData();

// The full colour chooser over `parent`, starting at `colour`, with the
// custom colours of `data`. True when the user chose: `colour` and `data`
// then hold the choice.
bool ChooseColour(wxWindow* parent, wxColourData& data, wxColour& colour);

}  // namespace orv

#endif
