#ifndef BIX_CHUNKCACHE_H
#define BIX_CHUNKCACHE_H

#include <bix/Export.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace bix {

// Which chunk of which image: the image's identity (ChunkedImage::Id), the
// level, time point, channel and the chunk's grid position along x, y, z.
struct ChunkKey {
  std::uint64_t image = 0;
  unsigned level = 0, t = 0, c = 0;
  unsigned i = 0, j = 0, k = 0;
  friend bool operator==(const ChunkKey& a, const ChunkKey& b) {
    return a.image == b.image && a.level == b.level && a.t == b.t && a.c == b.c && a.i == b.i && a.j == b.j &&
           a.k == b.k;
  }
};

struct ChunkKeyHash {
  std::size_t operator()(const ChunkKey& key) const;
};

// A decoded chunk: its voxels, x fastest, shared by whoever holds it (the
// cache may drop it meanwhile).
using ChunkData = std::shared_ptr<const std::vector<unsigned char>>;

// Decoded chunks of every open image, least recently used dropped first
// once their bytes pass the budget. Safe to use from any thread.
class BIX_EXPORT ChunkCache {
public:
  explicit ChunkCache(std::size_t budgetBytes);

  // The chunk if it is held (it becomes the most recently used), else null.
  ChunkData Find(const ChunkKey& key);
  // Whether the chunk is held, leaving the order of use as it is.
  bool Holds(const ChunkKey& key) const;
  void Insert(const ChunkKey& key, ChunkData data);
  // Drops every chunk of one image (closed, or changed on disk).
  void Forget(std::uint64_t image);

  std::size_t Budget() const;
  void SetBudget(std::size_t budgetBytes);
  std::size_t HeldBytes() const;

private:
  void Trim();

  using Entry = std::pair<ChunkKey, ChunkData>;
  mutable std::mutex m_mutex;
  std::list<Entry> m_order;  // most recently used first
  std::unordered_map<ChunkKey, std::list<Entry>::iterator, ChunkKeyHash> m_index;
  std::size_t m_budget;
  std::size_t m_bytes = 0;
};

// A quarter of the machine's memory, at most 4 GiB.
BIX_EXPORT std::size_t DefaultChunkCacheBudget();
// The one cache that all chunked images share; its budget starts at
// DefaultChunkCacheBudget().
BIX_EXPORT ChunkCache& SharedChunkCache();

// The workers that decode chunks: one per core by default. A task with a
// higher priority runs first; a cancelled one is skipped.
using ChunkTicket = std::shared_ptr<std::atomic<bool>>;
BIX_EXPORT void SubmitChunkTask(int priority, const ChunkTicket& ticket, std::function<void()> task);
// Cancels a request: its task does not run if it has not started.
inline void CancelChunkRequest(const ChunkTicket& ticket) {
  if (ticket) ticket->store(true);
}
// The number of workers.
BIX_EXPORT unsigned ChunkWorkerCount();
// Runs job(0) .. job(count - 1) on the workers and waits for all of them;
// the first failure's message is raised again as IOException once all have
// ended. Not to be called from a worker (it would wait for itself).
BIX_EXPORT void RunOnChunkWorkers(std::size_t count, const std::function<void(std::size_t)>& job);

// Lowers the calling thread's scheduling priority to the decoding workers':
// for threads that read ahead in the background, so that they yield to the
// thread that draws.
BIX_EXPORT void YieldToDrawing();

}  // namespace bix

#endif
