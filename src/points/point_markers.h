#ifndef ORV_SRC_POINT_MARKERS_H
#define ORV_SRC_POINT_MARKERS_H

// Where and how large the marker of a point is drawn in a cut window, and
// which point a click picks: plain arithmetic on the view model, tested
// without a window.

#include "view_model.h"

#include <bix/Vector3d.h>

#include <cstdint>
#include <vector>

namespace orv {

// The window's view of points: its orientation and axes, and the settings
// that govern markers.
struct MarkerView {
  MarkerView(const ViewModel& view, int window, int width, int height, int fadingDepth, int markerSize);

  const ViewModel& view;
  int window;
  CutAxes axes;
  CutOrientation orientation;
  int width, height;  // the window's picture, pixels
  bool projection;    // the window shows its autofocus projection
  int fadingDepth;    // slices
  int markerSize;     // half-size at zero depth distance, pixels
};

struct MarkerPlace {
  bool drawn = false;
  int x = 0, y = 0;  // the marker's centre in the window's picture
  int r = 0;         // its half-size
};

// The marker of a point at `p` (microns, image order): drawn when it lies
// within the fading depth of the cut (any depth in a projection) and inside
// the visible box in the window's plane (ends included), at the pixel the
// cut pointer would take there, with a size that shrinks with the distance
// in slices from the cut.
MarkerPlace PlaceMarker(const MarkerView& m, const bix::Vector3d<float>& p);

// The microns within which a click at `p` picks a point: `pickTolerance`
// pixels in the plane, the fading depth in slices along the depth axis.
struct PickTolerance {
  float h, v, d;
};
PickTolerance PickToleranceFor(const MarkerView& m, int pickTolerance);
// The in-plane reach of a click: the radius of the two plane tolerances.
float PickRadius(const PickTolerance& tolerance);

// The index of the point nearest to `p` in the window's plane, among those
// within the tolerance (in-plane distance below the radius of the two plane
// tolerances; depth distance below the depth tolerance unless the window
// shows a projection); earlier points win ties. Only the points whose
// indices `candidates` lists (ascending) are considered. -1 when none.
long NearestPoint(const std::vector<bix::Vector3d<float>>& points, const std::vector<unsigned>& candidates,
                  const MarkerView& m, const PickTolerance& tolerance, const bix::Vector3d<float>& p);

// Per pixel of a window's picture, the marker last drawn centred there (its
// style and half-size), so that a repaint draws at most a few markers per
// pixel however many points land on it: ten million points over a small
// stack would otherwise take minutes to stroke.
class MarkerSieve {
public:
  MarkerSieve(int width, int height);
  // Whether a marker of `style` and half-size `r` centred at (x, y) adds to
  // the picture: false when the last marker centred there was of the same
  // style and at least as large. A marker that adds is recorded.
  bool Adds(int x, int y, unsigned style, int r);

private:
  int m_width, m_height;
  std::vector<std::uint32_t> m_last;  // (style + 1) << 8 | r, 0 for none
};

// A window-sized layer of marker pixels in cairo's ARGB32 (premultiplied,
// 0 transparent), laid over the picture in one paint: crosses and pluses
// are set pixel by pixel, a fraction of what stroking them as paths costs
// when thousands are near the cut. A cross of half-size r covers the two
// diagonals from (x - r, y - r) and (x - r, y + r), 2r + 1 pixels each; a
// plus the column and the row through (x, y) from -r to r.
class MarkerPixels {
public:
  // All transparent, `width` x `height` (the memory is kept between paints).
  void Reset(int width, int height);
  void Cross(int x, int y, int r, std::uint32_t argb);
  void Plus(int x, int y, int r, std::uint32_t argb);
  // Whether any pixel was set since Reset.
  bool Any() const { return m_any; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  std::uint32_t* Data() { return m_pixels.data(); }
  std::uint32_t At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }

private:
  void Set(int x, int y, std::uint32_t argb) {
    if (x >= 0 && y >= 0 && x < m_width && y < m_height) m_pixels[static_cast<std::size_t>(y) * m_width + x] = argb;
  }
  std::vector<std::uint32_t> m_pixels;
  int m_width = 0, m_height = 0;
  bool m_any = false;
};

// The points whose coordinate on `axis` lies within [low, high], ascending,
// found through `order` (the point indices sorted by that coordinate).
std::vector<unsigned> PointsBetween(const std::vector<bix::Vector3d<float>>& points,
                                    const std::vector<unsigned>& order, unsigned axis, float low, float high);

}  // namespace orv

#endif
