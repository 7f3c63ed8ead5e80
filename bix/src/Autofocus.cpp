#include <bix/Algorithms.h>
#include <bix/ParallelRuns.h>
#include <bix/VectorClones.h>

#include "ProjectionGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

namespace bix {

namespace {

// Sharpness is the variance of a 3 x 3 neighbourhood of levels, scored as
// 9 * (sum of squares) - (sum)^2 (81 times the variance: no division). Gray
// levels are the voxel values; colour levels are the luminance 0.299 R +
// 0.587 G + 0.114 B in thousandths, exact, so a flat neighbourhood scores 0
// and ties really are ties. Integer levels are scored exactly, in the
// narrowest integer type in which the levels at hand cannot overflow (see
// InNarrowestWidth); float levels in double, summed in one fixed order.
using Int128 = __int128;

// The row kernels below are inlined into the band functions, so that they
// are compiled, and vectorised, for each processor the band functions are
// cloned for (BIX_VECTOR_CLONES).
#define BIX_ROW_KERNEL inline __attribute__((always_inline))

// The largest |level| for which 81 * level^2, the largest term of a score,
// still fits in Acc.
template <class Acc>
constexpr long long ExactLevelLimit() {
  if constexpr (std::is_same_v<Acc, std::int32_t>) return 5148;
  if constexpr (std::is_same_v<Acc, std::int64_t>) return 337444499;
  return std::numeric_limits<long long>::max();
}

template <class Acc, class T>
BIX_ROW_KERNEL Acc LevelOf(const T& v) {
  if constexpr (std::is_arithmetic_v<T>)
    return static_cast<Acc>(v);
  else
    return 299 * Acc(v.red) + 587 * Acc(v.green) + 114 * Acc(v.blue);
}

// Whether every level of T is exact in Acc whatever the voxel.
template <class T, class Acc>
constexpr bool AlwaysExact() {
  if constexpr (std::is_floating_point_v<T>)
    return std::is_floating_point_v<Acc>;
  else if constexpr (!std::is_arithmetic_v<T>)  // luminance in thousandths
    return 1000LL * std::numeric_limits<typename T::component_type>::max() <= ExactLevelLimit<Acc>();
  else
    return static_cast<long long>(std::numeric_limits<T>::max()) <= ExactLevelLimit<Acc>() &&
         -static_cast<long long>(std::numeric_limits<T>::lowest()) <= ExactLevelLimit<Acc>();
}

// Runs band(Acc()) with the narrowest accumulator first; band returns false
// when it met a level that is not exact in that type, and runs again wider.
template <class T, class Band>
void InNarrowestWidth(Band band) {
  if constexpr (std::is_floating_point_v<T>) {
    band(double());
  } else if constexpr (!std::is_arithmetic_v<T>) {
    band(std::int64_t());
  } else {
    if (band(std::int32_t())) return;
    if constexpr (AlwaysExact<T, std::int64_t>()) {
      band(std::int64_t());
    } else {
      if (band(std::int64_t())) return;
      band(Int128());
    }
  }
}

// Floating-point scores of neighbourhoods holding NaN or infinities are no
// measure at all: they count as the lowest. Integer scores are exact.
template <class Acc>
BIX_ROW_KERNEL Acc Score(Acc sum, Acc squares) {
  const Acc score = 9 * squares - sum * sum;
  if constexpr (std::is_floating_point_v<Acc>)
    return std::isfinite(score) ? score : std::numeric_limits<Acc>::lowest();
  return score;
}

// Whether the levels of row[0..n-1] are exact in Acc.
template <class Acc, class T>
BIX_ROW_KERNEL bool LevelsExact(const T* __restrict row, std::size_t n) {
  if constexpr (AlwaysExact<T, Acc>()) {
    return true;
  } else {
    constexpr T limit = static_cast<T>(ExactLevelLimit<Acc>());
    T high = 0, low = 0;
    for (std::size_t x = 0; x < n; ++x) {
      high = row[x] > high ? row[x] : high;
      low = row[x] < low ? row[x] : low;
    }
    return high <= limit && low >= -limit;
  }
}

// Levels and squared levels of the last three rows pushed, and their sums
// element by element, oldest row first (the order fixes float results).
template <class T, class Acc>
class ThreeRows {
public:
  explicit ThreeRows(std::size_t width) : m_width(width), m_levels(3 * width), m_squares(3 * width) {}

