#include "ImageJMetadata.h"

namespace bix::io {

namespace {

constexpr std::uint32_t kMagic = 0x494a494a;  // "IJIJ"
constexpr std::uint32_t kLuts = 0x6c757473;   // "luts"
constexpr std::size_t kLutBytes = 768;

std::uint32_t Read32(const std::uint8_t* p, bool bigEndian) {
  return bigEndian ? std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3]
                   : std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

}  // namespace

std::vector<std::array<std::uint8_t, 3>> ParseImageJLutColours(const std::uint8_t* data, std::size_t size,
                                                               const std::uint32_t* counts, std::size_t entries) {
  std::vector<std::array<std::uint8_t, 3>> colours;
  if (!data || !counts || entries == 0 || size < 4 || counts[0] < 4 || counts[0] > size) return colours;
  // The magic tells the byte order: ImageJ writes big-endian files, other
  // writers their own order.
  const bool bigEndian = Read32(data, true) == kMagic;
  if (!bigEndian && Read32(data, false) != kMagic) return colours;
  const std::size_t kinds = (counts[0] - 4) / 8;
  std::size_t entry = 1;         // index into counts of the next entry
  std::size_t at = counts[0];    // where it starts in the data
  for (std::size_t k = 0; k < kinds; ++k) {
    const std::uint32_t type = Read32(data + 4 + 8 * k, bigEndian);
    const std::uint32_t number = Read32(data + 8 + 8 * k, bigEndian);
    for (std::uint32_t n = 0; n < number; ++n, ++entry) {
      if (entry >= entries || counts[entry] > size - at) return {};
      if (type == kLuts && counts[entry] == kLutBytes) {
        const std::uint8_t* lut = data + at;
        colours.push_back({lut[255], lut[511], lut[767]});
      }
      at += counts[entry];
    }
  }
  return colours;
}

}  // namespace bix::io
