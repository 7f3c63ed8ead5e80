#include "point_markers.h"

#include <algorithm>
#include <cmath>

namespace orv {

MarkerView::MarkerView(const ViewModel& model, int windowIndex, int w, int h, int fading, int size)
    : view(model),
      window(windowIndex),
      axes(kCutAxes[windowIndex]),
      orientation(model.Orientation(windowIndex)),
      width(w),
      height(h),
      projection(model.content[windowIndex] == 1),
      fadingDepth(fading),
      markerSize(size) {}

MarkerPlace PlaceMarker(const MarkerView& m, const bix::Vector3d<float>& p) {
  MarkerPlace place;
  const ViewModel& view = m.view;
  const unsigned h = m.axes.h, v = m.axes.v, d = m.axes.d;
  const int distance = m.projection ? 0 : static_cast<int>(std::fabs(view.cut[d] - p[d]) / view.voxelStep[d]);
  if (distance >= m.fadingDepth) return place;
  const bix::VOI<float>& box = view.visibleBox;
  if (p[h] < box.offset[h] || p[h] > box.offset[h] + box.size[h]) return place;
  if (p[v] < box.offset[v] || p[v] > box.offset[v] + box.size[v]) return place;
  const PixelPoint at = m.orientation.PixelOf(p[h], p[v], m.width, m.height);
  place.drawn = true;
  place.x = at.x;
  place.y = at.y;
  place.r = static_cast<int>(static_cast<float>(m.fadingDepth - distance) / static_cast<float>(m.fadingDepth) *
                             static_cast<float>(m.markerSize));
  return place;
}

PickTolerance PickToleranceFor(const MarkerView& m, int pickTolerance) {
  const ViewModel& view = m.view;
  return {static_cast<float>(pickTolerance) / view.zoom[m.axes.h],
          static_cast<float>(pickTolerance) / view.zoom[m.axes.v],
          static_cast<float>(m.fadingDepth) * view.voxelStep[m.axes.d]};
}

float PickRadius(const PickTolerance& tolerance) {
  return std::sqrt(tolerance.h * tolerance.h + tolerance.v * tolerance.v);
}

long NearestPoint(const std::vector<bix::Vector3d<float>>& points, const std::vector<unsigned>& candidates,
                  const MarkerView& m, const PickTolerance& tolerance, const bix::Vector3d<float>& p) {
  const unsigned h = m.axes.h, v = m.axes.v, d = m.axes.d;
  float best = PickRadius(tolerance);
  long found = -1;
  for (unsigned i : candidates) {
    const bix::Vector3d<float>& q = points[i];
    const float dh = q[h] - p[h], dv = q[v] - p[v];
    const float distance = std::sqrt(dh * dh + dv * dv);
    if (distance < best && (m.projection || std::fabs(q[d] - p[d]) < tolerance.d)) {
      best = distance;
      found = static_cast<long>(i);
    }
  }
  return found;
}

std::vector<unsigned> PointsBetween(const std::vector<bix::Vector3d<float>>& points,
                                    const std::vector<unsigned>& order, unsigned axis, float low, float high) {
  auto first = std::lower_bound(order.begin(), order.end(), low,
                                [&](unsigned i, float value) { return points[i][axis] < value; });
  auto last = std::upper_bound(first, order.end(), high,
                               [&](float value, unsigned i) { return value < points[i][axis]; });
  const std::size_t count = static_cast<std::size_t>(last - first);
  std::vector<unsigned> found;
  found.reserve(count);
  // More than a few (the points near a cut through a dense set): marked in
  // a bit set over all the points and collected in one pass over its words,
  // which costs less than sorting them.
  if (count * 16 > points.size() / 64) {
    std::vector<std::uint64_t> within((points.size() + 63) / 64, 0);
    for (auto it = first; it != last; ++it) within[*it / 64] |= std::uint64_t(1) << (*it % 64);
    for (std::size_t w = 0; w < within.size(); ++w)
      for (std::uint64_t bits = within[w]; bits; bits &= bits - 1)
        found.push_back(static_cast<unsigned>(w * 64 + static_cast<unsigned>(__builtin_ctzll(bits))));
    return found;
  }
  found.assign(first, last);
  std::sort(found.begin(), found.end());
  return found;
}

void MarkerPixels::Reset(int width, int height) {
  m_width = std::max(width, 0);
  m_height = std::max(height, 0);
  m_pixels.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0);
  m_any = false;
}

void MarkerPixels::Cross(int x, int y, int r, std::uint32_t argb) {
  for (int k = -r; k <= r; ++k) {
    Set(x + k, y + k, argb);
    Set(x + k, y - k, argb);
  }
  m_any = true;
}

void MarkerPixels::Plus(int x, int y, int r, std::uint32_t argb) {
  for (int k = -r; k <= r; ++k) {
    Set(x, y + k, argb);
    Set(x + k, y, argb);
  }
  m_any = true;
}

MarkerSieve::MarkerSieve(int width, int height)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_last(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0) {}

bool MarkerSieve::Adds(int x, int y, unsigned style, int r) {
  // Centres outside the picture are not sieved (they are few: markers are
  // placed inside the visible box).
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return true;
  const std::uint32_t size = static_cast<std::uint32_t>(std::clamp(r, 0, 255));
  const std::uint32_t key = (std::min<std::uint32_t>(style, 0xFFFFFE) + 1) << 8;
  std::uint32_t& last = m_last[static_cast<std::size_t>(y) * m_width + x];
  if ((last & ~0xFFu) == key && (last & 0xFFu) >= size) return false;
  last = key | size;
  return true;
}

}  // namespace orv
