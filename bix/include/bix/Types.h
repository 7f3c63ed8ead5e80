#ifndef BIX_TYPES_H
#define BIX_TYPES_H

#include <bix/RGB.h>

// The voxel types the library is instantiated for, and the extra label type.
// Each macro calls M once per type, so an explicit instantiation list is
// written once: BIX_FOR_EACH_VOXEL_TYPE(INSTANTIATE_SOMETHING).

// Gray voxels: one number per voxel. What works on numbers (histograms,
// stretches, level dialogs) is instantiated for these.
#define BIX_FOR_EACH_GRAY_TYPE(M) \
  M(unsigned char)                \
  M(unsigned short)               \
  M(int)                          \
  M(float)

// Colour voxels. Code that works per channel is instantiated for their
// component type, T::component_type.
#define BIX_FOR_EACH_RGB_TYPE(M)     \
  M(bix::RGB_generic<unsigned char>) \
  M(bix::RGB_generic<unsigned short>)

// Every voxel type: the gray ones, then the colour ones.
#define BIX_FOR_EACH_VOXEL_TYPE(M) \
  BIX_FOR_EACH_GRAY_TYPE(M)        \
  BIX_FOR_EACH_RGB_TYPE(M)

// Label voxels are unsigned short (already a voxel type) or unsigned int.
#define BIX_FOR_EACH_EXTRA_LABEL_TYPE(M) M(unsigned int)

// (label type, flag type) pairs of labelled images.
#define BIX_FOR_EACH_LABEL_PAIR(M) \
  M(unsigned short, bool)          \
  M(unsigned int, unsigned char)   \
  M(unsigned int, unsigned short)

#endif
