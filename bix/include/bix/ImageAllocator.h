#ifndef BIX_IMAGEALLOCATOR_H
#define BIX_IMAGEALLOCATOR_H

#include <cstddef>
#include <new>
#include <utility>

namespace bix {

// Voxel memory. Blocks of at least 2 MiB are mapped on 2 MiB boundaries and
// advised for transparent huge pages: touching a fresh gigabyte in 4 KiB
// pages costs more than reading it from the page cache, so reading or
// computing a large image would otherwise spend most of its time faulting
// pages in. Smaller blocks come from the ordinary heap.
void* AllocateVoxelMemory(std::size_t bytes);
void FreeVoxelMemory(void* memory, std::size_t bytes) noexcept;

template <class T>
struct ImageAllocator {
  using value_type = T;

  ImageAllocator() = default;
  template <class U>
  ImageAllocator(const ImageAllocator<U>&) {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(AllocateVoxelMemory(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { FreeVoxelMemory(p, n * sizeof(T)); }

  // Growing without a value default-initialises: voxels of plain types are
  // left as they are, so a reader that overwrites a whole image writes its
  // memory once. Construction from a value (MakeRoom's zeroes) is as usual.
  template <class U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  friend bool operator==(const ImageAllocator&, const ImageAllocator&) { return true; }
  friend bool operator!=(const ImageAllocator&, const ImageAllocator&) { return false; }
};

}  // namespace bix

#endif
