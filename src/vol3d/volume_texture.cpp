#include "volume_texture.h"

#include "parallel_runs.h"

#include <bix/Types.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace orv {

namespace {

// L in ten-thousandths: exact for 8-bit channels.
constexpr std::uint32_t kLumR = 2989, kLumG = 5870, kLumB = 1141;
constexpr std::uint32_t kLumMax = 255 * (kLumR + kLumG + kLumB);
constexpr unsigned kBucketBits = 8;

std::uint8_t AlphaOfLuminance(std::uint32_t lum) {
  const double l = lum / 10000.0;
  return static_cast<std::uint8_t>(255.0 * std::sin(M_PI / 2 * l / 255.0));
}

// The alpha rises by less than 0.05 over one bucket of 256 luminance steps,
// so each bucket holds its first alpha and the luminance where it steps up.
struct AlphaTable {
  struct Bucket {
    std::uint8_t alpha;
    std::uint32_t step;  // first luminance of the bucket with alpha + 1
  };
  std::vector<Bucket> buckets;

  AlphaTable() : buckets((kLumMax >> kBucketBits) + 1) {
    for (std::size_t i = 0; i < buckets.size(); ++i) {
      const std::uint32_t first = static_cast<std::uint32_t>(i << kBucketBits);
      const std::uint32_t last = std::min<std::uint32_t>(kLumMax, first + (1u << kBucketBits) - 1);
      Bucket& b = buckets[i];
      b.alpha = AlphaOfLuminance(first);
      b.step = UINT32_MAX;
      for (std::uint32_t l = first + 1; l <= last; ++l)
        if (AlphaOfLuminance(l) != b.alpha) {
          b.step = l;
          break;
        }
    }
  }
  std::uint8_t operator()(std::uint32_t lum) const {
    const Bucket& b = buckets[lum >> kBucketBits];
    return static_cast<std::uint8_t>(b.alpha + (lum >= b.step));
  }
};

const AlphaTable& Alphas() {
  static const AlphaTable table;
  return table;
}

unsigned Reduced(unsigned n, unsigned factor) { return (n + factor - 1) / factor; }

using bix::RGB8;

// Writes one inner row: transparent border voxel, the colours, border voxel.
void WriteRow(std::uint8_t* row, const RGB8* colours, unsigned count, const AlphaTable& alphas) {
  std::memset(row, 0, 4);
  std::uint8_t* p = row + 4;
  for (unsigned x = 0; x < count; ++x, p += 4) {
    const RGB8& c = colours[x];
    p[0] = c.red;
    p[1] = c.green;
    p[2] = c.blue;
    p[3] = alphas(kLumR * c.red + kLumG * c.green + kLumB * c.blue);
  }
  std::memset(p, 0, 4);
}

}  // namespace

std::uint64_t VolumeTextureBytes(const bix::Vector3d<unsigned>& size, unsigned factor) {
  std::uint64_t bytes = 4;
  for (unsigned a = 0; a < 3; ++a) bytes *= std::uint64_t(Reduced(size[a], factor)) + 2;
  return bytes;
}

unsigned ChooseVolumeFactor(const bix::Vector3d<unsigned>& size, unsigned maxSide, std::uint64_t budget) {
  if (maxSide < 3) return 0;
  const unsigned longest = std::max({size.x, size.y, size.z, 1u});
  for (unsigned f = 1; f <= longest; ++f) {
    bool fits = VolumeTextureBytes(size, f) <= budget;
    for (unsigned a = 0; a < 3; ++a) fits = fits && Reduced(size[a], f) + 2 <= maxSide;
    if (fits) return f;
  }
  return 0;
}

std::uint8_t LuminanceAlpha(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return Alphas()(kLumR * r + kLumG * g + kLumB * b);
}

