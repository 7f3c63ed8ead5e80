// Reading OME-Zarr (NGFF 0.4 on Zarr v2): the "multiscales" metadata of a
// group turned into the levels of a chunked image whose chunks are those of
// the level arrays.

#include <bix/OmeZarr.h>

#include "../Notices.h"
#include "../io/IOError.h"
#include "ZarrArray.h"
#include "ZarrStore.h"
#include "ZarrJson.h"

#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstring>

namespace bix {

namespace {

using zarr::Json;

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Microns per unit of an NGFF length unit; 0 for a unit that is no length.
double MicronsPer(const std::string& unit) {
  static const struct {
    const char* name;
    double microns;
  } kUnits[] = {{"angstrom", 1e-4},   {"picometer", 1e-6},  {"nanometer", 1e-3}, {"micrometer", 1},
                {"micron", 1},        {"millimeter", 1e3},  {"centimeter", 1e4}, {"decimeter", 1e5},
                {"meter", 1e6},       {"kilometer", 1e9}};
  for (const auto& u : kUnits)
    if (unit == u.name) return u.microns;
  return 0;
}

// Where the axes t, c, z, y, x are among the array's axes (-1: absent),
// and the microns per unit of z, y, x.
struct Axes {
  int index[5] = {-1, -1, -1, -1, -1};  // t, c, z, y, x
  double microns[3] = {1, 1, 1};        // z, y, x
  std::size_t count = 0;
};

Axes ParseAxes(const Json& multiscale, const std::string& name) {
  Axes axes;
  const Json& list = zarr::Member(multiscale, "axes", name);
  if (!list.is_array() || list.empty() || list.size() > 5) io::Fail(name, "\"axes\" is not a list of 1 to 5 axes");
  axes.count = list.size();
  static const char* const kNames[5] = {"t", "c", "z", "y", "x"};
  bool unitless = false;
  std::string unknown;
  for (std::size_t a = 0; a < list.size(); ++a) {
    // NGFF 0.3 gave names only.
    const Json& axis = list[a];
    const Json* nameJson = axis.is_string() ? &axis : (axis.is_object() && axis.contains("name") ? &axis["name"] : nullptr);
    if (!nameJson || !nameJson->is_string()) io::Fail(name, "\"axes\" entry " + std::to_string(a) + " has no name");
    const std::string axisName = Lower(nameJson->get<std::string>());
    int which = -1;
    for (int k = 0; k < 5; ++k)
      if (axisName == kNames[k]) which = k;
    if (which < 0) io::Fail(name, "\"axes\" names an axis '" + axisName + "' (t, c, z, y and x are read)");
    if (axes.index[which] >= 0) io::Fail(name, "\"axes\" names '" + axisName + "' twice");
    axes.index[which] = static_cast<int>(a);
    if (which < 2) continue;
    const bool hasUnit = axis.is_object() && axis.contains("unit") && axis["unit"].is_string();
    const double microns = hasUnit ? MicronsPer(Lower(axis["unit"].get<std::string>())) : 0;
    if (!hasUnit) unitless = true;
    else if (microns == 0) unknown = axis["unit"].get<std::string>();
    axes.microns[which - 2] = microns > 0 ? microns : 1;
  }
  if (axes.index[3] < 0 || axes.index[4] < 0) io::Fail(name, "\"axes\" has no y or no x axis");
  for (int k = 0; k < 4; ++k)
    if (axes.index[k] >= 0 && axes.index[k + 1] >= 0 && axes.index[k] > axes.index[k + 1])
      io::Fail(name, "\"axes\" are not in the order t, c, z, y, x");
  if (unitless) Notify("'" + name + "' gives no unit for its space axes: the numbers are taken as microns.");
  if (!unknown.empty())
    Notify("'" + name + "' gives the unit '" + unknown + "', which is no length: the numbers are taken as microns.");
  return axes;
}

// A "coordinateTransformations" list: its scale and translation (1 and 0
// when absent), one number per axis.
void ParseTransformations(const Json& owner, std::size_t count, std::vector<double>& scale,
                          std::vector<double>& translation, bool scaleRequired, const std::string& name) {
  scale.assign(count, 1);
  translation.assign(count, 0);
  if (!owner.contains("coordinateTransformations")) {
    if (scaleRequired) io::Fail(name, "a dataset has no \"coordinateTransformations\"");
    return;
  }
  const Json& list = owner["coordinateTransformations"];
  if (!list.is_array()) io::Fail(name, "\"coordinateTransformations\" is not a list");
  for (const Json& t : list) {
    if (!t.is_object() || !t.contains("type") || !t["type"].is_string())
      io::Fail(name, "a coordinate transformation has no \"type\"");
    const std::string type = t["type"].get<std::string>();
    if (type == "identity") continue;
    if (type != "scale" && type != "translation")
      io::Fail(name, "coordinate transformation \"" + type + "\" is not read (scale and translation are)");
    const Json& values = zarr::Member(t, type.c_str(), name);
    if (!values.is_array() || values.size() != count)
      io::Fail(name, "\"" + type + "\" does not give one number per axis");
    std::vector<double>& into = type == "scale" ? scale : translation;
    for (std::size_t a = 0; a < count; ++a) into[a] = zarr::NumberAt(values[a], type.c_str(), name);
  }
}

class OmeZarrImage : public ChunkedImage {
public:
  OmeZarrImage(const std::string& name, VoxelType type, std::vector<ChunkLevel> levels, unsigned channels,
               unsigned times, std::vector<zarr::ZarrArray> arrays, const Axes& axes)
      : ChunkedImage(name, type, std::move(levels), channels, times), m_arrays(std::move(arrays)), m_axes(axes) {}

protected:
  void DecodeChunk(const ChunkKey& key, std::vector<unsigned char>& out) const override {
    const zarr::ZarrArray& array = m_arrays[key.level];
    const std::vector<std::uint64_t>& chunks = array.Chunks();
    std::vector<std::uint64_t> index(m_axes.count, 0);
    const unsigned along[5] = {key.t, key.c, key.k, key.j, key.i};
    // t and c count voxels, z, y, x chunks.
    for (int k = 0; k < 5; ++k)
      if (m_axes.index[k] >= 0) {
        const auto a = static_cast<std::size_t>(m_axes.index[k]);
        index[a] = k < 2 ? along[k] / chunks[a] : along[k];
      }
    array.ReadChunk(index, out);
    // A chunk holding several time points or channels: the block of the
    // one asked for (t and c come before z, y and x, so it is contiguous).
    const std::uint64_t ct = m_axes.index[0] >= 0 ? chunks[std::size_t(m_axes.index[0])] : 1;
    const std::uint64_t cc = m_axes.index[1] >= 0 ? chunks[std::size_t(m_axes.index[1])] : 1;
    if (ct == 1 && cc == 1) return;
    const std::size_t block = out.size() / (ct * cc);
    const std::size_t at = ((key.t % ct) * cc + key.c % cc) * block;
    std::memmove(out.data(), out.data() + at, block);
    out.resize(block);
  }

private:
  std::vector<zarr::ZarrArray> m_arrays;
  Axes m_axes;
};

}  // namespace

std::string OmeZarrFolder(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::string suffix = "/.zattrs";
  if (folder.size() >= suffix.size() && folder.compare(folder.size() - suffix.size(), suffix.size(), suffix) == 0)
    folder.resize(folder.size() - suffix.size());
  else if (folder == ".zattrs")
    folder = ".";
  return folder;
}

// A URL names a store; whether one is there, opening it tells.
bool IsOmeZarr(const std::string& path) {
  if (zarr::IsUrl(path)) return true;
  const std::string folder = OmeZarrFolder(path);
  if (!IsFolder(folder) || !zarr::IsFile(folder + "/.zattrs")) return false;
  try {
    const Json attrs = zarr::ReadJson(folder + "/.zattrs");
    return attrs.is_object() && attrs.contains("multiscales");
  } catch (const IOException&) {
    return true;  // it says it is one; opening it tells what is wrong
  }
}

std::shared_ptr<ChunkedImage> OpenOmeZarr(const std::string& path) {
  const std::string folder = OmeZarrFolder(path);
  const std::shared_ptr<const zarr::Store> store = zarr::OpenStore(folder);
  const std::string name = store->Where(".zattrs");
  const Json attrs = zarr::ReadJsonKey(*store, ".zattrs");
  const Json& multiscales = zarr::Member(attrs, "multiscales", name);
  if (!multiscales.is_array() || multiscales.empty()) io::Fail(name, "\"multiscales\" is not a list of images");
  const Json& ms = multiscales[0];
  const Axes axes = ParseAxes(ms, name);
  const Json& datasets = zarr::Member(ms, "datasets", name);
  if (!datasets.is_array() || datasets.empty()) io::Fail(name, "\"datasets\" is not a list of levels");
  std::vector<double> globalScale, globalTranslation;
  ParseTransformations(ms, axes.count, globalScale, globalTranslation, false, name);

  std::vector<ChunkLevel> levels;
  std::vector<zarr::ZarrArray> arrays;
  unsigned channels = 1, times = 1;
  for (std::size_t d = 0; d < datasets.size(); ++d) {
    const Json& dataset = datasets[d];
    const Json& datasetPath = zarr::Member(dataset, "path", name);
    if (!datasetPath.is_string() || datasetPath.get<std::string>().empty())
      io::Fail(name, "a dataset's \"path\" is not a folder name");
    const std::string levelPath = datasetPath.get<std::string>();
    if (levelPath.find("..") != std::string::npos || levelPath[0] == '/')
      io::Fail(name, "a dataset's \"path\" leaves the image's folder");
    arrays.emplace_back(store, levelPath);
    const zarr::ZarrArray& array = arrays.back();
    const std::string arrayName = array.MetadataName();
    if (array.Shape().size() != axes.count) io::Fail(arrayName, "\"shape\" does not give one size per axis of \"axes\"");
    if (array.Type().voxel != arrays.front().Type().voxel)
      io::Fail(arrayName, "\"dtype\" differs from the first level's");
    std::vector<double> scale, translation;
    ParseTransformations(dataset, axes.count, scale, translation, true, name);
    ChunkLevel level;
    auto sizeOf = [&](int k, std::uint64_t absent) {
      const int a = axes.index[k];
      return a < 0 ? absent : array.Shape()[std::size_t(a)];
    };
    const std::uint64_t t = sizeOf(0, 1), c = sizeOf(1, 1);
    if (d == 0) {
      times = static_cast<unsigned>(std::min<std::uint64_t>(t, 1u << 30));
      channels = static_cast<unsigned>(std::min<std::uint64_t>(c, 1u << 30));
    } else if (t != times || c != channels) {
      io::Fail(arrayName, "has other time points or channels than the first level");
    }
    for (int k = 2; k < 5; ++k) {
      const int a = axes.index[k];
      const unsigned axis = static_cast<unsigned>(4 - k);  // x 0, y 1, z 2
      const std::uint64_t size = a < 0 ? 1 : array.Shape()[std::size_t(a)];
      const std::uint64_t chunk = a < 0 ? 1 : array.Chunks()[std::size_t(a)];
      if (size == 0 || size > 0xFFFFFFFFull || chunk > 0xFFFFFFFFull)
        io::Fail(arrayName, "\"shape\" gives a side of " + std::to_string(size) + " voxels");
      // Chunks are whole also where they pass the level's end, as stored.
      level.size[axis] = static_cast<unsigned>(size);
      level.chunk[axis] = static_cast<unsigned>(chunk);
      if (a < 0) continue;
      const auto ai = static_cast<std::size_t>(a);
      const double microns = axes.microns[k - 2];
      const double voxel = scale[ai] * globalScale[ai] * microns;
      if (!(voxel > 0)) io::Fail(name, "\"scale\" gives a voxel size of " + std::to_string(voxel) + " microns");
      // NGFF places voxel centres; the offset is the first voxel's corner.
      const double centre = (translation[ai] * globalScale[ai] + globalTranslation[ai]) * microns;
      level.voxelSize[axis] = static_cast<float>(voxel);
      level.offset[axis] = static_cast<float>(centre - voxel / 2);
    }
    for (unsigned axis = 0; axis < 3; ++axis)
      if (level.voxelSize[axis] == 0) level.voxelSize[axis] = 1;
    levels.push_back(level);
  }
  return std::make_shared<OmeZarrImage>(folder, arrays.front().Type().voxel, std::move(levels), channels, times,
                                        std::move(arrays), axes);
}

std::vector<ChannelFacts> OmeZarrChannels(const std::string& path, unsigned channels) {
  std::vector<ChannelFacts> facts(channels);
  const std::shared_ptr<const zarr::Store> store = zarr::OpenStore(OmeZarrFolder(path));
  const Json attrs = zarr::ReadJsonKey(*store, ".zattrs");
  const auto omero = attrs.find("omero");
  if (omero == attrs.end() || !omero->is_object()) return facts;
  const auto list = omero->find("channels");
  if (list == omero->end() || !list->is_array()) return facts;
  for (std::size_t c = 0; c < facts.size() && c < list->size(); ++c) {
    const Json& channel = (*list)[c];
    if (!channel.is_object()) continue;
    if (const auto label = channel.find("label"); label != channel.end() && label->is_string())
      facts[c].name = label->get<std::string>();
    const auto colour = channel.find("color");
    if (colour == channel.end() || !colour->is_string()) continue;
    const std::string hex = colour->get<std::string>();
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) continue;
    const unsigned long rgb = std::stoul(hex, nullptr, 16);
    facts[c].hasColour = true;
    facts[c].red = static_cast<unsigned char>(rgb >> 16);
    facts[c].green = static_cast<unsigned char>(rgb >> 8);
    facts[c].blue = static_cast<unsigned char>(rgb);
  }
  return facts;
}

