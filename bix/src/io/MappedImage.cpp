// Uncompressed TIFF and BIX files as chunked images over a read-only memory
// mapping: the planes' places in the file are found once, and each chunk is
// gathered from them row by row when asked for.

#include <bix/MappedImage.h>

#include "BixFormat.h"
#include "IOError.h"
#include "ImageReader.h"

#include <tiffio.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bix {

namespace {

// The chunks of a mapped file: wide in x and y, shallow in z, so that a cut
// in any plane touches few pages of a file stored plane by plane.
constexpr unsigned kChunkXY = 256, kChunkZ = 16;

// A read-only mapping of a whole file, unmapped with the last image using it.
class Mapping {
public:
  explicit Mapping(const std::string& path) : m_path(path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) io::Fail(path, std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      io::Fail(path, "not a regular file");
    }
    m_size = static_cast<std::size_t>(st.st_size);
    void* data = m_size ? ::mmap(nullptr, m_size, PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
    ::close(fd);
    if (data == MAP_FAILED) io::Fail(path, std::string("cannot be mapped: ") + std::strerror(errno));
    m_data = static_cast<const unsigned char*>(data);
  }
  ~Mapping() { ::munmap(const_cast<unsigned char*>(m_data), m_size); }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  const unsigned char* Data() const { return m_data; }
  std::size_t Size() const { return m_size; }

private:
  std::string m_path;
  const unsigned char* m_data = nullptr;
  std::size_t m_size = 0;
};

class MappedImage : public ChunkedImage {
public:
  MappedImage(const std::string& name, VoxelType type, const ChunkLevel& level, std::unique_ptr<Mapping> mapping,
              std::vector<std::uint64_t> planes, std::size_t voxelBytes)
      : ChunkedImage(name, type, {level}, 1, 1),
        m_mapping(std::move(mapping)),
        m_planes(std::move(planes)),
        m_voxelBytes(voxelBytes) {}

protected:
  void DecodeChunk(const ChunkKey& key, std::vector<unsigned char>& out) const override {
    const ChunkLevel& l = Level(0);
    const std::size_t rowBytes = std::size_t(l.chunk.x) * m_voxelBytes;
    out.assign(rowBytes * l.chunk.y * l.chunk.z, 0);
    const unsigned x0 = key.i * l.chunk.x, y0 = key.j * l.chunk.y, z0 = key.k * l.chunk.z;
    const unsigned w = std::min(l.chunk.x, l.size.x - x0), h = std::min(l.chunk.y, l.size.y - y0),
                   d = std::min(l.chunk.z, l.size.z - z0);
    for (unsigned z = 0; z < d; ++z)
      for (unsigned y = 0; y < h; ++y) {
        const std::uint64_t at = m_planes[z0 + z] + (std::uint64_t(y0 + y) * l.size.x + x0) * m_voxelBytes;
        std::memcpy(out.data() + (std::size_t(z) * l.chunk.y + y) * rowBytes, m_mapping->Data() + at,
                    w * m_voxelBytes);
      }
  }

private:
  std::unique_ptr<Mapping> m_mapping;
  std::vector<std::uint64_t> m_planes;  // the file offset of each z plane
  std::size_t m_voxelBytes;
};

// Where each page's voxels start, for TIFF pages whose strips follow each
// other uncompressed; refuses anything else, saying what.
std::vector<std::uint64_t> TiffPlanes(const std::string& path, const io::ImageInfo& info) {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  TIFF* tif = TIFFOpen(path.c_str(), "rm");
  if (!tif) io::Fail(path, "cannot be opened as TIFF");
  std::vector<std::uint64_t> planes;
  std::string refused;
  const std::uint64_t planeBytes = info.PlaneBytes();
  do {
    std::uint16_t compression = 1, planar = 1, samples = 1;
    std::uint32_t width = 0, height = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    if (compression != COMPRESSION_NONE) refused = "its pages are compressed";
    else if (TIFFIsTiled(tif)) refused = "its pages are tiled";
    else if (samples != 1) refused = "it holds more than one sample per voxel";
    else if (TIFFIsByteSwapped(tif)) refused = "its byte order is not this machine's";
    else if (width != info.size.x || height != info.size.y) refused = "its pages differ in size";
    if (!refused.empty()) break;
    int error = 0;
    const std::uint32_t strips = TIFFNumberOfStrips(tif);
    const std::uint64_t start = TIFFGetStrileOffsetWithErr(tif, 0, &error);
    std::uint64_t end = start;
    for (std::uint32_t s = 0; s < strips && !error; ++s) {
      if (TIFFGetStrileOffsetWithErr(tif, s, &error) != end) refused = "its strips do not follow each other";
      end += TIFFGetStrileByteCountWithErr(tif, s, &error);
    }
    if (error || end - start < planeBytes) refused = "a page's strips hold fewer bytes than its voxels";
    if (!refused.empty()) break;
    planes.push_back(start);
  } while (TIFFReadDirectory(tif));
  TIFFClose(tif);
  if (!refused.empty()) io::Fail(path, "cannot be mapped: " + refused);
  if (planes.size() != info.size.z) io::Fail(path, "cannot be mapped: its pages are not the image's z slices");
  return planes;
}

std::vector<std::uint64_t> BixPlanes(const std::string& path, const io::ImageInfo& info, const Mapping& mapping) {
  namespace f = io::bixformat;
  std::uint32_t compression = 0;
  if (mapping.Size() < f::kHeaderBytes) io::Fail(path, "is too short for a BIX header");
  std::memcpy(&compression, mapping.Data() + f::kCompressionAt, 4);
  if (compression != f::kNone) io::Fail(path, "cannot be mapped: its voxels are compressed");
  std::vector<std::uint64_t> planes(info.size.z);
  for (unsigned z = 0; z < info.size.z; ++z) planes[z] = f::kHeaderBytes + z * info.PlaneBytes();
  return planes;
}

}  // namespace

