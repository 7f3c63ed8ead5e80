#include <bix/ImageAllocator.h>

#include <cstdint>

#include <sys/mman.h>

namespace bix {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t RoundUp(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

}  // namespace

void* AllocateVoxelMemory(std::size_t bytes) {
  if (bytes < kHugePage) return ::operator new(bytes);
  if (bytes > static_cast<std::size_t>(-1) - 2 * kHugePage) throw std::bad_alloc();
  // Map one huge page more than needed and trim both ends to a boundary.
  const std::size_t size = RoundUp(bytes);
  void* mapped = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~std::uintptr_t(kHugePage - 1);
  if (aligned > start) ::munmap(mapped, aligned - start);
  if (aligned + size < start + size + kHugePage)
    ::munmap(reinterpret_cast<void*>(aligned + size), start + kHugePage - aligned);
  void* memory = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  ::madvise(memory, size, MADV_HUGEPAGE);  // advice only: ignored where unsupported
#endif
  return memory;
}

void FreeVoxelMemory(void* memory, std::size_t bytes) noexcept {
  if (!memory) return;
  if (bytes < kHugePage) ::operator delete(memory);
  else ::munmap(memory, RoundUp(bytes));
}

}  // namespace bix
