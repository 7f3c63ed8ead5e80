#include <orv/histogram.h>
#include <orv/orv_voxel_traits.h>

#include "busy_notice.h"
#include "parallel_runs.h"

#include <bix/Types.h>
#include <bix/VectorClones.h>


#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

namespace orv {

namespace {

// The bin positions of n voxels v[0], v[step], ... of a histogram whose
// first and last centres are f and l (top + 1 bins), as GetBinPos computes
// them but with the division done as a multiplication by scale, in the
// precision of Real. Written without branches so that the compiler can
// vectorise it (contiguous voxels). Marks the positions within `hair` of a
// whole number, where the two ways may round to different bins; returns
// whether there are any.
template <bool kContiguous, class Real, class T>
BIX_VECTOR_CLONES bool BinPositions(const T* v, std::size_t step, std::size_t n, Real f, Real l, Real top,
                                    Real scale, Real hair, unsigned* bins, unsigned char* recheck) {
  int any = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const Real x = static_cast<Real>(kContiguous ? v[k] : v[k * step]);
    Real pos = std::min((x - f) * scale, top);
    // In GetBinPos's order: "at or below the first centre" wins over "at or
    // above the last" when the two centres are equal.
    pos = x >= l ? top : pos;
    pos = x > f ? pos : Real(0);  // also NaN
    const int bin = static_cast<int>(pos);
    const Real part = pos - static_cast<Real>(bin);
    const int close = ((part < hair) | (part > 1 - hair)) & (x > f) & (x < l);
    recheck[k] = static_cast<unsigned char>(close);
    any |= close;
    bins[k] = static_cast<unsigned>(bin);
  }
  return any != 0;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define ORV_FUSED_FLOAT_COUNT 1
// Counts n contiguous float voxels into `counts` as BinPositions<true, float>
// places them, eight at a time with AVX2 and without storing positions in
// between; voxels within `hair` of a bin edge are placed by exactBin(k).
template <class ExactBin>
__attribute__((target("avx2"))) void CountFloatsEightAtATime(const float* v, std::size_t n, float f, float l,
                                                               float top, float scale, float hair, unsigned* counts,
                                                               ExactBin exactBin) {
  const __m256 first = _mm256_set1_ps(f), last = _mm256_set1_ps(l), highest = _mm256_set1_ps(top);
  const __m256 factor = _mm256_set1_ps(scale), low = _mm256_set1_ps(hair), high = _mm256_set1_ps(1 - hair);
  alignas(32) int bins[8];
  std::size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    const __m256 x = _mm256_loadu_ps(v + k);
    const __m256 above = _mm256_cmp_ps(x, first, _CMP_GT_OQ);  // false for NaN
    const __m256 atTop = _mm256_and_ps(_mm256_cmp_ps(x, last, _CMP_GE_OQ), above);  // bin 0 wins if f == l
    __m256 pos = _mm256_min_ps(_mm256_mul_ps(_mm256_sub_ps(x, first), factor), highest);
    pos = _mm256_blendv_ps(_mm256_and_ps(pos, above), highest, atTop);
    const __m256i bin = _mm256_cvttps_epi32(pos);
    const __m256 part = _mm256_sub_ps(pos, _mm256_cvtepi32_ps(bin));
    const __m256 nearEdge = _mm256_or_ps(_mm256_cmp_ps(part, low, _CMP_LT_OQ), _mm256_cmp_ps(part, high, _CMP_GT_OQ));
    int marks = _mm256_movemask_ps(_mm256_and_ps(nearEdge, _mm256_andnot_ps(atTop, above)));
    if (marks) {
      _mm256_store_si256(reinterpret_cast<__m256i*>(bins), bin);
      for (; marks; marks &= marks - 1) {
        const int j = __builtin_ctz(static_cast<unsigned>(marks));
        bins[j] = static_cast<int>(exactBin(k + j));
      }
      for (int j = 0; j < 8; ++j) ++counts[bins[j]];
      continue;
    }
    // Two bins per 64-bit word, taken out of the register directly: reading
    // them back from a vector store would wait for the store to complete.
    const __m128i lowHalf = _mm256_castsi256_si128(bin), highHalf = _mm256_extracti128_si256(bin, 1);
    const std::uint64_t w[4] = {static_cast<std::uint64_t>(_mm_cvtsi128_si64(lowHalf)),
                                static_cast<std::uint64_t>(_mm_extract_epi64(lowHalf, 1)),
                                static_cast<std::uint64_t>(_mm_cvtsi128_si64(highHalf)),
                                static_cast<std::uint64_t>(_mm_extract_epi64(highHalf, 1))};
    for (std::uint64_t word : w) {
      ++counts[static_cast<std::uint32_t>(word)];
      ++counts[word >> 32];
    }
  }
  for (; k < n; ++k) ++counts[exactBin(k)];
}
#endif

// The lowest and highest finite value of v[0..n-1]; low > high when there
// is none. Written without early exits so that the compiler vectorises the
// scan; floats are compared through integer keys of the same order (a float
// comparison that must respect NaN and signed zeros is not vectorised).
BIX_VECTOR_CLONES void FiniteRange(const int* v, std::size_t n, int& low, int& high) {
  int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::lowest();
  for (std::size_t k = 0; k < n; ++k) {
    lo = std::min(lo, v[k]);
    hi = std::max(hi, v[k]);
  }
  low = lo;
  high = hi;
}

// A float's bits as an integer that orders as the float does: negative
// floats have their magnitude bits flipped. The mapping is its own inverse.
inline std::int32_t OrderedKey(std::int32_t bits) { return bits ^ ((bits >> 31) & 0x7fffffff); }

// The floats' bits read in place as integers.
typedef std::int32_t FloatBits __attribute__((may_alias));

BIX_VECTOR_CLONES void FiniteRange(const float* v, std::size_t n, float& low, float& high) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max(), kMin = std::numeric_limits<std::int32_t>::min();
  const FloatBits* bits = reinterpret_cast<const FloatBits*>(v);
  std::int32_t lo = kMax, hi = kMin;
  for (std::size_t k = 0; k < n; ++k) {
    const std::int32_t key = OrderedKey(bits[k]);
    // All ones for inf and NaN, which then count as kMax and kMin; written
    // as masks, not as a selection, which the compiler would turn into a branch.
    const std::int32_t infinite = -static_cast<std::int32_t>((bits[k] & 0x7f800000) == 0x7f800000);
    lo = std::min(lo, (key & ~infinite) | (kMax & infinite));
    hi = std::max(hi, (key & ~infinite) | (kMin & infinite));
  }
  if (lo > hi) {
    low = std::numeric_limits<float>::max();
    high = std::numeric_limits<float>::lowest();
    return;
  }
  const std::int32_t lowBits = OrderedKey(lo), highBits = OrderedKey(hi);
  std::memcpy(&low, &lowBits, 4);
  std::memcpy(&high, &highBits, 4);
}

