#include <bix/Exceptions.h>
#include <bix/Image3d.h>

#include "io/SaveImageFile.h"
#include "io/OmeZarrFiles.h"

#include <algorithm>
#include <new>

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
Image3d<T>::Image3d(const Image3d& other)
    : m_offset(other.m_offset),
      m_resolution(other.m_resolution),
      m_size(other.m_size),
      m_data(other.begin(), other.end()) {
  UseOwnVoxels();
}

template <class T>
Image3d<T>::Image3d(Image3d&& other) noexcept
    : m_offset(other.m_offset),
      m_resolution(other.m_resolution),
      m_size(other.m_size),
      m_data(std::move(other.m_data)),
      m_voxels(other.m_voxels),
      m_count(other.m_count),
      m_borrowed(other.m_borrowed) {
  other.m_size = Vector3d<unsigned>(0, 0, 0);
  other.m_data.clear();
  other.UseOwnVoxels();
}

template <class T>
Image3d<T>& Image3d<T>::operator=(const Image3d& other) {
  if (this != &other) *this = Image3d(other);
  return *this;
}

template <class T>
Image3d<T>& Image3d<T>::operator=(Image3d&& other) noexcept {
  if (this == &other) return *this;
  m_offset = other.m_offset;
  m_resolution = other.m_resolution;
  m_size = other.m_size;
  m_data = std::move(other.m_data);
  m_voxels = other.m_voxels;
  m_count = other.m_count;
  m_borrowed = other.m_borrowed;
  other.m_size = Vector3d<unsigned>(0, 0, 0);
  other.m_data.clear();
  other.UseOwnVoxels();
  return *this;
}

template <class T>
Image3d<T>::~Image3d() = default;

template <class T>
void Image3d<T>::UseOwnVoxels() {
  m_voxels = m_data.data();
  m_count = m_data.size();
  m_borrowed = false;
}

namespace {

// The voxel count of a size; std::bad_alloc, as for any allocation too
// large, when its bytes do not fit in the address range (the product would
// wrap, and the size would then claim voxels that are not there).
std::size_t VoxelCountOf(const Vector3d<unsigned>& size, std::size_t voxelBytes) {
  std::size_t count = 0, bytes = 0;
  if (__builtin_mul_overflow(static_cast<std::size_t>(size.x) * size.y, size.z, &count) ||
      __builtin_mul_overflow(count, voxelBytes, &bytes))
    throw std::bad_alloc();
  return count;
}

}  // namespace

// The size changes only once the voxels are there: a failed allocation
// leaves the image as it was (MakeRoom) or empty (MakeRoomUninitialized).
template <class T>
void Image3d<T>::MakeRoom(unsigned sx, unsigned sy, unsigned sz) {
  const Vector3d<unsigned> size(sx, sy, sz);
  const std::size_t count = VoxelCountOf(size, sizeof(T));
  // assign() reuses the allocation when the new count fits and zeroes it.
  // A borrowed image's own vector is empty: it gets voxels of its own.
  m_data.assign(count, T());
  m_size = size;
  if (m_data.capacity() > 2 * count + 4096) m_data.shrink_to_fit();
  UseOwnVoxels();
}

template <class T>
void Image3d<T>::MakeRoomUninitialized(const Vector3d<unsigned>& size) {
  const std::size_t count = VoxelCountOf(size, sizeof(T));
  m_size = Vector3d<unsigned>(0, 0, 0);
  m_data.clear();
  m_data.shrink_to_fit();
  UseOwnVoxels();
  m_data.resize(count);
  m_size = size;
  UseOwnVoxels();
}

template <class T>
void Image3d<T>::Borrow(T* voxels, const Vector3d<unsigned>& size) {
  const std::size_t count = VoxelCountOf(size, sizeof(T));
  m_data.clear();
  m_data.shrink_to_fit();
  m_size = size;
  m_voxels = count ? voxels : nullptr;
  m_count = count;
  m_borrowed = count != 0;
}

template <class T>
void Image3d<T>::Fill(const T& v) {
  std::fill(begin(), end(), v);
}

template <class T>
void Image3d<T>::SaveImage(const std::string& name, FileFormat format, bool compress,
                           const VOI<float>* region) const {
  if (io::ChooseFormat(name, format) == FORMAT_OME_ZARR) return io::SaveOmeZarrImage(*this, name, region);
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
  if (format < FORMAT_AUTO || format > FORMAT_OME_ZARR)
    throw IOException("'" + name + "': unknown file format value " + std::to_string(format));
  SaveImage(name, static_cast<FileFormat>(format), compress, region);
}

#define BIX_INSTANTIATE_IMAGE3D(T) template class Image3d<T>;
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_IMAGE3D)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_INSTANTIATE_IMAGE3D)

}  // namespace bix
