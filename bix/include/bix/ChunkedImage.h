#ifndef BIX_CHUNKEDIMAGE_H
#define BIX_CHUNKEDIMAGE_H

#include <bix/ChunkCache.h>
#include <bix/Export.h>
#include <bix/Image3d.h>
#include <bix/ImageIO.h>
#include <bix/Types.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bix {

// One resolution level of a chunked image: level 0 is the full resolution,
// each next one reduced.
struct ChunkLevel {
  Vector3d<unsigned> size;       // voxels along x, y, z
  Vector3d<unsigned> chunk;      // voxels of one chunk along x, y, z
  Vector3d<float> voxelSize;     // microns per voxel
  Vector3d<float> offset;        // microns of the first voxel's lower corner
  // Chunks per axis.
  Vector3d<unsigned> Grid() const {
    return Vector3d<unsigned>((size.x + chunk.x - 1) / chunk.x, (size.y + chunk.y - 1) / chunk.y,
                              (size.z + chunk.z - 1) / chunk.z);
  }
  Resolution GetResolution() const {
    return Resolution(Vector3d<float>(1 / voxelSize.x, 1 / voxelSize.y, 1 / voxelSize.z));
  }
};

// A read-only 3D image of one voxel type, with channels and time points,
// stored as levels of chunks that are decoded when asked for (from disk,
// later also from the network). Decoded chunks go through the shared chunk
// cache. Made by the format's opener (OpenOmeZarr) and always held by a
// shared pointer, so that requests in flight keep it alive.
class BIX_EXPORT ChunkedImage : public std::enable_shared_from_this<ChunkedImage> {
public:
  virtual ~ChunkedImage();
  ChunkedImage(const ChunkedImage&) = delete;
  ChunkedImage& operator=(const ChunkedImage&) = delete;

  VoxelType Type() const { return m_type; }
  unsigned Levels() const { return static_cast<unsigned>(m_levels.size()); }
  const ChunkLevel& Level(unsigned level) const { return m_levels.at(level); }
  unsigned Channels() const { return m_channels; }
  unsigned TimePoints() const { return m_timePoints; }
  // The store's name, for messages.
  const std::string& Name() const { return m_name; }
  // This image's part of the chunk cache's keys.
  std::uint64_t Id() const { return m_id; }

  // A chunk, decoded now on the calling thread unless the cache holds it.
  // Raises IOException for a chunk that cannot be read, LibException for a
  // key outside the image.
  ChunkData Chunk(const ChunkKey& key) const;

  // Asks for a chunk on the decoding workers; `done` is called on a worker
  // thread with the chunk, or with null and the failure's message. Higher
  // priorities are served first; the ticket cancels a request not started.
  using ChunkCallback = std::function<void(const ChunkKey&, ChunkData, const std::string& error)>;
  ChunkTicket RequestChunk(const ChunkKey& key, int priority, ChunkCallback done) const;

  // The box of `size` voxels from voxel `first` of one level, channel and
  // time point, into `out` (sized, placed in microns and given the level's
  // resolution). Chunks not cached are decoded on all the workers at once;
  // call it from a thread that is not a worker. T must be the image's type
  // (else LibException); the box must lie inside the level. When `out`
  // already has the box's size its memory is reused.
  template <class T>
  void ReadBox(unsigned level, unsigned t, unsigned c, const Vector3d<unsigned>& first, const Vector3d<unsigned>& size,
               Image3d<T>& out) const;
  // The same on the calling thread alone, for bulk work that runs on a
  // worker (making the next level of a pyramid): chunks the cache does not
  // hold are decoded into this thread's own buffer and not kept, since such
  // work reads each chunk once.
  template <class T>
  void ReadBoxHere(unsigned level, unsigned t, unsigned c, const Vector3d<unsigned>& first,
                   const Vector3d<unsigned>& size, Image3d<T>& out) const;

protected:
  ChunkedImage(std::string name, VoxelType type, std::vector<ChunkLevel> levels, unsigned channels,
               unsigned timePoints);
  // Decodes one chunk into chunk.x * chunk.y * chunk.z voxels, x fastest
  // (whole chunks also at the far edges of the level).
  virtual void DecodeChunk(const ChunkKey& key, std::vector<unsigned char>& out) const = 0;

private:
  void CheckKey(const ChunkKey& key) const;
  template <class T>
  void ReadBoxOn(bool workers, unsigned level, unsigned t, unsigned c, const Vector3d<unsigned>& first,
                 const Vector3d<unsigned>& size, Image3d<T>& out) const;

  std::string m_name;
  VoxelType m_type;
  std::vector<ChunkLevel> m_levels;
  unsigned m_channels, m_timePoints;
  std::uint64_t m_id;
};

#define BIX_DECLARE_READBOX(T)                                                                             \
  extern template void ChunkedImage::ReadBox<T>(unsigned, unsigned, unsigned, const Vector3d<unsigned>&, \
                                                const Vector3d<unsigned>&, Image3d<T>&) const;           \
  extern template void ChunkedImage::ReadBoxHere<T>(unsigned, unsigned, unsigned, const Vector3d<unsigned>&, \
                                                    const Vector3d<unsigned>&, Image3d<T>&) const;
BIX_FOR_EACH_GRAY_TYPE(BIX_DECLARE_READBOX)
BIX_DECLARE_READBOX(unsigned int)
#undef BIX_DECLARE_READBOX

}  // namespace bix

#endif