  // False when a level of `row` is not exact in Acc: the band's work in Acc
  // is then void, and the band starts over in a wider type.
  BIX_ROW_KERNEL bool Push(const T* __restrict row) {
    if (!LevelsExact<Acc>(row, m_width)) return false;
    Acc* __restrict l = &m_levels[m_next * m_width];
    Acc* __restrict q = &m_squares[m_next * m_width];
    for (std::size_t x = 0; x < m_width; ++x) {
      const Acc level = LevelOf<Acc>(row[x]);
      l[x] = level;
      q[x] = level * level;
    }
    m_next = m_next == 2 ? 0 : m_next + 1;
    return true;
  }

  BIX_ROW_KERNEL void Sum(Acc* __restrict sum, Acc* __restrict squares) const {
    const std::size_t a = m_next * m_width, b = (m_next + 1) % 3 * m_width, c = (m_next + 2) % 3 * m_width;
    const Acc* __restrict la = &m_levels[a];
    const Acc* __restrict lb = &m_levels[b];
    const Acc* __restrict lc = &m_levels[c];
    const Acc* __restrict qa = &m_squares[a];
    const Acc* __restrict qb = &m_squares[b];
    const Acc* __restrict qc = &m_squares[c];
    for (std::size_t x = 0; x < m_width; ++x) {
      sum[x] = la[x] + lb[x] + lc[x];
      squares[x] = qa[x] + qb[x] + qc[x];
    }
  }

private:
  std::size_t m_width;
  std::size_t m_next = 0;
  std::vector<Acc> m_levels, m_squares;
};

// The rows of a stack seen from one window: `rows` rows of `width` voxels at
// each of `depths` depths, row r of depth d starting at
// first + d * depthStep + r * rowStep. Row indices clamp into the stack
// (edges replicated).
template <class T>
struct RowGrid {
  const T* first;
  std::size_t width, rows, rowStep, depths, depthStep;

  const T* Row(std::size_t depth, long long row) const {
    const long long last = static_cast<long long>(rows) - 1;
    row = row < 0 ? 0 : (row > last ? last : row);
    return first + depth * depthStep + static_cast<std::size_t>(row) * rowStep;
  }
};

// Asks memory for a row that a band reads next: bands jump between rows far
// apart (from plane to plane), where the hardware's own prefetching starts
// over and waits for the first lines.
template <class T>
BIX_ROW_KERNEL void PrefetchRow(const T* row, std::size_t n) {
  const char* bytes = reinterpret_cast<const char*>(row);
  for (std::size_t at = 0; at < n * sizeof(T); at += 64) __builtin_prefetch(bytes + at, 0, 2);
}

// The score of column sums l, x and r added (x's with its neighbours).
template <class Acc>
BIX_ROW_KERNEL Acc ScoreOf(const Acc* __restrict sum, const Acc* __restrict squares, std::size_t l,
                           std::size_t x, std::size_t r) {
  return Score<Acc>(sum[l] + sum[x] + sum[r], squares[l] + squares[x] + squares[r]);
}

// Keeps `voxel` in `out` and its score in `best` when the score beats the best
// so far (the first depth always counts).
template <class T, class Acc>
BIX_ROW_KERNEL void Keep(Acc score, const T& voxel, Acc& best, T& out, bool first) {
  const bool better = first || score > best;
  best = better ? score : best;
  if constexpr (std::is_integral_v<T>) {
    // A mask rather than a selection: the compiler vectorises it even though
    // the scores are wider than the voxels.
    using Bits = std::make_unsigned_t<T>;
    const Bits take = static_cast<Bits>(-static_cast<int>(better));
    out = static_cast<T>((static_cast<Bits>(voxel) & take) | (static_cast<Bits>(out) & static_cast<Bits>(~take)));
  } else {
    out = better ? voxel : out;
  }
}

// Scores one row of rays from its column sums widened by one neighbour on
// each side along the row (edges replicated), keeping the sharpest voxels.
template <class T, class Acc>
BIX_ROW_KERNEL void KeepSharpest(const Acc* __restrict sum, const Acc* __restrict squares, std::size_t n,
                                 const T* __restrict row, Acc* __restrict best, T* __restrict out, bool first) {
  Keep(ScoreOf(sum, squares, 0, 0, n > 1 ? 1 : 0), row[0], best[0], out[0], first);
  for (std::size_t x = 1; x + 1 < n; ++x) Keep(ScoreOf(sum, squares, x - 1, x, x + 1), row[x], best[x], out[x], first);
  if (n > 1) Keep(ScoreOf(sum, squares, n - 2, n - 1, n - 1), row[n - 1], best[n - 1], out[n - 1], first);
}

// For integer levels, whose sums may be taken in any order: each row's levels
// and squares are summed with their neighbours along the row once, when the
// row is pushed (edges replicated), so that a row of scores needs only the
// sums of the last three rows pushed: fewer passes over memory than summing
// down the rows first.
template <class T, class Acc>
class ThreeRowsAcross {
public:
  explicit ThreeRowsAcross(std::size_t width) : m_width(width), m_sums(3 * width), m_squares(3 * width) {}

