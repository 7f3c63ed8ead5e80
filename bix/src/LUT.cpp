#include <bix/Exceptions.h>
#include <bix/LUT.h>
#include <bix/VectorClones.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

namespace bix {

namespace {

// Entries beyond this count are refused: a table of 2^28 entries already
// takes hundreds of megabytes and no display mapping needs more.
constexpr long kMaxEntries = 1L << 28;

template <class V>
std::string Text(const V& v) {
  std::ostringstream s;
  if constexpr (std::is_arithmetic_v<V>)
    s << +v;  // unary + prints char-sized values as numbers
  else
    s << "(" << +v.red << ", " << +v.green << ", " << +v.blue << ")";
  return s.str();
}

// Converts a computed output level to U, clamped into [lo, hi] and, for
// integer outputs, rounded to the nearest level.
template <class U>
U ToOutput(double v, double lo, double hi) {
  v = std::min(std::max(v, lo), hi);
  if constexpr (std::is_integral_v<U>) v = std::floor(v + 0.5);
  return static_cast<U>(v);
}

template <class U>
void RequireNumericOutput(const char* operation) {
  if constexpr (!std::is_arithmetic_v<U>)
    throw LibException(std::string("LUT::") + operation + ": the table's entries are not numbers");
}

// The entry indices of v[0..n-1]. Processors with AVX2 get their own copy,
// which the compiler vectorises four or eight values at a time. The reader
// comes by value so that its fields stay in registers while indices are stored.
template <class Reader, class T>
BIX_VECTOR_CLONES void EntryIndices(Reader reader, const T* v, std::size_t n, std::int32_t* index) {
  for (std::size_t k = 0; k < n; ++k) index[k] = static_cast<std::int32_t>(reader.IndexOf(v[k]));
}

}  // namespace

template <class T, class U>
void LUT<T, U>::Init(long count, T lo, T hi) {
  if (count < 1 || count > kMaxEntries)
    throw LibException("LUT::Init: the entry count " + std::to_string(count) +
                       " is outside [1, " + std::to_string(kMaxEntries) + "]");
  if (!(lo <= hi))
    throw LibException("LUT::Init: the range [" + Text(lo) + ", " + Text(hi) + "] is empty");
  // An infinite end would make every entry's value infinite or NaN.
  if (!std::isfinite(static_cast<double>(lo)) || !std::isfinite(static_cast<double>(hi)))
    throw LibException("LUT::Init: the range [" + Text(lo) + ", " + Text(hi) + "] is not finite");
  m_table.assign(static_cast<std::size_t>(count), U());
  m_lo = lo;
  m_hi = hi;
  Placement& p = m_placement;
  p.lo_d = static_cast<double>(lo);
  p.last = static_cast<std::size_t>(count - 1);
  const double span = static_cast<double>(hi) - static_cast<double>(lo);
  p.scale = (count > 1 && span > 0.0) ? static_cast<double>(count - 1) / span : 0.0;
  if constexpr (std::is_integral_v<T>) {
    p.lo_i = static_cast<long long>(lo);
    p.direct = static_cast<long long>(hi) - static_cast<long long>(lo) == count - 1;
  }
  UpdateByValue(0, p.last);
}

template <class T, class U>
void LUT<T, U>::UpdateByValue(std::size_t first, std::size_t last) {
  if constexpr (kEveryValue) {
    // Entries follow the values in order, so the values of [first, last]
    // form one run; it starts at the first value whose entry is not below first.
    std::size_t lo = 0, hi = kValueCount;
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (m_placement.IndexOf(static_cast<T>(mid)) < first)
        lo = mid + 1;
      else
        hi = mid;
    }
    for (std::size_t v = lo; v < kValueCount; ++v) {
      const std::size_t entry = m_placement.IndexOf(static_cast<T>(v));
      if (entry > last) break;
      m_byValue[v] = m_table[entry];
    }
  } else {
    (void)first;
    (void)last;
  }
}

template <class T, class U>
double LUT<T, U>::GetEntryValue(long index) const {
  const Placement& p = m_placement;
  if (p.last == 0) return p.lo_d;
  const double span = static_cast<double>(m_hi) - p.lo_d;
  return p.lo_d + span * static_cast<double>(index) / static_cast<double>(p.last);
}

