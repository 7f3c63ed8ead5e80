#include <bix/Algorithms.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace bix {

namespace {

// A position this close below a voxel boundary (in voxels) counts as lying on
// it: offsets and resolutions arrive in single precision.
constexpr double kBoundarySnap = 1e-4;
// Positions far from the origin carry the rounding of single precision at
// their magnitude (a stage offset of 10000 microns: 1/2000 of a micron), more
// than kBoundarySnap of a voxel: the snap grows with it, by a few ulps.
constexpr double kSinglePrecisionUlps = 4.0 / (1 << 24);

// For every destination index along one axis, the source index it samples,
// or -1 outside the source. Indices never decrease along the axis, so the
// valid ones form one run [first, last).
struct AxisMap {
  std::vector<long long> index;
  std::size_t first = 0, last = 0;
  // index[i + 1] - index[i] within the run when that is one constant (1 when
  // the run is one index long), else 0.
  long long stride = 1;
};

AxisMap MapAxis(unsigned dstCount, double dstOffset, double dstRes, unsigned srcCount,
                double srcOffset, double srcRes) {
  AxisMap m;
  m.index.resize(dstCount);
  bool seen = false;
  bool second = false;
  for (unsigned i = 0; i < dstCount; ++i) {
    const double p = dstOffset + static_cast<double>(i) / dstRes;
    const double q = VoxelIndexAt(p, srcOffset, srcRes);
    const long long s = (q >= 0.0 && q < static_cast<double>(srcCount)) ? static_cast<long long>(q) : -1;
    m.index[i] = s;
    if (s < 0) continue;
    if (!seen) {
      m.first = i;
      seen = true;
    } else if (!second) {
      m.stride = s - m.index[i - 1];
      second = true;
    } else if (s - m.index[i - 1] != m.stride) {
      m.stride = 0;
    }
    m.last = i + 1;
  }
  return m;
}

// Index tables are cached per thread (the viewer resamples from its GUI
// thread, but nothing stops a host from calling in from several): a cut that
// moves along one axis keeps the tables of the other two, and the three
// windows of the viewer keep theirs side by side. A table is keyed by
// everything MapAxis reads, so a hit is exactly the table MapAxis would make.
struct AxisKey {
  unsigned dstCount, srcCount;
  double dstOffset, dstRes, srcOffset, srcRes;
  bool operator==(const AxisKey& o) const {
    return dstCount == o.dstCount && srcCount == o.srcCount && dstOffset == o.dstOffset &&
           dstRes == o.dstRes && srcOffset == o.srcOffset && srcRes == o.srcRes;
  }
};

std::shared_ptr<const AxisMap> CachedAxisMap(const AxisKey& key) {
  // Three windows of three axes, and a few spare for zooming back and forth.
  constexpr std::size_t kEntries = 12;
  thread_local std::vector<std::pair<AxisKey, std::shared_ptr<const AxisMap>>> cache;
  thread_local std::size_t nextVictim = 0;
  for (const auto& entry : cache)
    if (entry.first == key) return entry.second;
  auto map = std::make_shared<const AxisMap>(
      MapAxis(key.dstCount, key.dstOffset, key.dstRes, key.srcCount, key.srcOffset, key.srcRes));
  if (cache.size() < kEntries) {
    cache.emplace_back(key, map);
  } else {
    cache[nextVictim] = {key, map};
    nextVictim = (nextVictim + 1) % kEntries;
  }
  return map;
}

std::shared_ptr<const AxisMap> AxisMapOf(unsigned axis, const Vector3d<unsigned>& dstSize,
                                         const Vector3d<float>& dstOffset, const Vector3d<float>& dstRes,
                                         const Vector3d<unsigned>& srcSize, const Vector3d<float>& srcOffset,
                                         const Vector3d<float>& srcRes) {
  return CachedAxisMap(AxisKey{dstSize[axis], srcSize[axis], dstOffset[axis], dstRes[axis], srcOffset[axis],
                               srcRes[axis]});
}

// Voxels ahead that a strided gather asks memory for when each voxel lies in
// a cache line of its own (a one-voxel-wide cut reads one voxel per row): the
// hardware does not follow strides of whole rows by itself.
constexpr std::size_t kPrefetchAhead = 16;
constexpr std::size_t kCacheLine = 64;

// dst[i] = from[i * step] for i < n (step in voxels).
template <class T>
void GatherStrided(const T* from, std::size_t step, std::size_t n, T* dst) {
  if (step * sizeof(T) < kCacheLine) {
    for (std::size_t i = 0; i < n; ++i) dst[i] = from[i * step];
    return;
  }
  for (std::size_t i = 0; i < std::min(n, kPrefetchAhead); ++i) __builtin_prefetch(from + i * step);
  for (std::size_t i = 0; i < n; ++i) {
    if (i + kPrefetchAhead < n) __builtin_prefetch(from + (i + kPrefetchAhead) * step);
    dst[i] = from[i * step];
  }
}

// Copies the samples of one destination line of `count` voxels from the
// source line at `src` (its voxels `srcStep` apart), zero outside the source.
template <class T>
void CopyLine(const T* src, std::size_t srcStep, const AxisMap& map, T* dst, std::size_t count) {
  std::fill(dst, dst + map.first, T());
  if (map.last > map.first) {
    const std::size_t n = map.last - map.first;
    const T* from = src + static_cast<std::size_t>(map.index[map.first]) * srcStep;
    T* to = dst + map.first;
    if (map.stride == 1 && srcStep == 1) {
      std::memcpy(static_cast<void*>(to), from, n * sizeof(T));
    } else if (map.stride >= 1) {
      // A run of evenly spaced voxels (zoom 1 or zoomed out): no table to load.
      GatherStrided(from, static_cast<std::size_t>(map.stride) * srcStep, n, to);
    } else {
      // Zoomed in: neighbours often sample the same voxel; copy it instead of
      // reading the source again.
      const long long* idx = map.index.data();
      for (std::size_t i = map.first; i < map.last; ++i)
        dst[i] = (i > map.first && idx[i] == idx[i - 1]) ? dst[i - 1] : src[static_cast<std::size_t>(idx[i]) * srcStep];
    }
  }
  std::fill(dst + map.last, dst + count, T());
}

}  // namespace

