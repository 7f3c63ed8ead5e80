#include <bix/Image3d.h>

#include <algorithm>

namespace bix {

template <class T>
Image3d<T>::Image3d(const Vector3d<float>* offset, const Resolution* resolution)
    : m_offset(offset ? *offset : Vector3d<float>()),
      m_resolution(resolution ? *resolution : Resolution()) {}

template <class T>
Image3d<T>::Image3d(const Vector3d<unsigned>& size, const Vector3d<float>* offset,
                    const Resolution* resolution)
    : Image3d(offset, resolution) {
  MakeRoom(size);
}

template <class T>
Image3d<T>::~Image3d() = default;

template <class T>
void Image3d<T>::MakeRoom(unsigned sx, unsigned sy, unsigned sz) {
  const std::size_t count = static_cast<std::size_t>(sx) * sy * sz;
  m_size = Vector3d<unsigned>(sx, sy, sz);
  // assign() reuses the allocation when the new count fits and zeroes it.
  m_data.assign(count, T());
  if (m_data.capacity() > 2 * count + 4096) m_data.shrink_to_fit();
}

template <class T>
void Image3d<T>::Fill(const T& v) {
  std::fill(m_data.begin(), m_data.end(), v);
}

#define BIX_INSTANTIATE_IMAGE3D(T) template class Image3d<T>;
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_IMAGE3D)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_INSTANTIATE_IMAGE3D)

}  // namespace bix
