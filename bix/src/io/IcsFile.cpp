#include "IcsFile.h"

#include "IOError.h"

#include <libics_ll.h>
#include <strings.h>

#include <cstdlib>

namespace bix::io {

void CheckIcs(Ics_Error error, const std::string& name, const std::string& what) {
  if (error != IcsErr_Ok) Fail(name, what + " (libics: " + IcsGetErrorText(error) + ")");
}

Ics_Error OpenIcsForReading(ICS** ics, const std::string& path) {
  *ics = nullptr;
  // IcsClose frees the structure with free().
  ICS* header = static_cast<ICS*>(std::malloc(sizeof(ICS)));
  if (!header) return IcsErr_Alloc;
  IcsInit(header);
  const Ics_Error error = IcsReadIcs(header, path.c_str(), 0, 1);
  if (error != IcsErr_Ok) {
    IcsFreeHistory(header);
    std::free(header);
    return error;
  }
  header->fileMode = IcsFileMode_read;
  *ics = header;
  return IcsErr_Ok;
}

void CheckIcsPath(const std::string& path, const std::string& name) {
  if (path.size() >= ICS_MAXPATHLEN)
    Fail(name, "cannot be written as ICS: its path is longer than " + std::to_string(ICS_MAXPATHLEN - 1) +
                   " characters");
}

std::string IdsNameOf(const std::string& ics, const std::string& name) {
  CheckIcsPath(ics, name);
  char ids[ICS_MAXPATHLEN];
  IcsGetIdsName(ids, ics.c_str());
  return ids;
}

std::string IcsNameOf(const std::string& path, const std::string& name) {
  CheckIcsPath(path, name);
  char ics[ICS_MAXPATHLEN];
  IcsGetIcsName(ics, path.c_str(), 0);
  return ics;
}

bool IsChannelDimension(const char* order) {
  for (const char* n : {"ch", "c", "channel", "channels", "rgb"})
    if (order && ::strcasecmp(order, n) == 0) return true;
  return false;
}

}  // namespace bix::io
