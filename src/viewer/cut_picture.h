#ifndef ORV_SRC_CUT_PICTURE_H
#define ORV_SRC_CUT_PICTURE_H

// The picture a cut window shows, kept as a cairo image surface: the mapped
// buffer is oriented straight into the pixels the window system paints from.
// Going through wxImage and wxBitmap instead copies every pixel twice more
// (into a GdkPixbuf, then into a fresh cairo surface on the first paint),
// which cost more than mapping the cut.

#include "canvas_pictures.h"

#include <wx/dc.h>

#include <cstddef>
#include <cstdint>

typedef struct _cairo_surface cairo_surface_t;

namespace orv {

class CutPicture {
public:
  CutPicture() = default;
  ~CutPicture();
  CutPicture(const CutPicture&) = delete;
  CutPicture& operator=(const CutPicture&) = delete;

  // The picture of `buffer` in one pass, oriented as WriteOrientedPixels
  // says (the YZ window's buffer is transposed, so its picture is
  // buffer.height wide). The surface is reused while its size fits; an empty
  // buffer leaves no picture.
  void Fill(const RGB8Buffer& buffer, bool transpose, bool mirrorH, bool mirrorV);
  // Mirrors the picture in place (a reversed axis).
  void Mirror(bool horizontally);
  void Clear();
  bool IsOk() const { return m_surface != nullptr; }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  // Paints the picture at (0, 0): through the DC's cairo context when it has
  // one, otherwise as a bitmap.
  void Draw(wxDC& dc) const;
  wxImage ToImage() const;

private:
  std::uint32_t* Row(int r) const;

  cairo_surface_t* m_surface = nullptr;
  unsigned char* m_pixels = nullptr;  // the surface's data and row stride
  std::size_t m_stride = 0;
  int m_width = 0, m_height = 0;
};

}  // namespace orv

#endif
