// Writing an image as OME-Zarr (NGFF 0.4 on Zarr v2): a pyramid of levels,
// each an array of blosc-compressed chunks, and the "multiscales" metadata
// that places them in micrometers.

#include <bix/Exceptions.h>
#include <bix/OmeZarr.h>

#include "../io/IOError.h"
#include "../io/PlaneStream.h"
#include "../io/PosixFile.h"
#include "ZarrCodecs.h"
#include "ZarrJson.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace bix {

namespace {

namespace fs = std::filesystem;
using zarr::Json;

// A level stops the pyramid once it fits in one chunk of this side.
constexpr unsigned kTopSide = 256;

template <class T>
const char* DtypeOf() {
  if constexpr (std::is_same_v<T, unsigned char>) return "|u1";
  if constexpr (std::is_same_v<T, unsigned short>) return "<u2";
  if constexpr (std::is_same_v<T, int>) return "<i4";
  if constexpr (std::is_same_v<T, unsigned int>) return "<u4";
  if constexpr (std::is_same_v<T, float>) return "<f4";
}

void MakeFolder(const fs::path& path) {
  std::error_code error;
  fs::create_directories(path, error);
  if (error) io::Fail(path.string(), "cannot be made: " + error.message());
}

// Voxels per level side: halves (rounded up) along the reduced axes.
Vector3d<unsigned> Reduced(const Vector3d<unsigned>& size, const Vector3d<unsigned>& factor) {
  return Vector3d<unsigned>((size.x + factor.x - 1) / factor.x, (size.y + factor.y - 1) / factor.y,
                            (size.z + factor.z - 1) / factor.z);
}

// The voxels of the next level from `in`: the mean of each block of factor
// voxels (those inside `in`) for intensities, the block's first voxel for
// labels; output planes z0 to z1.
template <class T>
void ReducePlanes(const Image3d<T>& in, const Vector3d<unsigned>& factor, bool labels, Image3d<T>& out, unsigned z0,
                  unsigned z1) {
  const Vector3d<unsigned> n = in.GetSize(), size = out.GetSize();
  for (unsigned z = z0; z < z1; ++z)
    for (unsigned y = 0; y < size.y; ++y) {
      // Whole 2 x 2 (x 2) blocks of integers, the bulk of a pyramid: summed
      // as integers, the mean rounded as llround rounds it (ties away from
      // zero), so the result is the general loop's below.
      unsigned x = 0;
      if constexpr (std::is_integral_v<T>) {
        const bool full = factor.x == 2 && factor.y == 2 && y * 2 + 1 < n.y && z * factor.z + factor.z - 1 < n.z;
        if (!labels && full) {
          const unsigned count = 4 * factor.z;
          for (; x * 2 + 1 < n.x; ++x) {
            std::int64_t sum = 0;
            for (unsigned dz = 0; dz < factor.z; ++dz) {
              const T* r0 = &in.GetVoxel(x * 2, y * 2, z * factor.z + dz);
              const T* r1 = r0 + n.x;
              sum += std::int64_t(r0[0]) + r0[1] + r1[0] + r1[1];
            }
            const std::int64_t half = count / 2;
            out.GetVoxel(x, y, z) = static_cast<T>(sum >= 0 ? (sum + half) / count : -((-sum + half) / count));
          }
        }
      }
      for (; x < size.x; ++x) {
        if (labels) {
          out.GetVoxel(x, y, z) = in.GetVoxel(x * factor.x, y * factor.y, z * factor.z);
          continue;
        }
        double sum = 0;
        unsigned count = 0;
        for (unsigned dz = 0; dz < factor.z && z * factor.z + dz < n.z; ++dz)
          for (unsigned dy = 0; dy < factor.y && y * factor.y + dy < n.y; ++dy)
            for (unsigned dx = 0; dx < factor.x && x * factor.x + dx < n.x; ++dx, ++count)
              sum += in.GetVoxel(x * factor.x + dx, y * factor.y + dy, z * factor.z + dz);
        const double mean = sum / count;
        if constexpr (std::is_floating_point_v<T>)
          out.GetVoxel(x, y, z) = static_cast<T>(mean);
        else
          out.GetVoxel(x, y, z) = static_cast<T>(std::llround(mean));
      }
    }
}

// The next level of an image in memory, its planes shared among the workers.
template <class T>
Image3d<T> ReduceLevel(const Image3d<T>& in, const Vector3d<unsigned>& factor, bool labels) {
  Image3d<T> out;
  out.MakeRoomUninitialized(Reduced(in.GetSize(), factor));
  RunOnChunkWorkers(out.GetSize().z, [&](std::size_t z) {
    ReducePlanes(in, factor, labels, out, unsigned(z), unsigned(z) + 1);
  });
  return out;
}

// The axes before z, y and x: time points and channels, 0 where the axis
// is left out. Stack s is time point s / channels, channel s % channels.
struct OuterAxes {
  unsigned times = 0, channels = 0;
  unsigned Stacks() const { return std::max(times, 1u) * std::max(channels, 1u); }
};

// One level's array: its ".zarray", the folders of its chunks ("k/j/i",
// after the time point and the channel where those axes are), and each
// chunk written from a chunk-sized block.
template <class T>
class LevelArray {
public:
  LevelArray(const fs::path& folder, const Vector3d<unsigned>& size, OuterAxes outer,
             const OmeZarrWriteOptions& options)
      : m_folder(folder), m_size(size), m_chunk(options.chunk), m_outer(outer) {
    m_codec.id = "blosc";
    m_codec.cname = options.cname;
    m_codec.level = options.clevel;
    m_codec.shuffle = 1;
    MakeFolder(folder);
    const unsigned c = m_chunk;
    Json shape = {size.z, size.y, size.x}, chunks = {c, c, c};
    for (unsigned count : {outer.channels, outer.times})
      if (count) {
        shape.insert(shape.begin(), count);
        chunks.insert(chunks.begin(), 1);
      }
    const Json meta = {{"zarr_format", 2},
                       {"shape", shape},
                       {"chunks", chunks},
                       {"dtype", DtypeOf<T>()},
                       {"compressor",
                        {{"id", "blosc"}, {"cname", m_codec.cname}, {"clevel", m_codec.level}, {"shuffle", 1},
                         {"blocksize", 0}}},
                       {"fill_value", 0},
                       {"order", "C"},
                       {"filters", nullptr},
                       {"dimension_separator", "/"}};
    zarr::WriteJson((folder / ".zarray").string(), meta);
    m_grid = Vector3d<unsigned>((size.x + c - 1) / c, (size.y + c - 1) / c, (size.z + c - 1) / c);
    for (unsigned s = 0; s < outer.Stacks(); ++s)
      for (unsigned k = 0; k < m_grid.z; ++k)
        for (unsigned j = 0; j < m_grid.y; ++j) MakeFolder(ChunkFolder(s) / std::to_string(k) / std::to_string(j));
  }
  const Vector3d<unsigned>& Grid() const { return m_grid; }
  std::size_t ChunkCount() const { return std::size_t(m_grid.x) * m_grid.y * m_grid.z; }
  // Chunk number n, x fastest, as (i, j, k).
  Vector3d<unsigned> ChunkAt(std::size_t n) const {
    return Vector3d<unsigned>(unsigned(n % m_grid.x), unsigned(n / m_grid.x % m_grid.y),
                              unsigned(n / m_grid.x / m_grid.y));
  }
  // Writes chunk (i, j, k) of stack `ch` from the voxels of `image` whose
  // voxel (0, 0, 0) is the level's voxel `origin`; zero past the level's edges.
  void Write(unsigned ch, const Vector3d<unsigned>& chunk, const Image3d<T>& image,
             const Vector3d<unsigned>& origin) const {
    const unsigned c = m_chunk;
    // Buffers of each worker, reused from chunk to chunk.
    thread_local std::vector<T> block;
    thread_local std::vector<unsigned char> stored;
    const unsigned x0 = chunk.x * c, y0 = chunk.y * c, z0 = chunk.z * c;
    const unsigned w = std::min(c, m_size.x - x0), h = std::min(c, m_size.y - y0), d = std::min(c, m_size.z - z0);
    block.resize(std::size_t(c) * c * c);
    // Past the level's edges the chunk holds zeros.
    if (w < c || h < c || d < c) std::fill(block.begin(), block.end(), T());
    for (unsigned z = 0; z < d; ++z)
      for (unsigned y = 0; y < h; ++y)
        std::memcpy(&block[(std::size_t(z) * c + y) * c],
                    &image.GetVoxel(x0 - origin.x, y0 + y - origin.y, z0 + z - origin.z), w * sizeof(T));
    const fs::path file = ChunkFolder(ch) / std::to_string(chunk.z) / std::to_string(chunk.y) / std::to_string(chunk.x);
    zarr::EncodeChunk(m_codec, reinterpret_cast<const unsigned char*>(block.data()), block.size() * sizeof(T),
                      sizeof(T), stored, file);
    io::PosixFile out(file.string(), io::PosixFile::WRITE, file.string());
    out.Write(stored.data(), stored.size());
    out.Close();
  }

private:
  fs::path ChunkFolder(unsigned s) const {
    fs::path folder = m_folder;
    const unsigned channels = std::max(m_outer.channels, 1u);
    if (m_outer.times) folder /= std::to_string(s / channels);
    if (m_outer.channels) folder /= std::to_string(s % channels);
    return folder;
  }

