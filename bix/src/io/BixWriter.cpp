#include "BixFormat.h"
#include "ByteOrder.h"
#include "ImageWriters.h"
#include "PosixFile.h"
#include "Zlib.h"

#include <cstring>
#include <optional>
#include <vector>

namespace bix::io {

namespace {

using namespace bixformat;

TypeCode CodeOf(const StoredType& t) {
  if (t.channels == 3) return t.numeric == NUM_U8 ? kRGB8 : kRGB16;
  switch (t.numeric) {
    case NUM_U8: return kU8;
    case NUM_U16: return kU16;
    case NUM_S32: return kS32;
    case NUM_U32: return kU32;
    default: return kF32;
  }
}

void StoreFloat(unsigned char* p, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  StoreLE32(p, bits);
}

void ComposeHeader(unsigned char* h, const VoxelBox& box, bool compress) {
  std::memcpy(h, kMagic, sizeof kMagic);
  StoreLE32(h + kVersionAt, kVersion);
  StoreLE32(h + kTypeAt, CodeOf(box.type));
  const Vector3d<float>& res = box.resolution.GetRes();
  for (unsigned a = 0; a < 3; ++a) {
    StoreLE32(h + kSizeAt + 4 * a, box.size[a]);
    StoreFloat(h + kOffsetAt + 4 * a, box.offset[a]);
    StoreFloat(h + kResolutionAt + 4 * a, res[a]);
  }
  StoreLE32(h + kDefinedAt, box.resolution.IsDefined() ? 1 : 0);
  StoreLE32(h + kCompressionAt, compress ? kZlib : kNone);
  StoreLE32(h + kReservedAt, 0);
}

}  // namespace

void WriteBix(const std::string& path, const std::string& name, const VoxelBox& box, bool compress) {
  PosixFile file(path, PosixFile::WRITE, name);
  unsigned char header[kHeaderBytes] = {};
  ComposeHeader(header, box, compress);
  file.Write(header, sizeof header);

  std::optional<Deflater> deflater;
  if (compress) deflater.emplace(file, kDeflateLevel, name);
  auto put = [&](const unsigned char* data, std::size_t bytes) {
    if (deflater) deflater->Feed(data, bytes);
    else file.Write(data, bytes);
  };
  // Whole planes go out as they lie in memory; regions and big-endian hosts
  // go row by row through a buffer.
  const bool direct = box.PlaneIsContiguous() && !kBigEndianHost;
  std::vector<unsigned char> row(direct ? 0 : box.RowBytes());
  for (unsigned z = 0; z < box.size.z; ++z) {
    if (direct) {
      put(box.Row(0, z), box.PlaneBytes());
      continue;
    }
    for (unsigned y = 0; y < box.size.y; ++y) {
      std::memcpy(row.data(), box.Row(y, z), row.size());
      if (kBigEndianHost) SwapSamples(row.data(), row.size() / SampleBytes(box.type.numeric),
                                      SampleBytes(box.type.numeric));
      put(row.data(), row.size());
    }
  }
  const std::uint64_t dataBytes =
      deflater ? deflater->Finish() : std::uint64_t(box.PlaneBytes()) * box.size.z;
  unsigned char field[8];
  StoreLE64(field, dataBytes);
  file.WriteAt(field, sizeof field, kDataBytesAt);
  file.Close();
}

}  // namespace bix::io
