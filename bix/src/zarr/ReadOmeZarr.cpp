#include "ReadOmeZarr.h"

#include <bix/ChunkedImage.h>
#include <bix/Exceptions.h>
#include <bix/OmeZarr.h>
#include <bix/Types.h>

#include "../Notices.h"
#include "../io/IOError.h"
#include "../io/SaveImageFile.h"
#include "../io/StoredType.h"

#include <cstring>
#include <type_traits>

namespace bix::zarr {

namespace {

template <class T>
constexpr bool kIsRgb = !std::is_arithmetic_v<T>;

// The channel (from 0) the options choose: one number, or the first when
// none is given.
unsigned ChosenChannel(const ChunkedImage& image, const ReadOptions& options, const std::string& name) {
  if (options.channels.size() > 1)
    io::Fail(name, "the channels of an OME-Zarr image are read one at a time (choose one)");
  const unsigned channel = options.channels.empty() ? 1 : options.channels[0];
  if (channel < 1 || channel > image.Channels())
    io::Fail(name, "has " + std::to_string(image.Channels()) + " channel(s), not a channel " + std::to_string(channel));
  if (options.channels.empty() && image.Channels() > 1)
    Notify("'" + name + "' has " + std::to_string(image.Channels()) + " channels: channel 1 is read.");
  return channel - 1;
}

unsigned ChosenTime(const ChunkedImage& image, const ReadOptions& options, const std::string& name) {
  if (options.timePoint < 1 || options.timePoint > image.TimePoints())
    io::Fail(name, "has " + std::to_string(image.TimePoints()) + " time point(s), not a time point " +
                       std::to_string(options.timePoint));
  return options.timePoint - 1;
}

}  // namespace

ImageFileFacts OmeZarrFacts(const std::string& name, const ReadOptions& options) {
  const std::shared_ptr<ChunkedImage> image = OpenOmeZarr(name);
  ChosenTime(*image, options, name);
  if (options.channels.size() > 1)
    io::Fail(name, "the channels of an OME-Zarr image are read one at a time (choose one)");
  return {image->Type(), false};
}

template <class T>
void ReadOmeZarrImage(const std::string& name, Image3d<T>& out, const ProgressCallback& progress,
                      const ReadOptions& options) {
  if constexpr (kIsRgb<T>) {
    io::Fail(name, "OME-Zarr images are read channel by channel, not as RGB");
  } else {
    const std::shared_ptr<ChunkedImage> image = OpenOmeZarr(name);
    const unsigned t = ChosenTime(*image, options, name), c = ChosenChannel(*image, options, name);
    const std::size_t budget = SharedChunkCache().Budget();
    // In floating point: sides of up to 2^32 voxels overflow a product of integers.
    auto bytes = [&](unsigned level) {
      const Vector3d<unsigned>& n = image->Level(level).size;
      return double(n.x) * n.y * n.z * sizeof(T);
    };
    unsigned level = 0;
    while (level + 1 < image->Levels() && bytes(level) > double(budget)) ++level;
    if (bytes(level) > double(budget))
      io::Fail(name, "has no level that fits in the memory budget of " + std::to_string(budget >> 20) +
                         " MiB (the coarsest needs " + std::to_string(static_cast<unsigned long long>(bytes(level)) >> 20) +
                         " MiB)");
    const ChunkLevel& l = image->Level(level);
    if (level > 0)
      Notify("'" + name + "': level " + std::to_string(level) + " of " + std::to_string(image->Levels() - 1) + " (" +
             std::to_string(l.size.x) + " x " + std::to_string(l.size.y) + " x " + std::to_string(l.size.z) +
             " voxels) is the finest that fits in the memory budget of " + std::to_string(budget >> 20) + " MiB.");
    Image3d<T> whole;
    try {
      whole.MakeRoomUninitialized(l.size);
    } catch (const std::bad_alloc&) {
      io::Fail(name, "has no level that fits in the memory left");
    }
    // Slab by slab of chunks along z, so that the reader can be told of the
    // progress (and cancel).
    const std::size_t plane = std::size_t(l.size.x) * l.size.y;
    Image3d<T> slab;
    for (unsigned z = 0; z < l.size.z; z += l.chunk.z) {
      const unsigned depth = std::min(l.chunk.z, l.size.z - z);
      image->ReadBox(level, t, c, Vector3d<unsigned>(0, 0, z), Vector3d<unsigned>(l.size.x, l.size.y, depth), slab);
      std::memcpy(whole.GetFirstVoxelAddr() + plane * z, slab.GetFirstVoxelAddr(), plane * depth * sizeof(T));
      if (progress && !progress(double(z + depth) / l.size.z)) throw ReadCancelled("'" + name + "': reading cancelled");
    }
    whole.SetOffset(l.offset);
    whole.SetResolution(l.GetResolution());
    out = std::move(whole);
  }
}

template <class T>
void SaveOmeZarrImage(const Image3d<T>& image, const std::string& name, const VOI<float>* region) {
  if constexpr (kIsRgb<T>) {
    io::Fail(name, "RGB images are not written as OME-Zarr (save them as TIFF, ICS or BIX)");
  } else {
    if (!region) return WriteOmeZarr(image, name);
    io::VoxelBox whole;
    whole.first = reinterpret_cast<const unsigned char*>(image.GetFirstVoxelAddr());
    whole.size = image.GetSize();
    whole.type = io::StoredTypeOf<T>::value;
    whole.rowStride = whole.RowBytes();
    whole.planeStride = whole.PlaneBytes();
    whole.offset = image.GetOffset();
    whole.resolution = image.GetResolution();
    const io::VoxelBox box = io::CropToRegion(whole, *region, name);
    Image3d<T> part(box.size, &box.offset, &box.resolution);
    for (unsigned z = 0; z < box.size.z; ++z)
      for (unsigned y = 0; y < box.size.y; ++y)
        std::memcpy(&part.GetVoxel(0, y, z), box.first + z * box.planeStride + y * box.rowStride,
                    box.RowBytes());
    WriteOmeZarr(part, name);
  }
}

#define BIX_INSTANTIATE_OMEZARR_IO(T)                                                                      \
  template void ReadOmeZarrImage<T>(const std::string&, Image3d<T>&, const ProgressCallback&,            \
                                    const ReadOptions&);                                                  \
  template void SaveOmeZarrImage<T>(const Image3d<T>&, const std::string&, const VOI<float>*);
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_OMEZARR_IO)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_INSTANTIATE_OMEZARR_IO)

}  // namespace bix::zarr
