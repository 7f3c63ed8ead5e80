#ifndef ORV_WDR_DLG_PREFERENCES_WDR_H
#define ORV_WDR_DLG_PREFERENCES_WDR_H

// Layout of the preferences dialog: a notebook with the pages "Screen"
// (resolution and aspect ratio per axis) and "Cut Pointer" (pointer type and
// colour), and the OK and Cancel buttons below it.

#include <wx/sizer.h>
#include <wx/window.h>

namespace orv {

enum {
  ID_PREFERENCES_NOTEBOOK = 10000,
  ID_PREFERENCES_POINTER_TYPE = 10001,
  ID_PREFERENCES_COLOUR = 10002,  // the colour swatch and its "Change..." button
  ID_PREFERENCES_AXIS_CAPTION = 10003,
  ID_PREFERENCES_RESOLUTION_X = 10004,  // y and z follow
  ID_PREFERENCES_ASPECT_X = 10007,      // y and z follow
};

wxSizer* PreferencesDialogFunc(wxWindow* parent);
wxSizer* ScreenPageFunc(wxWindow* page);
wxSizer* CutPointerPageFunc(wxWindow* page);

}  // namespace orv

#endif
