#include "PagePrefault.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <system_error>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14 and later
#endif

namespace bix::io {

namespace {
// Below this a second thread costs more than it saves.
constexpr std::size_t kMinBytes = std::size_t(64) << 20;
// Populated per call, so that a stop request is seen soon.
constexpr std::size_t kChunk = std::size_t(32) << 20;
}  // namespace

PagePrefault::PagePrefault(void* data, std::size_t bytes) {
  if (!data || bytes < kMinBytes) return;
  const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
  const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(data) + bytes;
  if (end <= begin) return;
  try {
    m_thread = std::thread([this, begin, end] {
      for (std::uintptr_t at = begin; at < end && !m_stop.load(std::memory_order_relaxed); at += kChunk) {
        const std::size_t length = std::min<std::uintptr_t>(kChunk, end - at);
        if (::madvise(reinterpret_cast<void*>(at), length, MADV_POPULATE_WRITE) != 0) return;  // not supported
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had (a process limit): reading only goes slower.
  }
}

PagePrefault::~PagePrefault() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
}

}  // namespace bix::io
