#include "zarr_conversion.h"

#include <bix/OmeZarr.h>

#include <cstdio>
#include <exception>

namespace orvview {

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool IsZarrConversion(const ViewerOptions& options) {
  const BatchSaves& s = options.saves;
  if (options.image.empty() || !EndsWith(s.data, ".zarr") || !s.view.empty() || !s.gallery.empty() ||
      !options.snapshot.empty() || !options.snapshot3d.empty() || !options.labels.empty() || !options.points.empty() ||
      options.hasVoxelSize)
    return false;
  // RGB images are written from a viewer's memory; a file that cannot be
  // read is said by the viewer's way too.
  try {
    const bix::VoxelType type = bix::ReadImageType(options.image, ReadOptionsOf(options));
    return type != bix::VOXEL_RGB8 && type != bix::VOXEL_RGB16;
  } catch (const std::exception&) {
    return false;
  }
}

int RunZarrConversion(const ViewerOptions& options) {
  const bix::ReadOptions read = ReadOptionsOf(options);
  try {
    if (bix::IsOmeZarr(options.image)) {
      // A store's finest level, at the chosen channel and time point.
      const auto store = bix::OpenOmeZarr(options.image);
      const unsigned channel = read.channels.empty() ? 1 : read.channels[0];
      bix::WriteOmeZarr(*store, 0, read.timePoint - 1, channel - 1, options.saves.data);
    } else {
      bix::ConvertToOmeZarr(options.image, options.saves.data, read);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orv-view: %s\n", e.what());
    return 1;
  }
  std::printf("orv-view: %s saved as OME-Zarr to %s\n", options.image.c_str(), options.saves.data.c_str());
  return 0;
}

}  // namespace orvview