// Counts the channels of n 8-bit RGB voxels into table (red at 0, green at
// 256, blue at 512), reading four voxels as three 32-bit words: a byte load
// per channel would take a load slot per increment, which the increments
// themselves need.
void CountRGB8(const unsigned char* bytes, std::size_t n, unsigned* table) {
  unsigned* const red = table;
  unsigned* const green = table + 256;
  unsigned* const blue = table + 512;
  std::size_t k = 0;
  for (; k + 4 <= n; k += 4, bytes += 12) {
    std::uint32_t w[3];
    std::memcpy(w, bytes, 12);
    if constexpr (__BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__)
      for (std::uint32_t& word : w) word = __builtin_bswap32(word);
    ++red[w[0] & 255];
    ++green[(w[0] >> 8) & 255];
    ++blue[(w[0] >> 16) & 255];
    ++red[w[0] >> 24];
    ++green[w[1] & 255];
    ++blue[(w[1] >> 8) & 255];
    ++red[(w[1] >> 16) & 255];
    ++green[w[1] >> 24];
    ++blue[w[2] & 255];
    ++red[(w[2] >> 8) & 255];
    ++green[(w[2] >> 16) & 255];
    ++blue[w[2] >> 24];
  }
  for (; k < n; ++k, bytes += 3) {
    ++red[bytes[0]];
    ++green[bytes[1]];
    ++blue[bytes[2]];
  }
}

// One run's counts of int voxels, one per value, over a table that grows
// to take in the values it meets: the data range is not known in advance,
// and a separate pass to find it would read the whole image once more.
class GrowingIntCounts {
public:
  // Values spanning more than this make Add give up: a table per core would
  // be too large, and the caller counts in two passes instead.
  static constexpr long long kMaxSpan = 1 << 20;

