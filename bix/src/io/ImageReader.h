#ifndef BIX_IO_IMAGEREADER_H
#define BIX_IO_IMAGEREADER_H

#include "StoredType.h"

#include <bix/Resolution.h>
#include <bix/Vector3d.h>

#include <cstdint>
#include <memory>
#include <string>

namespace bix::io {

// What a file's header says: enough to size an image before reading data.
struct ImageInfo {
  Vector3d<unsigned> size;
  StoredType type;
  Vector3d<float> offset;  // microns
  Resolution resolution;   // undefined when the file gives no physical spacing
  // The file gives x and y spacings but no z spacing for its several planes:
  // the resolution takes z = x.
  bool zSpacingAssumed = false;

  std::uint64_t PlaneBytes() const {
    return std::uint64_t(size.x) * size.y * VoxelBytes(type);
  }
};

// An open image file positioned at its first z plane. Opening validates the
// header against the file, so that reading never allocates for data the file
// cannot hold; the data itself is checked as it is read.
class ImageReader {
public:
  explicit ImageReader(std::string name) : m_name(std::move(name)) {}
  virtual ~ImageReader() = default;
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;

  const ImageInfo& GetInfo() const { return m_info; }
  const std::string& GetName() const { return m_name; }
  // Reads the next z plane into `destination` (PlaneBytes() bytes): x
  // fastest, channels interleaved, native byte order.
  virtual void ReadPlane(unsigned char* destination) = 0;

protected:
  std::string m_name;
  ImageInfo m_info;
};

std::unique_ptr<ImageReader> OpenTiff(const std::string& name);
std::unique_ptr<ImageReader> OpenIcs(const std::string& name);
std::unique_ptr<ImageReader> OpenBix(const std::string& name);
// Recognises TIFF and BIX by their first bytes and ICS by the name.
std::unique_ptr<ImageReader> OpenImageFile(const std::string& name);

// The most a deflate (zlib, gzip) stream can expand: 1032 to 1.
constexpr std::uint64_t kDeflateRatio = 1032;

// Whether w x h x d voxels of `type` can come from `available` bytes of data
// that expand at most `maxRatio` times (1 when uncompressed).
bool DataFits(const Vector3d<unsigned>& size, const StoredType& type, std::uint64_t available,
              std::uint64_t maxRatio);
// Raises IOException when w x h x d voxels of `type` could not come from
// `available` bytes of data that expand at most `maxRatio` times (1 when
// uncompressed): absurd sizes in a header are refused before any allocation.
// The message states the claim as `claim` ("w x h x d voxels" when empty).
void CheckDataFits(const std::string& name, const Vector3d<unsigned>& size, const StoredType& type,
                   std::uint64_t available, std::uint64_t maxRatio, const std::string& claim = {});

// The size of a file in bytes; raises IOException when it cannot be read.
std::uint64_t FileSize(const std::string& name);

}  // namespace bix::io

#endif
