#ifndef ORV_VIEW_SAMPLE_VOLUME_H
#define ORV_VIEW_SAMPLE_VOLUME_H

#include <bix/Image3d.h>
#include <bix/LabeledImage3d.h>

#include <memory>

namespace orvview {

// A synthetic fluorescence stack: a few hundred blurred nuclei of varying
// size and brightness over a dim uneven background with shot-like noise,
// 256 x 256 x 64 voxels of 0.2 x 0.2 x 0.5 microns, 16-bit. The same every
// time (fixed seed).
std::unique_ptr<bix::Image3d<unsigned short>> MakeSampleVolume();

// The exact segmentation of the sample stack, on its grid: each voxel
// inside a nucleus's ellipsoid carries the nucleus's number (from 1, in the
// order they were made), 0 elsewhere. Where nuclei overlap, the voxel goes
// to the one that gives it the most light.
std::unique_ptr<bix::LabeledImage3d<unsigned short, bool>> MakeSampleLabels();

// Both at once, each nucleus drawn once for both (labels only when asked).
struct SampleStack {
  std::unique_ptr<bix::Image3d<unsigned short>> image;
  std::unique_ptr<bix::LabeledImage3d<unsigned short, bool>> labels;
};
SampleStack MakeSampleStack(bool withLabels);

}  // namespace orvview

#endif
