#ifndef ORV_SRC_CANVAS_LAYOUT_H
#define ORV_SRC_CANVAS_LAYOUT_H

// The arithmetic of the canvas, kept apart from the windows so that it can be
// tested exhaustively: zoom levels and the placement of the three cut
// windows. Plain types only: no toolkit header, so the
// display-free core library holds it.

#include <orv/orv_export.h>

#include <bix/VOI.h>

namespace orv {

// Window geometry in pixels, field names as the toolkit's so callers read alike.
struct PixelSize {
  int x = 0, y = 0;
};
struct PixelPoint {
  int x = 0, y = 0;
};
struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  PixelSize GetSize() const { return {width, height}; }
};

inline bool operator==(PixelSize a, PixelSize b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(PixelPoint a, PixelPoint b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const PixelRect& a, const PixelRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// Declared for hosts in orv_canvas.h too; repeated here so that its
// definition, compiled without the toolkit, is exported.
ORV_EXPORT float ZoomForLevel(float base, int level);

struct CanvasLayoutInput {
  int border = 0;                        // outer minus client size of a window
  bool shown[3] = {true, true, true};    // XY, XZ, YZ
  PixelSize client;                      // the canvas's client size
  bix::VOI<float> image;                 // image box
  bix::VOI<float> visible;               // visible box before the layout
  bix::Vector3d<float> zoom;             // pixels per micron
};

struct CanvasLayout {
  bool placed = false;      // false: zero client size, nothing changes at all
  bool arranged = false;    // windows, visible box and scroll steps computed
  PixelRect window[3];      // XY, XZ, YZ in canvas client pixels (outer size)
  bix::VOI<float> visible;  // the new visible box
  bix::Vector3d<float> scrollStep;
};

// Lays the shown windows out in the client area: XY top left, XZ below it with
// XY's width, YZ right of it with XY's height, one-pixel gaps. When no window
// is shown the result is `placed` with the old visible box.
CanvasLayout ComputeCanvasLayout(const CanvasLayoutInput& in);

}  // namespace orv

#endif
