#include "view_model.h"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

// Pixel `pixel` counted from where the axis starts in a picture `extent`
// pixels long: the same pixel unless the axis is reversed.
int Unmirror(int pixel, int extent, bool reversed) { return reversed ? extent - 1 - pixel : pixel; }

}  // namespace

CutOrientation::CutOrientation(const CutAxes& axes, bool reversedH, bool reversedV, float zoomH, float zoomV,
                               float visibleH, float visibleV)
    : m_axes(axes),
      m_reversedH(reversedH),
      m_reversedV(reversedV),
      m_zoomH(zoomH),
      m_zoomV(zoomV),
      m_visibleH(visibleH),
      m_visibleV(visibleV) {}

float CutOrientation::MicronsAcross(int column, int width) const {
  return Unmirror(column, width, m_reversedH) / m_zoomH + m_visibleH;
}

float CutOrientation::MicronsDown(int row, int height) const {
  return Unmirror(row, height, m_reversedV) / m_zoomV + m_visibleV;
}

PixelPoint CutOrientation::PixelOf(float h, float v, int width, int height) const {
  PixelPoint p;
  p.x = Unmirror(static_cast<int>((h - m_visibleH) * m_zoomH + 0.5f), width, m_reversedH);
  p.y = Unmirror(static_cast<int>((v - m_visibleV) * m_zoomV + 0.5f), height, m_reversedV);
  return p;
}

bool CutOrientation::BufferElement(int x, int y, unsigned bufferWidth, unsigned bufferHeight, unsigned& column,
                                   unsigned& row) const {
  const int pictureWidth = static_cast<int>(m_axes.transposed ? bufferHeight : bufferWidth);
  const int pictureHeight = static_cast<int>(m_axes.transposed ? bufferWidth : bufferHeight);
  const int across = Unmirror(x, pictureWidth, m_reversedH), down = Unmirror(y, pictureHeight, m_reversedV);
  if (across < 0 || across >= pictureWidth || down < 0 || down >= pictureHeight) return false;
  column = static_cast<unsigned>(m_axes.transposed ? down : across);
  row = static_cast<unsigned>(m_axes.transposed ? across : down);
  return true;
}

bix::Vector3d<unsigned> CutOrientation::SliceVoxel(unsigned column, unsigned row) const {
  // The buffer's columns run along the first of the window's plane axes in
  // image order, its rows along the second.
  const unsigned first = std::min(m_axes.h, m_axes.v), second = std::max(m_axes.h, m_axes.v);
  bix::Vector3d<unsigned> voxel(0, 0, 0);
  voxel[first] = column;
  voxel[second] = row;
  return voxel;
}

CutOrientation::Flip CutOrientation::FlipFor(unsigned axis) const {
  if (axis == m_axes.h) return FLIP_ACROSS;
  if (axis == m_axes.v) return FLIP_DOWN;
  return FLIP_NONE;
}

ViewModel::ViewModel()
    : imageBox(bix::Vector3d<float>(0, 0, 0), bix::Vector3d<float>(20, 20, 7)),
      zoom(10, 10, 10),
      baseZoom(10, 10, 10),
      scrollStep(1, 1, 1),
      voxelStep(0.1f, 0.1f, 0.2f) {}

CutOrientation ViewModel::Orientation(int window) const {
  const CutAxes& a = kCutAxes[window];
  return CutOrientation(a, reversed[a.h], reversed[a.v], zoom[a.h], zoom[a.v], visibleBox.offset[a.h],
                        visibleBox.offset[a.v]);
}

namespace {

// The windows whose visible box runs along image axis `axis`: both windows
// that show it across or down.
unsigned WindowsShowing(unsigned axis) {
  unsigned mask = 0;
  for (int i = 0; i < 3; ++i)
    if (kCutAxes[i].h == axis || kCutAxes[i].v == axis) mask |= 1u << i;
  return mask;
}

}  // namespace

