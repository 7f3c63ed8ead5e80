#ifndef BIX_EXCEPTIONS_H
#define BIX_EXCEPTIONS_H

#include <stdexcept>
#include <string>

namespace bix {

// Raised by table and algorithm calls given arguments they cannot honour
// (an inverted range, a non-positive gamma, an index outside a table...).
class LibException : public std::runtime_error {
public:
  explicit LibException(const std::string& what) : std::runtime_error(what) {}
};

// Raised by file operations; the message names the file and what went wrong.
class IOException : public std::runtime_error {
public:
  explicit IOException(const std::string& what) : std::runtime_error(what) {}
};

// Raised when a read is cancelled through its progress callback: the user
// asked for it, so a host says nothing (an IOException all the same, for
// callers that treat every unfinished read alike).
class ReadCancelled : public IOException {
public:
  explicit ReadCancelled(const std::string& what) : IOException(what) {}
};

}  // namespace bix

#endif
