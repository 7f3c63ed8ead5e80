#ifndef BIX_CHUNKEDCUT_H
#define BIX_CHUNKEDCUT_H

// Cuts through a chunked image that never wait for a chunk: each pixel shows
// the finest data at hand (a copy of a coarse level held in memory, then the
// cached chunks of finer levels), and the sampling says which chunks of the
// level it wanted are still to be fetched.

#include <bix/ChunkedImage.h>
#include <bix/Export.h>
#include <bix/Image3d.h>

#include <cstddef>
#include <vector>

namespace bix {

// The level that suits a cut sampled at `pixelRes` pixels per micron whose
// picture runs along axes `h` and `v`: the finest whose voxels are not
// smaller than one pixel along either axis (level 0 when zoomed in, the
// coarsest when zoomed out beyond it).
BIX_EXPORT unsigned LevelForCut(const ChunkedImage& image, const Vector3d<float>& pixelRes, unsigned h, unsigned v);

// The finest level whose voxels are not smaller than `voxelSize` (microns)
// along any axis: a level of another pyramid (the labels of an image) that
// matches a level of this one; the coarsest when none is that coarse.
BIX_EXPORT unsigned LevelForVoxel(const ChunkedImage& image, const Vector3d<float>& voxelSize);

// The level worth holding in memory for everything that needs a whole image
// at once (histograms, the first picture, projections): the coarsest with at
// least `minVoxels` voxels, or level 0 when none has that many.
BIX_EXPORT unsigned LevelToHold(const ChunkedImage& image, std::size_t minVoxels = std::size_t(16) << 20);

// What sampling a cut found missing.
struct CutChunks {
  unsigned level = 0;             // the level the cut was sampled for
  std::vector<ChunkKey> missing;  // its chunks the cut shows that the cache does not hold
  std::vector<ChunkKey> nearby;   // its chunks next to the cut in depth, not cached either
  bool Complete() const { return missing.empty(); }
};

// Samples `slice` (its size, offset and resolution place it; one voxel deep
// along `depthAxis`) from time point t and channel c of `image`, by
// CopyToImage's nearest-voxel rule, without decoding anything: first from
// `held`, a copy of level `heldLevel` in memory, then from the chunks of each
// finer level down to `level` that the cache holds, so that every pixel shows
// the finest data at hand. Pixels outside level `level` are zero, as they are
// outside an image in memory. Once every chunk of `level` the cut touches is
// cached, the slice equals CopyToImage from that level read whole. When
// `level` is not finer than `heldLevel`, `held` is sampled and nothing is
// missing. T must be the image's voxel type (else LibException).
template <class T>
CutChunks SampleCut(const ChunkedImage& image, unsigned t, unsigned c, unsigned level, const Image3d<T>& held,
                    unsigned heldLevel, unsigned depthAxis, Image3d<T>& slice);

#define BIX_DECLARE_SAMPLECUT(T)                                                                          \
  extern template BIX_EXPORT CutChunks SampleCut<T>(const ChunkedImage&, unsigned, unsigned, unsigned,   \
                                                    const Image3d<T>&, unsigned, unsigned, Image3d<T>&);
BIX_FOR_EACH_GRAY_TYPE(BIX_DECLARE_SAMPLECUT)
#undef BIX_DECLARE_SAMPLECUT

// SampleCut for label images (L unsigned short or unsigned int) from a
// chunked image of any integer voxels: the stored values are the labels,
// and those L cannot hold (negative ones, 16-bit labels above 65535) are
// background.
template <class L>
CutChunks SampleLabelCut(const ChunkedImage& image, unsigned t, unsigned c, unsigned level, const Image3d<L>& held,
                         unsigned heldLevel, unsigned depthAxis, Image3d<L>& slice);

#define BIX_DECLARE_SAMPLELABELCUT(L)                                                                     \
  extern template BIX_EXPORT CutChunks SampleLabelCut<L>(const ChunkedImage&, unsigned, unsigned, unsigned, \
                                                         const Image3d<L>&, unsigned, unsigned, Image3d<L>&);
BIX_DECLARE_SAMPLELABELCUT(unsigned short)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_DECLARE_SAMPLELABELCUT)
#undef BIX_DECLARE_SAMPLELABELCUT

}  // namespace bix

#endif
