#ifndef BIX_IO_SAVEIMAGEFILE_H
#define BIX_IO_SAVEIMAGEFILE_H

#include "VoxelBox.h"

#include <bix/FileFormat.h>
#include <bix/VOI.h>

#include <string>

namespace bix::io {

// The format FORMAT_AUTO stands for with this name, or `format` itself.
FileFormat ChooseFormat(const std::string& name, FileFormat format);

// The part of `image` that `region` (microns) touches: voxel i along an axis
// spans [offset + i / res, offset + (i + 1) / res), and is kept when that
// span meets the region's interior. Raises IOException about `name` when
// nothing is left.
VoxelBox CropToRegion(const VoxelBox& image, const VOI<float>& region, const std::string& name);

// Writes `image` (or its part in `region`) to `name` in `format`, through a
// temporary file renamed over `name` once complete.
void SaveImageFile(const std::string& name, FileFormat format, bool compress, const VoxelBox& image,
                   const VOI<float>* region);

}  // namespace bix::io

#endif
