#ifndef ORV_BUFFER2D_H
#define ORV_BUFFER2D_H

#include <orv/orv_export.h>

#include <bix/RGB.h>

#include <cstdint>

namespace orv {

// A row-major 2D pixel buffer: element (x, y) is data[y * width + x]. With
// T = bix::RGB8 the array is packed 24-bit RGB, the
// layout a wxImage uses, so a picture can wrap it without copying. The buffer
// owns its array; data is null when the buffer is empty.
template <class T>
class ORV_EXPORT Buffer2d {
public:
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  T* data = nullptr;

  Buffer2d() = default;
  Buffer2d(std::uint32_t w, std::uint32_t h);
  Buffer2d(const Buffer2d&) = delete;
  Buffer2d& operator=(const Buffer2d&) = delete;
  ~Buffer2d();

  // Frees the old array and allocates w x h default-constructed elements;
  // old pixels are not kept, even when the size does not change.
  void Resize(std::uint32_t w, std::uint32_t h);

  bool IsEmpty() const { return data == nullptr; }
  T& At(std::uint32_t x, std::uint32_t y) { return data[static_cast<std::size_t>(y) * width + x]; }
  const T& At(std::uint32_t x, std::uint32_t y) const {
    return data[static_cast<std::size_t>(y) * width + x];
  }
};

extern template class Buffer2d<bix::RGB8>;

// A mapped picture: packed 8-bit RGB, one element per pixel.
using RGB8Buffer = Buffer2d<bix::RGB8>;

}  // namespace orv

#endif
