#include <bix/ChunkedImage.h>
#include <bix/Exceptions.h>

#include "../io/PagePrefault.h"
#include "../io/StoredType.h"
#include "ZarrArray.h"

#include <atomic>
#include <cstring>
#include <type_traits>

namespace bix {

namespace {

std::atomic<std::uint64_t> g_nextId{1};

// Copies the part of one chunk that lies in the box, converting the voxel
// type where they differ (labels read as unsigned int from any integers).
template <class S, class T>
void CopyChunkPart(const unsigned char* chunkBytes, const ChunkLevel& l, const ChunkKey& key,
                   const Vector3d<unsigned>& first, const Vector3d<unsigned>& size, Image3d<T>& out) {
  const S* chunk = reinterpret_cast<const S*>(chunkBytes);
  const unsigned cx = key.i * l.chunk.x, cy = key.j * l.chunk.y, cz = key.k * l.chunk.z;
  const unsigned x0 = std::max(cx, first.x), x1 = std::min(cx + l.chunk.x, first.x + size.x);
  const unsigned y0 = std::max(cy, first.y), y1 = std::min(cy + l.chunk.y, first.y + size.y);
  const unsigned z0 = std::max(cz, first.z), z1 = std::min(cz + l.chunk.z, first.z + size.z);
  if (x0 >= x1 || y0 >= y1 || z0 >= z1) return;
  for (unsigned z = z0; z < z1; ++z)
    for (unsigned y = y0; y < y1; ++y) {
      const S* from = chunk + (std::size_t(z - cz) * l.chunk.y + (y - cy)) * l.chunk.x + (x0 - cx);
      T* to = &out.GetVoxel(x0 - first.x, y - first.y, z - first.z);
      if constexpr (std::is_same_v<S, T>) {
        std::memcpy(to, from, (x1 - x0) * sizeof(T));
      } else {
        for (unsigned x = 0; x < x1 - x0; ++x) {
          if constexpr (std::is_signed_v<S>)
            if (from[x] < 0) throw IOException("the image holds negative values, which are no labels");
          to[x] = static_cast<T>(from[x]);
        }
      }
    }
}

template <class T>
void CopyChunk(VoxelType type, const unsigned char* chunk, const ChunkLevel& l, const ChunkKey& key,
               const Vector3d<unsigned>& first, const Vector3d<unsigned>& size, Image3d<T>& out) {
  if constexpr (std::is_same_v<T, unsigned int>) {
    switch (type) {
      case VOXEL_UCHAR: return CopyChunkPart<unsigned char>(chunk, l, key, first, size, out);
      case VOXEL_USHORT: return CopyChunkPart<unsigned short>(chunk, l, key, first, size, out);
      default: return CopyChunkPart<int>(chunk, l, key, first, size, out);
    }
  } else {
    CopyChunkPart<T>(chunk, l, key, first, size, out);
  }
}

}  // namespace

ChunkedImage::ChunkedImage(std::string name, VoxelType type, std::vector<ChunkLevel> levels, unsigned channels,
                           unsigned timePoints)
    : m_name(std::move(name)),
      m_type(type),
      m_levels(std::move(levels)),
      m_channels(channels),
      m_timePoints(timePoints),
      m_id(g_nextId++) {}

ChunkedImage::~ChunkedImage() { SharedChunkCache().Forget(m_id); }

void ChunkedImage::CheckKey(const ChunkKey& key) const {
  if (key.image != m_id || key.level >= Levels() || key.t >= m_timePoints || key.c >= m_channels)
    throw LibException("'" + m_name + "': no such chunk (level, time point or channel out of range)");
  const Vector3d<unsigned> grid = m_levels[key.level].Grid();
  if (key.i >= grid.x || key.j >= grid.y || key.k >= grid.z)
    throw LibException("'" + m_name + "': no such chunk (position outside the level)");
}

ChunkData ChunkedImage::Chunk(const ChunkKey& key) const {
  CheckKey(key);
  if (ChunkData held = SharedChunkCache().Find(key)) return held;
  auto data = std::make_shared<std::vector<unsigned char>>();
  DecodeChunk(key, *data);
  SharedChunkCache().Insert(key, data);
  return data;
}

ChunkTicket ChunkedImage::RequestChunk(const ChunkKey& key, int priority, ChunkCallback done) const {
  auto ticket = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<const ChunkedImage> self = shared_from_this();
  SubmitChunkTask(priority, ticket, [self, key, done = std::move(done)] {
    ChunkData data;
    std::string error;
    try {
      data = self->Chunk(key);
    } catch (const std::exception& e) {
      error = e.what();
    }
    done(key, std::move(data), error);
  });
  return ticket;
}

template <class T>
void ChunkedImage::ReadBox(unsigned level, unsigned t, unsigned c, const Vector3d<unsigned>& first,
                           const Vector3d<unsigned>& size, Image3d<T>& out) const {
  ReadBoxOn(true, level, t, c, first, size, out);
}

template <class T>
void ChunkedImage::ReadBoxHere(unsigned level, unsigned t, unsigned c, const Vector3d<unsigned>& first,
                               const Vector3d<unsigned>& size, Image3d<T>& out) const {
  ReadBoxOn(false, level, t, c, first, size, out);
}

template <class T>
void ChunkedImage::ReadBoxOn(bool workers, unsigned level, unsigned t, unsigned c, const Vector3d<unsigned>& first,
                             const Vector3d<unsigned>& size, Image3d<T>& out) const {
  if (io::NaturalVoxelType(io::StoredTypeOf<T>::value, m_name) != m_type &&
      !(std::is_same_v<T, unsigned int> && m_type != VOXEL_FLOAT))
    throw LibException("'" + m_name + "': the image's voxels are not of the type asked for");
  if (level >= Levels() || t >= m_timePoints || c >= m_channels)
    throw LibException("'" + m_name + "': no such level, time point or channel");
  const ChunkLevel& l = m_levels[level];
  for (unsigned a = 0; a < 3; ++a)
    if (std::uint64_t(first[a]) + size[a] > l.size[a])
      throw LibException("'" + m_name + "': the box reaches beyond the level");
  // The caller's image is written in place when it has the box's size
  // already (reading the next box of a series costs no new memory).
  Image3d<T> box;
  const bool fresh = out.GetSize() != size;
  if (fresh) box.MakeRoomUninitialized(size);
  else box = std::move(out);
  box.SetOffset(Vector3d<float>(l.offset.x + first.x * l.voxelSize.x, l.offset.y + first.y * l.voxelSize.y,
                                l.offset.z + first.z * l.voxelSize.z));
  box.SetResolution(l.GetResolution());
  if (size.x == 0 || size.y == 0 || size.z == 0) {
    out = std::move(box);
    return;
  }
  // Every chunk the box touches, decoded on the workers (or here); each
  // writes its own part of the box.
  std::vector<ChunkKey> keys;
  for (unsigned k = first.z / l.chunk.z; k <= (first.z + size.z - 1) / l.chunk.z; ++k)
    for (unsigned j = first.y / l.chunk.y; j <= (first.y + size.y - 1) / l.chunk.y; ++j)
      for (unsigned i = first.x / l.chunk.x; i <= (first.x + size.x - 1) / l.chunk.x; ++i)
        keys.push_back(ChunkKey{m_id, level, t, c, i, j, k});
  const VoxelType type = m_type;
  // A box that would fill much of the cache is read past it (chunks it
  // holds are still used), each thread decoding into a buffer of its own:
  // it would push out what a viewer uses, and fresh chunk buffers cost as
  // much in page faults as the decoding.
  const double chunkBytes = double(l.chunk.x) * l.chunk.y * l.chunk.z * zarr::VoxelTypeBytes(m_type);
  const bool pastCache = !workers || chunkBytes * keys.size() > double(SharedChunkCache().Budget()) / 4;
  // Fresh memory has its pages made on another core meanwhile; reused
  // memory has them already. A read on the calling thread alone (in the
  // background) faults its pages as it goes: populating them all at once
  // holds the process's memory map, which a drawing thread's allocations
  // would wait for.
  const io::PagePrefault prefault(fresh && workers ? box.GetFirstVoxelAddr() : nullptr,
                                  box.GetVoxelCount() * sizeof(T));
  auto copy = [&](std::size_t n) {
    if (pastCache) {
      if (const ChunkData held = SharedChunkCache().Find(keys[n])) {
        CopyChunk(type, held->data(), l, keys[n], first, size, box);
        return;
      }
      thread_local std::vector<unsigned char> buffer;
      DecodeChunk(keys[n], buffer);
      CopyChunk(type, buffer.data(), l, keys[n], first, size, box);
      return;
    }
    const ChunkData data = Chunk(keys[n]);
    CopyChunk(type, data->data(), l, keys[n], first, size, box);
  };
  if (workers)
    RunOnChunkWorkers(keys.size(), copy);
  else
    for (std::size_t n = 0; n < keys.size(); ++n) copy(n);
  out = std::move(box);
}

#define BIX_INSTANTIATE_READBOX(T)                                                                  \
  template void ChunkedImage::ReadBox<T>(unsigned, unsigned, unsigned, const Vector3d<unsigned>&, \
                                         const Vector3d<unsigned>&, Image3d<T>&) const;           \
  template void ChunkedImage::ReadBoxHere<T>(unsigned, unsigned, unsigned, const Vector3d<unsigned>&, \
                                             const Vector3d<unsigned>&, Image3d<T>&) const;
BIX_FOR_EACH_GRAY_TYPE(BIX_INSTANTIATE_READBOX)
BIX_INSTANTIATE_READBOX(unsigned int)

}  // namespace bix
