#ifndef ORV_SRC_PACKED_RGB_H
#define ORV_SRC_PACKED_RGB_H

// Writing mapped pixels fast: a colour is handled as one 32-bit word
// (red in the low byte), and eight pixels, 24 bytes, are stored as three
// 64-bit words instead of 24 single bytes. Callers pass a colour function
// that captures by value: a byte store may alias anything reached through a
// reference, which would make the compiler reload it for every pixel.

#include "parallel_runs.h"

#include <bix/RGB.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orv {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixels are packed for little-endian machines");
static_assert(sizeof(bix::RGB8) == 3, "screen pixels are three packed bytes");

inline std::uint32_t PackRGB(unsigned char red, unsigned char green, unsigned char blue) {
  return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
         static_cast<std::uint32_t>(blue) << 16;
}

// out[i] = the colour colourOf(i) packs, for i < n.
template <class ColourOf>
inline void WritePacked(std::size_t n, bix::RGB8* out, ColourOf colourOf) {
  auto* bytes = reinterpret_cast<unsigned char*>(out);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8, bytes += 24) {
    const std::uint64_t a = colourOf(i), b = colourOf(i + 1), c = colourOf(i + 2), d = colourOf(i + 3);
    const std::uint64_t e = colourOf(i + 4), f = colourOf(i + 5), g = colourOf(i + 6), h = colourOf(i + 7);
    // Three separate stores: one 24-byte copy from a stack array would
    // read back what was just written there, stalling on store forwarding.
    const std::uint64_t w0 = a | b << 24 | c << 48;
    const std::uint64_t w1 = c >> 16 | d << 8 | e << 32 | f << 56;
    const std::uint64_t w2 = f >> 8 | g << 16 | h << 40;
    std::memcpy(bytes, &w0, 8);
    std::memcpy(bytes + 8, &w1, 8);
    std::memcpy(bytes + 16, &w2, 8);
  }
  for (; i < n; ++i, bytes += 3) {
    const std::uint32_t a = colourOf(i);
    bytes[0] = static_cast<unsigned char>(a);
    bytes[1] = static_cast<unsigned char>(a >> 8);
    bytes[2] = static_cast<unsigned char>(a >> 16);
  }
}

// Calls write(begin, end) for consecutive runs of the n pixels, on every
// core for slices large enough to be worth it; runs start on whole groups
// of eight pixels.
template <class Write>
inline void ForEachPixelRun(std::size_t n, Write write) {
  constexpr std::size_t kMinGroupsPerRun = std::size_t(1) << 14;  // 131072 pixels
  const std::size_t groups = n / 8, runs = RunsFor(groups, kMinGroupsPerRun);
  ForEachRun(groups, runs, [=](std::size_t r, std::size_t first, std::size_t last) {
    write(first * 8, r + 1 == runs ? n : last * 8);
  });
}

// WritePacked on every core.
template <class ColourOf>
inline void WritePackedOnAllCores(std::size_t n, bix::RGB8* out, ColourOf colourOf) {
  ForEachPixelRun(n, [=](std::size_t begin, std::size_t end) {
    WritePacked(end - begin, out + begin, [=](std::size_t i) { return colourOf(begin + i); });
  });
}

// The same for pixels whose colour is colourOf[intensity] and whose
// intensities are computed a block at a time: intensitiesOf(begin, count,
// bytes) writes those of pixels begin..begin+count-1.
template <class IntensitiesOf>
inline void WriteIntensityColoursOnAllCores(std::size_t n, bix::RGB8* out,
                                            const std::uint32_t* colourOf, IntensitiesOf intensitiesOf) {
  ForEachPixelRun(n, [=](std::size_t begin, std::size_t end) {
    constexpr std::size_t kBlock = 1024;
    unsigned char bytes[kBlock];
    for (std::size_t start = begin; start < end; start += kBlock) {
      const std::size_t count = std::min(kBlock, end - start);
      intensitiesOf(start, count, bytes);
      const unsigned char* intensity = bytes;
      WritePacked(count, out + start, [=](std::size_t i) { return colourOf[intensity[i]]; });
    }
  });
}

}  // namespace orv

#endif
