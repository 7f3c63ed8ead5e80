#include <orv/orv_voxel.h>

#include <bix/Types.h>

#include <type_traits>

namespace orv {

template <class T>
wxString VoxelToStr(const T& value) {
  if constexpr (std::is_floating_point_v<T>) {
    return wxString::Format("%g", static_cast<double>(value));
  } else if constexpr (std::is_arithmetic_v<T>) {
    return wxString::Format("%d", static_cast<int>(value));
  } else {
    return wxString::Format("%3d %3d %3d", static_cast<int>(value.red), static_cast<int>(value.green),
                            static_cast<int>(value.blue));
  }
}

#define ORV_INSTANTIATE_VOXELTOSTR(T) template wxString VoxelToStr<T>(const T&);
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_VOXELTOSTR)

}  // namespace orv
