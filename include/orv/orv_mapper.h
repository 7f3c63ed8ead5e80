#ifndef ORV_MAPPER_H
#define ORV_MAPPER_H

#include <orv/orv_buffer2d.h>

namespace orv {

// Converts voxels of type T to screen colours. Map receives out.width x
// out.height voxels in the pixel order of `out` and writes every pixel of
// `out`, changing neither the voxels nor the buffer's size. A mapper keeps no
// state between calls, so a canvas may call it for any cut in any order, and
// from several threads at once (the volume texture maps slices in parallel).
template <class T>
class orv_Mapper {
public:
  virtual ~orv_Mapper() = default;
  virtual void Map(const T* voxels, Buffer2d<bix::RGB8>& out) const = 0;
};

}  // namespace orv

#endif
