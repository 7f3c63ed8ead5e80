#include <orv/orv_voxel.h>
#include <orv/orv_voxel_traits.h>

#include <bix/Types.h>

namespace orv {

template <class T>
wxString VoxelToStr(const T& value) {
  return wxString(VoxelTraits<T>::ValueText(value));
}

#define ORV_INSTANTIATE_VOXELTOSTR(T) template wxString VoxelToStr<T>(const T&);
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_VOXELTOSTR)

}  // namespace orv