  fs::path m_folder;
  Vector3d<unsigned> m_size;
  unsigned m_chunk;
  OuterAxes m_outer;
  zarr::Codec m_codec;
  Vector3d<unsigned> m_grid;
};

// Writes a whole level held in memory, one image per stack.
template <class T>
void WriteLevel(const std::vector<const Image3d<T>*>& channels, const fs::path& folder, OuterAxes outer,
                const OmeZarrWriteOptions& options) {
  const unsigned count = static_cast<unsigned>(channels.size());
  const LevelArray<T> array(folder, channels[0]->GetSize(), outer, options);
  RunOnChunkWorkers(array.ChunkCount() * count, [&](std::size_t n) {
    const unsigned ch = unsigned(n / array.ChunkCount());
    array.Write(ch, array.ChunkAt(n % array.ChunkCount()), *channels[ch], Vector3d<unsigned>(0, 0, 0));
  });
}

// The reduction from one level to the next: x and y halve; z too once a
// voxel is about as deep as it is wide (`voxel` x, y, z in microns).
Vector3d<unsigned> NextFactor(const Vector3d<unsigned>& n, const double voxel[3]) {
  return Vector3d<unsigned>(n.x > 1 ? 2 : 1, n.y > 1 ? 2 : 1, n.z > 1 && voxel[2] < 1.5 * voxel[0] ? 2 : 1);
}

bool IsTop(const Vector3d<unsigned>& n) { return n.x <= kTopSide && n.y <= kTopSide && n.z <= kTopSide; }

// The metadata of a store's levels: voxel sizes and the image's place.
class Multiscales {
public:
  // `outer`: the axes the levels have before z, y and x.
  Multiscales(const Vector3d<float>& offset, const Resolution& resolution, OuterAxes outer = OuterAxes())
      : m_offset(offset), m_outer(outer) {
    // An undefined resolution counts as 1 micron per voxel.
    for (unsigned a = 0; a < 3; ++a) {
      const float res = resolution.GetRes()[a];
      m_voxel[a] = res > 0 && std::isfinite(res) ? 1.0 / res : 1.0;
    }
  }
  const double* Voxel() const { return m_voxel; }
  // Adds the level just written and moves on to the next one's voxel size.
  void Add(const Vector3d<unsigned>& factorToNext) {
    Json scale = {m_voxel[2], m_voxel[1], m_voxel[0]};
    Json translation = {m_offset.z + m_voxel[2] / 2, m_offset.y + m_voxel[1] / 2, m_offset.x + m_voxel[0] / 2};
    for (unsigned count : {m_outer.channels, m_outer.times})
      if (count) {
        scale.insert(scale.begin(), 1);
        translation.insert(translation.begin(), 0);
      }
    m_datasets.push_back({{"path", std::to_string(m_datasets.size())},
                          {"coordinateTransformations",
                           {{{"type", "scale"}, {"scale", scale}}, {{"type", "translation"}, {"translation", translation}}}}});
    for (unsigned a = 0; a < 3; ++a) m_voxel[a] *= factorToNext[a];
  }
  // `channels`: names and colours for the "omero" metadata (none when empty).
  void Write(const fs::path& store, const std::string& name, bool labels,
             const std::vector<ChannelFacts>& channels = {}) const {
    Json axes = Json::array();
    if (m_outer.times) axes.push_back({{"name", "t"}, {"type", "time"}});
    if (m_outer.channels) axes.push_back({{"name", "c"}, {"type", "channel"}});
    for (const char* axis : {"z", "y", "x"}) axes.push_back({{"name", axis}, {"type", "space"}, {"unit", "micrometer"}});
    Json attrs = {{"multiscales",
                   {{{"version", "0.4"},
                     {"name", name},
                     {"axes", axes},
                     {"datasets", m_datasets},
                     {"type", labels ? "nearest" : "mean"}}}}};
    if (labels) attrs["image-label"] = {{"version", "0.4"}, {"colors", Json::array()}};
    if (!channels.empty()) {
      Json list = Json::array();
      for (const ChannelFacts& channel : channels) {
        Json entry = {{"active", true}};
        if (!channel.name.empty()) entry["label"] = channel.name;
        if (channel.hasColour) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "%02X%02X%02X", channel.red, channel.green, channel.blue);
          entry["color"] = hex;
        }
        list.push_back(entry);
      }
      attrs["omero"] = {{"channels", list}};
    }
    zarr::WriteJson((store / ".zattrs").string(), attrs);
  }

