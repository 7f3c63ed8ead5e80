#include <bix/Algorithms.h>

#include "ProjectionGeometry.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace bix {

namespace {

// The level whose local variance measures sharpness, and the type that sums
// levels and squared levels over a 3 x 3 neighbourhood exactly (integers for
// integer and colour voxels, double for float).
template <class T>
struct Sharpness {
  using Acc = double;
  static Acc Level(const T& v) { return static_cast<double>(v); }
};
template <>
struct Sharpness<unsigned char> {
  using Acc = std::int32_t;  // 9 * 255^2 fits
  static Acc Level(unsigned char v) { return v; }
};
template <>
struct Sharpness<unsigned short> {
  using Acc = std::int64_t;  // 9 * 65535^2 does not fit in 32 bits
  static Acc Level(unsigned short v) { return v; }
};
template <>
struct Sharpness<int> {
  using Acc = __int128;  // 81 * (2^31)^2 does not fit in 64 bits
  static Acc Level(int v) { return v; }
};
// Luminance 0.299 R + 0.587 G + 0.114 B in thousandths: scores are a
// million times those of the luminance, in the same order, and exact, so a
// flat neighbourhood scores 0 and ties really are ties. 81 * (65535 * 1000)^2
// fits in 64 bits.
template <class C>
struct Sharpness<RGB_generic<C>> {
  using Acc = std::int64_t;
  static Acc Level(const RGB_generic<C>& v) {
    return 299 * Acc(v.red) + 587 * Acc(v.green) + 114 * Acc(v.blue);
  }
};

// Floating-point scores of neighbourhoods holding NaN or infinities are no
// measure at all: they count as the lowest. Integer scores are exact.
template <class Acc>
Acc Usable(Acc score) {
  if constexpr (std::is_floating_point_v<Acc>)
    return std::isfinite(score) ? score : std::numeric_limits<Acc>::lowest();
  return score;
}

// Scores of 3 x 3 neighbourhoods are 9 * (sum of squares) - (sum)^2, which is
// 81 times the variance: no division, exact for integer levels.
template <class T>
class SharpnessRow {
public:
  using Acc = typename Sharpness<T>::Acc;

  explicit SharpnessRow(std::size_t n) : m_s1(n), m_s2(n), m_score(n) {}

  // Sums of levels and of squared levels, element by element over `rows`.
  void SumRows(const T* const* rows, int count) {
    const std::size_t n = m_s1.size();
    for (std::size_t x = 0; x < n; ++x) {
      Acc s1 = 0, s2 = 0;
      for (int k = 0; k < count; ++k) {
        const Acc l = Sharpness<T>::Level(rows[k][x]);
        s1 += l;
        s2 += l * l;
      }
      m_s1[x] = s1;
      m_s2[x] = s2;
    }
  }

  // Scores of the column sums widened by one neighbour on each side along
  // the row (edges replicated).
  const std::vector<Acc>& ScoreWithRowNeighbours() {
    const std::size_t n = m_s1.size();
    for (std::size_t x = 0; x < n; ++x) {
      const std::size_t l = x == 0 ? 0 : x - 1;
      const std::size_t r = x + 1 == n ? x : x + 1;
      const Acc h1 = m_s1[l] + m_s1[x] + m_s1[r];
      const Acc h2 = m_s2[l] + m_s2[x] + m_s2[r];
      m_score[x] = Usable<Acc>(9 * h2 - h1 * h1);
    }
    return m_score;
  }

  // Scores of the column sums alone (they already cover 9 voxels).
  const std::vector<Acc>& ScoreColumns() {
    const std::size_t n = m_s1.size();
    for (std::size_t x = 0; x < n; ++x) m_score[x] = Usable<Acc>(9 * m_s2[x] - m_s1[x] * m_s1[x]);
    return m_score;
  }

private:
  std::vector<Acc> m_s1, m_s2, m_score;
};

template <class T>
class VolumeRows {
public:
  explicit VolumeRows(const Image3d<T>& image)
      : m_first(image.GetFirstVoxelAddr()), m_size(image.GetSize()) {}

