#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace orvview {

namespace {

// A positive, finite number written in full (no trailing characters).
bool ParsePositive(const std::string& text, float& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(v) || !(v > 0.0) || v > 1e30) return false;
  value = static_cast<float>(v);
  return value > 0.0f;
}

bool ParseVoxelSize(const std::string& text, bix::Vector3d<float>& size) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
  if (parts.size() != 3 || text.back() == ',') return false;
  return ParsePositive(parts[0], size.x) && ParsePositive(parts[1], size.y) && ParsePositive(parts[2], size.z);
}

// A whole number from 1 written with digits only.
bool ParseCounting(const std::string& text, unsigned& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = unsigned(std::stoul(text));
  return value >= 1;
}

// One to three channel numbers separated by commas, such as "2,1".
bool ParseChannels(const std::string& text, std::vector<unsigned>& channels) {
  std::vector<unsigned> parsed;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) {
    unsigned c = 0;
    if (!ParseCounting(part, c)) return false;
    parsed.push_back(c);
  }
  if (parsed.empty() || parsed.size() > 3 || text.back() == ',') return false;
  channels = parsed;
  return true;
}

}  // namespace

int StretchMenuOffset(const std::string& name) {
  if (name == "none") return 2;
  if (name == "linear") return 3;
  if (name == "smart") return 4;
  if (name == "percentil") return 5;
  return -1;
}

std::string ParseOptions(const std::vector<std::string>& args, ViewerOptions& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--snapshot") {
      if (!hasValue) return "--snapshot needs the name of a PNG file";
      options.snapshot = args[++i];
    } else if (arg == "--voxel-size") {
      if (!hasValue || !ParseVoxelSize(args[i + 1], options.voxelSize))
        return "--voxel-size needs three positive sizes in microns per voxel, such as 0.2,0.2,0.5";
      options.hasVoxelSize = true;
      ++i;
    } else if (arg == "--stretch") {
      if (!hasValue || StretchMenuOffset(args[i + 1]) < 0)
        return "--stretch needs one of none, linear, smart, percentil";
      options.stretch = args[++i];
    } else if (arg == "--full-range") {
      options.fullRange = true;
    } else if (arg == "--channels") {
      if (!hasValue || !ParseChannels(args[i + 1], options.channels))
        return "--channels needs one to three channel numbers from 1, such as 2,1";
      ++i;
    } else if (arg == "--time") {
      if (!hasValue || !ParseCounting(args[i + 1], options.timePoint))
        return "--time needs a time point number from 1, such as 2";
      ++i;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (options.image.empty()) {
      options.image = arg;
    } else {
      return "only one image can be opened, got " + options.image + " and " + arg;
    }
  }
  return "";
}

std::string Usage() {
  return "usage: orv-view [IMAGE] [--voxel-size X,Y,Z] [--stretch MODE] [--full-range]\n"
         "                [--channels C1,C2,C3] [--time N]\n"
         "                [--snapshot FILE.png] [--help] [--version]\n"
         "\n"
         "Shows a 3D image as three orthogonal cuts (XY, XZ, YZ).\n"
         "\n"
         "  IMAGE               a TIFF stack (.tif, .tiff, one page per z slice), an ICS\n"
         "                      file (.ics, with its .ids) or a .bix file; without IMAGE\n"
         "                      the built-in sample stack is shown\n"
         "  --voxel-size X,Y,Z  the voxel size in microns, overriding the file's\n"
         "  --stretch MODE      the intensity mapping on opening: none, linear, smart\n"
         "                      (RGB only), percentil; by default linear, and none for\n"
         "                      8-bit RGB (the colours as stored)\n"
         "  --full-range        16-bit gray: levels and thresholds span 0..65535 instead\n"
         "                      of the data's bit depth\n"
         "  --channels C1,C2,C3\n"
         "                      the channels of a multi-channel file (numbered from 1)\n"
         "                      shown as red, green and blue (one channel: grey); by\n"
         "                      default all of them, when there are up to three\n"
         "  --time N            the time point of a time series, from 1 (the first by\n"
         "                      default)\n"
         "  --snapshot FILE.png save a picture of the three cuts and exit\n"
         "  --help              show this text\n"
         "  --version           show the version\n";
}

std::string NoDisplayMessage() {
  return "orv-view needs a display to draw on, also for --snapshot, and DISPLAY is not set.\n"
         "Without a screen, run it under a virtual X server:\n"
         "  xvfb-run -a -s \"-screen 0 1280x1024x24\" orv-view IMAGE --snapshot FILE.png\n"
         "or use scripts/run IMAGE, which starts one and saves snapshots/orv-view.png.\n";
}

}  // namespace orvview
