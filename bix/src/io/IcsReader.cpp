// ICS version 1 (.ics header, .ids data) and 2 (one file) through libics,
// plain, gzip or compress. Dimensions are x, y and z in this order, with an
// optional leading channel dimension ("ch", "c"...) of 1 or 3 entries (RGB
// voxels). Without it, a channel and a time dimension may come anywhere
// after x and y ("x y z ch", "x y ch z t"...): the chosen channels and time
// point are read plane by plane. Further dimensions must have one entry. Positions in any length unit libics
// reports become microns; "undefined" units leave the resolution undefined.

#include "IOError.h"
#include "IcsFile.h"
#include "ImageReader.h"
#include "PosixFile.h"
#include "Units.h"

#include <libics_ll.h>
#include <strings.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace bix::io {

namespace {

class IcsReader : public ImageReader {
public:
  IcsReader(const std::string& name, const ReadOptions& options);
  void ReadPlane(unsigned char* destination) override;
  void ReadChannelPlane(const ChannelPlane& plane, unsigned char* destination) override;

private:
  void ReadLayout();
  void ChoosePlanes(const ReadOptions& options);
  void ReadGeometry(const int* spatialDims, int spatial);
  void CheckDataSize();

  IcsHandle m_handle;
  // The file's x-y planes (all channels and time points) and its samples.
  std::uint64_t m_filePlanes = 1;
  StoredType m_sampleType;
  std::uint64_t m_nextPlane = 0;  // the stored plane the data stream stands at
  // Channels interleaved in each voxel (a leading channel dimension): the
  // last stored plane read, from which its channels are taken.
  unsigned m_interleaved = 1;
  std::vector<PlaneDimension> m_planeDimensions;  // beyond x and y, the fastest first
  std::vector<unsigned char> m_stored;
  std::uint64_t m_storedIndex = UINT64_MAX;
};

// libics reads past the end of a header whose last line is cut short before
// its value (a "layout sizes" line without values or line end crashes it),
// so such headers are refused before libics sees them; a last line that is
// whole but for its line end is fine. The header ends at its "end" line; the
// first two bytes are its field and line separators. `header` is the file
// that holds it (Cell.ics for Cell.ids).
void CheckHeaderIsWhole(const std::string& header, const std::string& name) {
  // Read in pieces up to the "end" line: a version 2 file's data follow it.
  constexpr std::size_t kPiece = 64 << 10, kMaxHeader = 1 << 20;
  PosixFile file(header, PosixFile::READ, header);
  std::string text;
  std::size_t start = 2;  // the first line not looked at yet
  // Whether the line from `from` to `to` is the "end" line (the field
  // separator is searched within the line only: lines may be long).
  auto isEnd = [&](std::size_t from, std::size_t to) {
    const auto first = text.begin() + std::ptrdiff_t(from), last = text.begin() + std::ptrdiff_t(to);
    return std::string(first, std::find(first, last, text[0])) == "end";
  };
  for (;;) {
    const std::size_t had = text.size();
    text.resize(had + kPiece);
    text.resize(had + file.Read(text.data() + had, kPiece));
    const bool whole = text.size() < had + kPiece;
    // Anything else is no ICS header: libics says what is wrong with it.
    if (had == 0 && (text.size() < 13 || text.compare(2, 11, "ics_version") != 0)) return;
    for (std::size_t end; (end = text.find(text[1], start)) != std::string::npos; start = end + 1)
      if (isEnd(start, end)) return;
    if (whole) break;
    if (text.size() >= kMaxHeader) return;
  }
  if (start >= text.size() || isEnd(start, text.size())) return;
  // Category, keyword and at least one value: three fields, two separators.
  if (std::count(text.begin() + std::ptrdiff_t(start), text.end(), text[0]) < 2)
    Fail(name, "is truncated: its ICS header ends in the middle of a line");
}

IcsReader::IcsReader(const std::string& name, const ReadOptions& options) : ImageReader(name) {
  // Through a link, libics must look for a version 1 data file beside the
  // header itself, not beside the link.
  const std::string path = FileBehindLinks(name);
  CheckHeaderIsWhole(IcsNameOf(path, name), name);
  CheckIcs(OpenIcsForReading(&m_handle.ics, path), name, "is not a readable ICS file");
  ReadLayout();
  CheckDataSize();
  // Only once the data are known to hold every plane the header claims.
  ChoosePlanes(options);
}

void IcsReader::ReadLayout() {
  Ics_DataType dt = Ics_unknown;
  int n = 0;
  std::size_t dims[ICS_MAXDIM] = {};
  CheckIcs(IcsGetLayout(m_handle.ics, &dt, &n, dims), m_name, "has no readable layout");
  switch (dt) {
    case Ics_uint8: m_info.type.numeric = NUM_U8; break;
    case Ics_sint8: m_info.type.numeric = NUM_S8; break;
    case Ics_uint16: m_info.type.numeric = NUM_U16; break;
    case Ics_sint16: m_info.type.numeric = NUM_S16; break;
    case Ics_uint32: m_info.type.numeric = NUM_U32; break;
    case Ics_sint32: m_info.type.numeric = NUM_S32; break;
    case Ics_real32: m_info.type.numeric = NUM_F32; break;
    default: Fail(m_name, "holds 64-bit or complex samples; 8, 16 and 32-bit integers and 32-bit floats are read");
  }
  if (n < 1 || n > ICS_MAXDIM) Fail(m_name, "has " + std::to_string(n) + " dimensions");
  int first = 0;
  const char* order = nullptr;
  const char* label = nullptr;
  IcsGetOrderF(m_handle.ics, 0, &order, &label);
  std::vector<PlaneDimension> planes;
  if (IsChannelDimension(order)) {
    // Channels interleaved in each voxel: each stored plane holds one plane
    // of every channel, taken apart as planes of their own (channel fastest).
    if (dims[0] == 0 || dims[0] > 0xffffu) Fail(m_name, "has " + std::to_string(dims[0]) + " channels");
    m_interleaved = unsigned(dims[0]);
    planes.push_back({AXIS_C, dims[0]});
    first = 1;
  }
  // x and y come first; after them each dimension is z (the third spatial
  // one), channels, time or one of a single entry. Every dimension after
  // x and y steps through the file's planes.
  unsigned size[3] = {1, 1, 1};
  int spatialDims[3] = {0, 0, 0}, spatial = 0;
  bool channelSeen = first == 1, timeSeen = false;
  for (int d = first; d < n; ++d) {
    const char* name = nullptr;
    IcsGetOrderF(m_handle.ics, d, &name, &label);
    const bool channel = IsChannelDimension(name);
    const bool time = name && (::strcasecmp(name, "t") == 0 || ::strcasecmp(name, "time") == 0);
    const std::string entries = "dimension " + std::to_string(d + 1) + " (" + (name ? name : "?") + ") has " +
                                std::to_string(dims[d]) + " entries";
    if (dims[d] == 0 || dims[d] > 0xffffffffu) Fail(m_name, "dimension " + std::to_string(d + 1) + " has " +
                                                            std::to_string(dims[d]) + " entries");
    // Channels or time points in place of x or y, and a second channel or
    // time dimension, are not read.
    const bool planeAxis = d >= first + 2;
    if ((channel && (channelSeen || !planeAxis)) || (time && (timeSeen || !planeAxis))) {
      if (dims[d] != 1) Fail(m_name, entries + "; only x, y and z are read");
      continue;
    }
    if (channel || time) {
      (channel ? channelSeen : timeSeen) = true;
      planes.push_back({channel ? AXIS_C : AXIS_T, dims[d]});
      continue;
    }
    if (spatial == 3) {
      if (dims[d] != 1) Fail(m_name, entries + "; only x, y and z are read");
      continue;
    }
    size[spatial] = unsigned(dims[d]);
    spatialDims[spatial] = d;
    if (spatial == 2) planes.push_back({AXIS_Z, dims[d]});
    ++spatial;
  }
  m_info.size = Vector3d<unsigned>(size[0], size[1], size[2]);
  m_sampleType = m_info.type;
  m_sampleType.channels = m_interleaved;
  for (const PlaneDimension& p : planes)
    if (p.axis != AXIS_C || first == 0)
      m_filePlanes = __builtin_mul_overflow(m_filePlanes, p.size, &m_filePlanes) ? UINT64_MAX : m_filePlanes;
  ReadGeometry(spatialDims, spatial);
  m_planeDimensions = planes;
}

void IcsReader::ChoosePlanes(const ReadOptions& options) {
  const std::vector<PlaneDimension>& planes = m_planeDimensions;
  bool timeSeries = false;
  for (const PlaneDimension& p : planes) timeSeries |= p.axis == AXIS_T && p.size > 1;
  if (m_interleaved == 3 && options.channels.empty() && !timeSeries) {
    // Three channels as they are: RGB voxels read plane by plane.
    m_info.type.channels = 3;
    NaturalVoxelType(m_info.type, m_name);
    if (options.timePoint != 1) Fail(m_name, "has 1 time point; there is no time point " + std::to_string(options.timePoint));
    return;
  }
  ChooseChannelPlanes(m_name, planes, options, m_info);
}

// Origins and scales along x, y, z in microns. A missing z dimension takes
// the x spacing. When no spatial axis has a length unit ("undefined", as for
// images of unknown spacing), the scales are relative voxel sizes and the
// origins count in the same unit: both are kept as they are, and scales of 1
// leave the resolution undefined. Length units on some axes and none on
// others have no common unit: the resolution is undefined and the origins 0.
void IcsReader::ReadGeometry(const int* spatialDims, int spatial) {
  Vector3d<double> origin(0, 0, 0), spacing(NAN, NAN, NAN), raw(1, 1, 1);
  int lengths = 0;
  for (int a = 0; a < spatial; ++a) {
    double o = 0, scale = 0;
    const char* units = nullptr;
    if (IcsGetPositionF(m_handle.ics, spatialDims[a], &o, &scale, &units) != IcsErr_Ok) continue;
    const double microns = units ? MicronsPerUnit(units) : 0.0;
    lengths += microns > 0;
    origin[a] = microns > 0 ? o * microns : o;
    spacing[a] = microns > 0 ? scale * microns : NAN;
    raw[a] = scale;
  }
  if (lengths == 0) {
    spacing = raw;
    if (raw.x == 1 && raw.y == 1 && raw.z == 1) spacing = Vector3d<double>(NAN, NAN, NAN);
  } else if (lengths < spatial) {
    origin = Vector3d<double>(0, 0, 0);
  }
  for (int a = spatial; a < 3; ++a) spacing[a] = spacing.x;
  m_info.resolution = ResolutionFromSpacing(spacing.x, spacing.y, spacing.z);
  for (unsigned a = 0; a < 3; ++a)
    m_info.offset[a] = std::isfinite(float(origin[a])) ? float(origin[a]) + 0.0f : 0.f;
}

// libics reads data only as asked, so a header claiming more than the data
// file can hold is refused here, before the image is allocated.
void IcsReader::CheckDataSize() {
  std::string data = m_handle.ics->srcFile;
  if (m_handle.ics->version == 1) {
    // Version 1 keeps the data in name.ids, which libics also finds
    // compressed on its own as name.ids.gz or name.ids.Z.
    char ids[ICS_MAXPATHLEN];
    IcsGetIdsName(ids, m_handle.ics->filename);
    data = ids;
    struct stat st;
    for (const char* suffix : {"", ".gz", ".Z"})
      if (::stat((ids + std::string(suffix)).c_str(), &st) == 0) {
        data = ids + std::string(suffix);
        break;
      }
  }
  if (data.empty()) data = m_handle.ics->filename;
  const std::uint64_t bytes = FileSize(data);
  const std::uint64_t offset = m_handle.ics->srcOffset;
  const std::uint64_t available = bytes > offset ? bytes - offset : 0;
  const std::uint64_t ratio = m_handle.ics->compression == IcsCompr_uncompressed ? 1
                              : m_handle.ics->compression == IcsCompr_gzip     ? kDeflateRatio
                                                                        : 4096;
  // All the file's planes, of every channel and time point.
  const Vector3d<unsigned> planes(m_info.size.x, m_info.size.y, unsigned(std::min<std::uint64_t>(m_filePlanes, 0xffffffffu)));
  std::string claim;
  if (m_filePlanes > 0xffffffffu || planes.z != m_info.size.z)
    claim = std::to_string(planes.x) + " x " + std::to_string(planes.y) + " voxels in " + std::to_string(m_filePlanes) + " planes";
  CheckDataFits(m_name, planes, m_sampleType, available, ratio, claim);
}

void IcsReader::ReadPlane(unsigned char* destination) {
  CheckIcs(IcsGetDataBlock(m_handle.ics, destination, std::size_t(m_info.PlaneBytes())), m_name,
           "has unreadable or missing data");
}

}  // namespace

