#ifndef ORV_SRC_OVERLAY_SURFACE_PLACEMENT_H
#define ORV_SRC_OVERLAY_SURFACE_PLACEMENT_H

// Where the surfaces of labelled objects lie in the volume window.

#include <bix/Vector3d.h>

namespace orv {

// A volume's place in microns: voxel i of an axis starts at offset + i / r.
struct VolumeGeometry {
  bix::Vector3d<unsigned> size;
  bix::Vector3d<float> offset;
  bix::Vector3d<float> resolution;  // voxels per micron
};

// Spacing and offset that put the surfaces built from `labels` where the
// volume window shows `image`: its model box holds the image's longest
// physical side L from -1 to 1 (one image voxel step along axis a is
// 2 / (L r_a)), image voxel centres lie where the volume texture shows them
// (the middle of an axis at 0), and image row 0 at the high end of model y.
// Labels of the image's own geometry get spacing 2 / (L r_a) and offset
// -spacing (N - 1) / 2 on x and z and the same on y.
struct SurfacePlacement {
  double spacing[3];
  bix::Vector3d<float> offset;
};
SurfacePlacement PlaceSurfaces(const VolumeGeometry& image, const VolumeGeometry& labels);

}  // namespace orv

#endif
