#include "options.h"

#include <wx/cmdline.h>
#include <wx/msgout.h>

#include <cctype>
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
  if (text.empty()) return false;
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
  if (parts.size() != 3 || text.back() == ',') return false;
  return ParsePositive(parts[0], size.x) && ParsePositive(parts[1], size.y) && ParsePositive(parts[2], size.z);
}

// Channel numbers separated by commas, such as "2,1".
bool ParseChannels(const std::string& text, std::vector<unsigned>& channels) {
  std::vector<unsigned> parsed;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) {
    unsigned c = 0;
    if (!ParseWhole(part, 1, c)) return false;
    parsed.push_back(c);
  }
  if (parsed.empty() || text.back() == ',') return false;
  channels = parsed;
  return true;
}

}  // namespace

bool ParseByteSize(const std::string& text, std::size_t& bytes) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double number = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == text.c_str() || !std::isfinite(number) || number <= 0) return false;
  std::string unit(end);
  for (char& ch : unit) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (unit.size() > 1 && unit.back() == 'B') unit.pop_back();
  if (unit.size() > 1 && unit.back() == 'I') unit.pop_back();
  static const std::string kUnits = "KMGT";
  double scale = 1;
  if (!unit.empty()) {
    const auto at = kUnits.find(unit);
    if (unit.size() != 1 || at == std::string::npos) return false;
    scale = std::pow(1024.0, double(at + 1));
  }
  const double value = number * scale;
  if (value < 1 << 20 || value > 1e18) return false;
  bytes = static_cast<std::size_t>(value);
  return true;
}

int ViewDirectionIndex(const std::string& name) {
  static const char* const kNames[] = {"x+", "x-", "y+", "y-", "z+", "z-"};
  for (int i = 0; i < 6; ++i)
    if (name == kNames[i]) return i;
  return -1;
}

int StretchMenuOffset(const std::string& name) {
  if (name == "none") return 2;
  if (name == "linear") return 3;
  if (name == "smart") return 4;
  if (name == "percentil") return 5;
  return -1;
}

namespace {

// What the parser says of a command line it cannot take, kept instead of
// printed, so that orv-view reports it in its own way.
class CollectedMessages : public wxMessageOutput {
public:
  void Output(const wxString& text) override { m_text += text; }
  std::string Text() const { return m_text.Strip(wxString::both).utf8_string(); }

private:
  wxString m_text;
};

// Arguments are bytes: file names need not be UTF-8 (Latin-1 names on old
// shared disks). Bytes that are no UTF-8 travel through the parser as
// private-use characters and come back as the same bytes.
const wxMBConvUTF8& ArgumentBytes() {
  static const wxMBConvUTF8 conversion(wxMBConvUTF8::MAP_INVALID_UTF8_TO_PUA);
  return conversion;
}

std::string Utf8(const wxString& text) {
  const wxCharBuffer bytes = text.mb_str(ArgumentBytes());
  return std::string(bytes.data(), bytes.length());
}

}  // namespace

