#ifndef ORV_WDR_POINT_PREFS_WDR_H
#define ORV_WDR_POINT_PREFS_WDR_H

// Layout of the point canvas preferences dialog: it creates the controls
// with the ids below inside `parent` and returns the sizer that arranges them.

#include <wx/sizer.h>
#include <wx/window.h>

namespace orv {

enum {
  ID_POINT_PREFS_TEXT = 20000,
  ID_FADING_DEPTH = 20001,
  ID_MARKER_SIZE = 20002,
  ID_MARKER_COLOUR = 20003,
  ID_SELECTED_COLOUR = 20004,
  ID_POINT_PREFS_LINE = 20005,
};

wxSizer* PointCanvasPrefsFunc(wxWindow* parent);

}  // namespace orv

#endif