  // Adds v[0..n-1]; false when the run's values span more than kMaxSpan.
  bool Add(const int* v, std::size_t n) {
    if (n == 0) return true;
    int blockLow, blockHigh;
    FiniteRange(v, n, blockLow, blockHigh);
    if (m_table.empty() || blockLow < m_base || blockHigh >= End())
      if (!Grow(blockLow, blockHigh)) return false;
    m_low = std::min(m_low, blockLow);
    m_high = std::max(m_high, blockHigh);
    // Every value is inside the table; its offset, taken modulo 2^32, is exact.
    unsigned* const table = m_table.data();
    const auto base = static_cast<std::uint32_t>(m_base);
    for (std::size_t k = 0; k < n; ++k) ++table[static_cast<std::uint32_t>(v[k]) - base];
    return true;
  }

  bool Empty() const { return m_low > m_high; }
  int Low() const { return m_low; }
  int High() const { return m_high; }
  unsigned Count(int value) const { return m_table[static_cast<std::size_t>(value - m_base)]; }

private:
  // One past the highest value the table takes.
  long long End() const { return m_base + static_cast<long long>(m_table.size()); }

  // Takes in low..high with room to spare on the side it grows, so that a
  // range widening block by block costs few copies.
  bool Grow(int low, int high) {
    long long from = low, to = high;
    if (!m_table.empty()) {
      from = std::min<long long>(from, m_base);
      to = std::max(to, End() - 1);
    }
    if (to - from + 1 > kMaxSpan) return false;
    const long long room = std::min(kMaxSpan - (to - from + 1), std::max(to - from + 1, 4096LL)) / 2;
    if (!m_table.empty() && low < m_base) from -= room;
    if (!m_table.empty() && high >= End()) to += room;
    from = std::max<long long>(from, std::numeric_limits<int>::min());
    to = std::min<long long>(to, std::numeric_limits<int>::max());
    std::vector<unsigned> table(static_cast<std::size_t>(to - from + 1), 0u);
    if (!m_table.empty()) std::copy(m_table.begin(), m_table.end(), table.begin() + (m_base - from));
    m_table.swap(table);
    m_base = from;
    return true;
  }

  std::vector<unsigned> m_table;
  long long m_base = 0;
  int m_low = std::numeric_limits<int>::max(), m_high = std::numeric_limits<int>::min();
};

// The one-bin-per-value histogram of int voxels in one pass over them, each
// core counting its run; false (h untouched) when the values span more than
// the growing tables take.
bool CountIntsInOnePass(const int* first, std::size_t total, Histogram<int>& h, const Meanwhile& meanwhile) {
  const std::size_t runs = RunsFor(total);
  std::vector<GrowingIntCounts> counts(runs);
  std::vector<char> done(runs, 0);
  ForEachRun(total, runs, [&](std::size_t r, std::size_t begin, std::size_t end) {
    constexpr std::size_t kBlock = 4096;  // a range scan, then counting from the first level cache
    try {
      for (std::size_t start = begin; start < end; start += kBlock)
        if (!counts[r].Add(first + start, std::min(end, start + kBlock) - start)) return;
    } catch (const std::bad_alloc&) {
      return;  // no memory for a larger table: counted in two passes instead
    }
    done[r] = 1;
  }, meanwhile);
  if (std::count(done.begin(), done.end(), 0) != 0) return false;
  long long low = std::numeric_limits<int>::max(), high = std::numeric_limits<int>::min();
  for (const GrowingIntCounts& run : counts) {
    if (run.Empty()) continue;
    low = std::min<long long>(low, run.Low());
    high = std::max<long long>(high, run.High());
  }
  if (low > high) {
    h.Init(0, 0, 0);
    return true;
  }
  if (high - low + 1 > Histogram<int>::kMaxBins) return false;
  h.Init(static_cast<int>(low), static_cast<int>(high), static_cast<unsigned>(high - low + 1));
  for (const GrowingIntCounts& run : counts)
    if (!run.Empty())
      for (long long v = run.Low(); v <= run.High(); ++v) h[static_cast<unsigned>(v - low)] += run.Count(static_cast<int>(v));
  return true;
}

}  // namespace

template <class T>
Histogram<T>::Histogram(const Histogram& other) {
  *this = other;
}

template <class T>
Histogram<T>& Histogram<T>::operator=(const Histogram& other) {
  if (this == &other) return *this;
  m_n = other.m_n;
  m_counts.reset(m_n ? new unsigned[m_n] : nullptr);
  m_centres.reset(m_n ? new T[m_n] : nullptr);
  std::copy(other.m_counts.get(), other.m_counts.get() + m_n, m_counts.get());
  std::copy(other.m_centres.get(), other.m_centres.get() + m_n, m_centres.get());
  return *this;
}

