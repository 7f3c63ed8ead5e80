#ifndef BIX_LUT_H
#define BIX_LUT_H

#include <bix/RGB.h>

#include <cmath>
#include <cstddef>
#include <type_traits>
#include <vector>

namespace bix {

// A look-up table from values of T to values of U. Init(count, lo, hi) lays
// `count` entries evenly over [lo, hi]: entry i stands for the value
// lo + i * (hi - lo) / (count - 1). Get(v) clamps v into [lo, hi] and reads
// the nearest entry; an integer table with one entry per value is indexed
// directly. The Create* calls fill every entry from the value it stands for.
// Arguments that make no sense raise LibException with a message.
template <class T, class U>
class LUT {
public:
  LUT() = default;

  void Init(long count, T lo, T hi);

  // Maps [imin, imax] onto [omin, omax] along t^(1/gamma), t running from 0
  // to 1 over the input range; values outside the input range clamp to the
  // ends. With imin == imax the table is a step: below imin gives omin, the
  // rest omax. omin may exceed omax (an inverted ramp).
  void CreateGamma(T imin, T imax, float gamma, U omin, U omax);
  // `inside` for values in [lo, hi], `outside` for the others.
  void CreateThresholding(T lo, T hi, U outside, U inside);
  // The line k * v + q, clamped to [omin, omax].
  void CreateAffine(float k, float q, U omin, U omax);

  void Set(long index, const U& value);

private:
  // 8- and 16-bit unsigned values have a table of their own with one entry
  // per possible value (the entry Get reads for it, kept in step with the
  // entries), so Get is one load: no clamp, no position, and nothing but the
  // table's address to reload when the caller's byte stores might alias it.
  static constexpr bool kEveryValue = std::is_integral_v<T> && std::is_unsigned_v<T> && sizeof(T) <= 2;
  static constexpr std::size_t kValueCount = kEveryValue ? std::size_t(1) << (8 * sizeof(T)) : 0;

  // Where a value's entry lies.
  struct Placement {
    long long lo_i = 0;
    double lo_d = 0.0;
    double scale = 0.0;
    std::size_t last = 0;
    bool direct = false;

    // Written without branches (the clamps are selections): voxel data give
    // the predictor nothing to learn, and a loop over many values vectorises
    // (GetMany). Entry counts stay below 2^31, so a position converts through
    // an int, which vectorises too.
    std::size_t IndexOf(T v) const {
      if constexpr (std::is_integral_v<T>) {
        if (direct) {
          long long i = static_cast<long long>(v) - lo_i;
          i = i < 0 ? 0 : i;
          i = i > static_cast<long long>(last) ? static_cast<long long>(last) : i;
          return static_cast<std::size_t>(i);
        }
      }
      const double end = static_cast<double>(last);
      double p = (static_cast<double>(v) - lo_d) * scale + 0.5;
      p = p > 0.0 ? p : 0.0;  // also NaN
      p = p >= end ? end : p;
      return static_cast<std::size_t>(static_cast<int>(p));
    }
  };

public:
  // What Get needs, copied out of the table. A pixel loop that reads
  // through a local Reader keeps it in registers while it stores pixels
  // (a byte store could alias the table's own members and force reloads).
  class Reader {
  public:
    U Get(T v) const { return m_entries[IndexOf(v)]; }
    // The entry Get reads.
    std::size_t IndexOf(T v) const { return m_placement.IndexOf(v); }

  private:
    friend class LUT;
    const U* m_entries;
    Placement m_placement;
  };

  Reader GetReader() const {
    Reader r;
    r.m_entries = m_table.data();
    r.m_placement = m_placement;
    return r;
  }

  U Get(T v) const {
    if constexpr (kEveryValue)
      return m_byValue[static_cast<std::size_t>(v)];
    else
      return m_table[m_placement.IndexOf(v)];
  }
  // out[k] = Get(v[k]) for k < n, the positions computed many at a time.
  void GetMany(const T* v, std::size_t n, U* out) const;

  long GetCount() const { return static_cast<long>(m_table.size()); }
  T GetLow() const { return m_lo; }
  T GetHigh() const { return m_hi; }
  // The value that entry `index` stands for.
  double GetEntryValue(long index) const;

private:
  // Brings the entries per value up to date for the values whose entry is one
  // of [first, last].
  void UpdateByValue(std::size_t first, std::size_t last);

  // A table that was never initialised has one entry for the value 0, so Get
  // is always safe.
  std::vector<U> m_table{U()};
  std::vector<U> m_byValue = std::vector<U>(kValueCount, U());
  T m_lo = T();
  T m_hi = T();
  Placement m_placement;
};

#define BIX_FOR_EACH_LUT_PAIR(M)          \
  M(unsigned char, unsigned char)         \
  M(unsigned short, unsigned char)        \
  M(int, unsigned char)                   \
  M(float, unsigned char)                 \
  M(unsigned char, bix::RGB_generic<unsigned char>)

#define BIX_DECLARE_LUT(T, U) extern template class LUT<T, U>;
BIX_FOR_EACH_LUT_PAIR(BIX_DECLARE_LUT)
#undef BIX_DECLARE_LUT

}  // namespace bix

#endif
