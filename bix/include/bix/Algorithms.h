#ifndef BIX_ALGORITHMS_H
#define BIX_ALGORITHMS_H

#include <bix/Image3d.h>
#include <bix/LabeledImage3d.h>

#include <vector>

namespace bix {

// Resamples `source` onto the grid of `destination`, which keeps its own
// offset, resolution and size. Destination voxel i along an axis samples the
// physical position offset + i / resolution (its lower corner) and takes the
// source voxel floor((p - source offset) * source resolution); positions
// outside the source give a zero voxel. Positions are computed in double
// precision and snapped up when they lie within 1/10000 of a voxel below a
// voxel boundary (more far from the origin, see VoxelIndexAt), so that
// boundaries given in single precision do not fall into the previous voxel.
// The per-axis index tables are cached between calls, per calling thread (a
// dozen geometries: three windows' axes and a few zooms), so a cut moving
// along one axis only remakes that axis's table, and calls from several
// threads at once are safe.
template <class T>
void CopyToImage(const Image3d<T>& source, Image3d<T>& destination);

// The index, along one axis, of the voxel that holds position p (microns) by
// CopyToImage's rule: floor((p - offset) * res), snapped up within 1/10000 of
// a voxel below a boundary, or within the rounding of single precision at the
// magnitude of p and offset where that is more. Whatever names the voxel
// under a displayed position uses this, so that it names the voxel drawn there.
double VoxelIndexAt(double p, double offset, double res);

// Extended-depth-of-field projections along z (XY), y (XZ) and x (YZ). Each
// ray keeps the voxel of the slice that is sharpest there: the largest
// variance of the 3 x 3 in-plane neighbourhood (edges replicated; luminance
// 0.299 R + 0.587 G + 0.114 B for colour voxels), ties going to the smallest
// depth. The result has the source's resolution and in-plane offset, depth
// offset 0 and depth 1: XY is sx x sy x 1, XZ sx x 1 x sz, YZ 1 x sy x sz.
template <class T>
void Get_AF_XY(const Image3d<T>& source, Image3d<T>& destination);
template <class T>
void Get_AF_XZ(const Image3d<T>& source, Image3d<T>& destination);
template <class T>
void Get_AF_YZ(const Image3d<T>& source, Image3d<T>& destination);

// Label projections along z (XY), y (XZ) and x (YZ), with the geometry of the
// autofocus projections. A label is visible when it indexes `visibility` and
// that entry is true. With `form` true each ray gives the first visible label
// along the depth axis (0 if none); with `form` false that label is kept only
// on the outline of each projected component (a pixel whose 4-neighbour in
// the plane carries another projected label, 0 included) and 0 elsewhere.
template <class L, class B>
void Get_Labeled_AF_XY(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                       const std::vector<B>& visibility, bool form);
template <class L, class B>
void Get_Labeled_AF_XZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                       const std::vector<B>& visibility, bool form);
template <class L, class B>
void Get_Labeled_AF_YZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                       const std::vector<B>& visibility, bool form);

// The same with every label from 1 to `highestVisible` visible and no
// table (one entry per label value would take gigabytes for a label
// numbered 2^31 - 1).
template <class L, class B>
void Get_Labeled_AF_XY(const LabeledImage3d<L, B>& labels, Image3d<L>& destination, L highestVisible, bool form);
template <class L, class B>
void Get_Labeled_AF_XZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination, L highestVisible, bool form);
template <class L, class B>
void Get_Labeled_AF_YZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination, L highestVisible, bool form);

// Turns a label projection of the first form (`form` true above) into the
// second in place: each label kept only on its outline. `depthAxis` is the
// axis projected along (0 for YZ, 1 for XZ, 2 for XY). Both forms of a plane
// thus cost one pass over the labels.
template <class L>
void KeepLabelOutline(Image3d<L>& projection, unsigned depthAxis);

}  // namespace bix

#endif
