#ifndef BIX_IO_VOXELBOX_H
#define BIX_IO_VOXELBOX_H

#include "StoredType.h"

#include <bix/Resolution.h>
#include <bix/Vector3d.h>

#include <cstddef>

namespace bix::io {

// The voxels a writer stores: a box of an image, rows x-contiguous, seen as
// bytes so that the writers are written once for every voxel type.
struct VoxelBox {
  const unsigned char* first = nullptr;  // voxel (0, 0, 0) of the box
  Vector3d<unsigned> size;
  std::size_t rowStride = 0;    // bytes from one row to the next
  std::size_t planeStride = 0;  // bytes from one z plane to the next
  StoredType type;
  Vector3d<float> offset;  // microns, the box's lower corner
  Resolution resolution;

  std::size_t RowBytes() const { return std::size_t(size.x) * VoxelBytes(type); }
  std::size_t PlaneBytes() const { return RowBytes() * size.y; }
  const unsigned char* Row(unsigned y, unsigned z) const {
    return first + z * planeStride + y * rowStride;
  }
  // True when a plane's rows follow each other with nothing between them.
  bool PlaneIsContiguous() const { return rowStride == RowBytes(); }
};

}  // namespace bix::io

#endif
