#ifndef ORV_VIEW_SAMPLE_VOLUME_H
#define ORV_VIEW_SAMPLE_VOLUME_H

#include <bix/Image3d.h>

#include <memory>

namespace orvview {

// A synthetic fluorescence stack: a few hundred blurred nuclei of varying
// size and brightness over a dim uneven background with shot-like noise,
// 256 x 256 x 64 voxels of 0.2 x 0.2 x 0.5 microns, 16-bit. The same every
// time (fixed seed).
std::unique_ptr<bix::Image3d<unsigned short>> MakeSampleVolume();

}  // namespace orvview

#endif
