// Writing an image as OME-Zarr (NGFF 0.4 on Zarr v2): a pyramid of levels,
// each an array of blosc-compressed chunks, and the "multiscales" metadata
// that places them in micrometers.

#include <bix/OmeZarr.h>

#include "../io/IOError.h"
#include "../io/PosixFile.h"
#include "ZarrCodecs.h"
#include "ZarrJson.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

#include <cmath>
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

// The next level: the mean of each block of factor voxels (those inside the
// image) for intensities, the block's first voxel for labels.
template <class T>
Image3d<T> ReduceLevel(const Image3d<T>& in, const Vector3d<unsigned>& factor, bool labels) {
  const Vector3d<unsigned> n = in.GetSize(), size = Reduced(n, factor);
  Image3d<T> out;
  out.MakeRoomUninitialized(size);
  RunOnChunkWorkers(size.z, [&](std::size_t zi) {
    const unsigned z = static_cast<unsigned>(zi);
    for (unsigned y = 0; y < size.y; ++y)
      for (unsigned x = 0; x < size.x; ++x) {
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
  });
  return out;
}

// Writes one level's array: ".zarray" and every chunk, zero past the edges.
template <class T>
void WriteLevel(const Image3d<T>& image, const fs::path& folder, const OmeZarrWriteOptions& options) {
  MakeFolder(folder);
  const Vector3d<unsigned> n = image.GetSize();
  const unsigned c = options.chunk;
  zarr::Codec codec;
  codec.id = "blosc";
  codec.cname = options.cname;
  codec.level = options.clevel;
  codec.shuffle = 1;
  Json meta = {{"zarr_format", 2},
               {"shape", {n.z, n.y, n.x}},
               {"chunks", {c, c, c}},
               {"dtype", DtypeOf<T>()},
               {"compressor",
                {{"id", "blosc"}, {"cname", codec.cname}, {"clevel", codec.level}, {"shuffle", 1}, {"blocksize", 0}}},
               {"fill_value", 0},
               {"order", "C"},
               {"filters", nullptr},
               {"dimension_separator", "/"}};
  zarr::WriteJson((folder / ".zarray").string(), meta);
  const Vector3d<unsigned> grid((n.x + c - 1) / c, (n.y + c - 1) / c, (n.z + c - 1) / c);
  for (unsigned k = 0; k < grid.z; ++k)
    for (unsigned j = 0; j < grid.y; ++j) MakeFolder(folder / std::to_string(k) / std::to_string(j));
  const std::size_t count = std::size_t(grid.x) * grid.y * grid.z;
  RunOnChunkWorkers(count, [&](std::size_t index) {
    const unsigned i = unsigned(index % grid.x), j = unsigned(index / grid.x % grid.y),
                   k = unsigned(index / grid.x / grid.y);
    std::vector<T> block(std::size_t(c) * c * c, T());
    const unsigned x0 = i * c, y0 = j * c, z0 = k * c;
    const unsigned w = std::min(c, n.x - x0), h = std::min(c, n.y - y0), d = std::min(c, n.z - z0);
    for (unsigned z = 0; z < d; ++z)
      for (unsigned y = 0; y < h; ++y)
        std::memcpy(&block[(std::size_t(z) * c + y) * c], &image.GetVoxel(x0, y0 + y, z0 + z), w * sizeof(T));
    const fs::path file = folder / std::to_string(k) / std::to_string(j) / std::to_string(i);
    const std::vector<unsigned char> stored = zarr::EncodeChunk(
        codec, reinterpret_cast<const unsigned char*>(block.data()), block.size() * sizeof(T), sizeof(T), file);
    io::PosixFile out(file.string(), io::PosixFile::WRITE, file.string());
    out.Write(stored.data(), stored.size());
    out.Close();
  });
}

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

}  // namespace

template <class T>
void WriteOmeZarr(const Image3d<T>& image, const std::string& path, const OmeZarrWriteOptions& options) {
  if (image.GetVoxelCount() == 0) io::Fail(path, "an empty image is not written");
  if (options.chunk < 1 || options.chunk > 1024) io::Fail(path, "chunks must be 1 to 1024 voxels a side");
  const fs::path target = fs::path(path).lexically_normal();
  const fs::path temporary = target.string() + ".orv-" + std::to_string(::getpid());
  std::error_code error;
  fs::remove_all(temporary, error);
  try {
    MakeFolder(temporary);
    zarr::WriteJson((temporary / ".zgroup").string(), Json{{"zarr_format", 2}});
    // Voxel sizes in microns; an undefined resolution counts as 1 micron.
    double voxel[3];  // x, y, z
    for (unsigned a = 0; a < 3; ++a) {
      const float res = image.GetResolution().GetRes()[a];
      voxel[a] = res > 0 && std::isfinite(res) ? 1.0 / res : 1.0;
    }
    const Vector3d<float> offset = image.GetOffset();
    Json datasets = Json::array();
    const Image3d<T>* level = &image;
    Image3d<T> reduced;
    for (unsigned l = 0;; ++l) {
      WriteLevel(*level, temporary / std::to_string(l), options);
      const Json scale = {voxel[2], voxel[1], voxel[0]};
      const Json translation = {offset.z + voxel[2] / 2, offset.y + voxel[1] / 2, offset.x + voxel[0] / 2};
      datasets.push_back({{"path", std::to_string(l)},
                          {"coordinateTransformations",
                           {{{"type", "scale"}, {"scale", scale}}, {{"type", "translation"}, {"translation", translation}}}}});
      const Vector3d<unsigned> n = level->GetSize();
      if (n.x <= kTopSide && n.y <= kTopSide && n.z <= kTopSide) break;
      // x and y halve; z too once a voxel is about as deep as it is wide.
      const Vector3d<unsigned> factor(n.x > 1 ? 2 : 1, n.y > 1 ? 2 : 1,
                                      n.z > 1 && voxel[2] < 1.5 * voxel[0] ? 2 : 1);
      reduced = ReduceLevel(*level, factor, options.labels);
      level = &reduced;
      for (unsigned a = 0; a < 3; ++a) voxel[a] *= factor[a];
    }
    Json axes = Json::array();
    for (const char* axis : {"z", "y", "x"}) axes.push_back({{"name", axis}, {"type", "space"}, {"unit", "micrometer"}});
    Json attrs = {{"multiscales",
                   {{{"version", "0.4"},
                     {"name", target.filename().string()},
                     {"axes", axes},
                     {"datasets", datasets},
                     {"type", options.labels ? "nearest" : "mean"}}}}};
    if (options.labels) attrs["image-label"] = {{"version", "0.4"}, {"colors", Json::array()}};
    zarr::WriteJson((temporary / ".zattrs").string(), attrs);
    PutInPlace(temporary, target);
  } catch (...) {
    fs::remove_all(temporary, error);
    throw;
  }
}

#define BIX_INSTANTIATE_WRITE_OMEZARR(T) \
  template void WriteOmeZarr<T>(const Image3d<T>&, const std::string&, const OmeZarrWriteOptions&);
BIX_FOR_EACH_GRAY_TYPE(BIX_INSTANTIATE_WRITE_OMEZARR)
BIX_INSTANTIATE_WRITE_OMEZARR(unsigned int)

}  // namespace bix
