#include "TiffDescription.h"

#include "Units.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace bix::io {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A finite number filling all of `text`, else NaN.
double ParseNumber(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  if (end == begin || *end != '\0' || !std::isfinite(v)) return kNaN;
  return v;
}

unsigned long ParseCount(const std::string& text) {
  const double v = ParseNumber(text);
  return v >= 1 && v < 4294967296.0 && v == std::floor(v) ? static_cast<unsigned long>(v) : 0;
}

// The value of attribute `key` in the XML start tag from `from` to its '>'.
std::string Attribute(const std::string& xml, std::size_t from, std::size_t to, const std::string& key) {
  for (std::size_t at = xml.find(key, from); at != std::string::npos && at < to;
       at = xml.find(key, at + 1)) {
    // The key must be a whole attribute name: preceded by space, followed by '='.
    if (!std::isspace(static_cast<unsigned char>(xml[at - 1]))) continue;
    std::size_t i = at + key.size();
    while (i < to && std::isspace(static_cast<unsigned char>(xml[i]))) ++i;
    if (i >= to || xml[i] != '=') continue;
    ++i;
    while (i < to && std::isspace(static_cast<unsigned char>(xml[i]))) ++i;
    if (i >= to || (xml[i] != '"' && xml[i] != '\'')) continue;
    const std::size_t close = xml.find(xml[i], i + 1);
    if (close == std::string::npos || close > to) continue;
    return xml.substr(i + 1, close - i - 1);
  }
  return std::string();
}

// The start of the name of the first "<Name" or "<prefix:Name" start tag
// at or after `from`.
std::size_t FindTag(const std::string& xml, const std::string& name, std::size_t from = 0) {
  for (std::size_t at = xml.find(name, from); at != std::string::npos; at = xml.find(name, at + 1)) {
    const std::size_t after = at + name.size();
    if (after >= xml.size() || !(std::isspace(static_cast<unsigned char>(xml[after])) || xml[after] == '/' ||
                                 xml[after] == '>'))
      continue;
    std::size_t i = at;
    while (i > 0 && (std::isalnum(static_cast<unsigned char>(xml[i - 1])) || xml[i - 1] == ':')) --i;
    if (i > 0 && xml[i - 1] == '<' && (i == at || xml[at - 1] == ':')) return at;
  }
  return std::string::npos;
}

// An attribute's text with XML's five named entities replaced.
std::string Unescape(const std::string& text) {
  static const char* const kEntities[][2] = {{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""},
                                             {"&apos;", "'"}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& e : kEntities)
      if (text.compare(i, std::char_traits<char>::length(e[0]), e[0]) == 0) {
        out += e[1];
        i += std::char_traits<char>::length(e[0]);
        replaced = true;
        break;
      }
    if (!replaced) out += text[i++];
  }
  return out;
}

// A non-negative whole number filling all of `text`, else `absent`.
std::uint64_t ParseIndex(const std::string& text, std::uint64_t absent) {
  const double v = ParseNumber(text);
  return v >= 0 && v < 1.8e19 && v == std::floor(v) ? static_cast<std::uint64_t>(v) : absent;
}

// Every start tag `name` from `from` up to `limit`, each as its span (name to '>').
template <class Visit>
void ForEachTag(const std::string& xml, const std::string& name, std::size_t from, std::size_t limit, Visit visit) {
  for (std::size_t at = FindTag(xml, name, from); at < limit; at = FindTag(xml, name, at + 1)) {
    const std::size_t end = xml.find('>', at);
    if (end == std::string::npos) return;
    visit(at, end);
  }
}

}  // namespace

ImageJDescription::ImageJDescription() : spacing(kNaN), origin(0, 0, 0) {
  for (double& c : coefficients) c = kNaN;
}

ImageJDescription ParseImageJDescription(const std::string& text) {
  ImageJDescription d;
  if (text.rfind("ImageJ=", 0) != 0) return d;
  d.present = true;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "images") d.images = ParseCount(value);
    else if (key == "channels") d.channels = ParseCount(value);
    else if (key == "slices") d.slices = ParseCount(value);
    else if (key == "frames") d.frames = ParseCount(value);
    else if (key == "unit") d.unit = value;
    else if (key == "spacing") d.spacing = std::fabs(ParseNumber(value));
    else if (key == "cf") {
      const double f = ParseNumber(value);
      d.calibration = f >= 0 && f < 1000 && f == std::floor(f) ? int(f) : 1000;
    } else if (key.size() == 2 && key[0] == 'c' && key[1] >= '0' && key[1] <= '9')
      d.coefficients[key[1] - '0'] = ParseNumber(value);
    else if (key == "xorigin" || key == "yorigin" || key == "zorigin") {
      const double v = ParseNumber(value);
      if (std::isfinite(v)) d.origin[unsigned(key[0] - 'x')] = v;
    }
  }
  return d;
}

