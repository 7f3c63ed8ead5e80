#include <orv/orv_buffer2d.h>

#include <cstddef>

namespace orv {

template <class T>
Buffer2d<T>::Buffer2d(std::uint32_t w, std::uint32_t h) {
  Resize(w, h);
}

template <class T>
Buffer2d<T>::~Buffer2d() {
  delete[] data;
}

template <class T>
void Buffer2d<T>::Resize(std::uint32_t w, std::uint32_t h) {
  delete[] data;
  data = nullptr;
  const std::size_t count = static_cast<std::size_t>(w) * h;
  if (count > 0) data = new T[count]();
  width = w;
  height = h;
}

template class Buffer2d<bix::RGB8>;

}  // namespace orv
