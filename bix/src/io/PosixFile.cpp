#include "PosixFile.h"

#include "IOError.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bix::io {

namespace {

// One call moves at most this much: Linux transfers no more than 2 GiB at once.
constexpr std::size_t kMaxCall = std::size_t(1) << 30;

}  // namespace

PosixFile::PosixFile(const std::string& path, Mode mode, const std::string& name) : m_name(name) {
  m_fd = mode == READ ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC)
                      : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (m_fd < 0) Fail(name, std::string(mode == READ ? "cannot be opened: " : "cannot be written: ") +
                               std::strerror(errno));
}

PosixFile::~PosixFile() {
  if (m_fd >= 0) ::close(m_fd);
}

std::size_t PosixFile::Read(void* data, std::size_t bytes) {
  auto* p = static_cast<unsigned char*>(data);
  std::size_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::read(m_fd, p + done, std::min(bytes - done, kMaxCall));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail(m_name, std::string("cannot be read: ") + std::strerror(errno));
    if (n == 0) break;
    done += std::size_t(n);
  }
  return done;
}

void PosixFile::ReadExactly(void* data, std::size_t bytes) {
  if (Read(data, bytes) != bytes) Fail(m_name, "is truncated: its data end early");
}

void PosixFile::Seek(std::uint64_t offset) {
  if (::lseek(m_fd, off_t(offset), SEEK_SET) < 0) Fail(m_name, std::string("cannot be read: ") + std::strerror(errno));
}

void PosixFile::Write(const void* data, std::size_t bytes) {
  const auto* p = static_cast<const unsigned char*>(data);
  while (bytes > 0) {
    const ssize_t n = ::write(m_fd, p, std::min(bytes, kMaxCall));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail(m_name, std::string("cannot be written: ") + std::strerror(n < 0 ? errno : EIO));
    p += n;
    bytes -= std::size_t(n);
  }
}

void PosixFile::WriteAt(const void* data, std::size_t bytes, std::uint64_t offset) {
  if (::pwrite(m_fd, data, bytes, off_t(offset)) != ssize_t(bytes))
    Fail(m_name, std::string("cannot be written: ") + std::strerror(errno));
}

std::uint64_t PosixFile::Size() const {
  struct stat st;
  if (::fstat(m_fd, &st) != 0) Fail(m_name, std::string("cannot be read: ") + std::strerror(errno));
  return std::uint64_t(st.st_size);
}

void PosixFile::Close() {
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) Fail(m_name, std::string("cannot be written: ") + std::strerror(errno));
}

std::string FileBehindLinks(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    const std::string resolved = real;
    std::free(real);
    return resolved;
  }
  // A link to a file not there yet: the file is made where it points, as a
  // plain write through the link would.
  std::string text(4096, '\0');
  const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
  if (n <= 0 || std::size_t(n) >= text.size()) return path;
  text.resize(std::size_t(n));
  return text.front() == '/' ? text : path.substr(0, path.rfind('/') + 1) + text;
}

}  // namespace bix::io
