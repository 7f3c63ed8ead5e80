#include "label_file.h"

#include "open_image.h"

#include <bix/ChunkedCut.h>
#include <bix/Exceptions.h>
#include <bix/ImageIO.h>
#include <bix/OmeZarr.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace orvview {

namespace {

constexpr unsigned kNarrowLimit = 0x8000;      // the boundary bit of 16-bit labels
constexpr unsigned kWideLimit = 0x80000000u;  // and of 32-bit labels

using Wide = bix::LabeledImage3d<unsigned, unsigned char>;
using Narrow = bix::LabeledImage3d<unsigned short, bool>;

// 16-bit labels with the geometry of `wide` and its values as `label(v)`
// gives them; `components`: the labels they then hold, known from the wide
// image's own scan.
template <class Label>
std::unique_ptr<Narrow> NarrowLabels(const Wide& wide, Label label, const std::vector<unsigned short>& components) {
  const bix::Vector3d<float> offset = wide.GetOffset();
  const bix::Resolution resolution = wide.GetResolution();
  auto narrow = std::make_unique<Narrow>(wide.GetSize(), &offset, &resolution);
  std::transform(wide.begin(), wide.end(), narrow->begin(), label);
  narrow->SetComponents(components);
  return narrow;
}

// Names what a file holds when it is floating-point or RGB: reading it as
// labels has failed then, and the reader's own words are less helpful.
void RefuseVoxelKind(const std::string& path) {
  bix::VoxelType type;
  try {
    type = bix::ReadImageType(path);
  } catch (const bix::IOException&) {
    return;
  }
  const char* kind = type == bix::VOXEL_FLOAT   ? "32-bit floating-point"
                     : type == bix::VOXEL_RGB8  ? "8-bit RGB"
                     : type == bix::VOXEL_RGB16 ? "16-bit RGB"
                                                : nullptr;
  if (kind)
    throw OptionError("'" + path + "' holds " + kind +
                      " voxels; a label image holds whole numbers (8, 16 or 32-bit integers, 0 for background)");
}

// LabelsFromImage for labels whose components are known (UpdateComponents).
ViewerLabels LabelsFromScanned(std::unique_ptr<Wide> wide, bool wideAllowed, const std::string& path) {
  const unsigned highest = wide->GetHighestLabel();
  const std::vector<unsigned>& present = wide->GetComponents();  // ascending, without 0

  ViewerLabels labels;
  if (highest < kNarrowLimit) {
    labels.narrow = NarrowLabels(*wide, [](unsigned v) { return static_cast<unsigned short>(v); },
                                 std::vector<unsigned short>(present.begin(), present.end()));
  } else if (wideAllowed && highest < kWideLimit) {
    labels.wide = std::move(wide);
  } else {
    if (present.size() >= kNarrowLimit)
      throw OptionError("'" + path + "' has " + std::to_string(present.size()) + " labels (up to " +
                        std::to_string(highest) + "); this viewer shows at most 32767 different labels");
    std::vector<unsigned short> renumbered(present.size());
    std::iota(renumbered.begin(), renumbered.end(), static_cast<unsigned short>(1));
    labels.narrow = NarrowLabels(
        *wide,
        [&](unsigned v) {
          return static_cast<unsigned short>(
              v == 0 ? 0 : std::lower_bound(present.begin(), present.end(), v) - present.begin() + 1);
        },
        renumbered);
    std::fprintf(stderr, "orv-view: %s: labels up to %u renumbered 1 to %zu in their order\n", path.c_str(), highest,
                 present.size());
  }
  return labels;
}

}  // namespace

ViewerLabels ReadLabelFile(const std::string& path, bool wideAllowed, const bix::Resolution& imageResolution) {
  auto wide = std::make_unique<Wide>();
  try {
    bix::ReadImage<unsigned>(path, *wide);
  } catch (const bix::IOException& e) {
    RefuseVoxelKind(path);
    throw OptionError(std::string("the label image cannot be read: ") + e.what());
  }
  // A label image placed by the image's voxel size when it has none.
  if (!wide->GetResolution().IsDefined()) wide->SetResolution(imageResolution);
  return LabelsFromImage(std::move(wide), wideAllowed, path);
}

ChunkedLabels ReadChunkedLabels(const std::string& path, bool wideAllowed, const bix::Resolution& imageResolution) {
  ChunkedLabels chunked;
  if (!bix::IsOmeZarr(path)) {
    chunked.labels = ReadLabelFile(path, wideAllowed, imageResolution);
    return chunked;
  }
  auto held = std::make_unique<Wide>();
  try {
    chunked.source = bix::OpenOmeZarr(path);
    chunked.heldLevel = bix::LevelToHold(*chunked.source);
    chunked.source->ReadBox(chunked.heldLevel, 0, 0, bix::Vector3d<unsigned>(0, 0, 0),
                            chunked.source->Level(chunked.heldLevel).size, *held);
  } catch (const std::runtime_error& e) {  // IOException, or LibException for voxels of no label type
    RefuseVoxelKind(path);
    throw OptionError(std::string("the label image cannot be read: ") + e.what());
  }
  held->UpdateComponents();
  if (held->GetHighestLabel() >= (wideAllowed ? kWideLimit : kNarrowLimit)) {
    chunked.source.reset();
    chunked.labels = ReadLabelFile(path, wideAllowed, imageResolution);
    return chunked;
  }
  chunked.labels = LabelsFromScanned(std::move(held), wideAllowed, path);
  return chunked;
}

ViewerLabels LabelsFromImage(std::unique_ptr<bix::LabeledImage3d<unsigned, unsigned char>> wide, bool wideAllowed,
                             const std::string& path) {
  // The labels present and the highest, from the label image's own scan.
  wide->UpdateComponents();
  return LabelsFromScanned(std::move(wide), wideAllowed, path);
}

}  // namespace orvview
