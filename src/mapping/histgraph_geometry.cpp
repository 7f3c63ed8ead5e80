#include "histgraph_geometry.h"

#include <algorithm>
#include <cmath>

namespace orv {

std::vector<HistogramBar> HistogramBars(const unsigned* counts, unsigned n, int W, int H, int mx, int my,
                                        bool logarithmic) {
  std::vector<HistogramBar> bars;
  if (n == 0) return bars;
  bars.reserve(std::min<std::size_t>(n, static_cast<std::size_t>(std::max(W, 0)) + 1));
  const double s = n > 1 ? static_cast<double>(W - mx) / (n - 1) : static_cast<double>(W - mx);
  const int width = static_cast<int>(std::ceil(s));
  const int room = std::max(H - my, 0);
  unsigned max = 0;
  for (unsigned i = 0; i + 1 < n; ++i) max = std::max(max, counts[i]);
  if (n == 1) max = counts[0];
  for (unsigned i = 0; i < n; ++i) {
    const unsigned c = counts[i];
    long height = 0;
    if (c > 0) {
      if (max == 0)
        height = room;  // only the last bin holds voxels
      else if (!logarithmic)
        height = std::lround(static_cast<double>(room) * c / max);
      else if (max == 1)
        height = room;
      else
        height = std::lround(std::log(static_cast<double>(c)) * room / std::log(static_cast<double>(max)));
      height = std::min<long>(std::max<long>(height, 1), room);
    }
    const int x = static_cast<int>(std::floor(i * s)) + mx / 2;
    // Bins sharing a pixel column (more bins than pixels, up to millions for
    // int data) draw as one bar, the tallest: the same pixels, drawn once.
    if (!bars.empty() && bars.back().x == x)
      bars.back().height = std::max(bars.back().height, static_cast<int>(height));
    else
      bars.push_back({x, width, static_cast<int>(height)});
  }
  return bars;
}

int GridStep(int extent, int divisions) {
  return divisions > 0 ? static_cast<int>(std::lround(static_cast<double>(extent) / divisions)) : extent;
}

wxColour StripeColour(int column, int width, int steps, int lower, int upper, bool gradient, double gamma,
                      const wxColour& below, const wxColour& above, const wxColour& ramp) {
  const bool crossed = lower > upper;
  const int first = crossed ? upper : lower, last = crossed ? lower : upper;
  // In 64 bits: an int image's histogram may have millions of steps.
  const int start = static_cast<int>(static_cast<long long>(first) * width / steps);
  const int end = static_cast<int>((static_cast<long long>(last) + 1) * width / steps);
  if (column < start) return crossed ? above : below;
  if (column >= end) return crossed ? below : above;
  if (!gradient) return ramp;
  const int w = end - start;
  const int d = crossed ? end - 1 - column : column - start;
  const double f = std::pow(static_cast<double>(d) / w, 1.0 / gamma);
  auto channel = [f](unsigned char v) { return static_cast<unsigned char>(std::lround(v * f)); };
  return wxColour(channel(ramp.Red()), channel(ramp.Green()), channel(ramp.Blue()));
}

}  // namespace orv
