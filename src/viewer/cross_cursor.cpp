#include "cross_cursor.h"

namespace orv {

wxImage CrossCursorImage() {
  constexpr int kSize = 15, kMid = 7;
  const unsigned char transparent[3] = {255, 0, 255};
  wxImage image(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) image.SetRGB(x, y, transparent[0], transparent[1], transparent[2]);
  auto isArm = [&](int x, int y) {
    const bool horizontal = y == kMid && x >= 1 && x <= kSize - 2 && (x < kMid - 1 || x > kMid + 1);
    const bool vertical = x == kMid && y >= 1 && y <= kSize - 2 && (y < kMid - 1 || y > kMid + 1);
    return horizontal || vertical;
  };
  // Outline first: every pixel next to an arm pixel (8-neighbourhood).
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      if (isArm(x, y) || (x == kMid && y == kMid)) continue;
      bool touches = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) touches |= isArm(x + dx, y + dy);
      if (touches) image.SetRGB(x, y, 0, 0, 0);
    }
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      if (isArm(x, y)) image.SetRGB(x, y, 255, 255, 255);
  image.SetMaskColour(transparent[0], transparent[1], transparent[2]);
  image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, 8);
  image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, 8);
  return image;
}

}  // namespace orv
