#include "ImageReader.h"

#include "IOError.h"
#include "PosixFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>

#include <sys/stat.h>

namespace bix::io {

namespace {

bool EndsWith(const std::string& s, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i]) return false;
  return true;
}

}  // namespace

std::uint64_t FileSize(const std::string& name) {
  struct stat st;
  if (::stat(name.c_str(), &st) != 0) Fail(name, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) Fail(name, "not a regular file");
  return static_cast<std::uint64_t>(st.st_size);
}

bool DataFits(const Vector3d<unsigned>& size, const StoredType& type, std::uint64_t available,
              std::uint64_t maxRatio) {
  // The slack covers tiny images whose compressed stream's headers outweigh
  // their data.
  constexpr std::uint64_t kSlack = 4096;
  std::uint64_t bytes = VoxelBytes(type), limit = 0;
  bool overflow = false;
  for (unsigned a = 0; a < 3; ++a) overflow |= __builtin_mul_overflow(bytes, size[a], &bytes);
  if (__builtin_mul_overflow(available, maxRatio, &limit)) limit = UINT64_MAX;
  if (maxRatio > 1) limit = limit > UINT64_MAX - kSlack ? UINT64_MAX : limit + kSlack;
  return !overflow && bytes <= limit;
}

void CheckDataFits(const std::string& name, const Vector3d<unsigned>& size, const StoredType& type,
                   std::uint64_t available, std::uint64_t maxRatio, const std::string& claim) {
  if (DataFits(size, type, available, maxRatio)) return;
  const std::string what = claim.empty() ? std::to_string(size.x) + " x " + std::to_string(size.y) + " x " +
                                               std::to_string(size.z) + " voxels"
                                         : claim;
  Fail(name, "claims " + what + " of " + Describe(type) + ", more data than its " + std::to_string(available) +
                 " bytes" + (maxRatio > 1 ? " can decompress to" : " hold"));
}

void ImageReader::ReadChannelPlane(const ChannelPlane&, unsigned char*) {
  Fail(m_name, "has no planes of single channels");
}

namespace {

// "1 channel", "3 channels".
std::string Counted(std::uint64_t n, const std::string& what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

std::vector<unsigned> ChooseChannels(const std::string& name, std::uint64_t channels, std::uint64_t times,
                                     const ReadOptions& options, bool combinable, const std::string& samples) {
  if (options.timePoint < 1 || options.timePoint > times)
    Fail(name, "has " + Counted(times, "time point") + "; there is no time point " +
                   std::to_string(options.timePoint));
  for (unsigned c : options.channels)
    if (c < 1 || c > channels)
      Fail(name, "has " + Counted(channels, "channel") + "; there is no channel " + std::to_string(c));
  if (options.channels.size() > 3)
    Fail(name, "cannot read " + std::to_string(options.channels.size()) +
                   " channels together; choose up to three with --channels");
  std::vector<unsigned> chosen = options.channels;
  if (chosen.empty()) {
    if (channels > 3)
      Fail(name, "has " + Counted(channels, "channel") +
                     "; up to three are read together: choose them with --channels, such as --channels 1,2,3");
    for (unsigned c = 1; c <= channels; ++c) chosen.push_back(c);
  }
  if (chosen.size() > 1 && !combinable)
    Fail(name, "has " + Counted(channels, "channel") + " of " + samples +
                   " samples; only 8- and 16-bit unsigned channels are read together: choose one with "
                   "--channels, such as --channels 1");
  return chosen;
}

bool ChooseChannelPlanes(const std::string& name, const std::vector<PlaneDimension>& dimensions,
                         const ReadOptions& options, ImageInfo& info) {
  std::uint64_t count[3] = {1, 1, 1};
  for (const PlaneDimension& d : dimensions) count[d.axis] = d.size;
  const std::uint64_t channels = count[AXIS_C], times = count[AXIS_T];
  const bool single = channels == 1 && times == 1;
  info.fileChannels = unsigned(std::min<std::uint64_t>(channels, 0xffffffffu));
  info.fileTimePoints = unsigned(std::min<std::uint64_t>(times, 0xffffffffu));
  // A file of one plane per z slice names no channels of its own: its RGB
  // voxels are not several channels to combine.
  const std::vector<unsigned> chosen =
      ChooseChannels(name, channels, times, options,
                     single || info.type.numeric == NUM_U8 || info.type.numeric == NUM_U16, Describe(info.type));
  if (single) {
    if (!options.channels.empty() && info.type.channels != 1)
      Fail(name, "holds " + Describe(info.type) + " voxels, not channels of their own; --channels does not apply");
    return false;
  }
  // The stride of each axis in planes, then each chosen plane's place.
  std::uint64_t stride[3] = {0, 0, 0}, step = 1;
  for (const PlaneDimension& d : dimensions) {
    stride[d.axis] = step;
    step *= d.size;
  }
  const std::uint64_t slices = count[AXIS_Z];
  if (slices == 0 || slices > 0xffffffffu) Fail(name, "has " + std::to_string(slices) + " z slices");
  std::vector<ChannelPlane> planes;
  try {
    planes.reserve(std::size_t(slices * chosen.size()));
  } catch (const std::bad_alloc&) {
    Fail(name, "has " + std::to_string(slices) + " z slices, more than can be read");
  }
  for (unsigned z = 0; z < slices; ++z)
    for (unsigned slot = 0; slot < chosen.size(); ++slot)
      planes.push_back({z * stride[AXIS_Z] + (chosen[slot] - 1) * stride[AXIS_C] +
                            (options.timePoint - 1) * stride[AXIS_T],
                        z, slot});
  // Reading in the file's order never seeks back (ICS data are a stream).
  std::stable_sort(planes.begin(), planes.end(),
                   [](const ChannelPlane& a, const ChannelPlane& b) { return a.index < b.index; });
  info.channelPlanes = std::move(planes);
  info.chosenChannels = unsigned(chosen.size());
  info.type.channels = chosen.size() == 1 ? 1 : 3;
  info.size.z = unsigned(slices);
  return true;
}

std::unique_ptr<ImageReader> OpenImageFile(const std::string& name, const ReadOptions& options) {
  // FileSize says why a name is no file: missing, a directory...
  if (FileSize(name) == 0) Fail(name, "is empty");
  unsigned char head[8] = {};
  {
    PosixFile file(name, PosixFile::READ, name);  // says why it cannot be opened
    file.Read(head, sizeof head);
  }
  const bool tiff = (head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
                    (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43));
  if (tiff) return OpenTiff(name, options);
  if (std::memcmp(head, "\x89" "BIX\r\n\x1a\n", 8) == 0) return OpenBix(name, options);
  if (EndsWith(name, ".ics") || EndsWith(name, ".ids")) return OpenIcs(name, options);
  Fail(name, "is neither a TIFF nor a BIX file, and its name does not end in .ics");
}

}  // namespace bix::io
