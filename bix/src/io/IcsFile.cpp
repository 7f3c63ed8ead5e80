#include "IcsFile.h"

#include "IOError.h"

#include <strings.h>

namespace bix::io {

void CheckIcs(Ics_Error error, const std::string& name, const std::string& what) {
  if (error != IcsErr_Ok) Fail(name, what + " (libics: " + IcsGetErrorText(error) + ")");
}

bool IsChannelDimension(const char* order) {
  for (const char* n : {"ch", "c", "channel", "channels", "rgb"})
    if (order && ::strcasecmp(order, n) == 0) return true;
  return false;
}

}  // namespace bix::io
