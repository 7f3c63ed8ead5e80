#include <bix/Algorithms.h>

#include <algorithm>
#include <cmath>
#include <cstring>

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

template <class T>
void CopyRow(const T* srcRow, const AxisMap& xs, T* dst, std::size_t width) {
  std::fill(dst, dst + xs.first, T());
  if (xs.last > xs.first) {
    const std::size_t n = xs.last - xs.first;
    const T* from = srcRow + xs.index[xs.first];
    T* to = dst + xs.first;
    if (xs.stride == 1) {
      std::memcpy(static_cast<void*>(to), from, n * sizeof(T));
    } else if (xs.stride > 1) {
      // Zoomed out: every stride-th voxel, no index table to load.
      const std::size_t step = static_cast<std::size_t>(xs.stride);
      for (std::size_t i = 0; i < n; ++i) to[i] = from[i * step];
    } else {
      const long long* idx = xs.index.data();
      for (std::size_t i = xs.first; i < xs.last; ++i) dst[i] = srcRow[idx[i]];
    }
  }
  std::fill(dst + xs.last, dst + width, T());
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
  const AxisMap xs = MapAxis(ds.x, dOff.x, dRes.x, ss.x, sOff.x, sRes.x);
  const AxisMap ys = MapAxis(ds.y, dOff.y, dRes.y, ss.y, sOff.y, sRes.y);
  const AxisMap zs = MapAxis(ds.z, dOff.z, dRes.z, ss.z, sOff.z, sRes.z);

  const T* in = source.GetFirstVoxelAddr();
  const std::size_t rowStride = ss.x;
  const std::size_t planeStride = rowStride * ss.y;
  const std::size_t width = ds.x;
  const std::size_t plane = width * ds.y;
  // Zoomed in, neighbouring destination planes, rows and column voxels often
  // sample the same source voxel: copy what was just written instead of
  // reading the source again (strided cuts pay a cache miss per read).
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
      const T* column = xs.index[0] < 0 ? nullptr : inPlane + xs.index[0];
      for (unsigned y = 0; y < ds.y; ++y) {
        const long long sy = ys.index[y];
        if (y > 0 && sy == ys.index[y - 1])
          outPlane[y] = outPlane[y - 1];
        else
          outPlane[y] = (column && sy >= 0) ? column[static_cast<std::size_t>(sy) * rowStride] : T();
      }
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
        CopyRow(inPlane + static_cast<std::size_t>(sy) * rowStride, xs, outRow, width);
    }
  }
}

#define BIX_INSTANTIATE_COPY(T) template void CopyToImage<T>(const Image3d<T>&, Image3d<T>&);
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_COPY)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_INSTANTIATE_COPY)

}  // namespace bix
