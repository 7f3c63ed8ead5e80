#include "cut_picture.h"

#include "oriented_pixels.h"

#include <wx/graphics.h>

#include <cairo.h>

#include <algorithm>

namespace orv {

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
  WriteOrientedPixels(buffer, transpose, mirrorH, mirrorV, m_pixels, m_stride);
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
