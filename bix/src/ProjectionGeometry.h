#ifndef BIX_SRC_PROJECTIONGEOMETRY_H
#define BIX_SRC_PROJECTIONGEOMETRY_H

#include <bix/Image3d.h>
#include <bix/ParallelRuns.h>

#include <algorithm>
#include <cstddef>

namespace bix {

// Prepares a projection along `depthAxis` of `source`: the source's in-plane
// offset and its resolution, depth offset 0, one voxel deep (empty for an
// empty source). S and D may differ (a label image projects into an Image3d
// of its label type). Returns false when the source is empty.
template <class S, class D>
bool PrepareProjection(const S& source, D& destination, unsigned depthAxis) {
  Vector3d<unsigned> size = source.GetSize();
  Vector3d<float> offset = source.GetOffset();
  if (source.IsEmpty())
    size = Vector3d<unsigned>(0, 0, 0);
  else
    size[depthAxis] = 1;
  offset[depthAxis] = 0.f;
  destination.SetOffset(offset);
  destination.SetResolution(source.GetResolution());
  destination.MakeRoom(size);
  return !source.IsEmpty();
}

// Calls band(first, last) for consecutive bands of at most `height` of
// `count` output rows, the bands shared out over the cores.
template <class Band>
void ForEachBand(std::size_t count, std::size_t height, std::size_t voxels, Band band) {
  const std::size_t bands = (count + height - 1) / height;
  const std::size_t runs = std::min(bands, RunsFor(voxels));
  ForEachRun(bands, runs, [&](std::size_t, std::size_t b0, std::size_t b1) {
    for (std::size_t b = b0; b < b1; ++b) band(b * height, std::min(count, (b + 1) * height));
  });
}

// Band heights: enough rows that the rows read twice at band edges cost
// little, few enough that a band's working rows (or its output, while the
// depths go by) stay in the core's cache.
inline std::size_t BandHeight(std::size_t width, std::size_t voxelsPerBand) {
  return std::max<std::size_t>(1, voxelsPerBand / std::max<std::size_t>(1, width));
}

}  // namespace bix

#endif