private:
  Vector3d<float> m_offset;
  OuterAxes m_outer;
  double m_voxel[3];
  Json m_datasets = Json::array();
};

// The finished store takes the place of `path`; an earlier one goes only
// once the new one is there.
void PutInPlace(const fs::path& written, const fs::path& path) {
  std::error_code error;
  const fs::path old = path.string() + ".orv-old-" + std::to_string(::getpid());
  const bool existed = fs::exists(path);
  if (existed) {
    fs::rename(path, old, error);
    if (error) io::Fail(path.string(), "cannot be replaced: " + error.message());
  }
  fs::rename(written, path, error);
  if (error) {
    if (existed) fs::rename(old, path, error);
    io::Fail(path.string(), "cannot be written: " + error.message());
  }
  if (existed) fs::remove_all(old, error);
}

// Writes a store beside `path` with `write(folder)` and puts it in place;
// on failure the half-written store goes and `path` stays as it was.
template <class Write>
void WriteStore(const std::string& path, const OmeZarrWriteOptions& options, Write write) {
  if (options.chunk < 1 || options.chunk > 1024) io::Fail(path, "chunks must be 1 to 1024 voxels a side");
  const fs::path target = fs::path(path).lexically_normal();
  const fs::path temporary = target.string() + ".orv-" + std::to_string(::getpid());
  std::error_code error;
  fs::remove_all(temporary, error);
  try {
    MakeFolder(temporary);
    zarr::WriteJson((temporary / ".zgroup").string(), Json{{"zarr_format", 2}});
    write(temporary, target.filename().string());
    PutInPlace(temporary, target);
  } catch (...) {
    fs::remove_all(temporary, error);
    throw;
  }
}

