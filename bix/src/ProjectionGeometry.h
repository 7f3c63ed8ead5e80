#ifndef BIX_SRC_PROJECTIONGEOMETRY_H
#define BIX_SRC_PROJECTIONGEOMETRY_H

#include <bix/Image3d.h>

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

}  // namespace bix

#endif
