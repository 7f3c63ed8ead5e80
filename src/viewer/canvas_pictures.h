#ifndef ORV_SRC_CANVAS_PICTURES_H
#define ORV_SRC_CANVAS_PICTURES_H

// Turning mapped slice buffers into what a window or a frame icon shows.

#include <orv/orv_buffer2d.h>

#include <wx/bitmap.h>
#include <wx/image.h>

namespace orv {


// The w x h icon bitmap of an XY buffer: a decimated thumbnail that keeps the
// buffer's proportions, centred, mirrored for reversed axes, its margins
// masked out (transparent).
wxBitmap MakeIconBitmap(int w, int h, const RGB8Buffer& buffer, bool reversedX, bool reversedY);

}  // namespace orv

#endif