  // False when a level of `row` is not exact in Acc (the band starts over wider).
  BIX_ROW_KERNEL bool Push(const T* __restrict row) {
    const std::size_t n = m_width;
    if (!LevelsExact<Acc>(row, n)) return false;
    Acc* __restrict sum = &m_sums[m_next * n];
    Acc* __restrict squares = &m_squares[m_next * n];
    Across(row, 0, 0, n > 1 ? 1 : 0, sum[0], squares[0]);
    for (std::size_t x = 1; x + 1 < n; ++x) Across(row, x - 1, x, x + 1, sum[x], squares[x]);
    if (n > 1) Across(row, n - 2, n - 1, n - 1, sum[n - 1], squares[n - 1]);
    m_next = m_next == 2 ? 0 : m_next + 1;
    return true;
  }

  // Scores the rays of the middle row of the last three pushed, which is
  // `row`, and keeps its sharpest voxels.
  BIX_ROW_KERNEL void KeepSharpest(const T* __restrict row, Acc* __restrict best, T* __restrict out, bool first) const {
    const std::size_t n = m_width, a = m_next * n, b = (m_next + 1) % 3 * n, c = (m_next + 2) % 3 * n;
    const Acc* __restrict sa = &m_sums[a];
    const Acc* __restrict sb = &m_sums[b];
    const Acc* __restrict sc = &m_sums[c];
    const Acc* __restrict qa = &m_squares[a];
    const Acc* __restrict qb = &m_squares[b];
    const Acc* __restrict qc = &m_squares[c];
    for (std::size_t x = 0; x < n; ++x)
      Keep(Score<Acc>(sa[x] + sb[x] + sc[x], qa[x] + qb[x] + qc[x]), row[x], best[x], out[x], first);
  }

private:
  static BIX_ROW_KERNEL void Across(const T* __restrict row, std::size_t l, std::size_t x, std::size_t r, Acc& sum,
                                    Acc& squares) {
    const Acc a = LevelOf<Acc>(row[l]), b = LevelOf<Acc>(row[x]), c = LevelOf<Acc>(row[r]);
    sum = a + b + c;
    squares = a * a + b * b + c * c;
  }