// The levels after the first, each made from the one written before it
// (read back through the chunk cache, so memory stays within its budget),
// chunk by chunk on the workers.
template <class T>
void WriteReducedLevels(const fs::path& store, const std::string& name, Vector3d<unsigned> size,
                        Multiscales& levels, const OmeZarrWriteOptions& options) {
  for (unsigned l = 1; !IsTop(size); ++l) {
    const Vector3d<unsigned> factor = NextFactor(size, levels.Voxel());
    levels.Add(factor);
    levels.Write(store, name, options.labels);
    const std::shared_ptr<ChunkedImage> written = OpenOmeZarr(store.string());
    const Vector3d<unsigned> finer = size;
    size = Reduced(size, factor);
    const LevelArray<T> array(store / std::to_string(l), size, OuterAxes(), options);
    const unsigned c = options.chunk;
    RunOnChunkWorkers(array.ChunkCount(), [&](std::size_t n) {
      const Vector3d<unsigned> chunk = array.ChunkAt(n);
      // The finer voxels under this chunk, reduced.
      Vector3d<unsigned> first, span, origin;
      for (unsigned a = 0; a < 3; ++a) {
        origin[a] = chunk[a] * c;
        first[a] = origin[a] * factor[a];
        span[a] = std::min(c * factor[a], finer[a] - first[a]);
      }
      Image3d<T> under, reduced;
      written->ReadBoxHere(l - 1, 0, 0, first, span, under);
      reduced.MakeRoomUninitialized(Reduced(span, factor));
      ReducePlanes(under, factor, options.labels, reduced, 0, reduced.GetSize().z);
      array.Write(0, chunk, reduced, origin);
    });
  }
  levels.Add(Vector3d<unsigned>(1, 1, 1));
  levels.Write(store, name, options.labels);
}

}  // namespace

