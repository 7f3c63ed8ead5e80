#ifndef BIX_IO_IMAGEWRITERS_H
#define BIX_IO_IMAGEWRITERS_H

#include "TiffFile.h"
#include "VoxelBox.h"

#include <cstdint>

#include <string>

namespace bix::io {

// The deflate level of every compressed format: level 1 keeps saving a
// gigabyte stack to seconds, and the noise of microscope images leaves
// higher levels little to gain.
constexpr int kDeflateLevel = 1;

// Each writer writes `box` to the file at `path` (an existing, empty
// temporary file) and raises IOException about `name`, the file the user
// asked for.
void WriteTiff(const std::string& path, const std::string& name, const VoxelBox& box, bool compress);
// Writes the z planes of `box` as pages of an open TIFF, the first with
// `description` when given; pages are numbered from `firstPage` in messages.
void WriteTiffPages(TiffFile& file, const VoxelBox& box, bool compress, const std::string* description,
                    std::uint64_t firstPage);
// Whether a TIFF of `bytes` of data needs BigTIFF's offsets.
bool NeedsBigTiff(std::uint64_t bytes);
// version 2 puts header and data in `path`; version 1 writes the header to
// `path` (which ends in .ics) and the data to the same name ending in .ids.
void WriteIcs(const std::string& path, const std::string& name, const VoxelBox& box, bool compress,
              int version);
void WriteBix(const std::string& path, const std::string& name, const VoxelBox& box, bool compress);

}  // namespace bix::io

#endif
