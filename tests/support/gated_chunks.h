#ifndef ORV_TESTS_GATED_CHUNKS_H
#define ORV_TESTS_GATED_CHUNKS_H

// A chunked image that the test holds in its hands: its levels are images in
// memory (level 0 as given, each next one every second voxel of the one
// before), and decoding a chunk waits while the gate is closed, fails on
// purpose for chunks named as failing, and is counted per chunk.

#include <bix/ChunkCache.h>
#include <bix/ChunkedImage.h>
#include <bix/Exceptions.h>
#include <bix/Image3d.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <tuple>
#include <type_traits>
#include <vector>

namespace orvtest {

template <class T>
class GatedChunks : public bix::ChunkedImage {
public:
  // `channels` channels: channel c holds ChannelValue(v, c) where channel 0
  // holds v.
  static std::shared_ptr<GatedChunks> Make(const bix::Image3d<T>& full, unsigned levels, unsigned chunk,
                                           unsigned channels = 1) {
    return std::shared_ptr<GatedChunks>(new GatedChunks(full, levels, chunk, channels));
  }
  static T ChannelValue(T v, unsigned c) { return static_cast<T>(v + 37 * c); }
  // The image of one level, as a viewer in memory would hold it.
  const bix::Image3d<T>& LevelImage(unsigned level) const { return m_images.at(level); }
  bix::Image3d<T> LevelImage(unsigned level, unsigned c) const {
    bix::Image3d<T> image = m_images.at(level);
    for (T& v : image) v = ChannelValue(v, c);
    return image;
  }

  void Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = false;
  }
  void Open() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
  }
  void Fail(bool failing) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failing = failing;
  }
  // How often a chunk was decoded (or tried).
  unsigned Decodes(const bix::ChunkKey& key) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_decodes.find(Tuple(key));
    return found == m_decodes.end() ? 0 : found->second;
  }

protected:
  void DecodeChunk(const bix::ChunkKey& key, std::vector<unsigned char>& out) const override {
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_changed.wait(lock, [&] { return m_open; });
      ++m_decodes[Tuple(key)];
      if (m_failing) throw bix::IOException("the server answered 503 Service Unavailable");
    }
    const bix::ChunkLevel& l = Level(key.level);
    const bix::Image3d<T>& image = m_images[key.level];
    out.assign(std::size_t(l.chunk.x) * l.chunk.y * l.chunk.z * sizeof(T), 0);
    T* to = reinterpret_cast<T*>(out.data());
    for (unsigned z = 0; z < l.chunk.z; ++z)
      for (unsigned y = 0; y < l.chunk.y; ++y)
        for (unsigned x = 0; x < l.chunk.x; ++x) {
          const unsigned ix = key.i * l.chunk.x + x, iy = key.j * l.chunk.y + y, iz = key.k * l.chunk.z + z;
          if (ix < l.size.x && iy < l.size.y && iz < l.size.z)
            to[(std::size_t(z) * l.chunk.y + y) * l.chunk.x + x] = ChannelValue(image.GetVoxel(ix, iy, iz), key.c);
        }
  }

private:
  GatedChunks(const bix::Image3d<T>& full, unsigned levels, unsigned chunk, unsigned channels)
      : GatedChunks(Pyramid(full, levels), chunk, channels) {}
  GatedChunks(std::vector<bix::Image3d<T>> images, unsigned chunk, unsigned channels)
      : bix::ChunkedImage("gated", TypeOf(), LevelsOf(images, chunk), channels, 1), m_images(std::move(images)) {}

  static bix::VoxelType TypeOf() {
    if constexpr (std::is_same_v<T, unsigned char>) return bix::VOXEL_UCHAR;
    if constexpr (std::is_same_v<T, unsigned short>) return bix::VOXEL_USHORT;
    return std::is_same_v<T, int> ? bix::VOXEL_INT : bix::VOXEL_FLOAT;
  }
  static std::vector<bix::Image3d<T>> Pyramid(const bix::Image3d<T>& full, unsigned count) {
    std::vector<bix::Image3d<T>> images{full};
    while (images.size() < count) {
      const bix::Image3d<T>& finer = images.back();
      const bix::Vector3d<unsigned> n = finer.GetSize();
      bix::Image3d<T> coarser(bix::Vector3d<unsigned>((n.x + 1) / 2, (n.y + 1) / 2, (n.z + 1) / 2));
      for (unsigned z = 0; z < coarser.GetSize().z; ++z)
        for (unsigned y = 0; y < coarser.GetSize().y; ++y)
          for (unsigned x = 0; x < coarser.GetSize().x; ++x)
            coarser.GetVoxel(x, y, z) = finer.GetVoxel(2 * x, 2 * y, 2 * z);
      coarser.SetResolution(bix::Resolution(finer.GetResolution().GetRes() * 0.5f));
      coarser.SetOffset(finer.GetOffset());
      images.push_back(std::move(coarser));
    }
    return images;
  }
  static std::vector<bix::ChunkLevel> LevelsOf(const std::vector<bix::Image3d<T>>& images, unsigned chunk) {
    std::vector<bix::ChunkLevel> levels;
    for (const bix::Image3d<T>& image : images) {
      const bix::Vector3d<float> res = image.GetResolution().GetRes();
      levels.push_back({image.GetSize(), bix::Vector3d<unsigned>(chunk, chunk, chunk),
                        bix::Vector3d<float>(1 / res.x, 1 / res.y, 1 / res.z), image.GetOffset()});
    }
    return levels;
  }
  static std::tuple<unsigned, unsigned, unsigned, unsigned> Tuple(const bix::ChunkKey& k) {
    return {k.level, k.i, k.j, k.k};
  }

  std::vector<bix::Image3d<T>> m_images;
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  bool m_open = true, m_failing = false;
  mutable std::map<std::tuple<unsigned, unsigned, unsigned, unsigned>, unsigned> m_decodes;
};

// Holds every chunk worker until released, so that the requests made
// meanwhile wait in the queue (where a cancel still stops them).
class WorkerBlock {
public:
  WorkerBlock() : m_state(std::make_shared<State>()) {
    const unsigned workers = bix::ChunkWorkerCount();
    for (unsigned w = 0; w < workers; ++w)
      bix::SubmitChunkTask(1000, nullptr, [state = m_state] {
        std::unique_lock<std::mutex> lock(state->mutex);
        ++state->held;
        state->changed.notify_all();
        state->changed.wait(lock, [&] { return state->released; });
      });
    std::unique_lock<std::mutex> lock(m_state->mutex);
    m_state->changed.wait(lock, [&] { return m_state->held == workers; });
  }
  ~WorkerBlock() { Release(); }
  void Release() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->released = true;
    m_state->changed.notify_all();
  }

private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    unsigned held = 0;
    bool released = false;
  };
  std::shared_ptr<State> m_state;
};

}  // namespace orvtest

#endif
