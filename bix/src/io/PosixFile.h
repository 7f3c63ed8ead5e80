#ifndef BIX_IO_POSIXFILE_H
#define BIX_IO_POSIXFILE_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace bix::io {

// A file descriptor that reads and writes whole buffers (retrying short
// transfers and interrupts) and raises IOException about `name` on failure.
class PosixFile {
public:
  enum Mode { READ, WRITE };
  PosixFile(const std::string& path, Mode mode, const std::string& name);
  ~PosixFile();
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  // Reads up to `bytes`; returns fewer only at the end of the file.
  std::size_t Read(void* data, std::size_t bytes);
  // Reads exactly `bytes` or raises IOException saying the file is truncated.
  void ReadExactly(void* data, std::size_t bytes);
  // Moves to `offset` from the start for the next Read.
  void Seek(std::uint64_t offset);
  void Write(const void* data, std::size_t bytes);
  void WriteAt(const void* data, std::size_t bytes, std::uint64_t offset);
  std::uint64_t Size() const;
  // Closes, raising IOException when the system reports a failed write.
  void Close();

private:
  int m_fd = -1;
  std::string m_name;
};

// The file `path` stands for: where a symbolic link points, else `path`. A
// link to a file not there yet gives the path it names. Saving replaces
// this file (the link stays); ICS version 1 finds its data file beside it.
std::string FileBehindLinks(const std::string& path);

}  // namespace bix::io

#endif
