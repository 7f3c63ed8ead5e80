#ifndef BIX_IO_TIFFFILE_H
#define BIX_IO_TIFFFILE_H

#include <tiffio.h>

#include <string>

namespace bix::io {

// An open libtiff handle whose error messages are kept for our exceptions
// instead of going to stderr; warnings are dropped (unknown private tags of
// other programs are common and harmless).
class TiffFile {
public:
  // `path` is opened with libtiff's `mode`; `name` is the file the user named.
  TiffFile(const std::string& path, const char* mode, const std::string& name);
  ~TiffFile();
  TiffFile(const TiffFile&) = delete;
  TiffFile& operator=(const TiffFile&) = delete;

  TIFF* get() const { return m_tif; }
  const std::string& GetName() const { return m_name; }
  // Raises IOException with `what` and libtiff's last message, if any. A
  // file open for writing also names the system's reason for the failing
  // call (errno when libtiff reported it; writers clear errno before each
  // call, so that a stale value is never shown).
  [[noreturn]] void Fail(const std::string& what);
  // Closes the file, raising IOException when the final write fails.
  void Close();

private:
  static int OnError(TIFF*, void* self, const char* module, const char* format, va_list args);
  static int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

  TIFF* m_tif = nullptr;
  std::string m_name;
  std::string m_error;
  int m_errno = 0;
  bool m_writing = false;
};

}  // namespace bix::io

#endif
