#ifndef ORV_BENCH_STACKS_H
#define ORV_BENCH_STACKS_H

// The stacks the file benchmarks write and read.

#include <bix/Image3d.h>

#include <cstdint>

// 1024 x 1024 x `slices` 16-bit voxels of smooth structure plus a little
// noise, like a microscope stack, so that compression meets data of
// realistic entropy; `zResolution` pixels per micron along z (5 along x, y).
inline bix::Image3d<unsigned short> MicroscopeLikeStack(unsigned slices, float zResolution) {
  const bix::Resolution res(bix::Vector3d<float>(5, 5, zResolution));
  bix::Image3d<unsigned short> s(bix::Vector3d<unsigned>(1024, 1024, slices), nullptr, &res);
  std::uint32_t state = 12345;
  unsigned short* v = s.GetFirstVoxelAddr();
  for (unsigned z = 0; z < slices; ++z)
    for (unsigned y = 0; y < 1024; ++y)
      for (unsigned x = 0; x < 1024; ++x) {
        state = state * 1664525u + 1013904223u;
        *v++ = static_cast<unsigned short>(1000 + ((x + y + 2 * z) & 1023) + (state >> 26));
      }
  return s;
}

#endif