template <class T, class U>
void LUT<T, U>::CreateGamma(T imin, T imax, float gamma, U omin, U omax) {
  RequireNumericOutput<U>("CreateGamma");
  if constexpr (std::is_arithmetic_v<U>) {
    if (!(gamma > 0.f) || !std::isfinite(gamma))
      throw LibException("LUT::CreateGamma: gamma must be positive, got " + Text(gamma));
    if (!(imin <= imax))
      throw LibException("LUT::CreateGamma: input minimum " + Text(imin) +
                         " exceeds input maximum " + Text(imax));
    const double lo = imin, hi = imax, o0 = omin, o1 = omax;
    const double olo = std::min(o0, o1), ohi = std::max(o0, o1);
    const double inverse = 1.0 / static_cast<double>(gamma);
    for (std::size_t i = 0; i < m_table.size(); ++i) {
      const double p = GetEntryValue(static_cast<long>(i));
      double t;
      if (hi == lo)
        t = p < lo ? 0.0 : 1.0;
      else
        t = std::min(std::max((p - lo) / (hi - lo), 0.0), 1.0);
      if (inverse != 1.0) t = std::pow(t, inverse);
      m_table[i] = ToOutput<U>(o0 + (o1 - o0) * t, olo, ohi);
    }
    UpdateByValue(0, m_placement.last);
  }
}

template <class T, class U>
void LUT<T, U>::CreateThresholding(T lo, T hi, U outside, U inside) {
  if (!(lo <= hi))
    throw LibException("LUT::CreateThresholding: lower threshold " + Text(lo) +
                       " exceeds upper threshold " + Text(hi));
  const double l = lo, h = hi;
  for (std::size_t i = 0; i < m_table.size(); ++i) {
    const double p = GetEntryValue(static_cast<long>(i));
    m_table[i] = (l <= p && p <= h) ? inside : outside;
  }
  UpdateByValue(0, m_placement.last);
}

template <class T, class U>
void LUT<T, U>::CreateAffine(float k, float q, U omin, U omax) {
  RequireNumericOutput<U>("CreateAffine");
  if constexpr (std::is_arithmetic_v<U>) {
    if (!std::isfinite(k) || !std::isfinite(q))
      throw LibException("LUT::CreateAffine: slope and offset must be finite");
    if (!(omin <= omax))
      throw LibException("LUT::CreateAffine: output minimum " + Text(omin) +
                         " exceeds output maximum " + Text(omax));
    for (std::size_t i = 0; i < m_table.size(); ++i) {
      const double p = GetEntryValue(static_cast<long>(i));
      m_table[i] = ToOutput<U>(static_cast<double>(k) * p + static_cast<double>(q), omin, omax);
    }
    UpdateByValue(0, m_placement.last);
  }
}

template <class T, class U>
void LUT<T, U>::Set(long index, const U& value) {
  if (index < 0 || index >= GetCount())
    throw LibException("LUT::Set: index " + std::to_string(index) + " outside the table of " +
                       std::to_string(GetCount()) + " entries");
  m_table[static_cast<std::size_t>(index)] = value;
  UpdateByValue(static_cast<std::size_t>(index), static_cast<std::size_t>(index));
}

template <class T, class U>
void LUT<T, U>::GetMany(const T* v, std::size_t n, U* out) const {
  if constexpr (kEveryValue) {
    const U* byValue = m_byValue.data();
    for (std::size_t k = 0; k < n; ++k) out[k] = byValue[static_cast<std::size_t>(v[k])];
    return;
  }
  constexpr std::size_t kBlock = 1024;
  std::int32_t index[kBlock];
  const Reader reader = GetReader();
  for (std::size_t start = 0; start < n; start += kBlock) {
    const std::size_t count = std::min(kBlock, n - start);
    EntryIndices(reader, v + start, count, index);
    for (std::size_t k = 0; k < count; ++k) out[start + k] = reader.m_entries[index[k]];
  }
}

#define BIX_INSTANTIATE_LUT(T, U) template class LUT<T, U>;
BIX_FOR_EACH_LUT_PAIR(BIX_INSTANTIATE_LUT)

}  // namespace bix
