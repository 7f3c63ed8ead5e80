#ifndef BIX_IO_IMAGEJMETADATA_H
#define BIX_IO_IMAGEJMETADATA_H

// The colours ImageJ keeps for a hyperstack's channels: the "luts" entries
// of its IJMetadata tag (50839), whose layout the IJMetadataByteCounts tag
// (50838) gives: a header ("IJIJ", then a four-byte type and count per kind
// of entry) followed by the entries, in the file's byte order.

#include <array>
#include <cstdint>
#include <cstddef>
#include <vector>

namespace bix::io {

constexpr unsigned kImageJMetadataTag = 50839;
constexpr unsigned kImageJByteCountsTag = 50838;

// The brightest entry of each channel's look-up table (256 reds, greens and
// blues), which is the colour ImageJ shows the channel in; empty when the
// metadata hold no tables or are not laid out as the byte counts say.
std::vector<std::array<std::uint8_t, 3>> ParseImageJLutColours(const std::uint8_t* data, std::size_t size,
                                                               const std::uint32_t* counts, std::size_t entries);

}  // namespace bix::io

#endif
