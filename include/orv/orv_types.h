#ifndef ORV_TYPES_H
#define ORV_TYPES_H

#include <orv/window_axes.h>

#include <wx/colour.h>

namespace orv {

// The three cut windows as bits; a set of windows is a mask of this type.
// XY shows x across and y down (depth z); XZ x across and z down (depth y);
// YZ z across and y down (depth x).
enum orv_ProjectionType {
  PROJ_XY = 1,
  PROJ_XZ = 2,
  PROJ_YZ = 4,
  PROJ_ALL = 7,
};

// The three cut windows in index order 0, 1, 2.
inline constexpr orv_ProjectionType kCutWindows[3] = {PROJ_XY, PROJ_XZ, PROJ_YZ};


inline orv_ProjectionType operator|(orv_ProjectionType a, orv_ProjectionType b) {
  return static_cast<orv_ProjectionType>(static_cast<int>(a) | static_cast<int>(b));
}

// What a cut window shows.
enum orv_ProjectionContent {
  CONTENT_CUT = 0,        // the plane through the cut point
  CONTENT_AUTOFOCUS = 1,  // the autofocus projection along the window's depth axis
};

enum orv_CutPointerStyleValue {
  POINTER_NONE = 0,
  POINTER_ON_SIDES = 1,
  POINTER_ON_SIDES_CIRCLE = 2,
  POINTER_DOTTED_CROSS = 3,
  POINTER_DASHED_CROSS = 4,
  POINTER_SOLID_CROSS = 5,
};

// How the cut point is marked in the cut windows.
struct orv_CutPointerStyle {
  int style = POINTER_ON_SIDES;
  wxColour colour = wxColour(0, 255, 0, 255);
};

}  // namespace orv

#endif
