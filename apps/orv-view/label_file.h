#ifndef ORV_VIEW_LABEL_FILE_H
#define ORV_VIEW_LABEL_FILE_H

#include <bix/ChunkedImage.h>
#include <bix/LabeledImage3d.h>
#include <bix/Resolution.h>

#include <memory>
#include <string>

namespace orvview {

// A label image in the label type a viewer shows it with: 16-bit labels
// (below 0x8000, the boundary bit of the overlay), or 32-bit labels, which
// only viewers of 8-bit images have.
struct ViewerLabels {
  std::unique_ptr<bix::LabeledImage3d<unsigned short, bool>> narrow;
  std::unique_ptr<bix::LabeledImage3d<unsigned int, unsigned char>> wide;
  bool Empty() const { return !narrow && !wide; }
};

// Reads a label image (TIFF, ICS or .bix of 8, 16 or 32-bit integers, none
// negative) for a viewer whose image has `imageResolution`, taken when the
// file gives no voxel size. Labels below 0x8000 stay as they are; larger ones
// stay in 32-bit labels when `wideAllowed`, are otherwise renumbered 1, 2, ...
// in ascending order when there are fewer than 0x8000 of them (said on
// stderr), or refused. Raises OptionError naming the file and the reason.
ViewerLabels ReadLabelFile(const std::string& path, bool wideAllowed, const bix::Resolution& imageResolution);

// The same for labels already in memory; `name` names them in messages.
ViewerLabels LabelsFromImage(std::unique_ptr<bix::LabeledImage3d<unsigned, unsigned char>> labels, bool wideAllowed,
                             const std::string& name);

// An OME-Zarr label image (a folder or URL) shown from its chunks: `labels`
// hold one coarse level (`heldLevel` of `source`), read now; the cuts take
// the finer levels' chunks as they need them. `source` is null when the
// labels were read whole instead, which they are when they are no OME-Zarr
// or their held level needs renumbering (their chunks could not follow).
struct ChunkedLabels {
  ViewerLabels labels;
  std::shared_ptr<const bix::ChunkedImage> source;
  unsigned heldLevel = 0;
};
ChunkedLabels ReadChunkedLabels(const std::string& path, bool wideAllowed, const bix::Resolution& imageResolution);

}  // namespace orvview

#endif
