// ICS version 1 (.ics header, .ids data) and 2 (one file) through libics,
// plain, gzip or compress. Dimensions are x, y and z in this order, with an
// optional leading channel dimension ("ch", "c"...) of 1 or 3 entries; further
// dimensions must have one entry. Positions in any length unit libics
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

namespace bix::io {

namespace {

class IcsReader : public ImageReader {
public:
  explicit IcsReader(const std::string& name);
  void ReadPlane(unsigned char* destination) override;

private:
  void ReadLayout();
  void ReadGeometry(int firstSpatial, int spatialDims);
  void CheckDataSize();

  IcsHandle m_handle;
};

// libics reads past the end of a header whose last line is cut short before
// its value (a "layout sizes" line without values or line end crashes it),
// so such headers are refused before libics sees them; a last line that is
// whole but for its line end is fine. The header ends at its "end" line; the
// first two bytes are its field and line separators. `header` is the file
// that holds it (Cell.ics for Cell.ids).
void CheckHeaderIsWhole(const std::string& header, const std::string& name) {
  constexpr std::size_t kMaxHeader = 1 << 20;
  PosixFile file(header, PosixFile::READ, header);
  std::string text(kMaxHeader, '\0');
  text.resize(file.Read(text.data(), text.size()));
  if (text.size() < 2) return;  // libics says what is wrong with it
  const char field = text[0], line = text[1];
  // Anything else is no ICS header: libics says so itself.
  if (text.compare(2, 11, "ics_version") != 0) return;
  std::size_t last = 2;
  for (std::size_t start = 2; start < text.size();) {
    const std::size_t end = text.find(line, start);
    const std::string first = text.substr(start, std::min(end, text.find(field, start)) - start);
    if (first == "end") return;
    if (end == std::string::npos) break;
    start = last = end + 1;
  }
  if (text.size() == kMaxHeader || text.back() == line) return;
  // Category, keyword and at least one value: three fields, two separators.
  if (std::count(text.begin() + std::ptrdiff_t(last), text.end(), field) < 2)
    Fail(name, "is truncated: its ICS header ends in the middle of a line");
}

IcsReader::IcsReader(const std::string& name) : ImageReader(name) {
  // Through a link, libics must look for a version 1 data file beside the
  // header itself, not beside the link.
  const std::string path = FileBehindLinks(name);
  CheckHeaderIsWhole(IcsNameOf(path, name), name);
  CheckIcs(OpenIcsForReading(&m_handle.ics, path), name, "is not a readable ICS file");
  ReadLayout();
  CheckDataSize();
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
  if (IsChannelDimension(order)) {
    if (dims[0] != 1 && dims[0] != 3)
      Fail(m_name, "has " + std::to_string(dims[0]) + " channels; 1 (grey) or 3 (RGB) are read");
    m_info.type.channels = unsigned(dims[0]);
    first = 1;
  }
  NaturalVoxelType(m_info.type, m_name);
  const int spatial = std::min(n - first, 3);
  unsigned size[3] = {1, 1, 1};
  for (int a = 0; a < spatial; ++a) {
    // Channels or time points in place of a spatial dimension ("x y ch",
    // "x y t") are not z slices.
    const char* name = nullptr;
    IcsGetOrderF(m_handle.ics, first + a, &name, &label);
    const bool notSpatial = IsChannelDimension(name) || (name && (::strcasecmp(name, "t") == 0 ||
                                                                  ::strcasecmp(name, "time") == 0));
    if (notSpatial && dims[first + a] != 1)
      Fail(m_name, "dimension " + std::to_string(first + a + 1) + " (" + name + ") has " +
                       std::to_string(dims[first + a]) + " entries; only x, y and z are read");
    if (dims[first + a] == 0 || dims[first + a] > 0xffffffffu)
      Fail(m_name, "dimension " + std::to_string(first + a + 1) + " has " +
                       std::to_string(dims[first + a]) + " entries");
    size[a] = unsigned(dims[first + a]);
  }
  for (int d = first + spatial; d < n; ++d) {
    const char* name = nullptr;
    IcsGetOrderF(m_handle.ics, d, &name, &label);
    if (dims[d] != 1)
      Fail(m_name, "dimension " + std::to_string(d + 1) + " (" + (name ? name : "?") + ") has " +
                       std::to_string(dims[d]) + " entries; only x, y and z are read");
  }
  m_info.size = Vector3d<unsigned>(size[0], size[1], size[2]);
  ReadGeometry(first, spatial);
}

// Origins and scales along x, y, z in microns. A missing z dimension takes
// the x spacing. When no spatial axis has a length unit ("undefined", as for
// images of unknown spacing), the scales are relative voxel sizes and the
// origins count in the same unit: both are kept as they are, and scales of 1
// leave the resolution undefined. Length units on some axes and none on
// others have no common unit: the resolution is undefined and the origins 0.
void IcsReader::ReadGeometry(int first, int spatial) {
  Vector3d<double> origin(0, 0, 0), spacing(NAN, NAN, NAN), raw(1, 1, 1);
  int lengths = 0;
  for (int a = 0; a < spatial; ++a) {
    double o = 0, scale = 0;
    const char* units = nullptr;
    if (IcsGetPositionF(m_handle.ics, first + a, &o, &scale, &units) != IcsErr_Ok) continue;
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
  CheckDataFits(m_name, m_info.size, m_info.type, available, ratio);
}

void IcsReader::ReadPlane(unsigned char* destination) {
  CheckIcs(IcsGetDataBlock(m_handle.ics, destination, std::size_t(m_info.PlaneBytes())), m_name,
           "has unreadable or missing data");
}

}  // namespace

std::unique_ptr<ImageReader> OpenIcs(const std::string& name) {
  return std::make_unique<IcsReader>(name);
}

}  // namespace bix::io
