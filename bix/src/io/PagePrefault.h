#ifndef BIX_IO_PAGEPREFAULT_H
#define BIX_IO_PAGEPREFAULT_H

#include <atomic>
#include <cstddef>
#include <thread>

namespace bix::io {

// Has the kernel allocate (and zero) the pages of fresh image memory on
// another core, ahead of a reader that fills the memory from its start: the
// first write to a fresh page otherwise costs the reader about as much as
// copying the data into it. MADV_POPULATE_WRITE allocates pages without
// touching their contents, so it never races with the reader's writes.
// Does nothing for small blocks, or where the kernel lacks that advice.
class PagePrefault {
public:
  PagePrefault(void* data, std::size_t bytes);
  ~PagePrefault();
  PagePrefault(const PagePrefault&) = delete;
  PagePrefault& operator=(const PagePrefault&) = delete;

private:
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace bix::io

#endif
