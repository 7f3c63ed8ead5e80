// The chunk requests of a canvas over a chunked image: one fetch per chunk
// however many windows want it, what nobody wants any more cancelled while
// it waits, a chunk raised from prefetching to shown, and failures asked
// for again later each time.

#include "chunk_requests.h"
#include "gated_chunks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

using orv::ChunkRequests;
using namespace std::chrono_literals;

namespace {

// Arrivals as the workers report them, waited for by the test.
struct Arrivals {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::pair<bix::ChunkKey, std::string>> list;
  ChunkRequests::Arrival Callback() {
    return [this](const bix::ChunkKey& key, const std::string& error) {
      std::lock_guard<std::mutex> lock(mutex);
      list.emplace_back(key, error);
      changed.notify_all();
    };
  }
  bool WaitFor(std::size_t n) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, 20s, [&] { return list.size() >= n; });
  }
};

std::shared_ptr<orvtest::GatedChunks<unsigned char>> Source() {
  bix::Image3d<unsigned char> image(bix::Vector3d<unsigned>(64, 64, 64));
  return orvtest::GatedChunks<unsigned char>::Make(image, 1, 16);
}

}  // namespace

TEST(CanvasChunkRequests, OneFetchPerChunkAndWhatNobodyWantsIsCancelled) {
  const auto source = Source();
  Arrivals arrivals;
  auto key = [&](unsigned i) { return bix::ChunkKey{source->Id(), 0, 0, 0, i, 0, 0}; };
  const auto now = ChunkRequests::Clock::now();
  ChunkRequests requests(source, arrivals.Callback());
  {
    orvtest::WorkerBlock block;
    requests.Want(0, {key(0), key(1)}, {key(2)}, now);
    requests.Want(1, {key(0)}, {}, now);  // already asked for
    requests.Want(2, {}, {key(3)}, now);
    requests.Want(2, {key(3)}, {}, now);  // raised from prefetch to shown
    EXPECT_EQ(requests.Pending(), 4u);
    requests.Want(0, {key(0)}, {}, now);  // moved away from 1 and 2
    EXPECT_EQ(requests.Pending(), 2u);
  }
  ASSERT_TRUE(arrivals.WaitFor(2));
  for (const auto& [k, error] : arrivals.list) {
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(requests.Arrived(k, error, now), k.i == 0 ? 0b011u : 0b100u) << k.i;
  }
  EXPECT_EQ(requests.Pending(), 0u);
  EXPECT_EQ(source->Decodes(key(0)), 1u);
  EXPECT_EQ(source->Decodes(key(3)), 1u) << "the prefetch was replaced, not run as well";
  // Going away cancels what is still queued: a later request arrives, the
  // one before it never ran.
  {
    orvtest::WorkerBlock block;
    ChunkRequests(source, arrivals.Callback()).Want(0, {key(1)}, {}, now);
  }
  requests.Want(0, {key(4)}, {}, now);
  ASSERT_TRUE(arrivals.WaitFor(3));
  EXPECT_EQ(source->Decodes(key(1)) + source->Decodes(key(2)), 0u) << "cancelled while queued";
  bix::SharedChunkCache().Forget(source->Id());
}

TEST(CanvasChunkRequests, AFailedChunkIsAskedForAgainLaterEachTimeUntilItArrives) {
  const auto source = Source();
  source->Fail(true);
  Arrivals arrivals;
  ChunkRequests requests(source, arrivals.Callback());
  const bix::ChunkKey key{source->Id(), 0, 0, 0, 1, 2, 3};
  auto now = ChunkRequests::Clock::now();
  EXPECT_EQ(requests.NextRetry(), ChunkRequests::Clock::time_point::max());
  // Each failure waits twice as long as the one before: 0.5 s, 1 s, 2 s.
  for (unsigned attempt = 1; attempt <= 3; ++attempt) {
    requests.Want(0, {key}, {}, now);
    ASSERT_EQ(requests.Pending(), 1u) << attempt;
    ASSERT_TRUE(arrivals.WaitFor(attempt));
    EXPECT_EQ(requests.Arrived(key, arrivals.list.back().second, now), 1u);
    EXPECT_EQ(requests.LastFailure(), "the server answered 503 Service Unavailable");
    const auto wait = 500ms * (1 << (attempt - 1));
    EXPECT_EQ(requests.NextRetry(), now + wait);
    requests.Want(0, {key}, {}, now + wait - 1ms);
    EXPECT_EQ(requests.Pending(), 0u) << "not yet due";
    now += wait;
  }
  source->Fail(false);
  requests.Want(0, {key}, {}, now);
  ASSERT_TRUE(arrivals.WaitFor(4));
  requests.Arrived(key, arrivals.list.back().second, now);
  EXPECT_EQ(requests.LastFailure(), "");
  EXPECT_EQ(requests.NextRetry(), ChunkRequests::Clock::time_point::max());
  EXPECT_EQ(source->Decodes(key), 4u);
  bix::SharedChunkCache().Forget(source->Id());
}
