#include "chunk_requests.h"

#include <algorithm>

namespace orv {

namespace {

// A failed chunk is asked for again after half a second, then twice as long
// each time, at most every half minute: a server that is down is not
// flooded, one that is back is heard from soon.
ChunkRequests::Clock::duration RetryDelay(unsigned failures) {
  const auto delay = std::chrono::milliseconds(500) * (1u << std::min(failures - 1, 6u));
  return std::min<ChunkRequests::Clock::duration>(delay, std::chrono::seconds(30));
}

}  // namespace

ChunkRequests::ChunkRequests(std::shared_ptr<const bix::ChunkedImage> image, Arrival arrival)
    : m_images{std::move(image)}, m_arrival(std::move(arrival)) {}

void ChunkRequests::AddImage(std::shared_ptr<const bix::ChunkedImage> image) {
  for (const auto& known : m_images)
    if (known->Id() == image->Id()) return;
  m_images.push_back(std::move(image));
}

ChunkRequests::~ChunkRequests() {
  for (const auto& entry : m_inFlight) bix::CancelChunkRequest(entry.second.ticket);
}

bool ChunkRequests::Wanted(const bix::ChunkKey& key) const {
  for (unsigned u = 0; u < kUsers; ++u)
    if (m_shown[u].count(key) || m_nearby[u].count(key)) return true;
  return false;
}

void ChunkRequests::Request(const bix::ChunkKey& key, int priority, Clock::time_point now) {
  const auto failed = m_failures.find(key);
  if (failed != m_failures.end() && now < failed->second.due) return;
  const auto flying = m_inFlight.find(key);
  if (flying != m_inFlight.end()) {
    if (flying->second.priority >= priority) return;
    // Still queued at the lower priority: ask again at the higher one (a
    // task already started finishes anyway and only its first answer counts).
    bix::CancelChunkRequest(flying->second.ticket);
  }
  const auto image = std::find_if(m_images.begin(), m_images.end(), [&](const auto& i) { return i->Id() == key.image; });
  if (image == m_images.end()) return;
  const Arrival arrival = m_arrival;
  m_inFlight[key] = {(*image)->RequestChunk(key, priority,
                                           [arrival](const bix::ChunkKey& k, bix::ChunkData, const std::string& error) {
                                             arrival(k, error);
                                           }),
                     priority};
}

void ChunkRequests::Want(unsigned user, const std::vector<bix::ChunkKey>& shown,
                         const std::vector<bix::ChunkKey>& nearby, Clock::time_point now) {
  m_shown[user] = KeySet(shown.begin(), shown.end());
  m_nearby[user] = KeySet(nearby.begin(), nearby.end());
  for (const auto& key : shown) Request(key, kShownPriority, now);
  for (const auto& key : nearby) Request(key, kNearbyPriority, now);
  for (auto it = m_inFlight.begin(); it != m_inFlight.end();) {
    if (Wanted(it->first)) {
      ++it;
      continue;
    }
    bix::CancelChunkRequest(it->second.ticket);
    it = m_inFlight.erase(it);
  }
}

unsigned ChunkRequests::Arrived(const bix::ChunkKey& key, const std::string& error, Clock::time_point now) {
  m_inFlight.erase(key);
  if (error.empty()) {
    m_failures.erase(key);
    m_lastFailure.clear();
  } else {
    Failure& failure = m_failures[key];
    ++failure.count;
    failure.due = now + RetryDelay(failure.count);
    m_lastFailure = error;
  }
  unsigned users = 0;
  for (unsigned u = 0; u < kUsers; ++u)
    if (m_shown[u].count(key)) users |= 1u << u;
  return users;
}

bool ChunkRequests::AwaitsShown(unsigned user) const {
  return std::any_of(m_shown[user].begin(), m_shown[user].end(), [&](const auto& key) { return m_inFlight.count(key) != 0; });
}

ChunkRequests::Clock::time_point ChunkRequests::NextRetry() const {
  auto next = Clock::time_point::max();
  for (const auto& entry : m_failures)
    if (Wanted(entry.first)) next = std::min(next, entry.second.due);
  return next;
}

}  // namespace orv
