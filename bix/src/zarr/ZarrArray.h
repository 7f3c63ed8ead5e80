#ifndef BIX_ZARR_ZARRARRAY_H
#define BIX_ZARR_ZARRARRAY_H

// One Zarr v2 array of a store (on disk or on a web server): its ".zarray"
// metadata, checked, and its chunks read, decoded and turned into the voxel
// type the array reads as.

#include "ZarrCodecs.h"
#include "ZarrStore.h"

#include <bix/ImageIO.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bix::zarr {

// The element type of an array as ".zarray"'s "dtype" gives it.
struct Dtype {
  char kind = 'u';       // 'u', 'i' or 'f'
  unsigned bytes = 1;    // 1, 2, 4 or 8
  bool bigEndian = false;
  VoxelType voxel = VOXEL_UCHAR;  // what it reads as
  std::string text;      // as written, e.g. "<u2"
};
// The dtype of `text` ("|u1", "<u2", ">f4", ...), or IOException naming
// `name` and the key for one no voxel type holds.
Dtype ParseDtype(const std::string& text, const std::string& name);

class ZarrArray {
public:
  // Reads and checks "<prefix>/.zarray" of the store. Raises IOException
  // naming the file (or URL) and the key at fault.
  ZarrArray(std::shared_ptr<const Store> store, const std::string& prefix);

  // Where its ".zarray" lies, for messages.
  std::string MetadataName() const { return m_store->Where(m_prefix + "/.zarray"); }
  const std::vector<std::uint64_t>& Shape() const { return m_shape; }
  const std::vector<std::uint64_t>& Chunks() const { return m_chunks; }
  const Dtype& Type() const { return m_dtype; }

  // The chunk at grid position `index` (one entry per axis), decoded and
  // converted to the voxel type: a whole chunk's values of sizeof(voxel)
  // bytes in C order. A chunk the store does not have holds the fill value.
  void ReadChunk(const std::vector<std::uint64_t>& index, std::vector<unsigned char>& out) const;
  // The store's key of that chunk.
  std::string ChunkKey(const std::vector<std::uint64_t>& index) const;

private:
  std::shared_ptr<const Store> m_store;
  std::string m_prefix;
  std::vector<std::uint64_t> m_shape, m_chunks;
  Dtype m_dtype;
  Codec m_codec;
  double m_fill = 0;
  char m_separator = '.';
  std::size_t m_chunkElements = 1;
};

// The bytes of one voxel of a voxel type that arrays read as.
std::size_t VoxelTypeBytes(VoxelType type);

}  // namespace bix::zarr

#endif
