#include "volume_texture.h"

#include "colour_sum.h"
#include "parallel_runs.h"

#include <bix/Types.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cmath>
#include <cstring>
#include <mutex>
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

VolumeTextureShape ShapeOfVolumeTexture(const bix::Vector3d<unsigned>& size, const bix::Vector3d<float>& res,
                                        unsigned factor) {
  VolumeTextureShape shape;
  if (factor == 0) return shape;
  const bix::Vector3d<unsigned> inner(Reduced(size.x, factor), Reduced(size.y, factor), Reduced(size.z, factor));
  shape.size = bix::Vector3d<unsigned>(inner.x + 2, inner.y + 2, inner.z + 2);
  const float f = static_cast<float>(factor);
  shape.scale = VolumeTextureScale(inner, shape.size, bix::Vector3d<float>(res.x / f, res.y / f, res.z / f));
  shape.factor = factor;
  return shape;
}

namespace {

// A few planes of the texture in the making, passed between the workers
// that fill them and the calling thread that takes them.
struct Slab {
  std::vector<std::uint8_t> rgba;
  unsigned first = 0, planes = 0;
};

}  // namespace

// Slabs of whole planes are filled on every core, one slice at a time so
// that the mapped colours of a slice stay in the cache while they become
// RGBA, and handed to the calling thread as they are done; each worker has
// two, so that it fills one while the other is being taken.
template <class T>
bool StreamVolumeTexture(const bix::Image3d<T>& image, const orv_Mapper<T>& mapper, unsigned factor,
                         const VolumeSlabSink& take) {
  return StreamVolumeTexture(std::vector<VolumeChannel<T>>{{&image, &mapper}}, factor, take);
}

template <class T>
bool StreamVolumeTexture(const std::vector<VolumeChannel<T>>& channels, unsigned factor, const VolumeSlabSink& take) {
  if (factor == 0 || channels.empty()) return false;
  for (const VolumeChannel<T>& channel : channels)
    if (!channel.image->GetFirstVoxelAddr() || channel.image->GetSize() != channels.front().image->GetSize())
      return false;
  const bix::Image3d<T>& image = *channels.front().image;
  const bix::Vector3d<unsigned> n = image.GetSize();
  const bix::Vector3d<unsigned> padded = ShapeOfVolumeTexture(n, image.GetResolution().GetRes(), factor).size;
  const bix::Vector3d<unsigned> inner(padded.x - 2, padded.y - 2, padded.z - 2);
  const std::size_t rowBytes = std::size_t(4) * padded.x, sliceBytes = rowBytes * padded.y;
  const std::size_t sliceVoxels = std::size_t(n.x) * n.y;
  // Slabs of about 4 MiB: small enough to stay near the cores, large enough
  // that handing them over costs nothing.
  const unsigned perSlab = static_cast<unsigned>(std::clamp<std::size_t>((std::size_t(4) << 20) / sliceBytes, 1, padded.z));
  const unsigned slabs = (padded.z + perSlab - 1) / perSlab;
  const std::size_t outVoxels = std::size_t(inner.x) * inner.y * inner.z;
  const std::size_t workers = std::min<std::size_t>(slabs, RunsFor(outVoxels));
  const AlphaTable& alphas = Alphas();

  std::vector<Slab> pool(2 * workers);
  std::vector<Slab*> empty, done;
  for (Slab& slab : pool) empty.push_back(&slab);
  std::mutex mutex;
  std::condition_variable changed;
  std::atomic<unsigned> next(0);
  bool failed = false;
  // `mapped`, `added` and `picked`: the worker's own, kept from slab to slab.
  auto fill = [&](Slab& slab, Buffer2d<RGB8>& mapped, Buffer2d<RGB8>& added, std::vector<T>& picked) {
    slab.rgba.resize(sliceBytes * slab.planes);
    for (unsigned k = 0; k < slab.planes; ++k) {
      const unsigned pz = slab.first + k;
      std::uint8_t* plane = slab.rgba.data() + sliceBytes * k;
      if (pz == 0 || pz == padded.z - 1) {
        std::memset(plane, 0, sliceBytes);
        continue;
      }
      if (mapped.IsEmpty()) {
        mapped.Resize(inner.x, inner.y);
        if (factor > 1) picked.resize(std::size_t(inner.x) * inner.y);
      }
      for (std::size_t c = 0; c < channels.size(); ++c) {
        const T* slice = channels[c].image->GetFirstVoxelAddr() + sliceVoxels * (pz - 1) * factor;
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
        if (c == 0) {
          channels[c].mapper->Map(slice, mapped);
        } else {
          if (added.IsEmpty()) added.Resize(inner.x, inner.y);
          channels[c].mapper->Map(slice, added);
          AddColoursClamped(added.data, mapped.data, std::size_t(inner.x) * inner.y);
        }
      }
      std::memset(plane, 0, rowBytes);
      for (unsigned y = 0; y < inner.y; ++y) WriteRow(plane + rowBytes * (y + 1), &mapped.At(0, y), inner.x, alphas);
      std::memset(plane + rowBytes * (padded.y - 1), 0, rowBytes);
    }
  };
  // A slab from `list` once there is one (null once anything failed), and
  // back onto a list.
  auto takeFrom = [&](std::vector<Slab*>& list) -> Slab* {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return failed || !list.empty(); });
    if (failed) return nullptr;
    Slab* slab = list.back();
    list.pop_back();
    return slab;
  };
  auto putOn = [&](std::vector<Slab*>& list, Slab* slab) {
    std::lock_guard<std::mutex> lock(mutex);
    list.push_back(slab);
    changed.notify_all();
  };
  auto work = [&](std::size_t, std::size_t, std::size_t) {
    Buffer2d<RGB8> mapped, added;
    std::vector<T> picked;
    for (unsigned s = next++; s < slabs; s = next++) {
      Slab* slab = takeFrom(empty);
      if (!slab) return;
      slab->first = s * perSlab;
      slab->planes = std::min(perSlab, padded.z - slab->first);
      try {
        fill(*slab, mapped, added, picked);
      } catch (const std::bad_alloc&) {
        std::lock_guard<std::mutex> lock(mutex);
        failed = true;
        changed.notify_all();
        return;
      }
      putOn(done, slab);
    }
  };
  // The calling thread takes the slabs as they come.
  auto takeAll = [&] {
    for (unsigned taken = 0; taken < slabs; ++taken) {
      Slab* slab = takeFrom(done);
      if (!slab) return;
      take(slab->first, slab->planes, slab->rgba.data());
      putOn(empty, slab);
    }
  };
  ForEachRun(workers, workers, work, takeAll);
  return !failed;
}

