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

using Wide = bix::LabeledImage3d<unsigned, unsigned char>;
using Narrow = bix::LabeledImage3d<unsigned short, bool>;

// 16-bit labels with the geometry of `wide` and its values as `label(v)` gives them.
template <class Label>
std::unique_ptr<Narrow> NarrowLabels(const Wide& wide, Label label) {
  const bix::Vector3d<float> offset = wide.GetOffset();
  const bix::Resolution resolution = wide.GetResolution();
  auto narrow = std::make_unique<Narrow>(wide.GetSize(), &offset, &resolution);
  std::transform(wide.begin(), wide.end(), narrow->begin(), label);
  narrow->UpdateComponents();
  return narrow;
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
  auto wide = std::make_unique<Wide>();
  try {
    RefuseVoxelKind(path);
    bix::ReadImage<unsigned>(path, *wide);
  } catch (const bix::IOException& e) {
    throw OptionError(std::string("the label image cannot be read: ") + e.what());
  }
  // A label image placed by the image's voxel size when it has none.
  if (!wide->GetResolution().IsDefined()) wide->SetResolution(imageResolution);
  // The labels present and the highest, from the label image's own scan.
  wide->UpdateComponents();
  const unsigned highest = wide->GetHighestLabel();

  ViewerLabels labels;
  if (highest < kNarrowLimit) {
    labels.narrow = NarrowLabels(*wide, [](unsigned v) { return static_cast<unsigned short>(v); });
  } else if (wideAllowed && highest < kWideLimit) {
    labels.wide = std::move(wide);
  } else {
    const std::vector<unsigned>& present = wide->GetComponents();  // ascending, without 0
    if (present.size() >= kNarrowLimit)
      throw OptionError("'" + path + "' has " + std::to_string(present.size()) + " labels (up to " +
                        std::to_string(highest) + "); this viewer shows at most 32767 different labels");
    labels.narrow = NarrowLabels(*wide, [&](unsigned v) {
      return static_cast<unsigned short>(v == 0 ? 0 : std::lower_bound(present.begin(), present.end(), v) - present.begin() + 1);
    });
    std::fprintf(stderr, "orv-view: %s: labels up to %u renumbered 1 to %zu in their order\n", path.c_str(), highest,
                 present.size());
  }
  return labels;
}

}  // namespace orvview
