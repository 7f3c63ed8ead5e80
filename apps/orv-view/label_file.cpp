#include "label_file.h"

#include "open_image.h"

#include <bix/Exceptions.h>
#include <bix/ImageIO.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace orvview {

namespace {

constexpr unsigned kNarrowLimit = 0x8000;      // the boundary bit of 16-bit labels
constexpr unsigned kWideLimit = 0x80000000u;  // and of 32-bit labels

// A label image of type Labels with the geometry and (converted) values of `raw`.
template <class Labels, class Convert>
std::unique_ptr<Labels> LabelsLike(const bix::Image3d<unsigned>& raw, Convert convert) {
  const bix::Vector3d<float> offset = raw.GetOffset();
  const bix::Resolution resolution = raw.GetResolution();
  auto labels = std::make_unique<Labels>(raw.GetSize(), &offset, &resolution);
  std::transform(raw.begin(), raw.end(), labels->begin(), convert);
  labels->UpdateComponents();
  return labels;
}

void RefuseVoxelKind(const std::string& path) {
  const bix::VoxelType type = bix::ReadImageType(path);
  const char* kind = type == bix::VOXEL_FLOAT   ? "32-bit floating-point"
                     : type == bix::VOXEL_RGB8  ? "8-bit RGB"
                     : type == bix::VOXEL_RGB16 ? "16-bit RGB"
                                                : nullptr;
  if (kind)
    throw OptionError("'" + path + "' holds " + kind +
                      " voxels; a label image holds whole numbers (8, 16 or 32-bit integers, 0 for background)");
}

}  // namespace

ViewerLabels ReadLabelFile(const std::string& path, bool wideAllowed, const bix::Resolution& imageResolution) {
  bix::Image3d<unsigned> raw;
  try {
    RefuseVoxelKind(path);
    bix::ReadImage<unsigned>(path, raw);
  } catch (const bix::IOException& e) {
    throw OptionError(std::string("the label image cannot be read: ") + e.what());
  }
  // A label image placed by the image's voxel size when it has none.
  if (!raw.GetResolution().IsDefined()) raw.SetResolution(imageResolution);

  ViewerLabels labels;
  const unsigned highest = raw.GetVoxelCount() ? *std::max_element(raw.begin(), raw.end()) : 0;
  if (highest < kNarrowLimit) {
    labels.narrow = LabelsLike<bix::LabeledImage3d<unsigned short, bool>>(
        raw, [](unsigned v) { return static_cast<unsigned short>(v); });
    return labels;
  }
  if (wideAllowed && highest < kWideLimit) {
    labels.wide = LabelsLike<bix::LabeledImage3d<unsigned, unsigned char>>(raw, [](unsigned v) { return v; });
    return labels;
  }
  std::vector<unsigned> present(raw.begin(), raw.end());
  std::sort(present.begin(), present.end());
  present.erase(std::unique(present.begin(), present.end()), present.end());
  if (present.front() != 0) present.insert(present.begin(), 0);  // background keeps 0
  const std::size_t count = present.size() - 1;
  if (count >= kNarrowLimit)
    throw OptionError("'" + path + "' has " + std::to_string(count) + " labels (up to " + std::to_string(highest) +
                      "); this viewer shows at most 32767 different labels");
  labels.narrow = LabelsLike<bix::LabeledImage3d<unsigned short, bool>>(raw, [&](unsigned v) {
    return static_cast<unsigned short>(std::lower_bound(present.begin(), present.end(), v) - present.begin());
  });
  std::fprintf(stderr, "orv-view: %s: labels up to %u renumbered 1 to %zu in their order\n", path.c_str(), highest,
               count);
  return labels;
}

}  // namespace orvview
