#include <orv/histogram.h>
#include <orv/orv_voxel_traits.h>

#include "replace_file.h"

#include <bix/Types.h>

#include <wx/filefn.h>
#include <wx/string.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iomanip>
#include <limits>
#include <sstream>
#include <string>
#include <type_traits>

// Histogram files: the toolkit's file names and renaming, kept apart from
// the counting, which needs no toolkit.

namespace orv {

namespace {

// Centre values as the file shows them: 8-bit values as numbers, floats with
// enough digits to read back the same float.
template <class T>
void WriteValue(std::ostream& out, T v) {
  if constexpr (std::is_same_v<T, unsigned char>)
    out << static_cast<int>(v);
  else if constexpr (std::is_floating_point_v<T>)
    out << std::setprecision(std::numeric_limits<T>::max_digits10) << v;
  else
    out << v;
}

template <class T>
bool ReadValue(std::istream& in, T& v) {
  if constexpr (std::is_floating_point_v<T>) {
    in >> v;
    return static_cast<bool>(in) && std::isfinite(v);
  } else {
    long long wide = 0;
    in >> wide;
    if (!in || wide < std::numeric_limits<T>::min() || wide > std::numeric_limits<T>::max()) return false;
    v = static_cast<T>(wide);
    return true;
  }
}

// One count: digits up to a blank or the end of the file; line ends are
// skipped; 1 to 19 digits; the value wraps into 32 bits.
bool ReadCount(std::istream& in, unsigned& count) {
  std::uint32_t value = 0;
  int digits = 0;
  for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    if (c == '\n' || c == '\r') continue;
    if (c == ' ') break;
    if (c < '0' || c > '9' || ++digits > 19) return false;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  count = value;
  return digits > 0;
}

}  // namespace

template <class T>
bool Histogram<T>::Save(const wxString& path) const {
  if (m_n == 0) return false;
  unsigned first = FindFirstNonZero(), last = FindLastNonZero();
  if (first == m_n - 1) last = m_n - 1;  // no counts below the last bin
  std::ostringstream out;
  out << VoxelTraits<T>::kCppName << '\n' << m_n << ' ' << first << ' ' << last << ' ' << '\n';
  WriteValue(out, GetLeftCenter());
  out << ' ';
  WriteValue(out, GetRightCenter());
  out << '\n';
  for (unsigned i = first; i <= last; ++i) out << m_counts[i] << ' ';
  // Written beside the target and renamed over it: a failed save leaves the
  // previous file as it was.
  return ReplaceFile(std::string(path.fn_str()), out.str());
}

template <class T>
bool Histogram<T>::Load(const wxString& path) {
  std::ifstream in(path.fn_str(), std::ios::binary);
  if (!in) return false;
  char line[99];
  in.getline(line, sizeof line);  // at most 98 characters
  if (!in) return false;
  std::string name(line);
  if (!name.empty() && name.back() == '\r') name.pop_back();
  if (name != VoxelTraits<T>::kCppName) return false;

  unsigned long long n = 0, first = 0, last = 0;
  in >> n >> first >> last;
  if (!in || n == 0 || n > kMaxBins || first > last || last >= n) return false;
  T lo, hi;
  if (!ReadValue(in, lo) || !ReadValue(in, hi) || !(lo <= hi)) return false;

  Histogram<T> loaded;
  loaded.Init(lo, hi, static_cast<unsigned>(n));
  for (unsigned long long i = first; i <= last; ++i)
    if (!ReadCount(in, loaded.m_counts[i])) return false;
  *this = loaded;
  return true;
}

#define ORV_INSTANTIATE_HISTOGRAM_FILES(T)                \
  template bool Histogram<T>::Save(const wxString&) const; \
  template bool Histogram<T>::Load(const wxString&);
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_HISTOGRAM_FILES)

}  // namespace orv
