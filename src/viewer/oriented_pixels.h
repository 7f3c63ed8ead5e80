#ifndef ORV_SRC_ORIENTED_PIXELS_H
#define ORV_SRC_ORIENTED_PIXELS_H

// Turning a mapped buffer of packed RGB bytes into the 32-bit pixels the
// window system paints from (cairo's RGB24: 0x00RRGGBB per word), oriented
// as the cut window shows it, in one pass.

#include <orv/orv_buffer2d.h>

#include <cstddef>

namespace orv {


// Without `transpose` picture pixel (c, r) is buffer element (c, r); with it
// (the YZ window, whose buffer runs along y first) it is element (r, c), so
// the picture is buffer.height wide. `mirrorH` and `mirrorV` then flip the
// picture's columns and rows. Rows of the picture start `stride` bytes apart
// at `pixels`. Processors with SSSE3 convert four pixels per byte shuffle;
// `vectorised` false takes the plain path everywhere (the tests compare both).
void WriteOrientedPixels(const RGB8Buffer& buffer, bool transpose, bool mirrorH, bool mirrorV,
                         unsigned char* pixels, std::size_t stride, bool vectorised = true);

}  // namespace orv

#endif
