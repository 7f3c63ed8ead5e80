// libFuzzer target: a point file's bytes, decoded and read for an image with
// an offset and a resolution that are not 1. Whatever they hold, reading
// must never crash or hang, every point read must be a finite place with one
// label text and one triple of file values, a failure must say so in a
// message of bounded length, and each point's coordinates must be written
// as texts that read back as exactly that point.

#include "point_file_text.h"

#include <cmath>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bix::Vector3d<float> offset(0.5f, -3.0f, 0.0f), res(2.0f, 1.0f, 0.25f);
  const std::string text = orv::DecodePointFileText(std::string(reinterpret_cast<const char*>(data), size));
  orv::PointFileContents read;
  const std::string failure = orv::ParsePointText(text, offset, res, read);
  if (failure.size() > 200) __builtin_trap();
  if (read.labels.Count() != read.coords.size() || read.values.size() != read.coords.size()) __builtin_trap();
  for (std::size_t i = 0; i < read.coords.size(); ++i)
    for (unsigned a = 0; a < 3; ++a) {
      const float p = read.coords[i][a];
      if (!std::isfinite(p)) __builtin_trap();
      // What a save writes, read back.
      const std::string written = orv::CoordinateText(p, offset[a], res[a]);
      double back = 0;
      if (!orv::ParseCoordinate(written, back) || orv::FileToMicrons(back, offset[a], res[a]) != p) __builtin_trap();
    }
  return 0;
}
