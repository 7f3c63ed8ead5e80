#include <bix/ChunkCache.h>
#include <bix/Exceptions.h>

#include <algorithm>
#include <condition_variable>
#include <queue>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>

namespace bix {

std::size_t ChunkKeyHash::operator()(const ChunkKey& key) const {
  std::uint64_t h = key.image * 0x9E3779B97F4A7C15ull;
  for (unsigned v : {key.level, key.t, key.c, key.i, key.j, key.k}) h = (h ^ v) * 0x100000001B3ull;
  return static_cast<std::size_t>(h ^ (h >> 29));
}

ChunkCache::ChunkCache(std::size_t budgetBytes) : m_budget(budgetBytes) {}

ChunkData ChunkCache::Find(const ChunkKey& key) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto found = m_index.find(key);
  if (found == m_index.end()) return nullptr;
  m_order.splice(m_order.begin(), m_order, found->second);
  return found->second->second;
}

bool ChunkCache::Holds(const ChunkKey& key) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_index.count(key) != 0;
}

void ChunkCache::Insert(const ChunkKey& key, ChunkData data) {
  if (!data) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto found = m_index.find(key);
  if (found != m_index.end()) {
    m_bytes -= found->second->second->size();
    m_order.erase(found->second);
    m_index.erase(found);
  }
  m_bytes += data->size();
  m_order.emplace_front(key, std::move(data));
  m_index[key] = m_order.begin();
  Trim();
}

void ChunkCache::Forget(std::uint64_t image) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto it = m_order.begin(); it != m_order.end();) {
    if (it->first.image != image) {
      ++it;
      continue;
    }
    m_bytes -= it->second->size();
    m_index.erase(it->first);
    it = m_order.erase(it);
  }
}

std::size_t ChunkCache::Budget() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_budget;
}

void ChunkCache::SetBudget(std::size_t budgetBytes) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_budget = budgetBytes;
  Trim();
}

std::size_t ChunkCache::HeldBytes() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bytes;
}

// The least recently used go first; the newest stays even when it alone
// passes the budget (its holder is using it).
void ChunkCache::Trim() {
  while (m_bytes > m_budget && m_order.size() > 1) {
    const Entry& last = m_order.back();
    m_bytes -= last.second->size();
    m_index.erase(last.first);
    m_order.pop_back();
  }
}

std::size_t DefaultChunkCacheBudget() {
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  const std::size_t memory = pages > 0 && pageSize > 0 ? std::size_t(pages) * std::size_t(pageSize) : (4ull << 30);
  return std::min<std::size_t>(memory / 4, 4ull << 30);
}

namespace {

// The workers' niceness: below the threads that draw and answer the user.
constexpr int kWorkerNice = 10;

// The decoding workers: a priority queue served by one thread per core,
// started on first use and joined when the program ends.
class Workers {
public:
  Workers() {
    const unsigned n = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < n; ++i)
      m_threads.emplace_back([this] {
        // Decoding yields to the thread that draws: a viewer stays quick to
        // answer while its chunks decode on every core (alone, the workers
        // lose nothing by it).
        YieldToDrawing();
        Run();
      });
  }
  ~Workers() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads) t.join();
  }
  void Submit(int priority, ChunkTicket ticket, std::function<void()> task) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_queue.push({priority, m_sequence++, std::move(ticket), std::move(task)});
    }
    m_wake.notify_one();
  }
  unsigned Count() const { return static_cast<unsigned>(m_threads.size()); }

private:
  struct Task {
    int priority;
    std::uint64_t sequence;  // equal priorities in the order asked
    ChunkTicket ticket;
    std::function<void()> run;
    bool operator<(const Task& other) const {
      return priority != other.priority ? priority < other.priority : sequence > other.sequence;
    }
  };
  void Run() {
    for (;;) {
      Task task;
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty()) return;
        task = m_queue.top();
        m_queue.pop();
      }
      if (task.ticket && task.ticket->load()) continue;
      // Tasks report their own failures; one that escapes must not end the program.
      try {
        task.run();
      } catch (...) {
      }
    }
  }

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::priority_queue<Task> m_queue;
  std::uint64_t m_sequence = 0;
  bool m_stopping = false;
  std::vector<std::thread> m_threads;
};

// The cache outlives the workers, whose tasks use it.
struct Shared {
  ChunkCache cache{DefaultChunkCacheBudget()};
  Workers workers;
};

Shared& TheShared() {
  static Shared shared;
  return shared;
}

}  // namespace

ChunkCache& SharedChunkCache() { return TheShared().cache; }

void SubmitChunkTask(int priority, const ChunkTicket& ticket, std::function<void()> task) {
  TheShared().workers.Submit(priority, ticket, std::move(task));
}

unsigned ChunkWorkerCount() { return TheShared().workers.Count(); }

void YieldToDrawing() { setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNice); }

void RunOnChunkWorkers(std::size_t count, const std::function<void(std::size_t)>& job) {
  std::mutex mutex;
  std::condition_variable finished;
  std::size_t pending = count;
  std::string failure;
  for (std::size_t n = 0; n < count; ++n)
    SubmitChunkTask(0, nullptr, [&, n] {
      std::string error;
      try {
        job(n);
      } catch (const std::exception& e) {
        error = e.what();
      } catch (...) {
        error = "an unknown failure";
      }
      std::lock_guard<std::mutex> lock(mutex);
      if (failure.empty()) failure = error;
      if (--pending == 0) finished.notify_all();
    });
  std::unique_lock<std::mutex> lock(mutex);
  finished.wait(lock, [&] { return pending == 0; });
  if (!failure.empty()) throw IOException(failure);
}

}  // namespace bix
