// The time points read ahead: what is wanted is read next and stops a read
// of another, the budget bounds what is kept (the farthest from the shown
// one go first), failures are kept for the asker, and a time point wanted
// again while its read was being stopped is still read.

#include "time_point_cache.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

using orv::TimePointCache;
using Stacks = std::vector<bix::Image3d<unsigned char>>;

namespace {

// A reader whose reads of chosen time points wait for the test's word,
// making one 10-voxel stack whose voxels are the time point.
class Reader {
public:
  void Hold(unsigned t) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held.insert(t);
  }
  void Release(unsigned t) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held.erase(t);
    m_changed.notify_all();
  }
  void Read(unsigned t, Stacks& stacks, const std::function<bool()>& keepGoing) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_started.push_back(t);
    m_changed.notify_all();
    while (m_held.count(t)) {
      m_changed.wait_for(lock, std::chrono::milliseconds(2));
      if (!keepGoing()) throw std::runtime_error("stopped");
    }
    if (t == 13) throw std::runtime_error("time point 13 is damaged");
    stacks.assign(1, bix::Image3d<unsigned char>(bix::Vector3d<unsigned>(10, 1, 1)));
    stacks[0].Fill(static_cast<unsigned char>(t));
  }
  bool WaitStarted(unsigned t) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(5), [&] {
      return std::find(m_started.begin(), m_started.end(), t) != m_started.end();
    });
  }
  std::vector<unsigned> Started() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_started;
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::set<unsigned> m_held;
  std::vector<unsigned> m_started;
};

// Arrivals as the cache tells them.
class Arrivals {
public:
  void operator()(unsigned t) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_arrived.push_back(t);
    m_changed.notify_all();
  }
  bool Wait(unsigned t) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(5), [&] {
      return std::find(m_arrived.begin(), m_arrived.end(), t) != m_arrived.end();
    });
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<unsigned> m_arrived;
};

}  // namespace

TEST(TimePointCache, WantedTimePointsAreReadKeptWithinTheBudgetAndFailuresTold) {
  Reader reader;
  Arrivals arrivals;
  // Room for three time points of 10 bytes.
  TimePointCache<unsigned char> cache([&](unsigned t, Stacks& s, const auto& go) { reader.Read(t, s, go); }, 30,
                                      [&](unsigned t) { arrivals(t); });
  cache.Want(4);
  ASSERT_TRUE(arrivals.Wait(4));
  Stacks stacks;
  ASSERT_TRUE(cache.Take(4, stacks));
  EXPECT_EQ(stacks.at(0).GetVoxel(9, 0, 0), 4);
  EXPECT_FALSE(cache.Take(4, stacks)) << "taken out";
  // Kept while they fit: the farthest from the one shown go first.
  for (unsigned t : {0u, 1u, 2u, 8u}) {
    Stacks kept(1, bix::Image3d<unsigned char>(bix::Vector3d<unsigned>(10, 1, 1)));
    cache.Keep(t, std::move(kept), 2);
  }
  EXPECT_EQ(cache.HeldCount(), 3u);
  EXPECT_FALSE(cache.HasOrReads(8)) << "the farthest from 2 went";
  EXPECT_TRUE(cache.HasOrReads(0) && cache.HasOrReads(1) && cache.HasOrReads(2));
  // Read ahead only while there is room.
  cache.Prefetch(3);
  EXPECT_FALSE(cache.HasOrReads(3));
  // A failure is kept for the one who asks.
  cache.Want(13);
  ASSERT_TRUE(arrivals.Wait(13));
  EXPECT_EQ(cache.TakeError(13), "time point 13 is damaged");
  EXPECT_EQ(cache.TakeError(13), "") << "told once";
}

TEST(TimePointCache, AnotherWishStopsTheReadUnderWayUnlessItIsTheSameTimePointAgain) {
  Reader reader;
  Arrivals arrivals;
  TimePointCache<unsigned char> cache([&](unsigned t, Stacks& s, const auto& go) { reader.Read(t, s, go); }, 1000,
                                      [&](unsigned t) { arrivals(t); });
  reader.Hold(5);
  cache.Want(5);
  ASSERT_TRUE(reader.WaitStarted(5));
  // Stepping on to 6 stops 5; 6 is read next.
  cache.Want(6);
  ASSERT_TRUE(arrivals.Wait(6));
  EXPECT_FALSE(cache.HasOrReads(5)) << "the stopped read is dropped";
  // Back to 7 and forth again before the read of 7 is stopped: 7 is read.
  reader.Hold(7);
  cache.Want(7);
  ASSERT_TRUE(reader.WaitStarted(7));
  cache.Want(8);
  cache.Want(7);
  reader.Release(7);
  ASSERT_TRUE(arrivals.Wait(7));
  Stacks stacks;
  EXPECT_TRUE(cache.Take(7, stacks));
  EXPECT_FALSE(cache.HasOrReads(8)) << "the wish for 8 was replaced";
}
