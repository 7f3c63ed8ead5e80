#ifndef BIX_IMAGE3D_H
#define BIX_IMAGE3D_H

#include <bix/FileFormat.h>
#include <bix/ImageAllocator.h>
#include <bix/Resolution.h>
#include <bix/Types.h>
#include <bix/VOI.h>
#include <bix/Vector3d.h>

#include <cstddef>
#include <string>
#include <vector>

namespace bix {

// A 3D image: contiguous voxels, x fastest, then y, then z; an offset in
// microns and a resolution in pixels per micron. Voxel counts are formed in
// 64 bits, so images of more than 2^32 voxels index correctly. The voxels
// are the image's own, or borrowed from the caller (Borrow), as a host's
// array is shown without copying it.
template <class T>
class Image3d {
public:
  using value_type = T;
  using iterator = T*;
  using const_iterator = const T*;

  // An empty image. Null arguments give offset (0, 0, 0) and an undefined
  // resolution.
  explicit Image3d(const Vector3d<float>* offset = nullptr, const Resolution* resolution = nullptr);
  // An image of the given size, every voxel zero.
  explicit Image3d(const Vector3d<unsigned>& size, const Vector3d<float>* offset = nullptr,
                   const Resolution* resolution = nullptr);
  // A copy owns its voxels, also a copy of an image that borrows them.
  Image3d(const Image3d& other);
  Image3d(Image3d&& other) noexcept;
  Image3d& operator=(const Image3d& other);
  Image3d& operator=(Image3d&& other) noexcept;
  virtual ~Image3d();

  // Resizes to sx x sy x sz voxels, all zero; previous contents are dropped.
  void MakeRoom(unsigned sx, unsigned sy, unsigned sz);
  void MakeRoom(const Vector3d<unsigned>& size) { MakeRoom(size.x, size.y, size.z); }
  // Resizes like MakeRoom but leaves the voxel values unspecified, for a
  // reader that overwrites every voxel: fresh memory is then written once.
  void MakeRoomUninitialized(const Vector3d<unsigned>& size);
  // Shows the caller's `voxels` (size.x * size.y * size.z of them, x fastest,
  // then y, then z) without copying: the caller keeps them alive for as long
  // as the image uses them. MakeRoom gives the image voxels of its own again.
  void Borrow(T* voxels, const Vector3d<unsigned>& size);
  bool IsBorrowed() const { return m_borrowed; }
  // Sets every voxel to v.
  void Fill(const T& v);

  const Vector3d<unsigned>& GetSize() const { return m_size; }
  std::size_t GetVoxelCount() const { return m_count; }
  bool IsEmpty() const { return m_count == 0; }
  const Vector3d<float>& GetOffset() const { return m_offset; }
  void SetOffset(const Vector3d<float>& offset) { m_offset = offset; }
  const Resolution& GetResolution() const { return m_resolution; }
  void SetResolution(const Resolution& resolution) { m_resolution = resolution; }

  // Null when the image is empty.
  T* GetFirstVoxelAddr() { return m_count ? m_voxels : nullptr; }
  const T* GetFirstVoxelAddr() const { return m_count ? m_voxels : nullptr; }
  T* begin() { return m_voxels; }
  T* end() { return m_voxels + m_count; }
  const T* begin() const { return m_voxels; }
  const T* end() const { return m_voxels + m_count; }

  std::size_t Index(unsigned x, unsigned y, unsigned z) const {
    return (static_cast<std::size_t>(z) * m_size.y + y) * m_size.x + x;
  }
  T& GetVoxel(unsigned x, unsigned y, unsigned z) { return m_voxels[Index(x, y, z)]; }
  const T& GetVoxel(unsigned x, unsigned y, unsigned z) const { return m_voxels[Index(x, y, z)]; }

  // Writes the image, or with `region` (a box in microns) only the voxels
  // that box touches, clamped to the image. The file is written beside `name`
  // under a temporary name and renamed over it when complete, so a failure
  // leaves any previous file of that name as it was. `compress` selects
  // deflate (TIFF), gzip (ICS) or zlib (BIX). Raises IOException naming the
  // file and the fault: a name FORMAT_AUTO cannot place, an empty image, a
  // region that misses the image, a write that fails.
  void SaveImage(const std::string& name, FileFormat format = FORMAT_AUTO, bool compress = true,
                 const VOI<float>* region = nullptr) const;
  // The same with the format as its number (0 chooses from the name), for
  // callers that pass a plain value.
  void SaveImage(const std::string& name, int format, bool compress = true,
                 const VOI<float>* region = nullptr) const;

private:
  // The voxels are the own ones again (after a change of m_data).
  void UseOwnVoxels();

  Vector3d<float> m_offset;
  Resolution m_resolution;
  Vector3d<unsigned> m_size;
  std::vector<T, ImageAllocator<T>> m_data;
  // What the image shows: m_data's voxels, or borrowed ones.
  T* m_voxels = nullptr;
  std::size_t m_count = 0;
  bool m_borrowed = false;
};

#define BIX_DECLARE_IMAGE3D(T) extern template class Image3d<T>;
BIX_FOR_EACH_VOXEL_TYPE(BIX_DECLARE_IMAGE3D)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_DECLARE_IMAGE3D)
#undef BIX_DECLARE_IMAGE3D

}  // namespace bix

#endif
