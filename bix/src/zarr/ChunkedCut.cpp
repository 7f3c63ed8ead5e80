#include <bix/Algorithms.h>
#include <bix/ChunkedCut.h>
#include <bix/Exceptions.h>

#include "../io/StoredType.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <type_traits>

namespace bix {

namespace {

// Along one axis of the slice: the level voxel each slice index samples (-1
// outside the level), and the runs of slice indices that fall in one chunk.
struct AxisRuns {
  std::vector<long long> voxel;
  struct Run {
    unsigned chunk;               // chunk index along the axis
    unsigned first, last;         // slice indices [first, last)
  };
  std::vector<Run> runs;
};

AxisRuns MapAxis(unsigned count, double sliceOffset, double sliceRes, const ChunkLevel& l, unsigned axis) {
  AxisRuns m;
  m.voxel.resize(count);
  const double res = l.GetResolution().GetRes()[axis];
  for (unsigned n = 0; n < count; ++n) {
    const double q = VoxelIndexAt(sliceOffset + n / sliceRes, l.offset[axis], res);
    const long long v = (q >= 0.0 && q < double(l.size[axis])) ? static_cast<long long>(q) : -1;
    m.voxel[n] = v;
    if (v < 0) continue;
    const unsigned chunk = static_cast<unsigned>(v / l.chunk[axis]);
    if (!m.runs.empty() && m.runs.back().chunk == chunk && m.runs.back().last == n)
      ++m.runs.back().last;
    else
      m.runs.push_back({chunk, n, n + 1});
  }
  return m;
}

struct LevelMaps {
  AxisRuns axis[3];
};

LevelMaps MapLevel(const ChunkLevel& l, const Vector3d<unsigned>& size, const Vector3d<float>& offset,
                   const Vector3d<float>& res) {
  LevelMaps maps;
  for (unsigned a = 0; a < 3; ++a) maps.axis[a] = MapAxis(size[a], offset[a], res[a], l, a);
  return maps;
}

// A stored value as a label of type T: values T cannot hold (negative ones,
// those above its range) are background.
template <class T, class S>
T AsLabel(S value) {
  if constexpr (std::is_same_v<S, T>) {
    return value;
  } else {
    const long long v = static_cast<long long>(value);
    return v >= 0 && static_cast<unsigned long long>(v) <= std::numeric_limits<T>::max() ? static_cast<T>(v) : T();
  }
}

// Copies into the slice every voxel it samples from one chunk of voxels S.
template <class S, class T>
void CopyFromChunk(const S* chunk, const ChunkLevel& l, const ChunkKey& key, const LevelMaps& maps,
                   const AxisRuns::Run& rx, const AxisRuns::Run& ry, const AxisRuns::Run& rz, Image3d<T>& slice) {
  const long long x0 = (long long)key.i * l.chunk.x, y0 = (long long)key.j * l.chunk.y,
                  z0 = (long long)key.k * l.chunk.z;
  const auto& xs = maps.axis[0].voxel;
  const auto& ys = maps.axis[1].voxel;
  const auto& zs = maps.axis[2].voxel;
  // One voxel per pixel along x: each row is one copy.
  const bool contiguous = xs[rx.last - 1] - xs[rx.first] == (long long)(rx.last - rx.first) - 1;
  for (unsigned z = rz.first; z < rz.last; ++z)
    for (unsigned y = ry.first; y < ry.last; ++y) {
      const S* row = chunk + (std::size_t(zs[z] - z0) * l.chunk.y + std::size_t(ys[y] - y0)) * l.chunk.x;
      T* out = &slice.GetVoxel(rx.first, y, z);
      if (std::is_same_v<S, T> && contiguous)
        std::memcpy(static_cast<void*>(out), row + (xs[rx.first] - x0), (rx.last - rx.first) * sizeof(T));
      else
        for (unsigned x = rx.first; x < rx.last; ++x) *out++ = AsLabel<T>(row[xs[x] - x0]);
    }
}

// Zeroes the pixels that lie outside the level along any axis.
template <class T>
void ZeroOutside(const LevelMaps& maps, Image3d<T>& slice) {
  // Most cuts lie wholly inside the level.
  if (std::none_of(std::begin(maps.axis), std::end(maps.axis), [](const AxisRuns& a) {
        return std::any_of(a.voxel.begin(), a.voxel.end(), [](long long v) { return v < 0; });
      }))
    return;
  const Vector3d<unsigned>& n = slice.GetSize();
  for (unsigned z = 0; z < n.z; ++z)
    for (unsigned y = 0; y < n.y; ++y) {
      const bool lineOut = maps.axis[2].voxel[z] < 0 || maps.axis[1].voxel[y] < 0;
      T* out = &slice.GetVoxel(0, y, z);
      for (unsigned x = 0; x < n.x; ++x)
        if (lineOut || maps.axis[0].voxel[x] < 0) out[x] = T();
    }
}

}  // namespace

unsigned LevelForCut(const ChunkedImage& image, const Vector3d<float>& pixelRes, unsigned h, unsigned v) {
  // A voxel a thousandth smaller than a pixel still counts as one pixel:
  // level sizes and zooms arrive in single precision.
  constexpr double kTolerance = 1e-3;
  for (unsigned level = 0; level < image.Levels(); ++level) {
    const Vector3d<float>& voxel = image.Level(level).voxelSize;
    if (double(voxel[h]) * pixelRes[h] >= 1 - kTolerance && double(voxel[v]) * pixelRes[v] >= 1 - kTolerance)
      return level;
  }
  return image.Levels() - 1;
}

unsigned LevelForVoxel(const ChunkedImage& image, const Vector3d<float>& voxelSize) {
  constexpr double kTolerance = 1e-3;  // as LevelForCut's
  for (unsigned level = 0; level < image.Levels(); ++level) {
    const Vector3d<float>& voxel = image.Level(level).voxelSize;
    bool coarseEnough = true;
    for (unsigned a = 0; a < 3; ++a) coarseEnough = coarseEnough && voxel[a] >= voxelSize[a] * (1 - kTolerance);
    if (coarseEnough) return level;
  }
  return image.Levels() - 1;
}

unsigned LevelToHold(const ChunkedImage& image, std::size_t minVoxels) {
  for (unsigned level = image.Levels(); level-- > 0;) {
    const Vector3d<unsigned>& n = image.Level(level).size;
    if (double(n.x) * n.y * n.z >= double(minVoxels)) return level;
  }
  return 0;
}

namespace {

// SampleCut from an image whose chunks hold voxels S.
template <class S, class T>
CutChunks SampleCutFrom(const ChunkedImage& image, unsigned t, unsigned c, unsigned level, const Image3d<T>& held,
                        unsigned heldLevel, unsigned depthAxis, Image3d<T>& slice) {
  if (level >= image.Levels() || heldLevel >= image.Levels() || depthAxis > 2)
    throw LibException("'" + image.Name() + "': no such level or axis");
  CutChunks found;
  found.level = level;
  if (level >= heldLevel || slice.IsEmpty()) {
    CopyToImage(held, slice);
    return found;
  }
  const Vector3d<unsigned>& size = slice.GetSize();
  const Vector3d<float>& offset = slice.GetOffset();
  const Vector3d<float>& res = slice.GetResolution().GetRes();
  ChunkCache& cache = SharedChunkCache();
  const ChunkLevel& lv = image.Level(level);
  const LevelMaps target = MapLevel(lv, size, offset, res);
  auto keyOf = [&](unsigned l, const AxisRuns::Run& rx, const AxisRuns::Run& ry, const AxisRuns::Run& rz) {
    return ChunkKey{image.Id(), l, t, c, rx.chunk, ry.chunk, rz.chunk};
  };
  // With every chunk of the level at hand (a cut at rest, paged within its
  // chunks), that level alone fills the slice (the chunks are held here, so
  // the cache may drop them meanwhile).
  std::vector<ChunkData> atHand;
  bool allAtHand = true;
  for (const auto& rz : target.axis[2].runs)
    for (const auto& ry : target.axis[1].runs)
      for (const auto& rx : target.axis[0].runs) {
        if (!allAtHand) continue;
        if (ChunkData data = cache.Find(keyOf(level, rx, ry, rz)))
          atHand.push_back(std::move(data));
        else
          allAtHand = false;
      }
  if (allAtHand) {
    std::size_t n = 0;
    for (const auto& rz : target.axis[2].runs)
      for (const auto& ry : target.axis[1].runs)
        for (const auto& rx : target.axis[0].runs)
          CopyFromChunk(reinterpret_cast<const S*>(atHand[n++]->data()), lv, keyOf(level, rx, ry, rz), target, rx,
                        ry, rz, slice);
  } else {
    // Else the held level first and the finer ones over it, coarse to fine,
    // so that the finest chunk at hand is written last.
    CopyToImage(held, slice);
    for (unsigned l = heldLevel; l-- > level;) {
      const ChunkLevel& finer = image.Level(l);
      const LevelMaps maps = l == level ? target : MapLevel(finer, size, offset, res);
      for (const auto& rz : maps.axis[2].runs)
        for (const auto& ry : maps.axis[1].runs)
          for (const auto& rx : maps.axis[0].runs) {
            const ChunkKey key = keyOf(l, rx, ry, rz);
            if (const ChunkData data = cache.Find(key))
              CopyFromChunk(reinterpret_cast<const S*>(data->data()), finer, key, maps, rx, ry, rz, slice);
            else if (l == level)
              found.missing.push_back(key);
          }
    }
  }
  ZeroOutside(target, slice);
  // The chunks on either side of the cut's chunk in depth, for a cut that
  // moves on.
  const auto& depthRuns = target.axis[depthAxis].runs;
  if (depthRuns.empty()) return found;
  const unsigned depthChunk = depthRuns.front().chunk, depthChunks = lv.Grid()[depthAxis];
  for (unsigned side : {depthChunk - 1, depthChunk + 1}) {
    if (side >= depthChunks) continue;  // also wraps round below 0
    for (const auto& rz : target.axis[2].runs)
      for (const auto& ry : target.axis[1].runs)
        for (const auto& rx : target.axis[0].runs) {
          ChunkKey key = keyOf(level, rx, ry, rz);
          (depthAxis == 0 ? key.i : depthAxis == 1 ? key.j : key.k) = side;
          if (!cache.Holds(key)) found.nearby.push_back(key);
        }
  }
  return found;
}

}  // namespace

template <class T>
CutChunks SampleCut(const ChunkedImage& image, unsigned t, unsigned c, unsigned level, const Image3d<T>& held,
                    unsigned heldLevel, unsigned depthAxis, Image3d<T>& slice) {
  if (io::NaturalVoxelType(io::StoredTypeOf<T>::value, image.Name()) != image.Type())
    throw LibException("'" + image.Name() + "': the image's voxels are not of the type asked for");
  return SampleCutFrom<T, T>(image, t, c, level, held, heldLevel, depthAxis, slice);
}

template <class L>
CutChunks SampleLabelCut(const ChunkedImage& image, unsigned t, unsigned c, unsigned level, const Image3d<L>& held,
                         unsigned heldLevel, unsigned depthAxis, Image3d<L>& slice) {
  switch (image.Type()) {
    case VOXEL_UCHAR:
      return SampleCutFrom<unsigned char, L>(image, t, c, level, held, heldLevel, depthAxis, slice);
    case VOXEL_USHORT:
      return SampleCutFrom<unsigned short, L>(image, t, c, level, held, heldLevel, depthAxis, slice);
    case VOXEL_INT: return SampleCutFrom<int, L>(image, t, c, level, held, heldLevel, depthAxis, slice);
    default: throw LibException("'" + image.Name() + "' does not hold whole numbers, as labels are");
  }
}

#define BIX_INSTANTIATE_SAMPLECUT(T)                                                                       \
  template BIX_EXPORT CutChunks SampleCut<T>(const ChunkedImage&, unsigned, unsigned, unsigned,           \
                                             const Image3d<T>&, unsigned, unsigned, Image3d<T>&);
BIX_FOR_EACH_GRAY_TYPE(BIX_INSTANTIATE_SAMPLECUT)
#undef BIX_INSTANTIATE_SAMPLECUT
#define BIX_INSTANTIATE_SAMPLELABELCUT(L)                                                                  \
  template BIX_EXPORT CutChunks SampleLabelCut<L>(const ChunkedImage&, unsigned, unsigned, unsigned,      \
                                                  const Image3d<L>&, unsigned, unsigned, Image3d<L>&);
BIX_INSTANTIATE_SAMPLELABELCUT(unsigned short)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_INSTANTIATE_SAMPLELABELCUT)
#undef BIX_INSTANTIATE_SAMPLELABELCUT

}  // namespace bix
