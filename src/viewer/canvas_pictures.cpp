#include "canvas_pictures.h"

#include <algorithm>
#include <cstring>

namespace orv {

wxBitmap MakeIconBitmap(int w, int h, const RGB8Buffer& buffer, bool reversedX, bool reversedY) {
  // The letter-box margins are transparent through an alpha channel, not a
  // mask: wxGTK keeps the pixbufs of every masked icon a frame was given, so
  // an icon that follows the XY view would grow the heap with each redraw.
  wxImage thumb(w, h, true);  // black
  thumb.InitAlpha();
  std::memset(thumb.GetAlpha(), wxIMAGE_ALPHA_TRANSPARENT, static_cast<std::size_t>(w) * h);
  const int bw = static_cast<int>(buffer.width), bh = static_cast<int>(buffer.height);
  int tw = 0, th = 0;
  if (bw > 0 && bh > 0) {
    if (bw > bh) {
      tw = w;
      th = static_cast<int>(h / (static_cast<float>(bw) / bh));
    } else {
      th = h;
      tw = static_cast<int>(w / (static_cast<float>(bh) / bw));
    }
  }
  if (tw > 0 && th > 0) {
    const int left = (w - tw + 1) / 2, top = (h - th + 1) / 2;
    const int stepX = bw / tw, stepY = bh / th;
    // Centre the sampled columns and rows: the remainder goes to both sides.
    const int startX = (bw - ((tw - 1) * stepX + 1)) / 2;
    const int startY = (bh - ((th - 1) * stepY + 1)) / 2;
    for (int j = 0; j < th; ++j) {
      int sy = startY + j * stepY;
      if (reversedY) sy = bh - 1 - sy;
      for (int i = 0; i < tw; ++i) {
        int sx = startX + i * stepX;
        if (reversedX) sx = bw - 1 - sx;
        const bix::RGB8& c = buffer.At(static_cast<std::uint32_t>(sx), static_cast<std::uint32_t>(sy));
        thumb.SetRGB(left + i, top + j, c.red, c.green, c.blue);
        thumb.SetAlpha(left + i, top + j, wxIMAGE_ALPHA_OPAQUE);
      }
    }
  }
  return wxBitmap(thumb);
}

}  // namespace orv