template <class T>
void Histogram<T>::Init(const T& lo, const T& hi, unsigned n) {
  m_n = n;
  m_counts.reset(n ? new unsigned[n]() : nullptr);
  m_centres.reset(n ? new T[n] : nullptr);
  if (n == 1) {
    m_centres[0] = static_cast<T>((static_cast<double>(lo) + static_cast<double>(hi)) * 0.5);
    return;
  }
  const double step = (static_cast<double>(hi) - static_cast<double>(lo)) / (n - 1);
  for (unsigned i = 0; i < n; ++i) m_centres[i] = static_cast<T>(static_cast<double>(lo) + step * i);
  // The last centre is hi itself: lo + step x (n - 1) can fall just short of
  // it (0 + 1 / 49 x 49 is 0.99999..., which truncates to 0; -1e30 + 1e30 is
  // 0 for hi = -1e-45), which would leave the highest voxels above the range.
  if (n >= 2) m_centres[n - 1] = hi;
}

template <class T>
void Histogram<T>::CreateSubHist(const Histogram& src, T lo, T hi) {
  if (src.empty()) {
    Init(T(), T(), 0);
    return;
  }
  const unsigned a = src.GetBinPos(lo), b = std::max(a, src.GetBinPos(hi));
  m_n = b - a + 1;
  m_counts.reset(new unsigned[m_n]);
  m_centres.reset(new T[m_n]);
  std::copy(src.m_counts.get() + a, src.m_counts.get() + b + 1, m_counts.get());
  std::copy(src.m_centres.get() + a, src.m_centres.get() + b + 1, m_centres.get());
}

template <class T>
void Histogram<T>::Fill(const T& lo, const T& hi, unsigned n, const T* first, const T* last,
                        std::size_t stride) {
  Fill(lo, hi, n, first, last, stride, {});
}

template <class T>
void Histogram<T>::Fill(const T& lo, const T& hi, unsigned n, const T* first, const T* last, std::size_t stride,
                        const std::function<void()>& meanwhile) {
  Init(lo, hi, n);
  if (m_n == 0 || last <= first || stride == 0) {
    if (meanwhile) meanwhile();  // nothing to count, but done all the same
    return;
  }
  const std::size_t count = (static_cast<std::size_t>(last - first) + stride - 1) / stride;
  if constexpr (std::is_integral_v<T>) {
    const long long f = m_centres[0], top = static_cast<long long>(m_n) - 1;
    if (static_cast<long long>(m_centres[m_n - 1]) - f == top) {
      if constexpr (sizeof(T) <= 2 && std::is_unsigned_v<T>) {
        if (f == 0 && top == std::numeric_limits<T>::max()) {
          // The whole range of the type: every value is its own bin.
          CountInParallel(count, m_n, m_counts.get(), [=](std::size_t begin, std::size_t end, unsigned* counts) {
            for (std::size_t k = begin; k < end; ++k) ++counts[first[k * stride]];
          }, meanwhile);
          return;
        }
      }
      // One bin per value: the bin is the value's offset, clamped.
      CountInParallel(count, m_n, m_counts.get(), [=](std::size_t begin, std::size_t end, unsigned* counts) {
        for (std::size_t k = begin; k < end; ++k) {
          long long i = static_cast<long long>(first[k * stride]) - f;
          i = i < 0 ? 0 : (i > top ? top : i);
          ++counts[i];
        }
      }, meanwhile);
      return;
    }
  }
  // The general case, in blocks: the bin positions of a block are computed
  // without branches (so the compiler can vectorise the arithmetic), then
  // counted. Same formula and clamps as GetBinPos, whose division is done as
  // a multiplication: the two can differ only in the last bits, so a position
  // within a hair of a whole number is computed again as GetBinPos does.
  // Float voxels of histograms with few bins are placed in float arithmetic,
  // eight at a time: its error, a few 1e-7 of the position, stays far inside
  // a hair of 1e-6 x bins (one voxel in some thousand is rechecked). Double
  // arithmetic differs from the division by some 1e-16 of the position.
  using Fast = std::conditional_t<std::is_same_v<T, float>, float, double>;
  const double f = static_cast<double>(m_centres[0]), l = static_cast<double>(m_centres[m_n - 1]);
  const double top = m_n - 1, span = l - f, scale = top / span;
  const bool inFloat = std::is_same_v<T, float> && top <= 4096 && span < 1e37;
  const double hair = (top + 1) * (inFloat ? 1e-6 : 1e-12);
#ifdef ORV_FUSED_FLOAT_COUNT
  if constexpr (std::is_same_v<T, float>) {
    if (inFloat && stride == 1 && __builtin_cpu_supports("avx2")) {
      CountInParallel(count, m_n, m_counts.get(), [=](std::size_t begin, std::size_t end, unsigned* counts) {
        const float* run = first + begin;
        CountFloatsEightAtATime(run, end - begin, static_cast<float>(f), static_cast<float>(l), static_cast<float>(top),
                                static_cast<float>(scale), static_cast<float>(hair), counts,
                                [this, run](std::size_t k) { return GetBinPos(run[k]); });
      }, meanwhile);
      return;
    }
  }
#endif
  auto positions = [=](auto real, const T* block, std::size_t n, unsigned* bins, unsigned char* recheck) {
    using Real = decltype(real);
    return stride == 1 ? BinPositions<true, Real>(block, 1, n, f, l, top, scale, hair, bins, recheck)
                       : BinPositions<false, Real>(block, stride, n, f, l, top, scale, hair, bins, recheck);
  };
  CountInParallel(count, m_n, m_counts.get(), [=](std::size_t begin, std::size_t end, unsigned* counts) {
    constexpr std::size_t kBlock = 1024;
    unsigned bins[kBlock];
    unsigned char recheck[kBlock] = {};
    for (std::size_t start = begin; start < end; start += kBlock) {
      const std::size_t n = std::min(end, start + kBlock) - start;
      const T* block = first + start * stride;
      const bool any = inFloat ? positions(Fast(), block, n, bins, recheck) : positions(0.0, block, n, bins, recheck);
      // Marks are rare: eight are looked at in one word.
      for (std::size_t w = 0; any && w < n; w += 8) {
        std::uint64_t marks;
        std::memcpy(&marks, recheck + w, 8);
        if (!marks) continue;
        for (std::size_t k = w; k < std::min(n, w + 8); ++k)
          if (recheck[k]) bins[k] = GetBinPos(block[k * stride]);
      }
      for (std::size_t k = 0; k < n; ++k) ++counts[bins[k]];
    }
  }, meanwhile);
}

