#include <bix/Exceptions.h>
#include <bix/Image3d.h>

#include "io/SaveImageFile.h"

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
void Image3d<T>::MakeRoomUninitialized(const Vector3d<unsigned>& size) {
  m_size = size;
  m_data.clear();
  m_data.shrink_to_fit();
  m_data.resize(static_cast<std::size_t>(size.x) * size.y * size.z);
}

template <class T>
void Image3d<T>::Fill(const T& v) {
  std::fill(m_data.begin(), m_data.end(), v);
}

template <class T>
void Image3d<T>::SaveImage(const std::string& name, FileFormat format, bool compress,
                           const VOI<float>* region) const {
  io::VoxelBox whole;
  whole.first = reinterpret_cast<const unsigned char*>(GetFirstVoxelAddr());
  whole.size = m_size;
  whole.type = io::StoredTypeOf<T>::value;
  whole.rowStride = whole.RowBytes();
  whole.planeStride = whole.PlaneBytes();
  whole.offset = m_offset;
  whole.resolution = m_resolution;
  io::SaveImageFile(name, format, compress, whole, region);
}

template <class T>
void Image3d<T>::SaveImage(const std::string& name, int format, bool compress,
                           const VOI<float>* region) const {
  if (format < FORMAT_AUTO || format > FORMAT_BIX)
    throw IOException("'" + name + "': unknown file format value " + std::to_string(format));
  SaveImage(name, static_cast<FileFormat>(format), compress, region);
}

#define BIX_INSTANTIATE_IMAGE3D(T) template class Image3d<T>;
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_IMAGE3D)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_INSTANTIATE_IMAGE3D)

}  // namespace bix
