#ifndef ORV_SRC_CANVAS_PICTURES_H
#define ORV_SRC_CANVAS_PICTURES_H

// Turning mapped slice buffers into what a window or a frame icon shows.

#include <orv/orv_buffer2d.h>

#include <wx/bitmap.h>
#include <wx/image.h>

namespace orv {

using RGB8Buffer = Buffer2d<bix::RGB_generic<unsigned char>>;

// The picture of a buffer in one pass. Without `transpose` picture pixel
// (c, r) shows buffer element (c, r); with it (the YZ window, whose buffer
// runs along y first) it shows element (r, c), so the picture is
// buffer.height wide. `mirrorH` and `mirrorV` then flip the picture's columns
// and rows. Without any change the image wraps the buffer without copying;
// otherwise the picture is written into `scratch` (reused while its size fits)
// and a reference to it is returned.
wxImage OrientPicture(const RGB8Buffer& buffer, bool transpose, bool mirrorH, bool mirrorV,
                      wxImage& scratch);

// The w x h icon bitmap of an XY buffer: a decimated thumbnail that keeps the
// buffer's proportions, centred, mirrored for reversed axes, its margins
// masked out (transparent).
wxBitmap MakeIconBitmap(int w, int h, const RGB8Buffer& buffer, bool reversedX, bool reversedY);

}  // namespace orv

#endif