namespace {

// The pyramid of images in memory, one per stack, every level reduced in
// memory from the one before.
template <class C>
void WriteChannelPyramid(const std::vector<const Image3d<C>*>& first, OuterAxes outer, const Vector3d<float>& offset,
                         const Resolution& resolution, const std::string& path, const OmeZarrWriteOptions& options,
                         const std::vector<ChannelFacts>& channels = {}) {
  WriteStore(path, options, [&](const fs::path& store, const std::string& name) {
    Multiscales levels(offset, resolution, outer);
    std::vector<const Image3d<C>*> level = first;
    std::vector<Image3d<C>> reduced;
    for (unsigned l = 0;; ++l) {
      WriteLevel(level, store / std::to_string(l), outer, options);
      const Vector3d<unsigned> n = level[0]->GetSize();
      if (IsTop(n)) break;
      const Vector3d<unsigned> factor = NextFactor(n, levels.Voxel());
      levels.Add(factor);
      std::vector<Image3d<C>> next;
      for (const Image3d<C>* channel : level) next.push_back(ReduceLevel(*channel, factor, options.labels));
      reduced = std::move(next);
      for (std::size_t ch = 0; ch < level.size(); ++ch) level[ch] = &reduced[ch];
    }
    levels.Add(Vector3d<unsigned>(1, 1, 1));
    levels.Write(store, name, options.labels, channels);
  });
}

}  // namespace

template <class T>
void WriteOmeZarr(const Image3d<T>& image, const std::string& path, const OmeZarrWriteOptions& options) {
  if (image.GetVoxelCount() == 0) io::Fail(path, "an empty image is not written");
  if constexpr (std::is_arithmetic_v<T>) {
    WriteChannelPyramid<T>({&image}, OuterAxes(), image.GetOffset(), image.GetResolution(), path, options);
  } else {
    // RGB: red, green and blue along a channel axis.
    using C = typename T::component_type;
    std::vector<Image3d<C>> channels(3);
    for (unsigned ch = 0; ch < 3; ++ch) {
      channels[ch].MakeRoomUninitialized(image.GetSize());
      const T* from = image.GetFirstVoxelAddr();
      C* to = channels[ch].GetFirstVoxelAddr();
      for (std::size_t i = 0, n = image.GetVoxelCount(); i < n; ++i) to[i] = from[i].GetComponent(ch);
    }
    WriteChannelPyramid<C>({&channels[0], &channels[1], &channels[2]}, OuterAxes{0, 3}, image.GetOffset(),
                           image.GetResolution(), path, options);
  }
}