  std::size_t m_width;
  std::size_t m_next = 0;
  std::vector<Acc> m_sums, m_squares;
};

// The XY and XZ projections of the output rows [r0, r1): one pass over the
// depths, each source row's levels computed once per band. False when a
// level is not exact in Acc.
template <class T, class Acc>
BIX_VECTOR_CLONES bool SharpestInBand(const RowGrid<T>& grid, std::size_t r0, std::size_t r1, T* out) {
  const std::size_t w = grid.width;
  // Float sums keep their one order: down the rows, then along them.
  using Rows = std::conditional_t<std::is_integral_v<Acc>, ThreeRowsAcross<T, Acc>, ThreeRows<T, Acc>>;
  Rows rows(w);
  std::vector<Acc> sum(std::is_integral_v<Acc> ? 0 : w), squares(sum.size()), best((r1 - r0) * w);
  const long long begin = static_cast<long long>(r0), end = static_cast<long long>(r1);
  for (std::size_t d = 0; d < grid.depths; ++d) {
    if (!rows.Push(grid.Row(d, begin - 1)) || !rows.Push(grid.Row(d, begin))) return false;
    for (long long r = begin; r < end; ++r) {
      if (d + 1 < grid.depths) PrefetchRow(grid.Row(d + 1, r + 1), w);
      if (!rows.Push(grid.Row(d, r + 1))) return false;
      Acc* const kept = best.data() + static_cast<std::size_t>(r - begin) * w;
      T* const outRow = out + static_cast<std::size_t>(r) * w;
      if constexpr (std::is_integral_v<Acc>) {
        rows.KeepSharpest(grid.Row(d, r), kept, outRow, d == 0);
      } else {
        rows.Sum(sum.data(), squares.data());
        KeepSharpest(sum.data(), squares.data(), w, grid.Row(d, r), kept, outRow, d == 0);
      }
    }
  }
  return true;
}

// The first position of `largest` among the scores (rows hold fewer than
// 2^32 voxels). A minimum rather than a search, so that it vectorises.
template <class Acc>
BIX_ROW_KERNEL std::size_t FirstAt(const Acc* __restrict score, std::size_t n, Acc largest) {
  const unsigned count = static_cast<unsigned>(n);
  unsigned at = count;
  for (unsigned x = 0; x < count; ++x) {
    const unsigned candidate = score[x] == largest ? x : count;
    at = candidate < at ? candidate : at;
  }
  return at;
}

// The first position of the largest score.
template <class Acc>
BIX_ROW_KERNEL std::size_t FirstLargest(const Acc* __restrict score, std::size_t n) {
  Acc largest = score[0];
  for (std::size_t x = 1; x < n; ++x) largest = score[x] > largest ? score[x] : largest;
  return FirstAt(score, n, largest);
}

// The YZ projection of the output rows (source z) [z0, z1) from float
// levels: each ray's 9 rows summed in one fixed order (z, then y).
template <class T, class Acc>
BIX_ROW_KERNEL void SharpestRaysInOrder(const RowGrid<T>& grid, std::size_t z0, std::size_t z1, T* out) {
  const std::size_t w = grid.width, sy = grid.depths;
  std::vector<Acc> score(w);
  for (std::size_t z = z0; z < z1; ++z) {
    for (std::size_t y = 0; y < sy; ++y) {
      const T* rows[9];
      for (int k = 0; k < 9; ++k) {
        const long long ry = std::min<long long>(std::max<long long>(static_cast<long long>(y) + k % 3 - 1, 0), sy - 1);
        rows[k] = grid.Row(static_cast<std::size_t>(ry), static_cast<long long>(z) + k / 3 - 1);
      }
      for (std::size_t x = 0; x < w; ++x) {
        Acc sum = 0, squares = 0;
        for (int k = 0; k < 9; ++k) {
          const Acc l = LevelOf<Acc>(rows[k][x]);
          sum += l;
          squares += l * l;
        }
        score[x] = Score<Acc>(sum, squares);
      }
      out[z * sy + y] = rows[4][FirstLargest(score.data(), w)];
    }
  }
}

// Scores of one ray from its three rows of sums over z, `step` apart, and
// the largest of them.
template <class Acc>
BIX_ROW_KERNEL Acc RayScores(const Acc* __restrict sum, const Acc* __restrict squares, std::size_t step,
                             std::size_t n, Acc* __restrict score) {
  Acc largest = std::numeric_limits<Acc>::lowest();
  for (std::size_t x = 0; x < n; ++x) {
    score[x] = Score<Acc>(sum[x] + sum[step + x] + sum[2 * step + x],
                          squares[x] + squares[step + x] + squares[2 * step + x]);
    largest = score[x] > largest ? score[x] : largest;
  }
  return largest;
}

// For source row y (clamped), the sums over z of three rows around each z of
// [z0, z1), into the rows of `sum` and `squares`: straight from the voxels,
// one pass per output row (each new row's levels checked for exactness
// first). False when a level is not exact in Acc.
template <class T, class Acc>
BIX_ROW_KERNEL bool SumOverZ(const RowGrid<T>& grid, long long y, std::size_t z0, std::size_t z1, Acc* sum,
                             Acc* squares) {
  const std::size_t w = grid.width, sy = grid.depths;
  const std::size_t ry = static_cast<std::size_t>(std::min<long long>(std::max<long long>(y, 0), sy - 1));
  const long long first = static_cast<long long>(z0);
  if (!LevelsExact<Acc>(grid.Row(ry, first - 1), w) || !LevelsExact<Acc>(grid.Row(ry, first), w)) return false;
  for (std::size_t z = z0; z < z1; ++z) {
    const long long next = static_cast<long long>(z) + 1;
    if (ry + 1 < sy) PrefetchRow(grid.Row(ry + 1, next), w);
    const T* __restrict a = grid.Row(ry, next - 2);
    const T* __restrict b = grid.Row(ry, next - 1);
    const T* __restrict c = grid.Row(ry, next);
    // Checked before the sums: a level too large would overflow them.
    if (!LevelsExact<Acc>(c, w)) return false;
    Acc* __restrict s = &sum[(z - z0) * w];
    Acc* __restrict q = &squares[(z - z0) * w];
    for (std::size_t x = 0; x < w; ++x) {
      const Acc la = LevelOf<Acc>(a[x]), lb = LevelOf<Acc>(b[x]), lc = LevelOf<Acc>(c[x]);
      s[x] = la + lb + lc;
      q[x] = la * la + lb * lb + lc * lc;
    }
  }
  return true;
}

// The YZ projection of the output rows [z0, z1) from exact levels: per source
// row y, the sums over z of three rows, then per ray the sum of three of
// those over y.
template <class T, class Acc>
BIX_ROW_KERNEL bool SharpestRaysExact(const RowGrid<T>& grid, std::size_t z0, std::size_t z1, T* out) {
  const std::size_t w = grid.width, sy = grid.depths, n = z1 - z0;
  // Sums over z for three consecutive y, in a ring: slot y % 3.
  std::vector<Acc> zsum(3 * n * w), zsquares(3 * n * w), score(w);
  // (No lambda here: it would not be compiled for the clone's processor.)
  for (long long y = -1; y <= static_cast<long long>(sy); ++y) {
    const std::size_t slot = static_cast<std::size_t>(y + 3) % 3 * n * w;
    if (!SumOverZ(grid, y, z0, z1, &zsum[slot], &zsquares[slot])) return false;
    if (y < 1) continue;
    const std::size_t ray = static_cast<std::size_t>(y - 1);
    for (std::size_t z = z0; z < z1; ++z) {
      const std::size_t at = (z - z0) * w;
      const Acc largest = RayScores(&zsum[at], &zsquares[at], n * w, w, score.data());
      out[z * sy + ray] = grid.Row(ray, static_cast<long long>(z))[FirstAt(score.data(), w, largest)];
    }
  }
  return true;
}

// The YZ projection of the output rows (source z) [z0, z1) in Acc. False
// when a level is not exact in Acc.
template <class T, class Acc>
BIX_VECTOR_CLONES bool SharpestRaysInBand(const RowGrid<T>& grid, std::size_t z0, std::size_t z1, T* out) {
  if constexpr (std::is_floating_point_v<Acc>) {
    SharpestRaysInOrder<T, Acc>(grid, z0, z1, out);
    return true;
  } else {
    return SharpestRaysExact<T, Acc>(grid, z0, z1, out);
  }
}

// XY and XZ: output rows of grid.width rays, kept over grid.depths depths.
template <class T>
void ProjectRows(const RowGrid<T>& grid, T* out) {
  ForEachBand(grid.rows, BandHeight(grid.width, 32768), grid.width * grid.rows * grid.depths,
              [&](std::size_t r0, std::size_t r1) {
                InNarrowestWidth<T>([&](auto zero) { return SharpestInBand<T, decltype(zero)>(grid, r0, r1, out); });
              });
}

}  // namespace

template <class T>
void Get_AF_XY(const Image3d<T>& source, Image3d<T>& destination) {
  if (!PrepareProjection(source, destination, 2)) return;
  const Vector3d<unsigned> s = source.GetSize();
  const std::size_t plane = static_cast<std::size_t>(s.x) * s.y;
  ProjectRows(RowGrid<T>{source.GetFirstVoxelAddr(), s.x, s.y, s.x, s.z, plane}, destination.GetFirstVoxelAddr());
}

template <class T>
void Get_AF_XZ(const Image3d<T>& source, Image3d<T>& destination) {
  if (!PrepareProjection(source, destination, 1)) return;
  const Vector3d<unsigned> s = source.GetSize();
  const std::size_t plane = static_cast<std::size_t>(s.x) * s.y;
  ProjectRows(RowGrid<T>{source.GetFirstVoxelAddr(), s.x, s.z, plane, s.y, s.x}, destination.GetFirstVoxelAddr());
}

template <class T>
void Get_AF_YZ(const Image3d<T>& source, Image3d<T>& destination) {
  if (!PrepareProjection(source, destination, 0)) return;
  const Vector3d<unsigned> s = source.GetSize();
  const std::size_t plane = static_cast<std::size_t>(s.x) * s.y;
  // x is the depth axis: each source row is one ray, and its neighbourhood is
  // the 3 x 3 block of rows around it. Here "depths" index y and rows z.
  const RowGrid<T> grid{source.GetFirstVoxelAddr(), s.x, s.z, plane, s.y, s.x};
  T* out = destination.GetFirstVoxelAddr();
  ForEachBand(s.z, BandHeight(s.x, 16384), static_cast<std::size_t>(s.x) * s.y * s.z,
              [&](std::size_t z0, std::size_t z1) {
                InNarrowestWidth<T>([&](auto zero) { return SharpestRaysInBand<T, decltype(zero)>(grid, z0, z1, out); });
              });
}

#define BIX_INSTANTIATE_AF(T)                                        \
  template void Get_AF_XY<T>(const Image3d<T>&, Image3d<T>&);        \
  template void Get_AF_XZ<T>(const Image3d<T>&, Image3d<T>&);        \
  template void Get_AF_YZ<T>(const Image3d<T>&, Image3d<T>&);
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_AF)
#undef BIX_INSTANTIATE_AF
#undef BIX_ROW_KERNEL

}  // namespace bix
