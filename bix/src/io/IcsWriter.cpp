// ICS through libics: dimensions "x", "y", "z", preceded by "ch" (3 entries)
// for RGB so that colours stay interleaved as in memory; positions in
// micrometers (origin = the offset, scale = the voxel size), "undefined"
// units for an undefined resolution; gzip when compressed. The data are
// handed to libics with strides, so a region is written without a copy.

#include "IcsFile.h"
#include "ImageWriters.h"
#include "Units.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bix::io {

namespace {

Ics_DataType IcsType(Numeric n) {
  switch (n) {
    case NUM_U8: return Ics_uint8;
    case NUM_S8: return Ics_sint8;
    case NUM_U16: return Ics_uint16;
    case NUM_S16: return Ics_sint16;
    case NUM_U32: return Ics_uint32;
    case NUM_S32: return Ics_sint32;
    default: return Ics_real32;
  }
}

}  // namespace

void WriteIcs(const std::string& path, const std::string& name, const VoxelBox& box, bool compress,
              int version) {
  CheckIcsPath(path, name);
  IcsHandle handle;
  CheckIcs(IcsOpen(&handle.ics, path.c_str(), version == 1 ? "w1" : "w2"), name, "cannot be written");
  ICS* ics = handle.ics;
  const std::size_t sampleBytes = SampleBytes(box.type.numeric);
  std::vector<std::size_t> dims;
  std::vector<std::ptrdiff_t> strides;
  if (box.type.channels == 3) {
    dims.push_back(3);
    strides.push_back(1);
  }
  dims.insert(dims.end(), {box.size.x, box.size.y, box.size.z});
  strides.insert(strides.end(), {std::ptrdiff_t(box.type.channels),
                                 std::ptrdiff_t(box.rowStride / sampleBytes),
                                 std::ptrdiff_t(box.planeStride / sampleBytes)});
  const int n = int(dims.size());
  CheckIcs(IcsSetLayout(ics, IcsType(box.type.numeric), n, dims.data()), name, "cannot be written");
  const int first = n - 3;  // the x dimension
  if (first == 1) CheckIcs(IcsSetOrder(ics, 0, "ch", "channel"), name, "cannot be written");
  const bool defined = box.resolution.IsDefined();
  for (int a = 0; a < 3; ++a) {
    const char order[2] = {char('x' + a), '\0'};
    const std::string label = std::string(order) + "-position";
    CheckIcs(IcsSetOrder(ics, first + a, order, label.c_str()), name, "cannot be written");
    // The shortest decimals that read back to the same floats (libics
    // prints six decimals, enough for the sizes microscopes use).
    const float offset = box.offset[a];
    const double origin = std::strtod(ShortestDecimal(offset, [&](double o) { return float(o) == offset; }).c_str(), nullptr);
    const double scale = std::strtod(VoxelSizeText(box.resolution.GetRes()[a]).c_str(), nullptr);
    CheckIcs(IcsSetPosition(ics, first + a, origin, scale, defined ? "micrometer" : "undefined"), name,
             "cannot be written");
  }
  std::size_t last = 0;  // the last sample's index from the first
  for (int d = 0; d < n; ++d) last += (dims[d] - 1) * std::size_t(strides[d]);
  const Ics_Error set = IcsSetDataWithStrides(ics, box.first, (last + 1) * sampleBytes, strides.data(), n);
  // A size other than the image's is only a notice: the strides skip bytes.
  if (set != IcsErr_FSizeConflict) CheckIcs(set, name, "cannot be written");
  CheckIcs(IcsSetCompression(ics, compress ? IcsCompr_gzip : IcsCompr_uncompressed, kDeflateLevel),
           name, "cannot be written");
  // IcsClose writes the files: what the system said of a failing write
  // (a full disk, a quota) is the reason a user can act on.
  errno = 0;
  const Ics_Error closed = handle.Close();
  const int reason = errno;
  CheckIcs(closed, name, reason != 0 ? std::string("cannot be written: ") + std::strerror(reason) : "cannot be written");
}

}  // namespace bix::io
