#ifndef ORV_SRC_VOL3D_VOLUME_TEXTURE_H
#define ORV_SRC_VOL3D_VOLUME_TEXTURE_H

// The image as the volume window's 3D texture: every voxel through the
// viewer's mapper, so the volume shows exactly the colours of the cuts, with
// an opacity that grows with the colour's luminance. Display-free.

#include <orv/orv_mapper.h>

#include <bix/Image3d.h>
#include <bix/Vector3d.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace orv {

// Host memory that one texture may take (4 bytes per padded voxel). Larger
// stacks are reduced by a whole factor until they fit.
constexpr std::uint64_t kVolumeTextureBudget = std::uint64_t(256) << 20;

// RGBA voxels, x fastest, then y, then z, with a border one voxel thick of
// transparent black on all six faces.
struct VolumeTexture {
  std::unique_ptr<std::uint8_t[]> rgba;
  bix::Vector3d<unsigned> size;  // padded counts
  // Maps the model box [-1, 1]^3 onto the texture with the image's true
  // proportions: (longest physical side) / (padded physical side) per axis,
  // z halved for the renderer's texture matrix.
  bix::Vector3d<float> scale;
  unsigned factor = 1;  // image voxels per texture voxel along each axis
};

// Bytes of the padded texture of `size` voxels reduced by `factor`, in 64 bits.
std::uint64_t VolumeTextureBytes(const bix::Vector3d<unsigned>& size, unsigned factor);

// The smallest factor with which every padded side stays within `maxSide`
// and the texture within `budget` bytes; 0 when none does (maxSide < 3).
unsigned ChooseVolumeFactor(const bix::Vector3d<unsigned>& size, unsigned maxSide, std::uint64_t budget);

// Opacity of a mapped colour: trunc(255 sin(pi/2 L / 255)) with
// L = 0.2989 R + 0.587 G + 0.1141 B, evaluated from the exact L.
std::uint8_t LuminanceAlpha(std::uint8_t r, std::uint8_t g, std::uint8_t b);

// The texture scale of a texture of padded counts `padded` holding `inner`
// voxels of resolution `res` (pixels per micron) per axis.
bix::Vector3d<float> VolumeTextureScale(const bix::Vector3d<unsigned>& inner, const bix::Vector3d<unsigned>& padded,
                                        const bix::Vector3d<float>& res);

// The shape of the texture of an image of `size` voxels of resolution `res`
// reduced by `factor`: padded counts, scale and factor.
struct VolumeTextureShape {
  bix::Vector3d<unsigned> size;
  bix::Vector3d<float> scale;
  unsigned factor = 1;
};
VolumeTextureShape ShapeOfVolumeTexture(const bix::Vector3d<unsigned>& size, const bix::Vector3d<float>& res,
                                        unsigned factor);

// Takes `planes` whole padded planes of the texture from plane `first`
// (RGBA, x fastest), valid during the call.
using VolumeSlabSink = std::function<void(unsigned first, unsigned planes, const std::uint8_t* rgba)>;

// One channel of a composite texture: its stack and its mapper. The texture
// shows the sum of the channels' mapped colours (clamped); every stack has
// the first one's size.
template <class T>
struct VolumeChannel {
  const bix::Image3d<T>* image;
  const orv_Mapper<T>* mapper;
};

// The texture of `image` through `mapper` (as BuildVolumeTexture makes it)
// slab by slab of planes, made on every core and handed to `take` on the
// calling thread as they are done, in no set order: each can be uploaded
// while the next are made, and no more than a few slabs are ever held.
// False when the memory cannot be had (the slabs taken are then not all).
template <class T>
bool StreamVolumeTexture(const bix::Image3d<T>& image, const orv_Mapper<T>& mapper, unsigned factor,
                         const VolumeSlabSink& take);
// The same for the composite of several channels.
template <class T>
bool StreamVolumeTexture(const std::vector<VolumeChannel<T>>& channels, unsigned factor, const VolumeSlabSink& take);

// Builds the texture of `image` through `mapper`. With a factor above 1 the
// texture holds every factor-th voxel along each axis (from voxel 0), each
// shown as the cuts show it. False when the memory cannot be had; `out` is
// then left empty.
template <class T>
bool BuildVolumeTexture(const bix::Image3d<T>& image, const orv_Mapper<T>& mapper, unsigned factor,
                        VolumeTexture& out);

}  // namespace orv

#endif