template <class T>
void WriteOmeZarrSeries(const std::vector<std::vector<const Image3d<T>*>>& stacks,
                        const std::vector<ChannelFacts>& channels, const std::string& path,
                        const OmeZarrWriteOptions& options) {
  const std::size_t count = stacks.empty() ? 0 : stacks.front().size();
  std::vector<const Image3d<T>*> all;
  for (const auto& time : stacks) {
    if (time.size() != count) io::Fail(path, "every time point needs the same channels");
    for (const Image3d<T>* stack : time) {
      if (!stack || stack->GetVoxelCount() == 0) io::Fail(path, "an empty image is not written");
      if (stack->GetSize() != stacks.front().front()->GetSize())
        io::Fail(path, "every channel and time point needs the same size");
      all.push_back(stack);
    }
  }
  if (all.empty()) io::Fail(path, "an empty image is not written");
  const OuterAxes outer{stacks.size() > 1 ? unsigned(stacks.size()) : 0u, count > 1 ? unsigned(count) : 0u};
  WriteChannelPyramid<T>(all, outer, all[0]->GetOffset(), all[0]->GetResolution(), path, options, channels);
}

#define BIX_INSTANTIATE_WRITE_SERIES(T)                                                                          \
  template void WriteOmeZarrSeries<T>(const std::vector<std::vector<const Image3d<T>*>>&,                       \
                                      const std::vector<ChannelFacts>&, const std::string&, const OmeZarrWriteOptions&);
BIX_FOR_EACH_GRAY_TYPE(BIX_INSTANTIATE_WRITE_SERIES)
#undef BIX_INSTANTIATE_WRITE_SERIES

namespace {

// Level 0 slab by slab: one chunk's depth of planes at a time (the only
// planes held).
template <class T>
void WriteLevelFromPlanes(io::PlaneStream<T>& planes, const fs::path& folder, const OmeZarrWriteOptions& options,
                          const ProgressCallback& progress, const std::string& input) {
  const io::ImageInfo& info = planes.Info();
  const LevelArray<T> array(folder, info.size, OuterAxes(), options);
  const unsigned c = options.chunk;
  Image3d<T> slab;
  for (unsigned k = 0; k < array.Grid().z; ++k) {
    const unsigned z0 = k * c, depth = std::min(c, info.size.z - z0);
    slab.MakeRoomUninitialized(Vector3d<unsigned>(info.size.x, info.size.y, depth));
    for (unsigned z = 0; z < depth; ++z) planes.Next(&slab.GetVoxel(0, 0, z));
    const std::size_t across = std::size_t(array.Grid().x) * array.Grid().y;
    RunOnChunkWorkers(across, [&](std::size_t n) {
      const Vector3d<unsigned> chunk(unsigned(n % array.Grid().x), unsigned(n / array.Grid().x), k);
      array.Write(0, chunk, slab, Vector3d<unsigned>(0, 0, z0));
    });
    if (progress && !progress(double(z0 + depth) / info.size.z))
      throw ReadCancelled("'" + input + "': converting cancelled");
  }
}

template <class T>
void ConvertFile(const std::string& input, const std::string& path, const ReadOptions& read,
                 const OmeZarrWriteOptions& options, const ProgressCallback& progress) {
  io::PlaneStream<T> planes(input, read);
  const io::ImageInfo& info = planes.Info();
  if (std::uint64_t(info.size.x) * info.size.y * info.size.z == 0) io::Fail(input, "an empty image is not written");
  WriteStore(path, options, [&](const fs::path& store, const std::string& name) {
    WriteLevelFromPlanes(planes, store / "0", options, progress, input);
    Multiscales levels(info.offset, info.resolution);
    WriteReducedLevels<T>(store, name, info.size, levels, options);
  });
}

}  // namespace

