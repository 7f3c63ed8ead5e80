#include "ZarrCodecs.h"

#include "../io/IOError.h"

#include <blosc.h>
#include <zlib.h>
#include <zstd.h>

#include <climits>

namespace bix::zarr {

namespace {

void CheckSize(std::size_t made, std::size_t expected, const std::string& name) {
  if (made != expected)
    io::Fail(name, "the chunk decompresses to " + std::to_string(made) + " bytes instead of " +
                       std::to_string(expected));
}

void DecodeBlosc(const unsigned char* stored, std::size_t size, std::size_t expected, std::vector<unsigned char>& out,
                 const std::string& name) {
  std::size_t nbytes = 0, cbytes = 0, blocksize = 0;
  if (size < BLOSC_MAX_OVERHEAD) io::Fail(name, "the chunk is too short for a blosc header");
  blosc_cbuffer_sizes(stored, &nbytes, &cbytes, &blocksize);
  if (cbytes > size) io::Fail(name, "the blosc chunk is truncated");
  CheckSize(nbytes, expected, name);
  out.resize(expected);
  // The context form: chunks are decoded on several threads at once.
  const int made = blosc_decompress_ctx(stored, out.data(), out.size(), 1);
  if (made < 0 || static_cast<std::size_t>(made) != expected) io::Fail(name, "the blosc chunk cannot be decoded");
}

// zlib's own stream ("zlib") or a gzip member ("gzip"), inflated in one go.
void DecodeDeflate(const unsigned char* stored, std::size_t size, std::size_t expected,
                   std::vector<unsigned char>& out, bool gzip, const std::string& name) {
  out.resize(expected);
  z_stream z{};
  if (inflateInit2(&z, gzip ? 15 + 16 : 15) != Z_OK) io::Fail(name, "zlib cannot start");
  z.next_in = const_cast<unsigned char*>(stored);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&z, Z_FINISH);
  const std::size_t made = z.total_out;
  inflateEnd(&z);
  if (result == Z_BUF_ERROR && z.avail_out == 0)
    io::Fail(name, "the chunk decompresses to more than " + std::to_string(expected) + " bytes");
  if (result != Z_STREAM_END) io::Fail(name, std::string("the ") + (gzip ? "gzip" : "zlib") + " chunk is damaged");
  CheckSize(made, expected, name);
}

void DecodeZstd(const unsigned char* stored, std::size_t size, std::size_t expected, std::vector<unsigned char>& out,
                const std::string& name) {
  const unsigned long long content = ZSTD_getFrameContentSize(stored, size);
  if (content == ZSTD_CONTENTSIZE_ERROR) io::Fail(name, "the chunk is no zstd frame");
  if (content != ZSTD_CONTENTSIZE_UNKNOWN) CheckSize(static_cast<std::size_t>(content), expected, name);
  out.resize(expected);
  const std::size_t made = ZSTD_decompress(out.data(), out.size(), stored, size);
  if (ZSTD_isError(made)) io::Fail(name, std::string("the zstd chunk cannot be decoded: ") + ZSTD_getErrorName(made));
  CheckSize(made, expected, name);
}

}  // namespace

void DecodeChunk(const Codec& codec, const unsigned char* stored, std::size_t size, std::size_t expected,
                 std::vector<unsigned char>& out, const std::string& name) {
  if (codec.id.empty()) {
    CheckSize(size, expected, name);
    out.assign(stored, stored + size);
  } else if (codec.id == "blosc") {
    DecodeBlosc(stored, size, expected, out, name);
  } else if (codec.id == "zlib" || codec.id == "gzip") {
    if (size > UINT_MAX || expected > UINT_MAX) io::Fail(name, "the chunk is too large for zlib");
    DecodeDeflate(stored, size, expected, out, codec.id == "gzip", name);
  } else if (codec.id == "zstd") {
    DecodeZstd(stored, size, expected, out, name);
  } else {
    io::Fail(name, "unknown compressor '" + codec.id + "'");
  }
}

// The output buffer grows to the bound once and is reused: fresh memory
// per chunk costs page faults and zeroing comparable to the compression.
void EncodeChunk(const Codec& codec, const unsigned char* bytes, std::size_t size, std::size_t typeSize,
                 std::vector<unsigned char>& out, const std::string& name) {
  auto room = [&out](std::size_t bound) {
    if (out.size() < bound) out.resize(bound);
  };
  std::size_t made = 0;
  if (codec.id.empty()) {
    out.assign(bytes, bytes + size);
    return;
  }
  if (codec.id == "blosc") {
    room(size + BLOSC_MAX_OVERHEAD);
    const int n = blosc_compress_ctx(codec.level, codec.shuffle, typeSize, size, bytes, out.data(), out.size(),
                                     codec.cname.c_str(), static_cast<std::size_t>(codec.blocksize), 1);
    if (n <= 0) io::Fail(name, "blosc cannot compress the chunk with '" + codec.cname + "'");
    made = static_cast<std::size_t>(n);
  } else if (codec.id == "zstd") {
    room(ZSTD_compressBound(size));
    made = ZSTD_compress(out.data(), out.size(), bytes, size, codec.level);
    if (ZSTD_isError(made)) io::Fail(name, std::string("zstd cannot compress the chunk: ") + ZSTD_getErrorName(made));
  } else if (codec.id == "zlib" || codec.id == "gzip") {
    z_stream z{};
    if (deflateInit2(&z, codec.level, Z_DEFLATED, codec.id == "gzip" ? 15 + 16 : 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      io::Fail(name, "zlib cannot start");
    room(deflateBound(&z, static_cast<uLong>(size)));
    z.next_in = const_cast<unsigned char*>(bytes);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    made = z.total_out;
    deflateEnd(&z);
    if (result != Z_STREAM_END) io::Fail(name, "zlib cannot compress the chunk");
  } else {
    io::Fail(name, "unknown compressor '" + codec.id + "'");
  }
  out.resize(made);
}

}  // namespace bix::zarr
