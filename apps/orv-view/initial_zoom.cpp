#include "initial_zoom.h"

#include <orv/orv_canvas.h>

#include <algorithm>

namespace orvview {

namespace {

// Far beyond any useful zoom; bounds the search for degenerate inputs.
constexpr int kMostSteps = 1000;

int Pixels(const ZoomChoice& choice, unsigned axis, int level) {
  return static_cast<int>(choice.extent[axis] * orv::ZoomForLevel(choice.baseZoom[axis], level));
}

bool Fits(const ZoomChoice& choice, int level) {
  const wxSize size = FrameSizeAt(choice, level);
  return size.x <= choice.available.x && size.y <= choice.available.y;
}

}  // namespace

wxSize FrameSizeAt(const ZoomChoice& choice, int level) {
  const int x = Pixels(choice, 0, level), y = Pixels(choice, 1, level), z = Pixels(choice, 2, level);
  return wxSize(x + 6 + z + 6, y + 6 + z + 6) + choice.decoration;
}

int XYSideAt(const ZoomChoice& choice, int level) {
  return std::max(Pixels(choice, 0, level), Pixels(choice, 1, level));
}

int ChooseInitialZoomLevel(const ZoomChoice& choice) {
  int level = 0;
  while (!Fits(choice, level) && level > -kMostSteps) --level;
  if (level < 0) return level;
  while (XYSideAt(choice, level) < choice.smallestSide && Fits(choice, level + 1) && level < kMostSteps) ++level;
  return level;
}

}  // namespace orvview
