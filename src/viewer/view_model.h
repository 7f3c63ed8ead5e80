#ifndef ORV_SRC_VIEW_MODEL_H
#define ORV_SRC_VIEW_MODEL_H

// The geometry of a viewer's three cut windows, without any window: what is
// shown (image box, visible box, zoom, cut point, reversed axes, shown
// windows and their contents), the navigation that changes it, and the one
// rule that turns a window's pixels into microns and buffer elements and
// back. Everything that places or picks something on screen asks it.
//
// Windows are indices 0 (XY), 1 (XZ), 2 (YZ); sets of windows are masks with
// bit i for window i (the values of orv_ProjectionType).

#include "canvas_layout.h"

#include <orv/window_axes.h>

#include <bix/VOI.h>
#include <bix/Vector3d.h>

namespace orv {

// The image axes a window shows (orv_types.h holds the rule).
using CutAxes = orv_WindowAxes;
inline constexpr const orv_WindowAxes (&kCutAxes)[3] = kWindowAxes;

// How one window shows the volume now: its axes, whether they are reversed,
// its zoom and the visible box's offset along them.
class CutOrientation {
public:
  CutOrientation(const CutAxes& axes, bool reversedH, bool reversedV, float zoomH, float zoomV, float visibleH,
                 float visibleV);

  const CutAxes& Axes() const { return m_axes; }
  // The picture is the mapped buffer transposed (YZ), then mirrored across
  // and down where the axes are reversed.
  bool Transposed() const { return m_axes.transposed; }
  bool MirroredAcross() const { return m_reversedH; }
  bool MirroredDown() const { return m_reversedV; }

  // Microns along h of column `column` of a picture `width` pixels wide, and
  // along v of row `row` of one `height` high.
  float MicronsAcross(int column, int width) const;
  float MicronsDown(int row, int height) const;
  // The pixel of a width x height picture where (h, v) microns lie: rounded
  // to the nearest pixel, mirrored on reversed axes.
  PixelPoint PixelOf(float h, float v, int width, int height) const;
  // The element of a mapped buffer of bufferWidth x bufferHeight that the
  // picture shows at (x, y); false outside the buffer.
  bool BufferElement(int x, int y, unsigned bufferWidth, unsigned bufferHeight, unsigned& column,
                     unsigned& row) const;
  // The slice voxel behind buffer element (column, row): the slice is one
  // voxel deep along d and runs along the buffer's axes in image order.
  bix::Vector3d<unsigned> SliceVoxel(unsigned column, unsigned row) const;
  // How reversing image axis `axis` flips this window's picture.
  enum Flip { FLIP_NONE, FLIP_ACROSS, FLIP_DOWN };
  Flip FlipFor(unsigned axis) const;

private:
  CutAxes m_axes;
  bool m_reversedH, m_reversedV;
  float m_zoomH, m_zoomV, m_visibleH, m_visibleV;
};

class ViewModel {
public:
  ViewModel();

  CutOrientation Orientation(int window) const;

  // Navigation. Each returns the mask of windows whose view it changed (0
  // when it changed nothing: at the image's edge, say).
  // One scroll step across (-1 left, +1 right) or down in window `window`.
  unsigned ScrollAcross(int window, int direction);
  unsigned ScrollDown(int window, int direction);
  // The cut one voxel further along the window's depth axis (-1 or +1),
  // from voxel centre to voxel centre, never past the first or last voxel.
  unsigned Page(int window, int direction);
  // Moves the cut to (h, v) microns in window `window`; positions outside
  // the image go to the nearest edge voxel's centre.
  unsigned SetCutAt(int window, float h, float v);
  // Centres the window's visible box on (h, v) as far as the image allows.
  void CenterAt(int window, float h, float v);
  // Centres the XY and XZ windows (hence all three) on the cut point.
  void CenterOnCut();
  void CenterOnCutIfOut();
  // Moves the cut point to p if it lies strictly inside the image box.
  bool MoveCut(const bix::Vector3d<float>& p);
  // The cut at the centre voxel of an image of `voxels` voxels.
  void CutAtCentreVoxel(const bix::Vector3d<unsigned>& voxels);
  // The zoom of every axis at the current zoom level.
  void ApplyZoomLevel();

  bix::VOI<float> imageBox;
  bix::VOI<float> visibleBox;
  bix::Vector3d<float> zoom;
  bix::Vector3d<float> baseZoom;
  int zoomLevel = 0;
  bix::Vector3d<float> cut;
  bix::Vector3d<float> scrollStep;
  bix::Vector3d<float> voxelStep;
  bool reversed[3] = {false, false, false};
  bool shown[3] = {true, true, true};
  int content[3] = {0, 0, 0};  // orv_ProjectionContent of each window

private:
  // One scroll step of the visible box along image axis `axis`.
  unsigned ScrollAlong(unsigned axis, int direction);
  // The centres of the first and last voxel along image axis `axis`.
  float FirstCentre(unsigned axis) const { return imageBox.offset[axis] + 0.5f * voxelStep[axis]; }
  float LastCentre(unsigned axis) const { return imageBox.offset[axis] + imageBox.size[axis] - 0.5f * voxelStep[axis]; }
};

// The cut one voxel further in `direction` along an axis whose voxels of
// `step` microns start at `offset`. A cut on a voxel centre (up to
// single-precision noise) moves to the next centre, computed in double
// precision: added step by step in single precision, far from the origin the
// roundings add up and paging would show a plane twice and skip another.
float PagedCut(float cut, float offset, float step, int direction);

}  // namespace orv

#endif
