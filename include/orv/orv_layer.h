#ifndef ORV_LAYER_H
#define ORV_LAYER_H

// What an image canvas shows over its image: label outlines, point markers,
// anything a host adds. A canvas holds its layers in the order they were
// added and hands each one the stages of every cut window's picture.

#include <orv/orv_buffer2d.h>
#include <orv/orv_export.h>
#include <orv/orv_types.h>

#include <bix/RGB.h>
#include <bix/Vector3d.h>

class wxDC;

namespace orv {

class orv_Mouse3dEvent;

// A grid of voxels in microns: voxel counts, the offset of voxel (0, 0, 0)
// and the resolution (voxels per micron), as a bix::Image3d holds them. A
// window's slice is one voxel thick along the window's depth axis.
struct ORV_EXPORT orv_VoxelGrid {
  bix::Vector3d<unsigned> size;
  bix::Vector3d<float> offset;
  bix::Vector3d<float> resolution;
};

// One layer of an image canvas. Window indices are 0, 1, 2 for XY, XZ, YZ.
// Every hook does nothing by default; a layer overrides what it takes part in.
class ORV_EXPORT orv_CanvasLayer {
public:
  using RGBBuffer = RGB8Buffer;

  virtual ~orv_CanvasLayer();

  // Window `index` resampled its slice (`slice` is where it lies), from the
  // image or, with `projection`, from its autofocus projection.
  virtual void CutExtracted(int index, const orv_VoxelGrid& slice, bool projection);
  // The image that whole-stack work uses (autofocus projections) changed: a
  // chunked image's work level was read or another chosen. Called in the
  // change that made it, before the projections are computed again.
  virtual void WholeStackChanged();
  // Paints on window `index`'s mapped picture, one pixel per slice voxel and
  // before the axes are mirrored; runs whenever the picture is mapped again
  // (what it paints is cached with the picture).
  virtual void PaintOver(int index, RGBBuffer& picture);
  // Draws on `window` over its picture at every repaint, in window pixels.
  virtual void Draw(wxDC& dc, orv_ProjectionType window);
  // A mouse event over a cut window, after the canvas and the layers added
  // before this one have had it.
  virtual void OnMouse3d(orv_Mouse3dEvent& event);
};

}  // namespace orv

#endif
