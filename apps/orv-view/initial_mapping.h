#ifndef ORV_VIEW_INITIAL_MAPPING_H
#define ORV_VIEW_INITIAL_MAPPING_H

#include <string>

namespace orvview {

// The bits that hold the brightest voxel: the smallest k with 2^k - 1 at or
// above it (at least 1), the depth "Set bitdepth..." would be answered with.
int DataBitDepth(unsigned long brightest);

// The stretch an image opens with unless --stretch names one: 8-bit RGB
// shows its colours as stored ("none"); everything else "linear".
std::string DefaultStretch(bool rgb, int bitsPerChannel);

// Why a stretch cannot be applied to an image, in words for the user; empty
// when it can. Gray images have no smart stretch.
std::string StretchProblem(const std::string& stretch, bool rgb);

}  // namespace orvview

#endif
