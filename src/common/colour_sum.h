#ifndef ORV_SRC_COMMON_COLOUR_SUM_H
#define ORV_SRC_COMMON_COLOUR_SUM_H

// Channels shown together add their colours: each component of `into`
// becomes the sum of its own and `from`'s, clamped at 255.

#include <bix/RGB.h>

#include <cstddef>
#include <cstdint>

namespace orv {

inline void AddColoursClamped(const bix::RGB8* from, bix::RGB8* into, std::size_t count) {
  static_assert(sizeof(bix::RGB8) == 3, "RGB8 is three packed bytes");
  const auto* a = reinterpret_cast<const std::uint8_t*>(from);
  auto* b = reinterpret_cast<std::uint8_t*>(into);
  for (std::size_t i = 0, n = 3 * count; i < n; ++i) {
    const unsigned sum = unsigned(a[i]) + b[i];
    b[i] = static_cast<std::uint8_t>(sum > 255 ? 255 : sum);
  }
}

}  // namespace orv

#endif
