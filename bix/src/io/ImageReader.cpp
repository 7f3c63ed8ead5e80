#include "ImageReader.h"

#include "IOError.h"
#include "PosixFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

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

std::unique_ptr<ImageReader> OpenImageFile(const std::string& name) {
  // FileSize says why a name is no file: missing, a directory...
  if (FileSize(name) == 0) Fail(name, "is empty");
  unsigned char head[8] = {};
  {
    PosixFile file(name, PosixFile::READ, name);  // says why it cannot be opened
    file.Read(head, sizeof head);
  }
  const bool tiff = (head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
                    (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43));
  if (tiff) return OpenTiff(name);
  if (std::memcmp(head, "\x89" "BIX\r\n\x1a\n", 8) == 0) return OpenBix(name);
  if (EndsWith(name, ".ics") || EndsWith(name, ".ids")) return OpenIcs(name);
  Fail(name, "is neither a TIFF nor a BIX file, and its name does not end in .ics");
}

}  // namespace bix::io