template <class T>
unsigned Histogram<T>::GetBinPos(T x) const {
  if (m_n == 0) return 0;
  const T f = m_centres[0], l = m_centres[m_n - 1];
  if (!(x > f)) return 0;  // also NaN
  if (x >= l) return m_n - 1;
  if constexpr (std::is_integral_v<T>) {
    if (static_cast<long long>(l) - static_cast<long long>(f) == static_cast<long long>(m_n) - 1)
      return static_cast<unsigned>(static_cast<long long>(x) - static_cast<long long>(f));
  }
  const double pos = (static_cast<double>(x) - static_cast<double>(f)) /
                     (static_cast<double>(l) - static_cast<double>(f)) * (m_n - 1);
  return std::min(static_cast<unsigned>(pos), m_n - 1);
}

template <class T>
void Histogram<T>::Clear() {
  std::fill(begin(), end(), 0u);
}

template <class T>
unsigned Histogram<T>::GetSum() const {
  unsigned sum = 0;
  for (unsigned c : *this) sum += c;
  return sum;
}

template <class T>
unsigned Histogram<T>::FindFirstNonZero() const {
  for (unsigned i = 0; i < m_n; ++i)
    if (m_counts[i]) return i;
  return m_n - 1;
}

template <class T>
unsigned Histogram<T>::FindLastNonZero() const {
  for (unsigned i = m_n; i > 0; --i)
    if (m_counts[i - 1]) return i - 1;
  return 0;
}

template <class T>
unsigned Histogram<T>::FindLeftPercentil(double p) const {
  const unsigned sum = GetSum();
  if (m_n == 0 || sum == 0) return 0;
  double fraction = 0.0;
  for (unsigned i = 0; i < m_n; ++i) {
    fraction += static_cast<double>(m_counts[i]) / sum;
    if (fraction >= p) return i;
  }
  return m_n - 1;
}

template <class T>
unsigned Histogram<T>::FindRightPercentil(double p) const {
  const unsigned sum = GetSum();
  if (m_n == 0) return 0;
  if (sum == 0) return m_n - 1;
  double fraction = 0.0;
  for (unsigned i = m_n; i > 0; --i) {
    fraction += static_cast<double>(m_counts[i - 1]) / sum;
    if (fraction >= p) return i - 1;
  }
  return 0;
}

