#include "TiffFile.h"

#include "IOError.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <fcntl.h>
#include <cstdio>

namespace bix::io {

TiffFile::TiffFile(const std::string& path, const char* mode, const std::string& name)
    : m_name(name), m_writing(mode[0] != 'r') {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, &TiffFile::OnError, this);
  TIFFOpenOptionsSetWarningHandlerExtR(options, &TiffFile::OnWarning, this);
  // libtiff's own buffers hold one compressed strip or tile at a time; the
  // image data go straight into our memory.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(256) << 20);
  errno = 0;
  m_tif = TIFFOpenExt(path.c_str(), mode, options);
  if (!m_tif && m_errno == 0) m_errno = errno;
  TIFFOpenOptionsFree(options);
  if (!m_tif) Fail(mode[0] == 'r' ? "is not a readable TIFF file" : "cannot be written");
}

TiffFile::~TiffFile() {
  if (m_tif) TIFFClose(m_tif);
}

int TiffFile::OnError(TIFF*, void* self, const char* module, const char* format, va_list args) {
  const int reason = errno;  // before anything here can change it
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  TiffFile* file = static_cast<TiffFile*>(self);
  file->m_errno = reason;
  file->m_error = module && *module ? std::string(module) + ": " + text : std::string(text);
  return 1;
}

void TiffFile::Fail(const std::string& what) {
  const std::string reason = m_writing && m_errno != 0 ? what + ": " + std::strerror(m_errno) : what;
  io::Fail(m_name, m_error.empty() ? reason : reason + " (libtiff: " + m_error + ")");
}

void TiffFile::Close() {
  TIFF* tif = m_tif;
  m_tif = nullptr;
  // TIFFClose reports nothing; flush first so that a failing write is seen.
  errno = 0;
  const bool flushed = TIFFGetMode(tif) == O_RDONLY || TIFFFlush(tif);
  if (!flushed && m_errno == 0) m_errno = errno;
  TIFFClose(tif);
  if (!flushed) Fail("cannot be written");
}

}  // namespace bix::io
