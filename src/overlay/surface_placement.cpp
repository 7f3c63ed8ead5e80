#include "surface_placement.h"

#include <algorithm>

namespace orv {

SurfacePlacement PlaceSurfaces(const VolumeGeometry& image, const VolumeGeometry& labels) {
  double longest = 0;
  for (unsigned a = 0; a < 3; ++a) longest = std::max(longest, double(image.size[a]) / image.resolution[a]);
  SurfacePlacement placement{};
  for (unsigned a = 0; a < 3; ++a) {
    const double imageStep = 2 / (longest * image.resolution[a]);
    const double ratio = double(image.resolution[a]) / labels.resolution[a];  // image voxels per label voxel
    placement.spacing[a] = imageStep * ratio;
    // The texture shows image voxel i over [i, i + 1) steps from -N/2 steps:
    // its centre, where marching cubes puts a voxel, is (i - (N-1)/2) steps
    // from the middle. Label voxel 0's centre in image voxel units:
    const double first = (double(labels.offset[a]) - image.offset[a]) * image.resolution[a] + 0.5 * ratio - 0.5;
    const double middle = (double(image.size[a]) - 1) / 2;
    // The builder counts rows from the last one up, and model y runs
    // against image rows.
    placement.offset[a] = static_cast<float>(
        a == 1 ? (middle - first) * imageStep - (double(labels.size[a]) - 1) * placement.spacing[a]
               : (first - middle) * imageStep);
  }
  return placement;
}

}  // namespace orv
