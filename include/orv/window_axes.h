#ifndef ORV_WINDOW_AXES_H
#define ORV_WINDOW_AXES_H

// Needs no toolkit header: the display-free core includes it too.

namespace orv {

// The image axes (0 x, 1 y, 2 z) window i shows across (h), down (v) and in
// depth (d): the one rule every window, picture, pipeline and overlay
// follows. A window's slice and mapped buffer run along the image's axes in
// image order, so a window that shows its axes in the other order
// (`transposed`: YZ, y first in its buffer) has its picture transposed.
struct orv_WindowAxes {
  unsigned h, v, d;
  bool transposed;
};
inline constexpr orv_WindowAxes kWindowAxes[3] = {{0, 1, 2, false}, {0, 2, 1, false}, {2, 1, 0, true}};

}  // namespace orv

#endif