bix::Vector3d<float> VolumeTextureScale(const bix::Vector3d<unsigned>& inner, const bix::Vector3d<unsigned>& padded,
                                        const bix::Vector3d<float>& res) {
  const float X = static_cast<float>(padded.x), Y = static_cast<float>(padded.y), Z = static_cast<float>(padded.z);
  const float m = std::max({inner.x / (X * res.x), inner.y / (X * res.y), inner.z / (X * res.z)});
  return bix::Vector3d<float>(res.x * m, (X * res.y / Y) * m, 0.5f * (X * res.z / Z) * m);
}

template <class T>
bool BuildVolumeTexture(const bix::Image3d<T>& image, const orv_Mapper<T>& mapper, unsigned factor,
                        VolumeTexture& out) {
  out = VolumeTexture();
  const bix::Vector3d<unsigned> n = image.GetSize();
  const T* voxels = image.GetFirstVoxelAddr();
  if (factor == 0 || !voxels) return false;
  const bix::Vector3d<unsigned> inner(Reduced(n.x, factor), Reduced(n.y, factor), Reduced(n.z, factor));
  const bix::Vector3d<unsigned> padded(inner.x + 2, inner.y + 2, inner.z + 2);
  const std::size_t rowBytes = std::size_t(4) * padded.x, sliceBytes = rowBytes * padded.y;
  std::unique_ptr<std::uint8_t[]> rgba(new (std::nothrow) std::uint8_t[sliceBytes * padded.z]);
  if (!rgba) return false;
  const AlphaTable& alphas = Alphas();
  const std::size_t sliceVoxels = std::size_t(n.x) * n.y;
  // Runs of slices on every core; within a run one slice at a time, so the
  // mapped colours of a slice stay in the cache while they become RGBA.
  std::atomic<bool> failed(false);
  const auto slices = [&](std::size_t, std::size_t first, std::size_t last) {
    Buffer2d<RGB8> mapped;
    std::vector<T> picked;
    try {
      mapped.Resize(inner.x, inner.y);
      if (factor > 1) picked.resize(std::size_t(inner.x) * inner.y);
    } catch (const std::bad_alloc&) {
      failed = true;
      return;
    }
    for (std::size_t z = first; z < last; ++z) {
      const T* slice = voxels + sliceVoxels * z * factor;
      if (factor > 1) {
        // A reduced stack shows every factor-th voxel, as a cut window
        // zoomed out shows one voxel per pixel.
        for (unsigned y = 0; y < inner.y; ++y) {
          const T* row = slice + std::size_t(n.x) * y * factor;
          T* to = &picked[std::size_t(y) * inner.x];
          for (unsigned x = 0; x < inner.x; ++x) to[x] = row[std::size_t(x) * factor];
        }
        slice = picked.data();
      }
      mapper.Map(slice, mapped);
      std::uint8_t* plane = rgba.get() + sliceBytes * (z + 1);
      std::memset(plane, 0, rowBytes);
      for (unsigned y = 0; y < inner.y; ++y) WriteRow(plane + rowBytes * (y + 1), &mapped.At(0, y), inner.x, alphas);
      std::memset(plane + rowBytes * (padded.y - 1), 0, rowBytes);
    }
  };
  const std::size_t outVoxels = std::size_t(inner.x) * inner.y * inner.z;
  ForEachRun(inner.z, std::min<std::size_t>(inner.z, RunsFor(outVoxels)), slices);
  if (failed) return false;
  std::memset(rgba.get(), 0, sliceBytes);
  std::memset(rgba.get() + sliceBytes * (padded.z - 1), 0, sliceBytes);

  const bix::Vector3d<float>& r = image.GetResolution().GetRes();
  const float f = static_cast<float>(factor);
  out.scale = VolumeTextureScale(inner, padded, bix::Vector3d<float>(r.x / f, r.y / f, r.z / f));
  out.rgba = std::move(rgba);
  out.size = padded;
  out.factor = factor;
  return true;
}

#define ORV_INSTANTIATE_VOLUME_TEXTURE(T) \
  template bool BuildVolumeTexture<T>(const bix::Image3d<T>&, const orv_Mapper<T>&, unsigned, VolumeTexture&);
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_VOLUME_TEXTURE)

}  // namespace orv