std::string ParseOptions(const std::vector<std::string>& args, ViewerOptions& options) {
  static const wxCmdLineEntryDesc kOptions[] = {
      {wxCMD_LINE_SWITCH, "h", "help", "show this text", wxCMD_LINE_VAL_NONE, 0},
      {wxCMD_LINE_SWITCH, nullptr, "version", "show the version", wxCMD_LINE_VAL_NONE, 0},
      {wxCMD_LINE_OPTION, nullptr, "voxel-size", "the voxel size in microns, X,Y,Z", wxCMD_LINE_VAL_STRING, 0},
      {wxCMD_LINE_OPTION, nullptr, "stretch", "the intensity mapping on opening", wxCMD_LINE_VAL_STRING, 0},
      {wxCMD_LINE_SWITCH, nullptr, "full-range", "16-bit gray: levels and thresholds over 0..65535",
       wxCMD_LINE_VAL_NONE, 0},
      {wxCMD_LINE_OPTION, nullptr, "channels", "the channels shown, in their order", wxCMD_LINE_VAL_STRING, 0},
      {wxCMD_LINE_SWITCH, nullptr, "as-rgb", "up to three channels read as one RGB image", wxCMD_LINE_VAL_NONE, 0},
      {wxCMD_LINE_OPTION, nullptr, "time", "the time point shown", wxCMD_LINE_VAL_STRING, 0},
      {wxCMD_LINE_OPTION, nullptr, "labels", "a label image shown over the image", wxCMD_LINE_VAL_STRING, 0},
      {wxCMD_LINE_OPTION, nullptr, "points", "a point file shown with the image", wxCMD_LINE_VAL_STRING, 0},
      {wxCMD_LINE_OPTION, nullptr, "cache-size", "memory for decoded chunks of OME-Zarr images", wxCMD_LINE_VAL_STRING,
       0},
      {wxCMD_LINE_SWITCH, nullptr, "no-labels", "the sample stack without its segmentation", wxCMD_LINE_VAL_NONE,
       0},
      {wxCMD_LINE_SWITCH, nullptr, "verbose", "log what the viewer finds out", wxCMD_LINE_VAL_NONE, 0},
      {wxCMD_LINE_OPTION, nullptr, "snapshot", "save a picture of the three cuts and exit", wxCMD_LINE_VAL_STRING, 0},
      {wxCMD_LINE_OPTION, nullptr, "snapshot-3d", "save a picture of the volume window and exit", wxCMD_LINE_VAL_STRING,
       0},
      {wxCMD_LINE_OPTION, nullptr, "view", "the volume window's view for --snapshot-3d", wxCMD_LINE_VAL_STRING, 0},
      {wxCMD_LINE_OPTION, nullptr, "render", "the volume window's rendering for --snapshot-3d", wxCMD_LINE_VAL_STRING,
       0},
      {wxCMD_LINE_PARAM, nullptr, nullptr, "IMAGE", wxCMD_LINE_VAL_STRING,
       wxCMD_LINE_PARAM_OPTIONAL | wxCMD_LINE_PARAM_MULTIPLE},
      {wxCMD_LINE_NONE, nullptr, nullptr, nullptr, wxCMD_LINE_VAL_NONE, 0}};
  // Our arguments are UTF-8 (or bytes) whatever the locale: handed over as
  // wide strings.
  std::vector<std::string> rest = args;
  if (const std::string error = TakeBatchSaves(rest, options.saves); !error.empty()) return error;
  std::vector<std::wstring> wide = {L"orv-view"};
  for (const std::string& arg : rest) wide.push_back(wxString(arg.c_str(), ArgumentBytes()).ToStdWstring());
  std::vector<wchar_t*> argv;
  for (std::wstring& arg : wide) argv.push_back(arg.data());
  wxCmdLineParser parser(kOptions);
  parser.SetCmdLine(static_cast<int>(argv.size()), argv.data());
  CollectedMessages messages;
  wxMessageOutput* previous = wxMessageOutput::Set(&messages);
  const int result = parser.Parse(false);
  wxMessageOutput::Set(previous);
  if (result != 0) return messages.Text();

  options.help = parser.Found("help");
  options.version = parser.Found("version");
  options.fullRange = parser.Found("full-range");
  options.noLabels = parser.Found("no-labels");
  options.verbose = parser.Found("verbose");
  wxString value;
  if (parser.Found("snapshot", &value)) {
    if (value.empty()) return "--snapshot needs the name of a PNG file";
    options.snapshot = Utf8(value);
  }
  if (parser.Found("snapshot-3d", &value)) {
    if (value.empty()) return "--snapshot-3d needs the name of a PNG file";
    options.snapshot3d = Utf8(value);
  }
  if (parser.Found("view", &value)) {
    if (ViewDirectionIndex(Utf8(value)) < 0) return "--view needs one of x+, x-, y+, y-, z+, z-";
    if (options.snapshot3d.empty()) return "--view goes with --snapshot-3d";
    options.view3d = Utf8(value);
  }
  if (parser.Found("render", &value)) {
    if (value != "composite" && value != "mip") return "--render needs composite or mip";
    if (options.snapshot3d.empty()) return "--render goes with --snapshot-3d";
    options.maximumIntensity = value == "mip";
  }
  if (parser.Found("voxel-size", &value)) {
    if (!ParseVoxelSize(Utf8(value), options.voxelSize))
      return "--voxel-size needs three positive sizes in microns per voxel, such as 0.2,0.2,0.5";
    options.hasVoxelSize = true;
  }
  if (parser.Found("stretch", &value)) {
    if (StretchMenuOffset(Utf8(value)) < 0) return "--stretch needs one of none, linear, smart, percentil";
    options.stretch = Utf8(value);
  }
  options.asRgb = parser.Found("as-rgb");
  if (parser.Found("channels", &value) && !ParseChannels(Utf8(value), options.channels))
    return "--channels needs channel numbers from 1, such as 2,1";
  if (options.asRgb && options.channels.size() > 3)
    return "--as-rgb reads one to three channels as red, green and blue, not " +
           std::to_string(options.channels.size());
  if (parser.Found("time", &value) && !ParseWhole(Utf8(value), 1, options.timePoint))
    return "--time needs a time point number from 1, such as 2";
  if (parser.Found("labels", &value)) {
    if (value.empty()) return "--labels needs the name of a label image file";
    options.labels = Utf8(value);
  }
  if (options.noLabels && !options.labels.empty()) return "--labels and --no-labels exclude each other";
  if (parser.Found("points", &value)) {
    if (value.empty()) return "--points needs the name of a point file";
    options.points = Utf8(value);
  }
  if (parser.Found("cache-size", &value) && !ParseByteSize(Utf8(value), options.cacheBytes))
    return "--cache-size needs a size of at least 1M, such as 2G or 512M";
  if (parser.GetParamCount() > 1)
    return "only one image can be opened, got " + Utf8(parser.GetParam(0)) + " and " + Utf8(parser.GetParam(1));
  if (parser.GetParamCount() == 1) options.image = Utf8(parser.GetParam(0));
  return "";
}

