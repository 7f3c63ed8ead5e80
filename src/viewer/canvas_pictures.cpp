#include "canvas_pictures.h"

#include <algorithm>
#include <cstring>

namespace orv {

wxImage OrientPicture(const RGB8Buffer& buffer, bool transpose, bool mirrorH, bool mirrorV,
                      wxImage& scratch) {
  const int bw = static_cast<int>(buffer.width), bh = static_cast<int>(buffer.height);
  unsigned char* data = buffer.data ? &buffer.data[0].red : nullptr;
  if (!data) return wxImage();
  if (!transpose && !mirrorH && !mirrorV) return wxImage(bw, bh, data, true);

  const int w = transpose ? bh : bw, h = transpose ? bw : bh;
  // Fresh megabytes on every rebuild would cost a page fault per 4 KiB.
  if (!scratch.IsOk() || scratch.GetWidth() != w || scratch.GetHeight() != h) scratch.Create(w, h, false);
  wxImage& picture = scratch;
  unsigned char* out = picture.GetData();
  if (!transpose) {
    for (int r = 0; r < h; ++r) {
      const unsigned char* src = data + static_cast<std::size_t>(mirrorV ? h - 1 - r : r) * bw * 3;
      unsigned char* dst = out + static_cast<std::size_t>(r) * w * 3;
      if (!mirrorH) {
        std::memcpy(dst, src, static_cast<std::size_t>(w) * 3);
      } else {
        for (int c = 0; c < w; ++c) std::memcpy(dst + 3 * c, src + 3 * (w - 1 - c), 3);
      }
    }
    return picture;
  }
  // Transposing in tiles keeps both the rows read and the rows written in
  // cache: picture (c, r) is buffer element (row r, of buffer row c).
  constexpr int kTile = 32;
  for (int r0 = 0; r0 < h; r0 += kTile) {
    const int r1 = std::min(r0 + kTile, h);
    for (int c0 = 0; c0 < w; c0 += kTile) {
      const int c1 = std::min(c0 + kTile, w);
      for (int r = r0; r < r1; ++r) {
        const int row = mirrorV ? h - 1 - r : r;
        unsigned char* dst = out + (static_cast<std::size_t>(r) * w + c0) * 3;
        for (int c = c0; c < c1; ++c, dst += 3) {
          const int col = mirrorH ? w - 1 - c : c;
          std::memcpy(dst, data + (static_cast<std::size_t>(col) * bw + row) * 3, 3);
        }
      }
    }
  }
  return picture;
}

wxBitmap MakeIconBitmap(int w, int h, const RGB8Buffer& buffer, bool reversedX, bool reversedY) {
  wxImage thumb(w, h, true);  // black
  wxImage mask(w, h, true);   // black: transparent
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
        const bix::RGB_generic<unsigned char>& c = buffer.At(static_cast<std::uint32_t>(sx), static_cast<std::uint32_t>(sy));
        thumb.SetRGB(left + i, top + j, c.red, c.green, c.blue);
        mask.SetRGB(left + i, top + j, 255, 255, 255);
      }
    }
  }
  wxBitmap bitmap(thumb);
  bitmap.SetMask(new wxMask(wxBitmap(mask), *wxBLACK));
  return bitmap;
}

}  // namespace orv
