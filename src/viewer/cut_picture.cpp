#include "cut_picture.h"

#include <wx/graphics.h>

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace orv {

namespace {

// Cairo's RGB24: one 32-bit word per pixel, red in bits 16-23.
inline std::uint32_t XRGB(const bix::RGB_generic<unsigned char>& c) {
  return std::uint32_t(c.red) << 16 | std::uint32_t(c.green) << 8 | c.blue;
}

}  // namespace

CutPicture::~CutPicture() { Clear(); }

void CutPicture::Clear() {
  if (m_surface) cairo_surface_destroy(m_surface);
  m_surface = nullptr;
  m_pixels = nullptr;
  m_width = m_height = 0;
  m_stride = 0;
}

std::uint32_t* CutPicture::Row(int r) const {
  return reinterpret_cast<std::uint32_t*>(m_pixels + static_cast<std::size_t>(r) * m_stride);
}

void CutPicture::Fill(const RGB8Buffer& buffer, bool transpose, bool mirrorH, bool mirrorV) {
  const int bw = static_cast<int>(buffer.width), bh = static_cast<int>(buffer.height);
  if (!buffer.data || bw == 0 || bh == 0) {
    Clear();
    return;
  }
  const int w = transpose ? bh : bw, h = transpose ? bw : bh;
  if (!m_surface || w != m_width || h != m_height) {
    Clear();
    m_surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(m_surface);
      m_surface = nullptr;
      return;
    }
    m_width = w;
    m_height = h;
    m_pixels = cairo_image_surface_get_data(m_surface);
    m_stride = static_cast<std::size_t>(cairo_image_surface_get_stride(m_surface));
  }
  cairo_surface_flush(m_surface);
  const bix::RGB_generic<unsigned char>* data = buffer.data;
  if (!transpose) {
    for (int r = 0; r < h; ++r) {
      const bix::RGB_generic<unsigned char>* line = data + static_cast<std::size_t>(mirrorV ? h - 1 - r : r) * bw;
      std::uint32_t* __restrict dst = Row(r);
      if (mirrorH) {
        for (int c = 0; c < w; ++c) dst[c] = XRGB(line[w - 1 - c]);
      } else {
        const unsigned char* __restrict src = &line[0].red;
        // Four bytes loaded at once and byte-reversed put red, green, blue
        // where cairo wants them; the last pixel of a row is read on its own
        // so that no byte past the buffer is touched.
        for (int c = 0; c + 1 < w; ++c, src += 3) {
          std::uint32_t v;
          std::memcpy(&v, src, 4);
          dst[c] = __builtin_bswap32(v) >> 8;
        }
        dst[w - 1] = XRGB(line[w - 1]);
      }
    }
  } else {
    // Transposing in tiles keeps both the rows read and the rows written in
    // cache: picture (c, r) is buffer element (row r, of buffer row c).
    constexpr int kTile = 32;
    for (int r0 = 0; r0 < h; r0 += kTile) {
      const int r1 = std::min(r0 + kTile, h);
      for (int c0 = 0; c0 < w; c0 += kTile) {
        const int c1 = std::min(c0 + kTile, w);
        for (int r = r0; r < r1; ++r) {
          const int source = mirrorV ? h - 1 - r : r;
          std::uint32_t* dst = Row(r);
          for (int c = c0; c < c1; ++c) {
            const int col = mirrorH ? w - 1 - c : c;
            dst[c] = XRGB(data[static_cast<std::size_t>(col) * bw + source]);
          }
        }
      }
    }
  }
  cairo_surface_mark_dirty(m_surface);
}

void CutPicture::Mirror(bool horizontally) {
  if (!m_surface) return;
  cairo_surface_flush(m_surface);
  if (horizontally) {
    for (int r = 0; r < m_height; ++r) std::reverse(Row(r), Row(r) + m_width);
  } else {
    for (int top = 0, bottom = m_height - 1; top < bottom; ++top, --bottom)
      std::swap_ranges(Row(top), Row(top) + m_width, Row(bottom));
  }
  cairo_surface_mark_dirty(m_surface);
}

void CutPicture::Draw(wxDC& dc) const {
  if (!m_surface) return;
  wxGraphicsContext* gc = dc.GetGraphicsContext();
  cairo_t* cr = gc ? static_cast<cairo_t*>(gc->GetNativeContext()) : nullptr;
  if (!cr) {
    dc.DrawBitmap(wxBitmap(ToImage()), 0, 0, false);
    return;
  }
  cairo_save(cr);
  cairo_set_source_surface(cr, m_surface, 0, 0);
  cairo_rectangle(cr, 0, 0, m_width, m_height);
  cairo_fill(cr);
  cairo_restore(cr);
}

wxImage CutPicture::ToImage() const {
  if (!m_surface) return wxImage();
  cairo_surface_flush(m_surface);
  wxImage image(m_width, m_height, false);
  unsigned char* out = image.GetData();
  for (int r = 0; r < m_height; ++r) {
    const std::uint32_t* row = Row(r);
    for (int c = 0; c < m_width; ++c, out += 3) {
      out[0] = static_cast<unsigned char>(row[c] >> 16);
      out[1] = static_cast<unsigned char>(row[c] >> 8);
      out[2] = static_cast<unsigned char>(row[c]);
    }
  }
  return image;
}

}  // namespace orv
