#ifndef ORV_SRC_CHUNK_REQUESTS_H
#define ORV_SRC_CHUNK_REQUESTS_H

// The chunk requests of a canvas over a chunked image: which chunks each of
// its users (the cut windows, the info window, the overlays of the cut
// windows) wants now, which are being
// fetched, and which failed and when to ask again. Chunks nobody wants any
// more are cancelled; a chunk several users want is fetched once. Plain
// bookkeeping, called from one thread; the chunks themselves are decoded on
// the library's workers.

#include <bix/ChunkedImage.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace orv {

class ChunkRequests {
public:
  using Clock = std::chrono::steady_clock;
  // Told on a worker thread that a requested chunk was decoded (an empty
  // error) or could not be; it must hand this on to the requests' own thread.
  using Arrival = std::function<void(const bix::ChunkKey& key, const std::string& error)>;
  // Priorities on the workers: what a window shows first, then what it may
  // show next.
  static constexpr int kShownPriority = 10;
  static constexpr int kNearbyPriority = 1;
  static constexpr unsigned kUsers = 7;

  ChunkRequests(std::shared_ptr<const bix::ChunkedImage> image, Arrival arrival);
  // Another image whose chunks are asked for here too (an overlay's over
  // the image), told apart by its id in the keys; once is enough.
  void AddImage(std::shared_ptr<const bix::ChunkedImage> image);
  // Cancels everything still queued.
  ~ChunkRequests();
  ChunkRequests(const ChunkRequests&) = delete;
  ChunkRequests& operator=(const ChunkRequests&) = delete;

  // What `user` (below kUsers) wants now, in place of what it wanted before:
  // `shown` at the higher priority, `nearby` at the lower. Asks for every
  // chunk not in flight (a failed one only once its retry is due), raises a
  // nearby chunk now shown, and cancels what no user wants any more.
  void Want(unsigned user, const std::vector<bix::ChunkKey>& shown, const std::vector<bix::ChunkKey>& nearby,
            Clock::time_point now);
  // A chunk's arrival (an empty error) or failure, handed on by the
  // Arrival. Returns the mask of users (1 << user) that want it shown (a
  // chunk fetched ahead changes nothing shown).
  unsigned Arrived(const bix::ChunkKey& key, const std::string& error, Clock::time_point now);

  std::size_t Pending() const { return m_inFlight.size(); }
  // Whether a chunk `user` wants shown is still being fetched.
  bool AwaitsShown(unsigned user) const;
  // The last failure's message, until a chunk arrives after it.
  const std::string& LastFailure() const { return m_lastFailure; }
  // When the first failed chunk that a user still wants may be asked for
  // again; Clock::time_point::max() when there is none.
  Clock::time_point NextRetry() const;

private:
  struct InFlight {
    bix::ChunkTicket ticket;
    int priority;
  };
  struct Failure {
    unsigned count = 0;
    Clock::time_point due;
  };
  bool Wanted(const bix::ChunkKey& key) const;
  void Request(const bix::ChunkKey& key, int priority, Clock::time_point now);

  std::vector<std::shared_ptr<const bix::ChunkedImage>> m_images;
  Arrival m_arrival;
  using KeySet = std::unordered_set<bix::ChunkKey, bix::ChunkKeyHash>;
  KeySet m_shown[kUsers], m_nearby[kUsers];
  std::unordered_map<bix::ChunkKey, InFlight, bix::ChunkKeyHash> m_inFlight;
  std::unordered_map<bix::ChunkKey, Failure, bix::ChunkKeyHash> m_failures;
  std::string m_lastFailure;
};

}  // namespace orv

#endif
