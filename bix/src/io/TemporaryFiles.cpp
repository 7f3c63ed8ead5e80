#include "TemporaryFiles.h"

#include "IOError.h"
#include "../Notices.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sstream>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bix::io {

namespace {

std::string SystemError() { return std::strerror(errno); }

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

constexpr char kFolderPrefix[] = ".orv-save-";
// Inside each save folder: the name of the host whose process made it, in a
// file that process holds locked (flock) while it saves. Only this host can
// tell whether that process still runs (a folder on a shared disk may belong
// to a live save on another machine), and a process id alone does not say
// it (another PID namespace, a sandbox, has ids of its own): the lock does,
// for the system releases it when its holder ends however it ends.
constexpr char kHostFile[] = ".orv-save-host";

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  return ::gethostname(name, sizeof name - 1) == 0 ? name : "";
}

// The process id of a save folder's name ".orv-save-<pid>-<n>"; 0 for other names.
pid_t SaveFolderOwner(const char* name) {
  if (std::strncmp(name, kFolderPrefix, sizeof kFolderPrefix - 1) != 0) return 0;
  const char* p = name + sizeof kFolderPrefix - 1;
  long long pid = 0;
  const char* digits = p;
  while (*p >= '0' && *p <= '9' && pid < INT_MAX) pid = pid * 10 + (*p++ - '0');
  if (p == digits || *p++ != '-' || !(*p >= '0' && *p <= '9')) return 0;
  while (*p >= '0' && *p <= '9') ++p;
  return *p == '\0' && pid <= INT_MAX ? pid_t(pid) : 0;
}

// Removes every entry of `folder` and the folder itself; returns the bytes
// its files held. A symbolic link put in the folder's place is not followed.
std::uint64_t RemoveFolder(const std::string& folder) {
  std::uint64_t bytes = 0;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr) {
    while (const dirent* entry = ::readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      struct stat st;
      if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) bytes += std::uint64_t(st.st_size);
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
  } else if (fd >= 0) {
    ::close(fd);
  }
  ::rmdir(folder.c_str());
  return bytes;
}

// Whether `folder` is a save folder this user's process on this host left:
// its host file names this host and nobody holds its lock. On success the
// lock is ours (`lockFd`) until the folder is gone.
bool LeftByEndedSave(const std::string& folder, const std::string& host, int& lockFd) {
  struct stat st;
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
  const int fd = ::open((folder + "/" + kHostFile).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  char text[HOST_NAME_MAX + 2] = {};
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  const std::string madeBy(text, n > 0 ? std::size_t(n) : 0);
  if (host.empty() || madeBy != host + "\n" || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  lockFd = fd;
  return true;
}

std::string SizeText(std::uint64_t bytes) {
  std::ostringstream text;
  if (bytes >= (1u << 20)) text << (bytes + (1u << 19)) / (1u << 20) << " MB";
  else text << bytes << " bytes";
  return text.str();
}

// Removes the save folders in `dir` that processes of this host left when
// they ended mid-save (killed, or out of power): no later save would, and
// they may hold gigabytes. Folders of live processes, of other hosts, and
// folders whose owner is unknown stay.
void RemoveStaleSaveFolders(const std::string& dir) {
  DIR* listing = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!listing) return;
  std::vector<std::pair<std::string, pid_t>> candidates;
  while (const dirent* entry = ::readdir(listing)) {
    const pid_t owner = SaveFolderOwner(entry->d_name);
    if (owner > 0 && owner != ::getpid()) candidates.emplace_back(dir + entry->d_name, owner);
  }
  ::closedir(listing);
  const std::string host = HostName();
  for (const auto& [folder, owner] : candidates) {
    int lock = -1;
    if (!LeftByEndedSave(folder, host, lock)) continue;
    const std::uint64_t bytes = RemoveFolder(folder);
    ::close(lock);
    Notify("removed '" + folder + "' (" + SizeText(bytes) + "), left by an unfinished save of process " +
           std::to_string(owner) + ", which no longer runs");
  }
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
      Fail(name, target == name ? "cannot be written: it is read-only"
                                : "cannot be written: '" + target + "' is read-only");
  }
  const std::string& first = m_targets.front();
  const std::string dir = DirectoryOf(first);
  RemoveStaleSaveFolders(dir);
  // A short hidden name that no user picks, ".orv-save-<pid>-<n>": it leaves
  // the temporary paths as long as the targets' but for a few characters.
  const std::string stem = dir + kFolderPrefix + std::to_string(::getpid()) + "-";
  for (int attempt = 0;; ++attempt) {
    m_directory = stem + std::to_string(serial++);
    if (::mkdir(m_directory.c_str(), 0700) == 0) break;
    if (errno != EEXIST || attempt == 100)
      Fail(name, "cannot be written: no new file can be made in its directory (" + SystemError() + ")");
  }
  // The lock says "this save is under way" for as long as this process lives.
  m_lock = ::open((m_directory + "/" + kHostFile).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (m_lock >= 0) {
    ::flock(m_lock, LOCK_EX);
    // A host file that could not be written is never taken for stale.
    const std::string host = HostName() + "\n";
    [[maybe_unused]] const ssize_t written = ::write(m_lock, host.data(), host.size());
  }
  for (const std::string& target : m_targets)
    m_temporaries.push_back(m_directory + "/" + target.substr(DirectoryOf(target).size()));
}

TemporaryFiles::~TemporaryFiles() {
  // After a commit the directory holds only the host file; otherwise also
  // what was written, perhaps under names a writing library chose itself:
  // all goes, so that no hidden copy of the data is left behind.
  RemoveFolder(m_directory);
  if (m_lock >= 0) ::close(m_lock);
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
