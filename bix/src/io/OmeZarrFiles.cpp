#include "OmeZarrFiles.h"

#include <bix/ChunkedImage.h>
#include <bix/Exceptions.h>
#include <bix/OmeZarr.h>
#include <bix/Types.h>

#include "../Notices.h"
#include "IOError.h"
#include "ImageReader.h"
#include "SaveImageFile.h"
#include "StoredType.h"

#include <cstring>
#include <type_traits>
#include <vector>

namespace bix::io {

namespace {

template <class T>
constexpr bool kIsRgb = !std::is_arithmetic_v<T>;

// The channels (from 0) the options choose, as the file readers choose
// them (several read as RGB), after checking the time point.
std::vector<unsigned> ChosenChannels(const ChunkedImage& image, const ReadOptions& options, const std::string& name) {
  const bool combinable = image.Type() == VOXEL_UCHAR || image.Type() == VOXEL_USHORT;
  std::vector<unsigned> chosen = ChooseChannels(name, image.Channels(), image.TimePoints(), options, combinable,
                                                VoxelTypeName(image.Type()));
  for (unsigned& c : chosen) --c;
  return chosen;
}

}  // namespace

ImageFileFacts OmeZarrFacts(const std::string& name, const ReadOptions& options) {
  const std::shared_ptr<ChunkedImage> image = OpenOmeZarr(name);
  if (ChosenChannels(*image, options, name).size() == 1) return {image->Type(), false};
  return {image->Type() == VOXEL_UCHAR ? VOXEL_RGB8 : VOXEL_RGB16, false};
}

ImageLayout OmeZarrLayout(const std::string& name) {
  const std::shared_ptr<ChunkedImage> image = OpenOmeZarr(name);
  ImageLayout layout;
  layout.channelType = image->Type();
  layout.channels = image->Channels();
  layout.timePoints = image->TimePoints();
  layout.channelFacts = OmeZarrChannels(name, layout.channels);
  return layout;
}

namespace {

// Reads channel `c` of one level into `out`, slab by slab of chunks along z
// so that the reader can be told of the progress (and cancel); `done` and
// `parts` place this channel's share of the whole read.
template <class C>
void ReadLevel(const ChunkedImage& image, unsigned level, unsigned t, unsigned c, Image3d<C>& out,
               const ProgressCallback& progress, double done, double parts, const std::string& name) {
  const ChunkLevel& l = image.Level(level);
  const std::size_t plane = std::size_t(l.size.x) * l.size.y;
  Image3d<C> slab;
  for (unsigned z = 0; z < l.size.z; z += l.chunk.z) {
    const unsigned depth = std::min(l.chunk.z, l.size.z - z);
    image.ReadBox(level, t, c, Vector3d<unsigned>(0, 0, z), Vector3d<unsigned>(l.size.x, l.size.y, depth), slab);
    std::memcpy(out.GetFirstVoxelAddr() + plane * z, slab.GetFirstVoxelAddr(), plane * depth * sizeof(C));
    if (progress && !progress((done + double(z + depth) / l.size.z) / parts))
      throw ReadCancelled("'" + name + "': reading cancelled");
  }
}

}  // namespace

template <class T>
void ReadOmeZarrImage(const std::string& name, Image3d<T>& out, const ProgressCallback& progress,
                      const ReadOptions& options) {
  const std::shared_ptr<ChunkedImage> image = OpenOmeZarr(name);
  const std::vector<unsigned> channels = ChosenChannels(*image, options, name);
  const unsigned t = options.timePoint - 1;
  if ((channels.size() > 1) != kIsRgb<T>)
    Fail(name, kIsRgb<T> ? "holds no channels read together as RGB" : "holds channels read together as RGB");
  // The finest level that fits, in floating point: sides of up to 2^32
  // voxels overflow a product of integers.
  const std::size_t budget = SharedChunkCache().Budget();
  auto bytes = [&](unsigned level) {
    const Vector3d<unsigned>& n = image->Level(level).size;
    return double(n.x) * n.y * n.z * sizeof(T);
  };
  unsigned level = 0;
  while (level + 1 < image->Levels() && bytes(level) > double(budget)) ++level;
  if (bytes(level) > double(budget))
    Fail(name, "has no level that fits in the memory budget of " + std::to_string(budget >> 20) +
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
    Fail(name, "has no level that fits in the memory left");
  }
  if constexpr (kIsRgb<T>) {
    // Red, green and blue from the chosen channels; blue stays 0 for two.
    using C = typename T::component_type;
    Image3d<C> channel;
    channel.MakeRoomUninitialized(l.size);
    T* voxels = whole.GetFirstVoxelAddr();
    for (unsigned slot = 0; slot < 3; ++slot) {
      if (slot < channels.size())
        ReadLevel(*image, level, t, channels[slot], channel, progress, slot, double(channels.size()), name);
      const C* from = channel.GetFirstVoxelAddr();
      for (std::size_t i = 0, n = whole.GetVoxelCount(); i < n; ++i)
        voxels[i].GetComponent(slot) = slot < channels.size() ? from[i] : C();
    }
  } else {
    ReadLevel(*image, level, t, channels[0], whole, progress, 0, 1, name);
  }
  whole.SetOffset(l.offset);
  whole.SetResolution(l.GetResolution());
  out = std::move(whole);
}

template <class T>
void SaveOmeZarrImage(const Image3d<T>& image, const std::string& name, const VOI<float>* region) {
  if (!region) return WriteOmeZarr(image, name);
  VoxelBox whole;
  whole.first = reinterpret_cast<const unsigned char*>(image.GetFirstVoxelAddr());
  whole.size = image.GetSize();
  whole.type = StoredTypeOf<T>::value;
  whole.rowStride = whole.RowBytes();
  whole.planeStride = whole.PlaneBytes();
  whole.offset = image.GetOffset();
  whole.resolution = image.GetResolution();
  const VoxelBox box = CropToRegion(whole, *region, name);
  Image3d<T> part(box.size, &box.offset, &box.resolution);
  for (unsigned z = 0; z < box.size.z; ++z)
    for (unsigned y = 0; y < box.size.y; ++y)
      std::memcpy(&part.GetVoxel(0, y, z), box.Row(y, z), box.RowBytes());
  WriteOmeZarr(part, name);
}

#define BIX_INSTANTIATE_OMEZARR_IO(T)                                                                      \
  template void ReadOmeZarrImage<T>(const std::string&, Image3d<T>&, const ProgressCallback&,            \
                                    const ReadOptions&);                                                  \
  template void SaveOmeZarrImage<T>(const Image3d<T>&, const std::string&, const VOI<float>*);
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_OMEZARR_IO)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_INSTANTIATE_OMEZARR_IO)

}  // namespace bix::io
