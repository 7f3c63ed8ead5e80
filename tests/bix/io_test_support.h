// Shared helpers of the image file tests: a scratch directory per test,
// images whose voxels are all distinct and include each type's extremes,
// whole-file bytes, and running the independent command-line readers.

#ifndef ORV_TESTS_BIX_IO_TEST_SUPPORT_H
#define ORV_TESTS_BIX_IO_TEST_SUPPORT_H

#include <bix/ImageIO.h>
#include <bix/bix.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cfloat>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace iotest {

using bix::RGB_generic;
using bix::Vector3d;

// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends.
class ScratchDir {
public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bixio-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    m_path = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  std::string operator/(const std::string& file) const { return m_path + "/" + file; }
  const std::string& Path() const { return m_path; }
  // The names of the files in the directory, sorted.
  std::vector<std::string> List() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_path)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

private:
  std::string m_path;
};

inline std::string FileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// The i-th of a sequence of distinct voxel values that starts with the
// type's extremes, so a round trip that clips, wraps or swaps bytes shows.
template <class T> struct Values;
template <> struct Values<unsigned char> {
  static unsigned char Get(unsigned i) { return i == 0 ? 255 : static_cast<unsigned char>(i * 7 + 1); }
};
template <> struct Values<unsigned short> {
  static unsigned short Get(unsigned i) { return i == 0 ? 65535 : static_cast<unsigned short>(i * 1031 + 258); }
};
template <> struct Values<int> {
  static int Get(unsigned i) {
    if (i == 0) return INT_MIN;
    if (i == 1) return INT_MAX;
    return static_cast<int>(i * 2654435761u);  // both signs, all bytes used
  }
};
template <> struct Values<unsigned int> {
  static unsigned Get(unsigned i) { return i == 0 ? UINT_MAX : i * 2654435761u; }
};
template <> struct Values<float> {
  static float Get(unsigned i) {
    if (i == 0) return FLT_MAX;
    if (i == 1) return -FLT_MIN / 4;  // subnormal
    return (static_cast<float>(i) - 17.f) * 0.3f;
  }
};
template <class C> struct Values<RGB_generic<C>> {
  static RGB_generic<C> Get(unsigned i) {
    return RGB_generic<C>(Values<C>::Get(3 * i), Values<C>::Get(3 * i + 1), Values<C>::Get(3 * i + 2));
  }
};

template <class T>
bix::Image3d<T> MakeImage(const Vector3d<unsigned>& size, const Vector3d<float>& offset,
                          const bix::Resolution& res) {
  bix::Image3d<T> image(size, &offset, &res);
  unsigned i = 0;
  for (T& v : image) v = Values<T>::Get(i++);
  return image;
}

// Voxel-by-voxel equality, bitwise for floats (so -0 and subnormals count).
template <class T>
::testing::AssertionResult SameVoxels(const bix::Image3d<T>& a, const bix::Image3d<T>& b) {
  if (a.GetSize() != b.GetSize()) return ::testing::AssertionFailure() << "sizes differ";
  if (a.IsEmpty()) return ::testing::AssertionSuccess();
  if (std::memcmp(a.GetFirstVoxelAddr(), b.GetFirstVoxelAddr(), a.GetVoxelCount() * sizeof(T)) != 0) {
    for (std::size_t i = 0; i < a.GetVoxelCount(); ++i)
      if (std::memcmp(a.begin() + i, b.begin() + i, sizeof(T)) != 0)
        return ::testing::AssertionFailure() << "voxel " << i << " differs";
  }
  return ::testing::AssertionSuccess();
}

// Runs a shell command; returns its standard output, or sets `ok` false.
inline std::string RunCommand(const std::string& command, bool* ok = nullptr) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    if (ok) *ok = false;
    return out;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = ::pclose(pipe);
  if (ok) *ok = status == 0;
  return out;
}

inline bool HaveTool(const std::string& tool) {
  bool ok = false;
  RunCommand("command -v " + tool + " >/dev/null 2>&1", &ok);
  return ok;
}

// The message of the IOException `f` raises, or "" when it raises none.
template <class F>
std::string IOErrorOf(F&& f) {
  try {
    f();
  } catch (const bix::IOException& e) {
    return e.what();
  }
  return "";
}

// Limits the size of any file this process writes, so that a save fails
// part way as on a full disk; writes past the limit fail with EFBIG instead
// of raising SIGXFSZ.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
  }

private:
  rlimit m_old;
  void (*m_handler)(int);
};

}  // namespace iotest

#endif
