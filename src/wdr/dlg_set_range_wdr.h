#ifndef ORV_WDR_DLG_SET_RANGE_WDR_H
#define ORV_WDR_DLG_SET_RANGE_WDR_H

// Layouts of the range dialogs: they create the controls with the ids below
// inside `parent` and return the sizer that arranges them.

#include <wx/sizer.h>
#include <wx/window.h>

namespace orv {

enum {
  ID_RANGE_TEXT = 10000,
  ID_MIN_LIMIT_TEXT = 10001,
  ID_MAX_LIMIT_TEXT = 10002,
  ID_RANGE_LINE = 10003,
  ID_MIN_VALUE = 10004,
  ID_MAX_VALUE = 10005,
  // Per channel of the RGB dialog: min limit, max limit, min field, max
  // field, apply button; red from 10006, green from 10011, blue from 10016.
  ID_RGB_FIRST = 10006,
  ID_RGB_PER_CHANNEL = 5,
};

wxSizer* SetRangeDialogFunc(wxWindow* parent);
wxSizer* SetRGBRangeDialogFunc(wxWindow* parent);

}  // namespace orv

#endif