void IcsReader::ReadChannelPlane(const ChannelPlane& plane, unsigned char* destination) {
  // The data are a stream: planes not chosen are skipped, never gone back to.
  const std::size_t sample = SampleBytes(m_sampleType.numeric);
  const std::size_t pixels = std::size_t(m_info.size.x) * m_info.size.y;
  const std::uint64_t bytes = std::uint64_t(pixels) * sample * m_interleaved;
  const std::uint64_t stored = plane.index / m_interleaved;
  unsigned char* into = m_interleaved == 1 ? destination : nullptr;
  if (stored != m_storedIndex) {
    if (stored < m_nextPlane) Fail(m_name, "planes must be read in the file's order");
    if (stored > m_nextPlane)
      CheckIcs(IcsSkipDataBlock(m_handle.ics, std::size_t((stored - m_nextPlane) * bytes)), m_name,
               "has unreadable or missing data");
    if (!into) {
      m_stored.resize(std::size_t(bytes));
      into = m_stored.data();
    }
    CheckIcs(IcsGetDataBlock(m_handle.ics, into, std::size_t(bytes)), m_name, "has unreadable or missing data");
    m_nextPlane = stored + 1;
    m_storedIndex = m_interleaved == 1 ? UINT64_MAX : stored;
  }
  if (m_interleaved == 1) return;
  const unsigned char* from = m_stored.data() + (plane.index % m_interleaved) * sample;
  const std::size_t step = sample * m_interleaved;
  for (std::size_t i = 0; i < pixels; ++i, from += step, destination += sample) std::memcpy(destination, from, sample);
}

std::unique_ptr<ImageReader> OpenIcs(const std::string& name, const ReadOptions& options) {
  return std::make_unique<IcsReader>(name, options);
}

}  // namespace bix::io
