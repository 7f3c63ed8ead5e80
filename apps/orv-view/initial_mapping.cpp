#include "initial_mapping.h"

namespace orvview {

int DataBitDepth(unsigned long brightest) {
  int bits = 1;
  while (bits < 64 && (brightest >> bits) != 0) ++bits;
  return bits;
}

std::string DefaultStretch(bool rgb, int bitsPerChannel) {
  return rgb && bitsPerChannel == 8 ? "none" : "linear";
}

std::string StretchProblem(const std::string& stretch, bool rgb) {
  if (stretch == "smart" && !rgb)
    return "--stretch smart works on RGB images only, and this image is gray: use linear, percentil or none";
  return "";
}

}  // namespace orvview