std::string ComposeImageJDescription(unsigned pages, const Resolution& resolution,
                                     const Vector3d<float>& offset) {
  std::string text = "ImageJ=1.11a\n";
  // No "images=": ImageJ then reads the planes as one block behind the first
  // page and skips the other pages, but ours are stored page by page.
  if (pages > 1) text += "slices=" + std::to_string(pages) + "\n";
  const Vector3d<float>& res = resolution.GetRes();
  // The shortest decimals that read back to the same floats, so that ImageJ
  // shows the spacing a user gave (1.5, not 1.49999996).
  if (resolution.IsDefined()) text += "unit=micron\nspacing=" + VoxelSizeText(res.z) + "\n";
  // ImageJ's origin is the pixel position of the coordinate origin, so the
  // first voxel lies at -origin pixels (offset = -origin / resolution).
  for (unsigned a = 0; a < 3; ++a)
    if (offset[a] != 0.f) {
      const double pixels = -double(offset[a]) * res[a];
      const double perPixel = res[a];
      const float expected = offset[a];
      text += std::string(1, char('x' + a)) + "origin=" +
              ShortestDecimal(pixels, [&](double o) { return float(-o / perPixel) == expected; }) + "\n";
    }
  if (pages > 1) text += "loop=false\n";
  return text;
}

OmeDescription::OmeDescription() : voxelMicrons(kNaN, kNaN, kNaN) {}

OmeDescription ParseOmeDescription(const std::string& text) {
  OmeDescription d;
  if (text.find("<?xml") == std::string::npos || text.find("OME") == std::string::npos) return d;
  const std::size_t tag = FindTag(text, "Pixels");
  if (tag == std::string::npos) return d;
  const std::size_t end = text.find('>', tag);
  if (end == std::string::npos) return d;
  d.present = true;
  for (unsigned a = 0; a < 3; ++a) {
    const std::string key = std::string("PhysicalSize") + char('X' + a);
    const double size = ParseNumber(Attribute(text, tag, end, key));
    const std::string unit = Attribute(text, tag, end, key + "Unit");
    const double microns = unit.empty() ? 1.0 : MicronsPerUnit(unit);
    if (size > 0 && microns > 0) d.voxelMicrons[a] = size * microns;
  }
  d.sizeC = ParseCount(Attribute(text, tag, end, "SizeC"));
  d.sizeT = ParseCount(Attribute(text, tag, end, "SizeT"));
  d.sizeZ = ParseCount(Attribute(text, tag, end, "SizeZ"));
  d.dimensionOrder = Attribute(text, tag, end, "DimensionOrder");
  // The channels and planes of this image: up to the next image's Pixels.
  const std::size_t limit = FindTag(text, "Pixels", end);
  ForEachTag(text, "Channel", end, limit, [&](std::size_t from, std::size_t to) {
    ChannelFacts channel;
    channel.name = Unescape(Attribute(text, from, to, "Name"));
    const std::string colour = Attribute(text, from, to, "Color");
    const double rgba = ParseNumber(colour);
    if (rgba >= -2147483648.0 && rgba <= 4294967295.0 && rgba == std::floor(rgba)) {
      const auto bits = static_cast<std::uint32_t>(static_cast<std::int64_t>(rgba));
      channel.hasColour = true;
      channel.red = static_cast<unsigned char>(bits >> 24);
      channel.green = static_cast<unsigned char>(bits >> 16);
      channel.blue = static_cast<unsigned char>(bits >> 8);
    }
    d.channels.push_back(std::move(channel));
  });
  ForEachTag(text, "TiffData", end, limit, [&](std::size_t from, std::size_t to) {
    OmeTiffData data;
    data.ifd = ParseIndex(Attribute(text, from, to, "IFD"), 0);
    data.firstZ = ParseIndex(Attribute(text, from, to, "FirstZ"), 0);
    data.firstC = ParseIndex(Attribute(text, from, to, "FirstC"), 0);
    data.firstT = ParseIndex(Attribute(text, from, to, "FirstT"), 0);
    const bool bare = text.find('=', from) > to;
    data.planeCount = ParseIndex(Attribute(text, from, to, "PlaneCount"), bare ? 0 : 1);
    d.tiffData.push_back(data);
  });
  return d;
}

}  // namespace bix::io
