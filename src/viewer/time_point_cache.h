#ifndef ORV_SRC_VIEWER_TIME_POINT_CACHE_H
#define ORV_SRC_VIEWER_TIME_POINT_CACHE_H

// The time points of an image in memory that are not shown: read on a
// thread of its own as they are asked for (the one wanted now first, then
// the next in the direction of travel), and kept while they fit in a
// budget, those farthest from the one shown dropped first. Display-free.

#include <bix/Image3d.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orv {

template <class T>
class TimePointCache {
public:
  using Stacks = std::vector<bix::Image3d<T>>;
  // Reads time point t's stacks (one per channel); it should stop, by
  // raising, once `keepGoing` says false. Failures raise exceptions.
  using Reader = std::function<void(unsigned t, Stacks& stacks, const std::function<bool()>& keepGoing)>;
  // Told on the reading thread that time point t was read (or failed).
  using Arrived = std::function<void(unsigned t)>;

  TimePointCache(Reader read, std::size_t budget, Arrived arrived);
  // Stops the read under way and waits for it.
  ~TimePointCache();
  TimePointCache(const TimePointCache&) = delete;
  TimePointCache& operator=(const TimePointCache&) = delete;

  // Moves time point t's stacks out when they are held.
  bool Take(unsigned t, Stacks& stacks);
  // Keeps the stacks of time point t (shown until now), then drops the time
  // points farthest from `near` while more are held than the budget holds.
  void Keep(unsigned t, Stacks stacks, unsigned near);
  // Time point t is wanted now: read next (a read of another time point
  // under way is stopped), the wishes before it dropped.
  void Want(unsigned t);
  // Reads time point t after what is wanted, when the budget has room for it.
  void Prefetch(unsigned t);
  // Whether t is held or being read.
  bool HasOrReads(unsigned t);
  // The failure of the last read of t, or empty; cleared by reading it.
  std::string TakeError(unsigned t);
  std::size_t HeldCount();

private:
  void Run();
  void Trim(unsigned near);
  std::size_t Capacity() const;

  Reader m_read;
  std::size_t m_budget;
  Arrived m_arrived;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::map<unsigned, Stacks> m_held;
  std::map<unsigned, std::string> m_errors;
  std::deque<unsigned> m_queue;
  bool m_reading = false;
  unsigned m_current = 0;  // the time point being read
  bool m_stopCurrent = false, m_quit = false;
  std::size_t m_timePointBytes = 0;  // of one time point, once one was seen
  std::thread m_thread;
};

}  // namespace orv

#endif