std::vector<std::string> OmeZarrLabelNames(const std::string& path) {
  const std::shared_ptr<const zarr::Store> store = zarr::OpenStore(OmeZarrFolder(path));
  const std::string name = store->Where("labels/.zattrs");
  std::string text;
  if (!store->Read("labels/.zattrs", text)) return {};
  const Json attrs = zarr::ParseJson(text, name);
  const Json& labels = zarr::Member(attrs, "labels", name);
  if (!labels.is_array()) io::Fail(name, "\"labels\" is not a list of names");
  std::vector<std::string> names;
  for (const Json& label : labels)
    if (label.is_string()) names.push_back(label.get<std::string>());
  return names;
}

std::vector<OmeZarrLabelColour> OmeZarrLabelColours(const std::string& path) {
  const std::shared_ptr<const zarr::Store> store = zarr::OpenStore(OmeZarrFolder(path));
  const std::string name = store->Where(".zattrs");
  const Json attrs = zarr::ReadJsonKey(*store, ".zattrs");
  std::vector<OmeZarrLabelColour> colours;
  if (!attrs.contains("image-label") || !attrs["image-label"].contains("colors")) return colours;
  for (const Json& entry : attrs["image-label"]["colors"]) {
    if (!entry.is_object() || !entry.contains("label-value") || !entry.contains("rgba")) continue;
    OmeZarrLabelColour colour;
    colour.label = static_cast<unsigned>(zarr::UnsignedAt(entry["label-value"], "label-value", 0xFFFFFFFFu, name));
    const Json& rgba = entry["rgba"];
    if (!rgba.is_array() || rgba.size() != 4) io::Fail(name, "\"rgba\" does not give four numbers");
    for (std::size_t k = 0; k < 4; ++k)
      colour.rgba[k] = static_cast<unsigned char>(zarr::UnsignedAt(rgba[k], "rgba", 255, name));
    colours.push_back(colour);
  }
  return colours;
}

}  // namespace bix
