#include "mapping_support.h"

#include <wx/numdlg.h>

#include <algorithm>
#include <cmath>

namespace orv {

int BinaryDigits(double v) {
  int digits = 0;
  for (double x = std::trunc(v); x >= 1.0; x = std::floor(x / 2.0)) ++digits;
  return std::max(digits, 1);
}

double BitDepthMaximum(int bits) { return std::ldexp(1.0, bits) - 1.0; }

int AskBitDepth(wxWindow* parent, double rangeLow, double rangeHigh, double lastValue) {
  const int current = BinaryDigits(rangeHigh);
  const int largest = std::max(BinaryDigits(lastValue), current);
  const int smallest = std::min(rangeLow > 0 ? BinaryDigits(rangeLow) : 1, current);
  const long answer = wxGetNumberFromUser("Set image bit depth", "Bit depth = ", "Image Bit Depth", current, smallest,
                                          largest, parent, wxDefaultPosition);
  if (answer == -1 || answer == current) return 0;
  return static_cast<int>(answer);
}

}  // namespace orv
