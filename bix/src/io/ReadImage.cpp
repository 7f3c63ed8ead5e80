// The reading entry points: the stored type decides how planes reach the
// image. A file of exactly T's type is read straight into the image's
// memory; the few widening reads (signed 8/16-bit and unsigned 32-bit files
// as int, integer files as unsigned int labels) go through a plane buffer
// and refuse values that do not fit rather than wrap them.

#include "IOError.h"
#include "ImageReader.h"
#include "PagePrefault.h"
#include "PlaneStream.h"

#include <bix/ImageIO.h>
#include <bix/OmeZarr.h>

#include "OmeZarrFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

namespace bix {

namespace {

template <class T>
using Converter = void (*)(const unsigned char* source, T* destination, std::size_t count,
                           const std::string& name);

template <class S, class T>
void Widen(const unsigned char* source, T* destination, std::size_t count, const std::string& name) {
  for (std::size_t i = 0; i < count; ++i) {
    S v;
    std::memcpy(&v, source + i * sizeof(S), sizeof(S));
    const bool fits = std::is_signed_v<S> ? (v >= 0 || std::is_signed_v<T>)
                                          : std::uint64_t(v) <= std::uint64_t(std::numeric_limits<T>::max());
    if (!fits)
      io::Fail(name, "holds the value " + std::to_string(v) + ", which " +
                         (std::is_signed_v<T> ? "is too large for int" : "a label image cannot hold"));
    destination[i] = static_cast<T>(v);
  }
}

// The conversion reading `stored` as T needs, or null when T is the stored
// type itself. Raises IOException when T cannot take the file's voxels.
template <class T>
Converter<T> ConverterFor(const io::StoredType& stored, const std::string& name) {
  if (stored == io::StoredTypeOf<T>::value) return nullptr;
  if (stored.channels == 1) {
    if constexpr (std::is_same_v<T, int>) {
      switch (stored.numeric) {
        case io::NUM_S8: return &Widen<std::int8_t, int>;
        case io::NUM_S16: return &Widen<std::int16_t, int>;
        case io::NUM_U32: return &Widen<std::uint32_t, int>;
        default: break;
      }
    }
    if constexpr (std::is_same_v<T, unsigned int>) {
      switch (stored.numeric) {
        case io::NUM_U8: return &Widen<std::uint8_t, unsigned>;
        case io::NUM_S8: return &Widen<std::int8_t, unsigned>;
        case io::NUM_U16: return &Widen<std::uint16_t, unsigned>;
        case io::NUM_S16: return &Widen<std::int16_t, unsigned>;
        case io::NUM_S32: return &Widen<std::int32_t, unsigned>;
        default: break;
      }
    }
  }
  const VoxelType natural = io::NaturalVoxelType(stored, name);
  io::Fail(name, "holds " + io::Describe(stored) + " voxels, which read as " + VoxelTypeName(natural) +
                     ", not as " + io::StoredTypeOf<T>::name);
}

}  // namespace

const char* VoxelTypeName(VoxelType type) {
  switch (type) {
    case VOXEL_UCHAR: return "unsigned char";
    case VOXEL_USHORT: return "unsigned short";
    case VOXEL_INT: return "int";
    case VOXEL_FLOAT: return "float";
    case VOXEL_RGB8: return "RGB_generic<unsigned char>";
    case VOXEL_RGB16: return "RGB_generic<unsigned short>";
  }
  return "unknown";
}

ImageFileFacts ReadImageFacts(const std::string& name, const ReadOptions& options) {
  if (IsOmeZarr(name)) return io::OmeZarrFacts(name, options);
  const auto reader = io::OpenImageFile(name, options);
  const io::ImageInfo& info = reader->GetInfo();
  return {io::NaturalVoxelType(info.type, name), info.zSpacingAssumed};
}

ImageLayout ReadImageLayout(const std::string& name) {
  if (IsOmeZarr(name)) return io::OmeZarrLayout(name);
  // Choosing the first channel opens a file of any number of channels; a
  // file whose voxels are RGB has no channels of its own to choose.
  std::unique_ptr<io::ImageReader> reader;
  try {
    reader = io::OpenImageFile(name, ReadOptions{{1}, 1});
  } catch (const IOException&) {
    reader = io::OpenImageFile(name, ReadOptions());
  }
  const io::ImageInfo& info = reader->GetInfo();
  ImageLayout layout;
  layout.channelType = io::NaturalVoxelType(info.type, name);
  layout.channels = info.fileChannels;
  layout.timePoints = info.fileTimePoints;
  layout.channelFacts = info.channelFacts;
  layout.channelFacts.resize(layout.channels);
  layout.zSpacingAssumed = info.zSpacingAssumed;
  return layout;
}

VoxelType ReadImageType(const std::string& name, const ReadOptions& options) {
  return ReadImageFacts(name, options).type;
}

bool ZSpacingAssumed(const std::string& name, const ReadOptions& options) {
  return ReadImageFacts(name, options).zSpacingAssumed;
}

namespace {

// Tells the caller how far the read got; its "stop" cancels the read.
void TellProgress(const ProgressCallback& progress, double fraction, const std::string& name) {
  if (progress && !progress(fraction)) throw ReadCancelled("'" + name + "': reading cancelled");
}

template <class T> struct IsRgb : std::false_type {};
template <class C> struct IsRgb<RGB_generic<C>> : std::true_type {};

// Reads the chosen planes of a file of separate channels: one channel goes
// straight into its z slice (or through `convert`); two or three go
// through a plane buffer into their colour of each voxel.
template <class T>
void ReadChannelPlanes(io::ImageReader& reader, Image3d<T>& image, Converter<T> convert,
                       const ProgressCallback& progress) {
  const io::ImageInfo& info = reader.GetInfo();
  const std::string& name = reader.GetName();
  const std::size_t planeVoxels = std::size_t(info.size.x) * info.size.y;
  const std::vector<io::ChannelPlane>& planes = info.channelPlanes;
  const std::size_t sampleBytes = io::SampleBytes(info.type.numeric);
  std::vector<unsigned char> buffer(info.type.channels == 1 && !convert ? 0 : planeVoxels * sampleBytes);
  for (std::size_t k = 0; k < planes.size(); ++k) {
    T* slice = image.GetFirstVoxelAddr() + planes[k].z * planeVoxels;
    if (info.type.channels == 1) {
      if (convert) {
        reader.ReadChannelPlane(planes[k], buffer.data());
        convert(buffer.data(), slice, planeVoxels, name);
      } else {
        reader.ReadChannelPlane(planes[k], reinterpret_cast<unsigned char*>(slice));
      }
    } else if constexpr (IsRgb<T>::value) {
      // T is the RGB type of the samples (ConverterFor refused any other).
      using C = typename T::component_type;
      reader.ReadChannelPlane(planes[k], buffer.data());
      const unsigned char* samples = buffer.data();
      const unsigned slot = planes[k].slot;
      C T::*const colour = slot == 0 ? &T::red : (slot == 1 ? &T::green : &T::blue);
      for (std::size_t i = 0; i < planeVoxels; ++i) {
        C v;
        std::memcpy(&v, samples + i * sizeof(C), sizeof(C));
        slice[i].*colour = v;
      }
    }
    TellProgress(progress, double(k + 1) / planes.size(), name);
  }
  if constexpr (IsRgb<T>::value) {
    if (info.chosenChannels == 2)
      for (std::size_t i = 0, n = image.GetVoxelCount(); i < n; ++i) image.GetFirstVoxelAddr()[i].blue = 0;
  }
}

}  // namespace

template <class T>
void ReadImage(const std::string& name, Image3d<T>& out, const ProgressCallback& progress,
               const ReadOptions& options) {
  if (IsOmeZarr(name)) return io::ReadOmeZarrImage(name, out, progress, options);
  const auto reader = io::OpenImageFile(name, options);
  const io::ImageInfo& info = reader->GetInfo();
  const Converter<T> convert = ConverterFor<T>(info.type, name);
  Image3d<T> image(&info.offset, &info.resolution);
  const std::size_t planeVoxels = std::size_t(info.size.x) * info.size.y;
  std::vector<unsigned char> buffer;
  try {
    image.MakeRoomUninitialized(info.size);
    buffer.resize(convert ? std::size_t(info.PlaneBytes()) : 0);
  } catch (const std::bad_alloc&) {
    const double gib = double(planeVoxels) * info.size.z * sizeof(T) / double(1ull << 30);
    char text[64];
    std::snprintf(text, sizeof text, "%.1f GiB", gib);
    io::Fail(name, std::string("needs ") + text + " of memory to be read, more than can be had");
  }
  const io::PagePrefault prefault(image.GetFirstVoxelAddr(), image.GetVoxelCount() * sizeof(T));
  if (!info.channelPlanes.empty()) {
    ReadChannelPlanes(*reader, image, convert, progress);
    out = std::move(image);
    return;
  }
  for (unsigned z = 0; z < info.size.z; ++z) {
    T* plane = image.GetFirstVoxelAddr() + z * planeVoxels;
    if (convert) {
      reader->ReadPlane(buffer.data());
      convert(buffer.data(), plane, planeVoxels, name);
    } else {
      reader->ReadPlane(reinterpret_cast<unsigned char*>(plane));
    }
    TellProgress(progress, double(z + 1) / info.size.z, name);
  }
  out = std::move(image);
}

namespace io {

template <class T>
PlaneStream<T>::PlaneStream(const std::string& name, const ReadOptions& options)
    : m_reader(OpenImageFile(name, options)), m_convert(ConverterFor<T>(m_reader->GetInfo().type, name)) {
  // Planes read as they are stored go straight into the caller's memory.
  const ImageInfo& info = m_reader->GetInfo();
  m_buffer.resize(m_convert ? std::size_t(info.PlaneBytes()) : 0);
}

template <class T>
PlaneStream<T>::~PlaneStream() = default;

template <class T>
void PlaneStream<T>::Next(T* plane) {
  const ImageInfo& info = m_reader->GetInfo();
  const std::size_t voxels = std::size_t(info.size.x) * info.size.y;
  unsigned char* raw = m_convert ? m_buffer.data() : reinterpret_cast<unsigned char*>(plane);
  if (!info.channelPlanes.empty())
    m_reader->ReadChannelPlane(info.channelPlanes.at(m_z), raw);
  else
    m_reader->ReadPlane(raw);
  if (m_convert) m_convert(raw, plane, voxels, m_reader->GetName());
  ++m_z;
}

template class PlaneStream<unsigned char>;
template class PlaneStream<unsigned short>;
template class PlaneStream<int>;
template class PlaneStream<float>;
template class PlaneStream<unsigned int>;

}  // namespace io

#define BIX_INSTANTIATE_READIMAGE(T) \
  template void ReadImage<T>(const std::string&, Image3d<T>&, const ProgressCallback&, const ReadOptions&);
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_READIMAGE)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_INSTANTIATE_READIMAGE)
#undef BIX_INSTANTIATE_READIMAGE

}  // namespace bix
