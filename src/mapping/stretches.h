#ifndef ORV_SRC_STRETCHES_H
#define ORV_SRC_STRETCHES_H

// The input ranges the stretches of the mapping modules choose from a
// histogram of the values in the mapping's range.

#include <orv/histogram.h>

#include <utility>

namespace orv {

// From the first to the last populated bin; the whole histogram when fewer
// than two bins are populated.
template <class T>
std::pair<T, T> LinearStretchRange(const Histogram<T>& sub);

// Cuts off the fraction `p` of the voxels at each end (no fallback).
template <class T>
std::pair<T, T> PercentilStretchRange(const Histogram<T>& sub, double p);

// From the outermost run of consecutive populated bins holding more than
// `threshold` voxels at each end, so that a few isolated bright or dark
// voxels do not decide the stretch; the whole histogram when the two ends
// meet.
template <class T>
std::pair<T, T> SmartStretchRange(const Histogram<T>& sub, unsigned threshold);

}  // namespace orv

#endif