std::string Usage() {
  return std::string("usage: orv-view [IMAGE] [--voxel-size X,Y,Z] [--stretch MODE] [--full-range]\n"
         "                [--channels C1,C2,...] [--as-rgb] [--time N]\n"
         "                [--labels FILE | --no-labels]\n"
         "                [--points FILE] [--cache-size SIZE]\n"
         "                [--snapshot FILE.png] [--snapshot-3d FILE.png [--view DIR] [--render MODE]]\n"
         "                [--verbose] [--help] [--version]\n"
         "                [--save-view FILE.tif [--projection xy|xz|yz|all] [--decoration N]]\n"
         "                [--save-gallery FILE.tif START END STEP [--rows N | --columns N] [--spacing N]]\n"
         "                [--save-data FILE]\n"
         "\n"
         "Shows a 3D image as three orthogonal cuts (XY, XZ, YZ).\n"
         "\n"
         "  IMAGE               a TIFF stack (.tif, .tiff, one page per z slice), an ICS\n"
         "                      file (.ics, with its .ids), a .bix file or an OME-Zarr\n"
         "                      folder (.zarr, shown from its chunks as the windows\n"
         "                      need them, so it need not fit in memory); without\n"
         "                      IMAGE the built-in sample stack is shown\n"
         "  --voxel-size X,Y,Z  the voxel size in microns, overriding the file's\n"
         "  --stretch MODE      the intensity mapping on opening: none, linear, smart\n"
         "                      (RGB only), percentil; by default linear, and none for\n"
         "                      8-bit RGB (the colours as stored)\n"
         "  --full-range        16-bit data: levels and thresholds span 0..65535 instead\n"
         "                      of the data's bit depth\n"
         "  --channels C1,C2,...\n"
         "                      the channels of a multi-channel file (numbered from 1)\n"
         "                      shown, in this order; by default all of them, each in\n"
         "                      its own colour (the file's, else green, magenta, cyan,\n"
         "                      yellow, red, blue...) with its own mapping, added\n"
         "  --as-rgb            read one to three channels as one RGB image: the first\n"
         "                      red, the second green, the third blue (the channels\n"
         "                      --channels names, else all when there are up to three)\n"
         "  --time N            the time point of a time series shown first, from 1 (the\n"
         "                      first by default); ] and [ show the next and the\n"
         "                      previous one, as does the slider under the windows\n"
         "  --labels FILE       a label image (TIFF, ICS, .bix or OME-Zarr of 8, 16 or\n"
         "                      32-bit unsigned integers, 0 for background) drawn over\n"
         "                      the image as outlines, placed by its own voxel size (or\n"
         "                      the image's when the file gives none); without IMAGE\n"
         "                      the sample stack is shown with the outlines of its nuclei\n"
         "  --no-labels         the sample stack without its nuclei's outlines\n"
         "  --points FILE       a point file (tab-separated text, coordinates in voxels)\n"
         "                      whose points are marked, added by right-clicking,\n"
         "                      selected by left-clicking and saved with Ctrl-S; a file\n"
         "                      that does not exist is created on the first save; with\n"
         "                      --labels, the points are marked over the outlines\n"
         "  --cache-size SIZE   memory for the decoded chunks of OME-Zarr images, such as\n"
         "                      2G or 512M (by default a quarter of the memory, at most\n"
         "                      4G)\n"
         "  --snapshot FILE.png save a picture of the three cuts and exit\n"
         "  --snapshot-3d FILE.png\n"
         "                      save a picture of the 3D volume window and exit\n"
         "  --view DIR          the volume window looks along x+, x-, y+, y-, z+ or z-\n"
         "                      (by default down the z axis, as the XY window shows)\n"
         "  --render MODE       the volume window's rendering: composite (the samples\n"
         "                      blended back to front, by default) or mip (the\n"
         "                      brightest sample along each ray)\n") +
         BatchUsage() +
         "  --verbose           log what the viewer finds out on the way (such as the\n"
         "                      OpenGL driver of the volume window) on the terminal\n"
         "  --help              show this text\n"
         "  --version           show the version\n";
}

bix::ReadOptions ReadOptionsOf(const ViewerOptions& options) {
  bix::ReadOptions read;
  read.channels = options.channels;
  read.timePoint = options.timePoint;
  return read;
}

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

std::string NoDisplayMessage() {
  return "orv-view needs a display to draw on, also for --snapshot, and DISPLAY is not set.\n"
         "Without a screen, run it under a virtual X server:\n"
         "  xvfb-run -a -s \"-screen 0 1280x1024x24\" orv-view IMAGE --snapshot FILE.png\n"
         "or use scripts/run IMAGE, which starts one and saves snapshots/orv-view.png.\n";
}

}  // namespace orvview
