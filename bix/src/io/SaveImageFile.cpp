#include "SaveImageFile.h"

#include "IOError.h"
#include "IcsFile.h"
#include "ImageWriters.h"
#include "PosixFile.h"
#include "TemporaryFiles.h"

#include <cctype>
#include <cmath>

namespace bix::io {

namespace {

std::string Extension(const std::string& name) {
  const std::size_t dot = name.rfind('.'), slash = name.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = name.substr(dot);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string BoxText(const VOI<float>& r) {
  auto v = [](const Vector3d<float>& p) {
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.z) + ")";
  };
  return "offset " + v(r.offset) + " size " + v(r.size);
}

}  // namespace

FileFormat ChooseFormat(const std::string& name, FileFormat format) {
  if (format != FORMAT_AUTO) return format;
  const std::string ext = Extension(name);
  if (ext == ".tif" || ext == ".tiff") return FORMAT_TIFF;
  if (ext == ".ics") return FORMAT_ICS;
  if (ext == ".bix") return FORMAT_BIX;
  if (ext == ".zarr") return FORMAT_OME_ZARR;
  Fail(name, "cannot tell the file format from the name (use .tif, .tiff, .ics, .bix or .zarr)");
}

VoxelBox CropToRegion(const VoxelBox& image, const VOI<float>& region, const std::string& name) {
  VoxelBox box = image;
  Vector3d<unsigned> start;
  const Vector3d<float>& res = image.resolution.GetRes();
  for (unsigned a = 0; a < 3; ++a) {
    if (!(region.size[a] > 0) || !std::isfinite(region.size[a]) || !std::isfinite(region.offset[a]))
      Fail(name, "the region to save, " + BoxText(region) + ", is empty");
    // Positions in voxels; a boundary within 1/10000 of a voxel of a grid
    // line counts as on it, so that single-precision microns do not add or
    // drop a voxel.
    const double lo = (double(region.offset[a]) - image.offset[a]) * res[a];
    const double hi = (double(region.offset[a]) + region.size[a] - image.offset[a]) * res[a];
    const double first = std::max(0.0, std::floor(lo + 1e-4));
    const double end = std::min(double(image.size[a]), std::ceil(hi - 1e-4));
    if (!(first < end))
      Fail(name, "the region to save, " + BoxText(region) + " microns, does not overlap the image");
    start[a] = unsigned(first);
    box.size[a] = unsigned(end - first);
    box.offset[a] = float(image.offset[a] + first / res[a]);
  }
  box.first = image.Row(start.y, start.z) + start.x * VoxelBytes(image.type);
  return box;
}

void SaveImageFile(const std::string& name, FileFormat format, bool compress, const VoxelBox& image,
                   const VOI<float>* region) {
  format = ChooseFormat(name, format);
  if (image.size.x == 0 || image.size.y == 0 || image.size.z == 0)
    Fail(name, "the image is empty; there is nothing to save");
  const VoxelBox box = region ? CropToRegion(image, *region, name) : image;
  // A symbolic link stays; the file it names is replaced.
  const std::string target = FileBehindLinks(name);
  switch (format) {
    case FORMAT_TIFF: {
      TemporaryFiles files({target}, name);
      WriteTiff(files.Path(0), name, box, compress);
      files.Commit();
      break;
    }
    case FORMAT_ICS: case FORMAT_ICS_V1: {
      // libics names the files from the .ics name, so the header's name must
      // end in .ics; the data file of version 1 sits beside it as .ids.
      const std::string ics = Extension(target) == ".ics" ? target : target + ".ics";
      const int version = format == FORMAT_ICS ? 2 : 1;
      TemporaryFiles files(version == 1 ? std::vector<std::string>{ics, IdsNameOf(ics, name)}
                                        : std::vector<std::string>{ics},
                           name);
      WriteIcs(files.Path(0), name, box, compress, version);
      files.Commit();
      break;
    }
    case FORMAT_BIX: {
      TemporaryFiles files({target}, name);
      WriteBix(files.Path(0), name, box, compress);
      files.Commit();
      break;
    }
    default:
      Fail(name, "unknown file format value " + std::to_string(int(format)));
  }
}

}  // namespace bix::io
