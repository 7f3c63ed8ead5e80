#include "BixFormat.h"
#include "ByteOrder.h"
#include "IOError.h"
#include "ImageReader.h"
#include "PosixFile.h"
#include "Zlib.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace bix::io {

namespace {

using namespace bixformat;

float LoadFloat(const unsigned char* p) {
  const std::uint32_t bits = LoadLE32(p);
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}

class BixReader : public ImageReader {
public:
  explicit BixReader(const std::string& name);
  void ReadPlane(unsigned char* destination) override;

private:
  void ParseHeader(const unsigned char* h);

  PosixFile m_file;
  std::optional<Inflater> m_inflater;
  unsigned m_planesRead = 0;
};

BixReader::BixReader(const std::string& name) : ImageReader(name), m_file(name, PosixFile::READ, name) {
  unsigned char header[kHeaderBytes];
  if (m_file.Read(header, sizeof header) != sizeof header)
    Fail(name, "is truncated: its header is incomplete");
  ParseHeader(header);
}

void BixReader::ParseHeader(const unsigned char* h) {
  if (std::memcmp(h, kMagic, sizeof kMagic) != 0) Fail(m_name, "is not a BIX file");
  const std::uint32_t version = LoadLE32(h + kVersionAt);
  if (version != kVersion)
    Fail(m_name, "is BIX version " + std::to_string(version) + "; this reader knows version 1");
  const std::uint32_t code = LoadLE32(h + kTypeAt);
  static const StoredType types[] = {{NUM_U8, 1},  {NUM_U16, 1}, {NUM_S32, 1}, {NUM_F32, 1},
                                     {NUM_U8, 3},  {NUM_U16, 3}, {NUM_U32, 1}};
  if (code < kU8 || code > kU32) Fail(m_name, "has unknown voxel type code " + std::to_string(code));
  m_info.type = types[code - 1];
  Vector3d<float> res;
  for (unsigned a = 0; a < 3; ++a) {
    m_info.size[a] = LoadLE32(h + kSizeAt + 4 * a);
    m_info.offset[a] = LoadFloat(h + kOffsetAt + 4 * a);
    res[a] = LoadFloat(h + kResolutionAt + 4 * a);
    if (m_info.size[a] == 0) Fail(m_name, "has a size of 0 along " + std::string(1, char('x' + a)));
    if (!std::isfinite(m_info.offset[a])) Fail(m_name, "has an offset that is not a finite number");
  }
  const std::uint32_t defined = LoadLE32(h + kDefinedAt);
  if (defined > 1) Fail(m_name, "has a resolution flag of " + std::to_string(defined) + " (0 or 1)");
  if (defined) {
    for (unsigned a = 0; a < 3; ++a)
      if (!(res[a] > 0) || !std::isfinite(res[a]))
        Fail(m_name, "has a resolution that is not positive and finite");
    m_info.resolution = Resolution(res);
  }
  const std::uint32_t compression = LoadLE32(h + kCompressionAt);
  if (compression > kZlib) Fail(m_name, "has unknown compression code " + std::to_string(compression));
  if (LoadLE32(h + kReservedAt) != 0) Fail(m_name, "has a reserved header field that is not 0");

  const std::uint64_t dataBytes = LoadLE64(h + kDataBytesAt);
  const std::uint64_t fileBytes = m_file.Size();
  if (fileBytes - kHeaderBytes != dataBytes)
    Fail(m_name, "holds " + std::to_string(fileBytes - kHeaderBytes) + " data bytes, its header says " +
                     std::to_string(dataBytes) + (fileBytes - kHeaderBytes < dataBytes ? " (truncated)" : ""));
  CheckDataFits(m_name, m_info.size, m_info.type, dataBytes, compression == kZlib ? kDeflateRatio : 1);
  if (compression == kNone && dataBytes != m_info.PlaneBytes() * m_info.size.z)
    Fail(m_name, "holds " + std::to_string(dataBytes) + " data bytes; its voxels take " +
                     std::to_string(m_info.PlaneBytes() * m_info.size.z));
  if (compression == kZlib) m_inflater.emplace(m_file, dataBytes, m_name);
}

void BixReader::ReadPlane(unsigned char* destination) {
  const std::size_t bytes = std::size_t(m_info.PlaneBytes());
  if (m_inflater) m_inflater->Read(destination, bytes);
  else m_file.ReadExactly(destination, bytes);
  if (kBigEndianHost) {
    const std::size_t sample = SampleBytes(m_info.type.numeric);
    SwapSamples(destination, bytes / sample, sample);
  }
  if (++m_planesRead == m_info.size.z && m_inflater) m_inflater->Finish();
}

}  // namespace

std::unique_ptr<ImageReader> OpenBix(const std::string& name, const ReadOptions& options) {
  auto reader = std::make_unique<BixReader>(name);
  // A BIX file is one channel (grey or RGB) at one time point.
  ImageInfo info = reader->GetInfo();
  ChooseChannelPlanes(name, {{AXIS_Z, info.size.z}}, options, info);
  return reader;
}

}  // namespace bix::io