  // Row (y, z) with both indices clamped into the volume (edge replication).
  const T* Row(long long y, long long z) const {
    y = Clamp(y, m_size.y);
    z = Clamp(z, m_size.z);
    return m_first + (static_cast<std::size_t>(z) * m_size.y + static_cast<std::size_t>(y)) * m_size.x;
  }

private:
  static long long Clamp(long long v, unsigned n) {
    return v < 0 ? 0 : (v >= static_cast<long long>(n) ? static_cast<long long>(n) - 1 : v);
  }
  const T* m_first;
  Vector3d<unsigned> m_size;
};

// Keeps, per ray of a plane, the voxel with the best score seen so far; the
// first depth is always taken, so every ray shows one of its own voxels.
template <class T, class Acc>
void KeepSharpest(const std::vector<Acc>& score, const T* row, Acc* best, T* out, bool first) {
  for (std::size_t x = 0; x < score.size(); ++x) {
    if (first || score[x] > best[x]) {
      best[x] = score[x];
      out[x] = row[x];
    }
  }
}

}  // namespace

template <class T>
void Get_AF_XY(const Image3d<T>& source, Image3d<T>& destination) {
  if (!PrepareProjection(source, destination, 2)) return;
  using Acc = typename Sharpness<T>::Acc;
  const Vector3d<unsigned> s = source.GetSize();
  const VolumeRows<T> volume(source);
  SharpnessRow<T> sharpness(s.x);
  std::vector<Acc> best(static_cast<std::size_t>(s.x) * s.y);  // set by the first depth
  T* out = destination.GetFirstVoxelAddr();
  for (long long z = 0; z < s.z; ++z) {
    for (long long y = 0; y < s.y; ++y) {
      const T* rows[3] = {volume.Row(y - 1, z), volume.Row(y, z), volume.Row(y + 1, z)};
      sharpness.SumRows(rows, 3);
      const std::size_t at = static_cast<std::size_t>(y) * s.x;
      KeepSharpest(sharpness.ScoreWithRowNeighbours(), rows[1], best.data() + at, out + at, z == 0);
    }
  }
}

template <class T>
void Get_AF_XZ(const Image3d<T>& source, Image3d<T>& destination) {
  if (!PrepareProjection(source, destination, 1)) return;
  using Acc = typename Sharpness<T>::Acc;
  const Vector3d<unsigned> s = source.GetSize();
  const VolumeRows<T> volume(source);
  SharpnessRow<T> sharpness(s.x);
  std::vector<Acc> best(static_cast<std::size_t>(s.x) * s.z);  // set by the first depth
  T* out = destination.GetFirstVoxelAddr();
  // y is the depth axis, so the rays of one output row (fixed z) are visited
  // for every y before moving on: the volume is read in storage order.
  for (long long z = 0; z < s.z; ++z) {
    const std::size_t at = static_cast<std::size_t>(z) * s.x;
    for (long long y = 0; y < s.y; ++y) {
      const T* rows[3] = {volume.Row(y, z - 1), volume.Row(y, z), volume.Row(y, z + 1)};
      sharpness.SumRows(rows, 3);
      KeepSharpest(sharpness.ScoreWithRowNeighbours(), rows[1], best.data() + at, out + at, y == 0);
    }
  }
}

template <class T>
void Get_AF_YZ(const Image3d<T>& source, Image3d<T>& destination) {
  if (!PrepareProjection(source, destination, 0)) return;
  const Vector3d<unsigned> s = source.GetSize();
  const VolumeRows<T> volume(source);
  SharpnessRow<T> sharpness(s.x);
  T* out = destination.GetFirstVoxelAddr();
  // x is the depth axis: each source row is one ray, and its neighbourhood is
  // the 3 x 3 block of rows around it.
  for (long long z = 0; z < s.z; ++z) {
    for (long long y = 0; y < s.y; ++y) {
      const T* rows[9];
      int k = 0;
      for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy) rows[k++] = volume.Row(y + dy, z + dz);
      sharpness.SumRows(rows, 9);
      const auto& score = sharpness.ScoreColumns();
      std::size_t chosen = 0;
      for (std::size_t x = 1; x < score.size(); ++x)
        if (score[x] > score[chosen]) chosen = x;
      out[static_cast<std::size_t>(z) * s.y + static_cast<std::size_t>(y)] = rows[4][chosen];
    }
  }
}

#define BIX_INSTANTIATE_AF(T)                                        \
  template void Get_AF_XY<T>(const Image3d<T>&, Image3d<T>&);        \
  template void Get_AF_XZ<T>(const Image3d<T>&, Image3d<T>&);        \
  template void Get_AF_YZ<T>(const Image3d<T>&, Image3d<T>&);
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_AF)

}  // namespace bix
