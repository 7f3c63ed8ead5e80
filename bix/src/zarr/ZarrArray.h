#ifndef BIX_ZARR_ZARRARRAY_H
#define BIX_ZARR_ZARRARRAY_H

// One Zarr v2 array on disk: its ".zarray" metadata, checked, and its chunks
// read, decoded and turned into the voxel type the array reads as.

#include "ZarrCodecs.h"

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
  // Reads and checks "<folder>/.zarray". Raises IOException naming the
  // file and the key at fault.
  explicit ZarrArray(const std::string& folder);

  const std::string& Folder() const { return m_folder; }
  const std::vector<std::uint64_t>& Shape() const { return m_shape; }
  const std::vector<std::uint64_t>& Chunks() const { return m_chunks; }
  const Dtype& Type() const { return m_dtype; }

  // The chunk at grid position `index` (one entry per axis), decoded and
  // converted to the voxel type: a whole chunk's values of sizeof(voxel)
  // bytes in C order. A chunk file that does not exist holds the fill value.
  void ReadChunk(const std::vector<std::uint64_t>& index, std::vector<unsigned char>& out) const;
  // The file of that chunk.
  std::string ChunkPath(const std::vector<std::uint64_t>& index) const;

private:
  std::string m_folder;
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
