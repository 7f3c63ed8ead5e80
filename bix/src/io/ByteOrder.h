#ifndef BIX_IO_BYTEORDER_H
#define BIX_IO_BYTEORDER_H

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace bix::io {

constexpr bool kBigEndianHost = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__;

// Reverses the bytes of each of `count` samples of `sampleBytes` bytes.
inline void SwapSamples(unsigned char* data, std::size_t count, std::size_t sampleBytes) {
  if (sampleBytes < 2) return;
  for (std::size_t i = 0; i < count; ++i, data += sampleBytes) std::reverse(data, data + sampleBytes);
}

inline std::uint32_t LoadLE32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
inline std::uint64_t LoadLE64(const unsigned char* p) {
  return std::uint64_t(LoadLE32(p)) | std::uint64_t(LoadLE32(p + 4)) << 32;
}
inline void StoreLE32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void StoreLE64(unsigned char* p, std::uint64_t v) {
  StoreLE32(p, static_cast<std::uint32_t>(v));
  StoreLE32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

}  // namespace bix::io

#endif
