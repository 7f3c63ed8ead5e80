#ifndef ORV_FUZZ_INPUT_FILE_H
#define ORV_FUZZ_INPUT_FILE_H

// The readers take file names, so a fuzz target hands each input over as a
// file: one per process in the temporary folder, removed when the process
// ends (libFuzzer ends a run with exit(), which runs this destructor; only a
// crash leaves the file, beside the crash's own artefact).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

class FuzzInputFile {
public:
  explicit FuzzInputFile(const std::string& extension) {
    const char* tmp = std::getenv("TMPDIR");
    m_path = std::string(tmp && *tmp ? tmp : "/tmp") + "/bixfuzz-" + std::to_string(::getpid()) + extension;
  }
  ~FuzzInputFile() { std::remove(m_path.c_str()); }
  FuzzInputFile(const FuzzInputFile&) = delete;
  FuzzInputFile& operator=(const FuzzInputFile&) = delete;

  // Replaces the file's contents with `size` bytes of `data`; returns its name.
  const std::string& Write(const std::uint8_t* data, std::size_t size) {
    if (std::FILE* f = std::fopen(m_path.c_str(), "wb")) {
      std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
    return m_path;
  }

private:
  std::string m_path;
};

#endif
