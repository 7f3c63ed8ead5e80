#ifndef BIX_IO_IMAGEREADER_H
#define BIX_IO_IMAGEREADER_H

#include "StoredType.h"

#include <bix/ImageIO.h>
#include <bix/Resolution.h>
#include <bix/Vector3d.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bix::io {

// One plane of one channel that goes into an image: its place among the
// file's planes (x-y planes counted in the file's order), the z slice it
// fills and the colour it gives there (0 red, 1 green, 2 blue; 0 for grey).
struct ChannelPlane {
  std::uint64_t index;
  unsigned z, slot;
};

// What a file's header says: enough to size an image before reading data.
struct ImageInfo {
  Vector3d<unsigned> size;
  StoredType type;
  Vector3d<float> offset;  // microns
  Resolution resolution;   // undefined when the file gives no physical spacing
  // The file gives x and y spacings but no z spacing for its several planes:
  // the resolution takes z = x.
  bool zSpacingAssumed = false;
  // Set when the file keeps channels or time points in planes of their own:
  // the chosen planes in the file's order, each read with ReadChannelPlane.
  // `type` is then grey for one chosen channel and RGB for two or three
  // (`chosenChannels`; with two, blue stays 0). Empty: ReadPlane reads whole
  // z slices.
  std::vector<ChannelPlane> channelPlanes;
  unsigned chosenChannels = 0;
  // The file's channels and time points (1 each for a plain stack), and
  // what it says of each channel (empty when nothing).
  unsigned fileChannels = 1, fileTimePoints = 1;
  std::vector<ChannelFacts> channelFacts;

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
  // Reads one plane of GetInfo().channelPlanes into `destination` (size.x *
  // size.y samples), the planes taken in the order listed.
  virtual void ReadChannelPlane(const ChannelPlane& plane, unsigned char* destination);

protected:
  std::string m_name;
  ImageInfo m_info;
};

// Each opens a file with the channels and time point `options` choose.
std::unique_ptr<ImageReader> OpenTiff(const std::string& name, const ReadOptions& options);
std::unique_ptr<ImageReader> OpenIcs(const std::string& name, const ReadOptions& options);
std::unique_ptr<ImageReader> OpenBix(const std::string& name, const ReadOptions& options);
// Recognises TIFF and BIX by their first bytes and ICS by the name.
std::unique_ptr<ImageReader> OpenImageFile(const std::string& name, const ReadOptions& options = ReadOptions());

// The axes of the planes of a file, beyond x and y.
enum PlaneAxis { AXIS_Z, AXIS_C, AXIS_T };
struct PlaneDimension {
  PlaneAxis axis;
  std::uint64_t size;
};

// Chooses the planes `options` ask for from a file whose x-y planes run
// along `dimensions` (the fastest first; an axis missing has one entry) and
// whose samples are `info.type` (one channel). A file of one channel and one
// time point keeps `info` as it is (its planes are its z slices) and
// returns false; otherwise `info` gets the chosen planes, their size and
// type, and true is returned. Raises IOException for a choice the file
// cannot give: a channel or time point it lacks, more than three channels
// (all of them when none are chosen), several channels of samples that no
// RGB voxel holds.
// The channels, counted from 1, that `options` choose among `channels` of
// an image of `times` time points, after checking the time point: those
// named, else all when there are up to three. Several only when
// `combinable` (8- or 16-bit unsigned samples, read together as RGB);
// `samples` names the samples otherwise. Raises IOException naming `name`.
std::vector<unsigned> ChooseChannels(const std::string& name, std::uint64_t channels, std::uint64_t times,
                                     const ReadOptions& options, bool combinable, const std::string& samples);

bool ChooseChannelPlanes(const std::string& name, const std::vector<PlaneDimension>& dimensions,
                         const ReadOptions& options, ImageInfo& info);

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