double VoxelIndexAt(double p, double offset, double res) {
  const double snap = kBoundarySnap + kSinglePrecisionUlps * (std::abs(p) + std::abs(offset)) * std::abs(res);
  return std::floor((p - offset) * res + snap);
}

template <class T>
void CopyToImage(const Image3d<T>& source, Image3d<T>& destination) {
  const Vector3d<unsigned>& ds = destination.GetSize();
  if (destination.IsEmpty()) return;
  T* out = destination.GetFirstVoxelAddr();
  if (source.IsEmpty()) {
    destination.Fill(T());
    return;
  }
  const Vector3d<unsigned>& ss = source.GetSize();
  const Vector3d<float>& dOff = destination.GetOffset();
  const Vector3d<float>& sOff = source.GetOffset();
  const Vector3d<float>& dRes = destination.GetResolution().GetRes();
  const Vector3d<float>& sRes = source.GetResolution().GetRes();
  const auto xmap = AxisMapOf(0, ds, dOff, dRes, ss, sOff, sRes);
  const auto ymap = AxisMapOf(1, ds, dOff, dRes, ss, sOff, sRes);
  const auto zmap = AxisMapOf(2, ds, dOff, dRes, ss, sOff, sRes);
  const AxisMap& xs = *xmap;
  const AxisMap& ys = *ymap;
  const AxisMap& zs = *zmap;

  const T* in = source.GetFirstVoxelAddr();
  const std::size_t rowStride = ss.x;
  const std::size_t planeStride = rowStride * ss.y;
  const std::size_t width = ds.x;
  const std::size_t plane = width * ds.y;
  // Zoomed in, neighbouring destination planes and rows often sample the same
  // source plane or row: copy what was just written instead of reading the
  // source again (strided cuts pay a cache miss per read).
  for (unsigned z = 0; z < ds.z; ++z) {
    T* outPlane = out + z * plane;
    const long long sz = zs.index[z];
    if (sz < 0) {
      std::fill(outPlane, outPlane + plane, T());
      continue;
    }
    if (z > 0 && sz == zs.index[z - 1]) {
      std::memcpy(static_cast<void*>(outPlane), outPlane - plane, plane * sizeof(T));
      continue;
    }
    const T* inPlane = in + static_cast<std::size_t>(sz) * planeStride;
    if (width == 1) {
      // A column of the destination (the YZ cut): one strided gather.
      if (xs.index[0] < 0)
        std::fill(outPlane, outPlane + plane, T());
      else
        CopyLine(inPlane + xs.index[0], rowStride, ys, outPlane, ds.y);
      continue;
    }
    for (unsigned y = 0; y < ds.y; ++y) {
      T* outRow = outPlane + y * width;
      const long long sy = ys.index[y];
      if (sy < 0)
        std::fill(outRow, outRow + width, T());
      else if (y > 0 && sy == ys.index[y - 1])
        std::memcpy(static_cast<void*>(outRow), outRow - width, width * sizeof(T));
      else
        CopyLine(inPlane + static_cast<std::size_t>(sy) * rowStride, 1, xs, outRow, width);
    }
  }
}

#define BIX_INSTANTIATE_COPY(T) template void CopyToImage<T>(const Image3d<T>&, Image3d<T>&);
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_COPY)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_INSTANTIATE_COPY)

}  // namespace bix