template <class T>
bool Histogram<T>::operator==(const Histogram& other) const {
  if (m_n != other.m_n) return false;
  return m_n == 0 || (GetLeftCenter() == other.GetLeftCenter() && GetRightCenter() == other.GetRightCenter());
}

template <class T>
Histogram<T>& Histogram<T>::operator+=(const Histogram& other) {
  const unsigned n = std::min(m_n, other.m_n);
  for (unsigned i = 0; i < n; ++i) m_counts[i] += other.m_counts[i];
  return *this;
}

template <class T>
void HistogramSet<T>::CreateFromImage(const bix::Image3d<T>& image) {
  // The notice goes up while the cores already count.
  std::unique_ptr<BusyNotice> busy;
  const Meanwhile notice = [&busy] {
    if (!busy) busy = ShowBusyNotice("Creating histogram...");
  };
  const T* first = image.begin();
  const T* last = image.end();
  if constexpr (std::is_same_v<T, unsigned char> || std::is_same_v<T, unsigned short>) {
    m_histogram.Fill(0, std::numeric_limits<T>::max(), std::numeric_limits<T>::max() + 1u, first, last, 1, notice);
  } else {
    if constexpr (std::is_same_v<T, int>)
      if (CountIntsInOnePass(first, static_cast<std::size_t>(last - first), m_histogram, notice)) return;
    // The data range: every finite voxel value, one run per core.
    const std::size_t total = static_cast<std::size_t>(last - first), runs = RunsFor(total);
    std::vector<T> runLow(runs), runHigh(runs);
    ForEachRun(total, runs, [&](std::size_t r, std::size_t begin, std::size_t end) {
      FiniteRange(first + begin, end - begin, runLow[r], runHigh[r]);
    }, notice);
    const T lo = *std::min_element(runLow.begin(), runLow.end());
    const T hi = *std::max_element(runHigh.begin(), runHigh.end());
    const bool any = lo <= hi;
    unsigned n = 256;
    if constexpr (std::is_integral_v<T>) {
      const long long span = static_cast<long long>(hi) - static_cast<long long>(lo) + 1;
      n = any ? static_cast<unsigned>(std::min<long long>(span, Histogram<T>::kMaxBins)) : 0;
    } else if (!any) {
      n = 0;
    }
    m_histogram.Fill(lo, hi, n, first, last, 1);
  }
}

template <class C>
void HistogramSet<bix::RGB_generic<C>>::CreateFromImage(const bix::Image3d<bix::RGB_generic<C>>& image) {
  static const char* const kMessages[3] = {"Creating histogram (red)...", "Creating histogram (green)...",
                                           "Creating histogram (blue)..."};
  // The three channels are counted in one pass over the voxels, so the three
  // notices go up together, while the cores already count, and stay until
  // the set is done.
  std::unique_ptr<BusyNotice> busy[3];
  const Meanwhile notices = [&busy] {
    for (int k = 0; k < 3; ++k) busy[k] = ShowBusyNotice(kMessages[k]);
  };
  constexpr C top = std::numeric_limits<C>::max();
  for (int k = 0; k < 3; ++k) m_channels[k].Init(0, top, top + 1u);
  // One table of the three channels side by side, so every core counts all
  // three in one pass over its voxels.
  constexpr std::size_t bins = std::size_t(top) + 1;
  std::vector<unsigned> counts(3 * bins, 0u);
  const bix::RGB_generic<C>* voxels = image.begin();
  CountInParallel(
      image.GetVoxelCount(), 3 * bins, counts.data(),
      [=](std::size_t begin, std::size_t end, unsigned* table) {
        if constexpr (std::is_same_v<C, unsigned char>) {
          CountRGB8(reinterpret_cast<const unsigned char*>(voxels + begin), end - begin, table);
        } else {
          for (std::size_t k = begin; k < end; ++k) {
            ++table[voxels[k].red];
            ++table[bins + voxels[k].green];
            ++table[2 * bins + voxels[k].blue];
          }
        }
      },
      notices);
  for (int k = 0; k < 3; ++k) std::copy(counts.begin() + k * bins, counts.begin() + (k + 1) * bins, m_channels[k].begin());
}

// A histogram counts numbers: one per gray voxel, one per channel of a colour
// voxel (whose component types are gray types too).
#define ORV_INSTANTIATE_HISTOGRAM(T) template class Histogram<T>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_HISTOGRAM)
#define ORV_INSTANTIATE_HISTOGRAM_SET(T) template class HistogramSet<T>;
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_HISTOGRAM_SET)

}  // namespace orv
