#ifndef BIX_IO_IOERROR_H
#define BIX_IO_IOERROR_H

#include <bix/Exceptions.h>

#include <string>

namespace bix::io {

// Raises IOException with the message "'name': what", so that every file
// failure names its file first.
[[noreturn]] inline void Fail(const std::string& name, const std::string& what) {
  throw IOException("'" + name + "': " + what);
}

}  // namespace bix::io

#endif