unsigned ViewModel::ScrollAlong(unsigned axis, int direction) {
  float& visible = visibleBox.offset[axis];
  const float low = imageBox.offset[axis], high = low + imageBox.size[axis] - visibleBox.size[axis];
  if (direction < 0 ? !(visible > low) : !(visible < high)) return 0;
  visible = direction < 0 ? std::max(visible - scrollStep[axis], low) : std::min(visible + scrollStep[axis], high);
  return WindowsShowing(axis);
}

unsigned ViewModel::ScrollAcross(int window, int direction) { return ScrollAlong(kCutAxes[window].h, direction); }

unsigned ViewModel::ScrollDown(int window, int direction) { return ScrollAlong(kCutAxes[window].v, direction); }

unsigned ViewModel::Page(int window, int direction) {
  const unsigned d = kCutAxes[window].d;
  const float first = FirstCentre(d), last = LastCentre(d);
  float& depth = cut[d];
  if (direction < 0 ? !(depth > first) : !(depth < last)) return 0;
  const float paged = PagedCut(depth, imageBox.offset[d], voxelStep[d], direction);
  depth = direction < 0 ? std::max(paged, first) : std::min(paged, last);
  return 1u << window;
}

namespace {

// Calls at(axis, value) for the window's across axis with h and its down axis with v.
template <class At>
void OnPlaneAxes(int window, float h, float v, At at) {
  at(kCutAxes[window].h, h);
  at(kCutAxes[window].v, v);
}

}  // namespace

unsigned ViewModel::SetCutAt(int window, float h, float v) {
  // Onto the first or last voxel's centre beyond the image: its far face
  // already lies outside, where the cuts would show no voxel at all (a drag
  // that leaves the window keeps sending positions out there).
  OnPlaneAxes(window, h, v, [this](unsigned a, float value) {
    cut[a] = value < imageBox.offset[a] ? FirstCentre(a)
             : value >= imageBox.offset[a] + imageBox.size[a] ? LastCentre(a)
                                                                : value;
  });
  // The other two windows show planes through the moved cut.
  return 7u & ~(1u << window);
}

void ViewModel::CenterAt(int window, float h, float v) {
  OnPlaneAxes(window, h, v, [this](unsigned a, float value) {
    const float o = imageBox.offset[a], s = imageBox.size[a], w = visibleBox.size[a];
    // The upper end first: a visible box larger than the image starts at its offset.
    visibleBox.offset[a] = std::max(std::min(value - w * 0.5f, o + s - w), o);
  });
}

void ViewModel::CenterOnCut() {
  CenterAt(0, cut.x, cut.y);
  CenterAt(1, cut.x, cut.z);
}

void ViewModel::CenterOnCutIfOut() {
  if (!cut.InCC(visibleBox.offset, visibleBox.End())) CenterOnCut();
}

bool ViewModel::MoveCut(const bix::Vector3d<float>& p) {
  if (!p.InOO(imageBox.offset, imageBox.End())) return false;
  cut = p;
  return true;
}

void ViewModel::CutAtCentreVoxel(const bix::Vector3d<unsigned>& voxels) {
  for (unsigned a = 0; a < 3; ++a)
    cut[a] = (static_cast<float>(voxels[a] / 2) + 0.5f) * voxelStep[a] + imageBox.offset[a];
}

void ViewModel::ApplyZoomLevel() {
  for (unsigned a = 0; a < 3; ++a) zoom[a] = ZoomForLevel(baseZoom[a], zoomLevel);
}

float PagedCut(float cut, float offset, float step, int direction) {
  const double centre = (static_cast<double>(cut) - offset) / step - 0.5;
  const double nearest = std::round(centre);
  const double from = std::abs(centre - nearest) < 0.01 ? nearest : centre;
  return static_cast<float>(offset + (from + direction + 0.5) * static_cast<double>(step));
}

}  // namespace orv
