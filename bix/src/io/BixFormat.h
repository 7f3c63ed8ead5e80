#ifndef BIX_IO_BIXFORMAT_H
#define BIX_IO_BIXFORMAT_H

// The BIX file format, version 1: one 3D image with its geometry.
//
// A 72-byte header, every field little-endian:
//
//   offset  size  field
//        0     8  magic: 0x89 'B' 'I' 'X' '\r' '\n' 0x1a '\n' (a binary file
//                 that text transfers and truncating readers visibly break)
//        8     4  version: 1
//       12     4  voxel type: 1 uint8, 2 uint16, 3 int32, 4 float32,
//                 5 RGB of uint8, 6 RGB of uint16, 7 uint32 (label images)
//       16    12  size x, y, z: uint32 voxel counts, each at least 1
//       28    12  offset x, y, z: float32 microns, the first voxel's lower corner
//       40     4  resolution defined: 0 or 1
//       44    12  resolution x, y, z: float32 pixels per micron, positive and
//                 finite when defined (written as 1, 1, 1 when undefined)
//       56     4  compression: 0 none, 1 zlib
//       60     4  reserved: 0
//       64     8  data bytes: uint64, the length of what follows the header
//
// Then the voxels, x fastest, then y, then z; RGB voxels as red, green, blue;
// samples little-endian. Uncompressed, the data are exactly size x * y * z *
// voxel bytes; compressed, they are one zlib stream (RFC 1950) of those bytes.
// The file ends with the data. A reader refuses any other version, unknown
// codes, non-finite numbers, and sizes the data cannot hold.

#include <cstddef>
#include <cstdint>

namespace bix::io::bixformat {

constexpr unsigned char kMagic[8] = {0x89, 'B', 'I', 'X', '\r', '\n', 0x1a, '\n'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 72;

constexpr std::size_t kVersionAt = 8, kTypeAt = 12, kSizeAt = 16, kOffsetAt = 28, kDefinedAt = 40,
                      kResolutionAt = 44, kCompressionAt = 56, kReservedAt = 60, kDataBytesAt = 64;

enum TypeCode : std::uint32_t { kU8 = 1, kU16 = 2, kS32 = 3, kF32 = 4, kRGB8 = 5, kRGB16 = 6, kU32 = 7 };
enum Compression : std::uint32_t { kNone = 0, kZlib = 1 };

}  // namespace bix::io::bixformat

#endif
