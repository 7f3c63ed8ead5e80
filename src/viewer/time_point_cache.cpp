#include "time_point_cache.h"

#include <bix/ChunkCache.h>
#include <bix/Types.h>

#include <algorithm>
#include <cstdlib>
#include <exception>

namespace orv {

namespace {

template <class T>
std::size_t BytesOf(const std::vector<bix::Image3d<T>>& stacks) {
  std::size_t bytes = 0;
  for (const auto& stack : stacks) bytes += stack.GetVoxelCount() * sizeof(T);
  return bytes;
}

}  // namespace

template <class T>
TimePointCache<T>::TimePointCache(Reader read, std::size_t budget, Arrived arrived)
    : m_read(std::move(read)), m_budget(budget), m_arrived(std::move(arrived)), m_thread([this] { Run(); }) {}

template <class T>
TimePointCache<T>::~TimePointCache() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_quit = true;
    m_stopCurrent = true;
  }
  m_changed.notify_all();
  m_thread.join();
}

template <class T>
std::size_t TimePointCache<T>::Capacity() const {
  return std::max<std::size_t>(1, m_timePointBytes ? m_budget / m_timePointBytes : 1);
}

template <class T>
bool TimePointCache<T>::Take(unsigned t, Stacks& stacks) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto found = m_held.find(t);
  if (found == m_held.end()) return false;
  stacks = std::move(found->second);
  m_held.erase(found);
  return true;
}

template <class T>
void TimePointCache<T>::Keep(unsigned t, Stacks stacks, unsigned near) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_timePointBytes = std::max(m_timePointBytes, BytesOf(stacks));
  m_held[t] = std::move(stacks);
  Trim(near);
}

template <class T>
void TimePointCache<T>::Trim(unsigned near) {
  auto distance = [near](unsigned t) { return t > near ? t - near : near - t; };
  while (m_held.size() > Capacity()) {
    const auto farthest = std::max_element(m_held.begin(), m_held.end(), [&](const auto& a, const auto& b) {
      return distance(a.first) < distance(b.first);
    });
    m_held.erase(farthest);
  }
}

template <class T>
void TimePointCache<T>::Want(unsigned t) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.clear();
    if (m_held.count(t)) return;
    if (m_reading) {
      // The read under way goes on when it is this time point's (also when
      // it was asked to stop for another one meanwhile).
      m_stopCurrent = m_current != t;
      if (!m_stopCurrent) return;
    }
    m_queue.push_back(t);
  }
  m_changed.notify_all();
}

template <class T>
void TimePointCache<T>::Prefetch(unsigned t) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_held.count(t) || (m_reading && m_current == t)) return;
    if (std::find(m_queue.begin(), m_queue.end(), t) != m_queue.end()) return;
    if (m_held.size() + m_queue.size() + (m_reading ? 1 : 0) >= Capacity()) return;
    m_queue.push_back(t);
  }
  m_changed.notify_all();
}

template <class T>
bool TimePointCache<T>::HasOrReads(unsigned t) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_held.count(t) || (m_reading && m_current == t) ||
         std::find(m_queue.begin(), m_queue.end(), t) != m_queue.end();
}

template <class T>
std::string TimePointCache<T>::TakeError(unsigned t) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto found = m_errors.find(t);
  if (found == m_errors.end()) return {};
  std::string error = std::move(found->second);
  m_errors.erase(found);
  return error;
}

template <class T>
std::size_t TimePointCache<T>::HeldCount() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_held.size();
}

template <class T>
void TimePointCache<T>::Run() {
  // Reading ahead never holds up the thread that draws.
  bix::YieldToDrawing();
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return m_quit || !m_queue.empty(); });
    if (m_quit) return;
    const unsigned t = m_queue.front();
    m_queue.pop_front();
    m_reading = true;
    m_current = t;
    m_stopCurrent = false;
    lock.unlock();
    Stacks stacks;
    std::string error;
    bool abandoned = false;  // the reader was told to stop
    try {
      m_read(t, stacks, [this, &abandoned] {
        std::lock_guard<std::mutex> guard(m_mutex);
        abandoned = abandoned || m_stopCurrent;
        return !m_stopCurrent;
      });
    } catch (const std::exception& e) {
      error = e.what();
    }
    lock.lock();
    m_reading = false;
    if (m_quit) return;
    if (m_stopCurrent) continue;  // another time point is wanted: this one is dropped
    if (abandoned && !error.empty()) {
      // Stopped, then wanted again before the stop was seen here: read anew.
      m_queue.push_front(t);
      continue;
    }
    if (error.empty()) {
      m_timePointBytes = std::max(m_timePointBytes, BytesOf(stacks));
      m_held[t] = std::move(stacks);
      Trim(t);
    } else {
      m_errors[t] = error;
    }
    lock.unlock();
    m_arrived(t);
    lock.lock();
  }
}

#define ORV_INSTANTIATE_TIME_POINT_CACHE(T) template class TimePointCache<T>;
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_TIME_POINT_CACHE)

}  // namespace orv
