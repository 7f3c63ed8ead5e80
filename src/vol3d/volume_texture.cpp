#include "volume_texture.h"

#include <bix/Types.h>

#include <algorithm>
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

using RGB8 = bix::RGB_generic<unsigned char>;

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
  if (factor == 0 || !image.GetFirstVoxelAddr()) return false;
  const bix::Vector3d<unsigned> inner(Reduced(n.x, factor), Reduced(n.y, factor), Reduced(n.z, factor));
  const bix::Vector3d<unsigned> padded(inner.x + 2, inner.y + 2, inner.z + 2);
  const std::size_t rowBytes = std::size_t(4) * padded.x, sliceBytes = rowBytes * padded.y;
  std::unique_ptr<std::uint8_t[]> rgba(new (std::nothrow) std::uint8_t[sliceBytes * padded.z]);
  if (!rgba) return false;
  const AlphaTable& alphas = Alphas();
  const std::size_t sliceVoxels = std::size_t(n.x) * n.y;
  Buffer2d<RGB8> mapped;
  std::vector<RGB8> averaged(factor > 1 ? std::size_t(inner.x) * inner.y : 0);
  std::vector<std::uint32_t> sums(factor > 1 ? std::size_t(inner.x) * inner.y * 3 : 0);
  try {
    mapped.Resize(n.x, n.y);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::memset(rgba.get(), 0, sliceBytes);
  for (unsigned z = 0; z < inner.z; ++z) {
    std::uint8_t* slice = rgba.get() + sliceBytes * (z + 1);
    std::memset(slice, 0, rowBytes);
    std::memset(slice + rowBytes * (padded.y - 1), 0, rowBytes);
    if (factor == 1) {
      mapper.Map(image.GetFirstVoxelAddr() + sliceVoxels * z, mapped);
      for (unsigned y = 0; y < n.y; ++y) WriteRow(slice + rowBytes * (y + 1), &mapped.At(0, y), n.x, alphas);
      continue;
    }
    // Sum the mapped colours of the block's slices, then divide by the
    // number of image voxels in each block.
    std::fill(sums.begin(), sums.end(), 0u);
    const unsigned z0 = z * factor, z1 = std::min(n.z, z0 + factor);
    for (unsigned sz = z0; sz < z1; ++sz) {
      mapper.Map(image.GetFirstVoxelAddr() + sliceVoxels * sz, mapped);
      for (unsigned y = 0; y < n.y; ++y) {
        std::uint32_t* row = &sums[std::size_t(y / factor) * inner.x * 3];
        const RGB8* c = &mapped.At(0, y);
        for (unsigned x = 0; x < n.x; ++x) {
          std::uint32_t* s = row + std::size_t(x / factor) * 3;
          s[0] += c[x].red;
          s[1] += c[x].green;
          s[2] += c[x].blue;
        }
      }
    }
    for (unsigned y = 0; y < inner.y; ++y) {
      const unsigned cy = std::min(n.y, (y + 1) * factor) - y * factor;
      for (unsigned x = 0; x < inner.x; ++x) {
        const unsigned cx = std::min(n.x, (x + 1) * factor) - x * factor;
        const std::uint32_t count = cx * cy * (z1 - z0);
        const std::uint32_t* s = &sums[(std::size_t(y) * inner.x + x) * 3];
        averaged[std::size_t(y) * inner.x + x] =
            RGB8(static_cast<unsigned char>(s[0] / count), static_cast<unsigned char>(s[1] / count),
                 static_cast<unsigned char>(s[2] / count));
      }
      WriteRow(slice + rowBytes * (y + 1), &averaged[std::size_t(y) * inner.x], inner.x, alphas);
    }
  }
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