namespace {

// Calls write(T()) with the voxel type T a gray image of `type` is written
// as: its own, or 32-bit labels for integers written as labels. RGB is
// refused, naming `name`.
template <class Write>
void ForGrayType(VoxelType type, bool labels, const std::string& name, Write write) {
  switch (type) {
    case VOXEL_UCHAR: return labels ? write((unsigned int)0) : write((unsigned char)0);
    case VOXEL_USHORT: return labels ? write((unsigned int)0) : write((unsigned short)0);
    case VOXEL_INT: return labels ? write((unsigned int)0) : write(0);
    case VOXEL_FLOAT: return write(0.0f);
    default: io::Fail(name, "RGB images are written from memory only (save the image itself as OME-Zarr)");
  }
}

template <class T>
void WriteFromSource(const ChunkedImage& source, unsigned level, unsigned t, unsigned c, const std::string& path,
                     const OmeZarrWriteOptions& options, const ProgressCallback& progress) {
  const ChunkLevel& l = source.Level(level);
  WriteStore(path, options, [&](const fs::path& store, const std::string& name) {
    const LevelArray<T> array(store / "0", l.size, OuterAxes(), options);
    const unsigned side = options.chunk;
    // In batches, so that the caller hears of the progress (and may cancel)
    // on its own thread between them.
    const std::size_t count = array.ChunkCount();
    const std::size_t batch = progress ? std::max<std::size_t>(count / 100, 4 * ChunkWorkerCount()) : count;
    for (std::size_t from = 0; from < count; from += batch) {
      RunOnChunkWorkers(std::min(batch, count - from), [&](std::size_t k) {
        const Vector3d<unsigned> chunk = array.ChunkAt(from + k);
        Vector3d<unsigned> first, span;
        for (unsigned a = 0; a < 3; ++a) {
          first[a] = chunk[a] * side;
          span[a] = std::min(side, l.size[a] - first[a]);
        }
        Image3d<T> block;
        source.ReadBoxHere(level, t, c, first, span, block);
        array.Write(0, chunk, block, first);
      });
      // The reduced levels take a few percent more.
      if (progress && !progress(0.95 * double(std::min(count, from + batch)) / double(count)))
        throw ReadCancelled("'" + path + "': writing cancelled");
    }
    Multiscales levels(l.offset, l.GetResolution());
    WriteReducedLevels<T>(store, name, l.size, levels, options);
  });
}

}  // namespace

void WriteOmeZarr(const ChunkedImage& source, unsigned level, unsigned t, unsigned c, const std::string& path,
                  const OmeZarrWriteOptions& options, const ProgressCallback& progress) {
  if (level >= source.Levels() || t >= source.TimePoints() || c >= source.Channels())
    io::Fail(path, "the image to write has no such level, time point or channel");
  ForGrayType(source.Type(), options.labels, path, [&](auto voxel) {
    WriteFromSource<decltype(voxel)>(source, level, t, c, path, options, progress);
  });
}

void ConvertToOmeZarr(const std::string& input, const std::string& path, const ReadOptions& read,
                      const OmeZarrWriteOptions& options, const ProgressCallback& progress) {
  ForGrayType(ReadImageType(input, read), options.labels, input, [&](auto voxel) {
    ConvertFile<decltype(voxel)>(input, path, read, options, progress);
  });
}

#define BIX_INSTANTIATE_WRITE_OMEZARR(T) \
  template void WriteOmeZarr<T>(const Image3d<T>&, const std::string&, const OmeZarrWriteOptions&);
BIX_FOR_EACH_VOXEL_TYPE(BIX_INSTANTIATE_WRITE_OMEZARR)
BIX_INSTANTIATE_WRITE_OMEZARR(unsigned int)

}  // namespace bix
