#include "overlay_paint.h"

namespace orv {

template <class L>
void MarkBoundaries(L* cut, std::size_t width, std::size_t height) {
  constexpr L mark = BoundaryMark<L>();
  const std::size_t count = width * height;
  if (count == 0) return;
  for (std::size_t i = 0; i < count; ++i)
    if (cut[i] & mark) cut[i] = 0;

  auto markAt = [cut](std::size_t i) {
    if (cut[i] != 0) cut[i] |= mark;
  };
  auto label = [cut](std::size_t i) { return static_cast<L>(cut[i] & ~mark); };

  for (std::size_t x = 0; x < width; ++x) markAt(x);
  for (std::size_t y = 1; y < height; ++y) {
    const std::size_t row = y * width;
    markAt(row);
    for (std::size_t i = row + 1; i < row + width; ++i) {
      if (label(i) != label(i - width)) {
        markAt(i);
        markAt(i - width);
      }
      if (label(i) != label(i - 1)) {
        markAt(i);
        markAt(i - 1);
      }
    }
    markAt(row + width - 1);
  }
  // The last row's inner pixels: the first and last are marked above (or,
  // for a single row, with the first row).
  if (height > 1)
    for (std::size_t i = (height - 1) * width + 1; i + 1 < count; ++i) markAt(i);
}

template void MarkBoundaries<unsigned short>(unsigned short*, std::size_t, std::size_t);
template void MarkBoundaries<unsigned int>(unsigned int*, std::size_t, std::size_t);

}  // namespace orv