template <class T>
bool BuildVolumeTexture(const bix::Image3d<T>& image, const orv_Mapper<T>& mapper, unsigned factor,
                        VolumeTexture& out) {
  out = VolumeTexture();
  if (factor == 0 || !image.GetFirstVoxelAddr()) return false;
  const VolumeTextureShape shape = ShapeOfVolumeTexture(image.GetSize(), image.GetResolution().GetRes(), factor);
  const std::size_t sliceBytes = std::size_t(4) * shape.size.x * shape.size.y;
  std::unique_ptr<std::uint8_t[]> rgba(new (std::nothrow) std::uint8_t[sliceBytes * shape.size.z]);
  if (!rgba) return false;
  const bool built = StreamVolumeTexture(image, mapper, factor, [&](unsigned first, unsigned planes, const std::uint8_t* slab) {
    std::memcpy(rgba.get() + sliceBytes * first, slab, sliceBytes * planes);
  });
  if (!built) return false;
  out.rgba = std::move(rgba);
  out.size = shape.size;
  out.scale = shape.scale;
  out.factor = factor;
  return true;
}

#define ORV_INSTANTIATE_VOLUME_TEXTURE(T)                                                                     \
  template bool BuildVolumeTexture<T>(const bix::Image3d<T>&, const orv_Mapper<T>&, unsigned, VolumeTexture&); \
  template bool StreamVolumeTexture<T>(const bix::Image3d<T>&, const orv_Mapper<T>&, unsigned, const VolumeSlabSink&); \
  template bool StreamVolumeTexture<T>(const std::vector<VolumeChannel<T>>&, unsigned, const VolumeSlabSink&);
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_VOLUME_TEXTURE)

}  // namespace orv
