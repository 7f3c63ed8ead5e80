#ifndef BIX_TYPES_H
#define BIX_TYPES_H

#include <bix/RGB.h>

// The voxel types the library is instantiated for, and the extra label type.
// Each macro calls M once per type, so an explicit instantiation list is
// written once: BIX_FOR_EACH_VOXEL_TYPE(INSTANTIATE_SOMETHING).
#define BIX_FOR_EACH_VOXEL_TYPE(M) \
  M(unsigned char)                 \
  M(unsigned short)                \
  M(int)                           \
  M(float)                         \
  M(bix::RGB_generic<unsigned char>) \
  M(bix::RGB_generic<unsigned short>)

// Label voxels are unsigned short (already a voxel type) or unsigned int.
#define BIX_FOR_EACH_EXTRA_LABEL_TYPE(M) M(unsigned int)

// (label type, flag type) pairs of labelled images.
#define BIX_FOR_EACH_LABEL_PAIR(M) \
  M(unsigned short, bool)          \
  M(unsigned int, unsigned char)

#endif
