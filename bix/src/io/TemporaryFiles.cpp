#include "TemporaryFiles.h"

#include "IOError.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bix::io {

namespace {

std::string SystemError() { return std::strerror(errno); }

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

}  // namespace

TemporaryFiles::TemporaryFiles(const std::vector<std::string>& targets, const std::string& name)
    : m_targets(targets), m_name(name) {
  static std::atomic<unsigned> serial{0};
  for (const std::string& target : m_targets) {
    // Renaming needs no write permission on the file itself: a file the user
    // made read-only (raw data, say) would be replaced all the same.
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0))
      Fail(name, "cannot be written: '" + target + "' is read-only");
  }
  const std::string& first = m_targets.front();
  const std::string dir = DirectoryOf(first);
  // A short hidden name that no user picks, ".orv-save-<pid>-<n>": it leaves
  // the temporary paths as long as the targets' but for a few characters.
  const std::string stem = dir + ".orv-save-" + std::to_string(::getpid()) + "-";
  for (int attempt = 0;; ++attempt) {
    m_directory = stem + std::to_string(serial++);
    if (::mkdir(m_directory.c_str(), 0700) == 0) break;
    if (errno != EEXIST || attempt == 100)
      Fail(name, "cannot be written: no new file can be made in its directory (" + SystemError() + ")");
  }
  for (const std::string& target : m_targets)
    m_temporaries.push_back(m_directory + "/" + target.substr(DirectoryOf(target).size()));
}

TemporaryFiles::~TemporaryFiles() {
  // After a commit the directory is empty; otherwise it holds what was
  // written, perhaps under names a writing library chose itself: all goes,
  // so that no hidden copy of the data is left behind.
  if (DIR* dir = ::opendir(m_directory.c_str())) {
    while (const dirent* entry = ::readdir(dir))
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    ::closedir(dir);
  }
  ::rmdir(m_directory.c_str());
}

void TemporaryFiles::Commit() {
  for (std::size_t i = 0; i < m_temporaries.size(); ++i) {
    const int fd = ::open(m_temporaries[i].c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
      const std::string error = SystemError();
      if (fd >= 0) ::close(fd);
      Fail(m_name, "cannot be written: the data do not reach the disk (" + error + ")");
    }
    struct stat old;
    if (::stat(m_targets[i].c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
    ::close(fd);
  }
  for (std::size_t i = m_temporaries.size(); i-- > 0;)
    if (std::rename(m_temporaries[i].c_str(), m_targets[i].c_str()) != 0)
      Fail(m_name, "cannot replace '" + m_targets[i] + "': " + SystemError());
}

}  // namespace bix::io
