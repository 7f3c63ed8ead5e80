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
  return !options.image.empty() && !bix::IsOmeZarr(options.image) && EndsWith(s.data, ".zarr") && s.view.empty() &&
         s.gallery.empty() && options.snapshot.empty() && options.snapshot3d.empty() && options.labels.empty() &&
         options.points.empty() && !options.hasVoxelSize;
}

int RunZarrConversion(const ViewerOptions& options) {
  bix::ReadOptions read;
  read.channels = options.channels;
  read.timePoint = options.timePoint;
  try {
    bix::ConvertToOmeZarr(options.image, options.saves.data, read);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orv-view: %s\n", e.what());
    return 1;
  }
  std::printf("orv-view: %s saved as OME-Zarr to %s\n", options.image.c_str(), options.saves.data.c_str());
  return 0;
}

}  // namespace orvview