std::shared_ptr<ChunkedImage> OpenMappedImage(const std::string& path) {
  // The header, checked against the file's length, by the ordinary reader.
  const std::unique_ptr<io::ImageReader> reader = io::OpenImageFile(path);
  const io::ImageInfo& info = reader->GetInfo();
  if (info.type.channels != 1 || !info.channelPlanes.empty())
    io::Fail(path, "cannot be mapped: only gray images of one channel are");
  auto mapping = std::make_unique<Mapping>(path);
  const bool bix = mapping->Size() >= 8 && std::memcmp(mapping->Data(), io::bixformat::kMagic, 8) == 0;
  std::vector<std::uint64_t> planes = bix ? BixPlanes(path, info, *mapping) : TiffPlanes(path, info);
  const std::size_t voxelBytes = io::VoxelBytes(info.type);
  for (std::uint64_t plane : planes)
    if (plane + info.PlaneBytes() > mapping->Size()) io::Fail(path, "is shorter than its voxels");
  ChunkLevel level;
  level.size = info.size;
  level.chunk = Vector3d<unsigned>(std::min(kChunkXY, info.size.x), std::min(kChunkXY, info.size.y),
                                   std::min(kChunkZ, info.size.z));
  const Vector3d<float>& res = info.resolution.GetRes();
  for (unsigned a = 0; a < 3; ++a) level.voxelSize[a] = res[a] > 0 && std::isfinite(res[a]) ? 1 / res[a] : 1;
  level.offset = info.offset;
  const VoxelType type = io::NaturalVoxelType(info.type, path);
  if (io::StoredTypeOf<unsigned char>::value != info.type && io::StoredTypeOf<unsigned short>::value != info.type &&
      io::StoredTypeOf<int>::value != info.type && io::StoredTypeOf<float>::value != info.type)
    io::Fail(path, "cannot be mapped: its voxels (" + io::Describe(info.type) + ") are not stored as read");
  return std::make_shared<MappedImage>(path, type, level, std::move(mapping), std::move(planes), voxelBytes);
}

}  // namespace bix
