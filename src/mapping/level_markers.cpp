#include "level_markers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orv {

int GammaMarkerPosition(int lower, int upper, double gamma) {
  // Positions that fall on half a step (odd spans) round away from the
  // lower marker; the logarithm's rounding error must not pull them below
  // the half, or a dragged marker would land one step short.
  const double offset = (1.0 - std::log10(gamma)) * (upper - lower) / 2.0;
  return lower + static_cast<int>(std::lround(offset + std::copysign(1e-9, offset)));
}

double GammaFromMarker(int lower, int upper, int position, double maxGamma) {
  const double h = (upper - lower) / 2.0;
  if (h == 0.0) return 1.0;
  const double gamma = std::pow(10.0, (std::round(h) + lower - position) / h);
  return std::min(gamma, maxGamma);
}

int PointerStep(int x, int width, int steps) {
  if (steps <= 1 || width <= 4) return 0;
  const int q = static_cast<int>(std::lround(static_cast<double>(x - 2) * (steps - 1) / (width - 4)));
  return std::min(std::max(q, 0), steps - 1);
}

int MarkerPixel(int position, int width, int steps) {
  // Rounded, so that PointerStep of a marker's pixel gives its position back.
  return steps > 1 ? static_cast<int>(std::lround(static_cast<double>(position) * (width - 4) / (steps - 1))) : 0;
}

int NearestMarker(int q, int lower, int upper, bool hasGamma, int gammaPosition) {
  const int toLower = std::abs(q - lower), toUpper = std::abs(q - upper);
  int chosen = MARKER_UPPER;
  if (toLower < toUpper || (toLower == toUpper && (lower != upper || q <= lower))) chosen = MARKER_LOWER;
  // Limits together leave the gamma marker no room: the limits are taken.
  if (!hasGamma || lower == upper) return chosen;
  const int toGamma = std::abs(q - gammaPosition);
  // The gamma marker lies between the limits: where it coincides with one of
  // them, the pointer's side decides.
  if (gammaPosition == lower) return (q > lower && toGamma <= toUpper) ? MARKER_GAMMA : chosen;
  if (gammaPosition == upper) return (q < upper && toGamma < toLower) ? MARKER_GAMMA : chosen;
  return (toGamma < toLower && toGamma <= toUpper) ? MARKER_GAMMA : chosen;
}

}  // namespace orv
