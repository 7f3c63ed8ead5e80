#ifndef ORV_FUZZ_INPUT_FILE_H
#define ORV_FUZZ_INPUT_FILE_H

// The readers take file names, so a fuzz target hands each input over as a
// file: one per process in the temporary folder, removed when the process
// ends (libFuzzer ends a run with exit(), which runs this destructor). A run
// killed or crashed leaves its file; the next run removes those of processes
// that no longer run.

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <unistd.h>

class FuzzInputFile {
public:
  explicit FuzzInputFile(const std::string& extension) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = tmp && *tmp ? tmp : "/tmp";
    RemoveFilesOfEndedRuns(folder);
    m_path = folder + "/bixfuzz-" + std::to_string(::getpid()) + extension;
  }
  ~FuzzInputFile() { std::remove(m_path.c_str()); }
  FuzzInputFile(const FuzzInputFile&) = delete;
  FuzzInputFile& operator=(const FuzzInputFile&) = delete;

  // Replaces the file's contents with `size` bytes of `data`; returns its name.
  const std::string& Write(const std::uint8_t* data, std::size_t size) {
    if (std::FILE* f = std::fopen(m_path.c_str(), "wb")) {
      if (size > 0) std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
    return m_path;
  }

private:
  static void RemoveFilesOfEndedRuns(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
      if (std::strncmp(entry->d_name, "bixfuzz-", 8) != 0) continue;
      const long pid = std::strtol(entry->d_name + 8, nullptr, 10);
      if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) std::remove((folder + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
  }

  std::string m_path;
};

#endif
