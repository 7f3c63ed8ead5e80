#include "canvas_layout.h"

#include <algorithm>

namespace orv {

float ZoomForLevel(float base, int level) {
  if (level > 0) return base * static_cast<float>(level + 1);
  if (level < 0) return base / static_cast<float>(1 - level);
  return base;
}

namespace {

// Splits `available` pixels between two extents a and b side by side.
void ShareBetween(int available, int a, int b, int& outA, int& outB) {
  const int half = available / 2;
  if (a >= half && b >= half) {
    outA = outB = half;
  } else if (a + b <= available) {
    outA = a;
    outB = b;
  } else if (a > b) {
    outA = available - b;
    outB = b;
  } else {
    outA = a;
    outB = available - a;
  }
}

}  // namespace

CanvasLayout ComputeCanvasLayout(const CanvasLayoutInput& in) {
  CanvasLayout out;
  out.visible = in.visible;
  const bool sXY = in.shown[0], sXZ = in.shown[1], sYZ = in.shown[2];
  if (!sXY && !sXZ && !sYZ) {
    out.placed = true;
    return out;
  }
  if (in.client.x == 0 && in.client.y == 0) return out;

  const int b = in.border;
  const bool twoColumns = sYZ && (sXY || sXZ);
  const bool twoRows = sXZ && (sXY || sYZ);
  int aw = in.client.x - 2 - b;
  int ah = in.client.y - 2 - b;
  if (twoColumns) aw -= b;
  if (twoRows) ah -= b;
  aw = std::max(aw, 0);
  ah = std::max(ah, 0);

  const bix::Vector3d<float>& s = in.image.size;
  const int px = static_cast<int>(s.x * in.zoom.x);
  const int py = static_cast<int>(s.y * in.zoom.y);
  const int pz = static_cast<int>(s.z * in.zoom.z);

  int xyWidth = std::min(px, aw), xyHeight = std::min(py, ah);
  int yzWidth = std::min(pz, aw), xzHeight = std::min(pz, ah);
  if (twoColumns) ShareBetween(aw, px, pz, xyWidth, yzWidth);
  if (twoRows) ShareBetween(ah, py, pz, xyHeight, xzHeight);
  xyWidth = std::max(xyWidth, 1);
  xyHeight = std::max(xyHeight, 1);
  yzWidth = std::max(yzWidth, 1);
  xzHeight = std::max(xzHeight, 1);

  int depth = xzHeight;
  if (sXZ && sYZ)
    depth = xzHeight = yzWidth = std::min(xzHeight, yzWidth);
  else if (sYZ)
    depth = yzWidth;

  const bix::Vector3d<float> size(xyWidth / in.zoom.x, xyHeight / in.zoom.y, depth / in.zoom.z);
  for (unsigned a = 0; a < 3; ++a) {
    float offset = in.visible.offset[a] + (in.visible.size[a] - size[a]) * 0.5f;
    const float imageEnd = in.image.offset[a] + in.image.size[a];
    if (offset + size[a] > imageEnd) offset = imageEnd - size[a];
    if (offset < in.image.offset[a]) offset = in.image.offset[a];
    out.visible.offset[a] = offset;
    out.visible.size[a] = size[a];
    out.scrollStep[a] = 0.2f * size[a];
  }

  const int xzTop = (sXY || sYZ) ? xyHeight + b + 1 : 1;
  const int yzLeft = (sXY || sXZ) ? xyWidth + b + 1 : 1;
  out.window[0] = {1, 1, xyWidth + b, xyHeight + b};
  out.window[1] = {1, xzTop, xyWidth + b, xzHeight + b};
  out.window[2] = {yzLeft, 1, yzWidth + b, xyHeight + b};
  out.placed = out.arranged = true;
  return out;
}

}  // namespace orv
