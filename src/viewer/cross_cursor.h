#ifndef ORV_SRC_CROSS_CURSOR_H
#define ORV_SRC_CROSS_CURSOR_H

#include <wx/cursor.h>
#include <wx/image.h>

namespace orv {

// The 15 x 15 picture of the cut windows' cursor: white cross arms outlined
// in black, transparent elsewhere (masked), the centre pixel left open;
// hot spot (8, 8).
wxImage CrossCursorImage();

}  // namespace orv

#endif
