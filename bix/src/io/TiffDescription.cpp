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

// The start of the first "<Pixels" or "<prefix:Pixels" tag.
std::size_t FindPixelsTag(const std::string& xml) {
  for (std::size_t at = xml.find("Pixels"); at != std::string::npos; at = xml.find("Pixels", at + 1)) {
    if (at + 6 >= xml.size() || !std::isspace(static_cast<unsigned char>(xml[at + 6]))) continue;
    std::size_t i = at;
    while (i > 0 && (std::isalnum(static_cast<unsigned char>(xml[i - 1])) || xml[i - 1] == ':')) --i;
    if (i > 0 && xml[i - 1] == '<' && (i == at || xml[at - 1] == ':')) return at;
  }
  return std::string::npos;
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
  const std::size_t tag = FindPixelsTag(text);
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
  return d;
}

}  // namespace bix::io
