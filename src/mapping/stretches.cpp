#include "stretches.h"

#include <bix/Types.h>

namespace orv {

template <class T>
std::pair<T, T> LinearStretchRange(const Histogram<T>& sub) {
  if (sub.empty()) return {T(), T()};
  T lo = sub.GetBinCenter(sub.FindFirstNonZero());
  T hi = sub.GetBinCenter(sub.FindLastNonZero());
  if (!(lo < hi)) {
    lo = sub.GetLeftCenter();
    hi = sub.GetRightCenter();
  }
  return {lo, hi};
}

template <class T>
std::pair<T, T> PercentilStretchRange(const Histogram<T>& sub, double p) {
  if (sub.empty()) return {T(), T()};
  return {sub.GetBinCenter(sub.FindLeftPercentil(p)), sub.GetBinCenter(sub.FindRightPercentil(p))};
}

namespace {

// Scans bins in the order `next` gives from `start` and returns the first
// bin of the run of populated bins in which the running total first exceeds
// `threshold` (the start of the last run met when none does).
template <class T, class Next>
unsigned SmartEnd(const Histogram<T>& sub, unsigned start, unsigned threshold, Next next) {
  unsigned end = start;
  unsigned long long run = 0;
  for (long long i = start; i >= 0 && i < static_cast<long long>(sub.size()); i = next(i)) {
    const unsigned count = sub[static_cast<unsigned>(i)];
    if (count == 0) {
      run = 0;
      continue;
    }
    if (run == 0) end = static_cast<unsigned>(i);
    run += count;
    if (run > threshold) break;
  }
  return end;
}

}  // namespace

template <class T>
std::pair<T, T> SmartStretchRange(const Histogram<T>& sub, unsigned threshold) {
  if (sub.empty()) return {T(), T()};
  const unsigned n = sub.size();
  const unsigned top = SmartEnd(sub, n - 1, threshold, [](long long i) { return i - 1; });
  const unsigned bottom = SmartEnd(sub, 0, threshold, [](long long i) { return i + 1; });
  if (bottom < top) return {sub.GetBinCenter(bottom), sub.GetBinCenter(top)};
  return {sub.GetLeftCenter(), sub.GetRightCenter()};
}

#define ORV_INSTANTIATE_STRETCHES(T)                                         \
  template std::pair<T, T> LinearStretchRange<T>(const Histogram<T>&);       \
  template std::pair<T, T> PercentilStretchRange<T>(const Histogram<T>&, double); \
  template std::pair<T, T> SmartStretchRange<T>(const Histogram<T>&, unsigned);
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_STRETCHES)

}  // namespace orv
