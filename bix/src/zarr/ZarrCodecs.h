#ifndef BIX_ZARR_ZARRCODECS_H
#define BIX_ZARR_ZARRCODECS_H

// The compressors of Zarr chunks, through the libraries that define them
// (c-blosc, zlib, zstd): decoding a stored chunk to exactly the bytes it
// must hold, and encoding one for writing.

#include <cstddef>
#include <string>
#include <vector>

namespace bix::zarr {

// A chunk compressor as ".zarray" names it: "id" null (none), "blosc",
// "zlib", "gzip" or "zstd", with its settings.
struct Codec {
  std::string id;               // empty: chunks are stored as they are
  int level = 5;                // zlib, gzip, zstd, and blosc's clevel
  std::string cname = "zstd";   // blosc's inner compressor
  int shuffle = 1;              // blosc: 0 none, 1 bytes, 2 bits
  int blocksize = 0;            // blosc: 0 automatic
};

// Decodes `stored` into `out`, which must come out exactly `expected` bytes
// long. Raises IOException naming `name` (the chunk file) and the fault.
void DecodeChunk(const Codec& codec, const unsigned char* stored, std::size_t storedSize, std::size_t expected,
                 std::vector<unsigned char>& out, const std::string& name);

// Encodes `bytes` (samples of `typeSize` bytes) as `codec` stores them,
// into `out` (whose memory is reused).
void EncodeChunk(const Codec& codec, const unsigned char* bytes, std::size_t size, std::size_t typeSize,
                 std::vector<unsigned char>& out, const std::string& name);

}  // namespace bix::zarr

#endif
