#ifndef ORV_VOXEL_H
#define ORV_VOXEL_H

#include <orv/orv_export.h>

#include <wx/string.h>

namespace orv {

// The text of one voxel value: "%d" for the integer types, "%g" for float,
// "%3d %3d %3d" (red, green, blue) for the colour types.
template <class T>
ORV_EXPORT wxString VoxelToStr(const T& value);

}  // namespace orv

#endif
