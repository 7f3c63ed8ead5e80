#include <bix/WholeFiles.h>

#include "IOError.h"
#include "PosixFile.h"
#include "TemporaryFiles.h"

#include <sys/stat.h>

namespace bix {

std::string ReadWholeFile(const std::string& path) {
  io::PosixFile file(path, io::PosixFile::READ, path);
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) io::Fail(path, "cannot be opened: it is a folder");
  std::string bytes(file.Size(), '\0');
  // The file may have shrunk since its size was taken: what is there counts.
  bytes.resize(file.Read(bytes.data(), bytes.size()));
  return bytes;
}

void ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  io::TemporaryFiles files({io::FileBehindLinks(path)}, path);
  io::PosixFile file(files.Path(0), io::PosixFile::WRITE, path);
  file.Write(bytes.data(), bytes.size());
  file.Close();
  files.Commit();
}

}  // namespace bix
