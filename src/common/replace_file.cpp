#include "replace_file.h"

#include <bix/Exceptions.h>
#include <bix/WholeFiles.h>

namespace orv {

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* why) {
  try {
    bix::ReplaceWholeFile(path, bytes);
    return true;
  } catch (const bix::IOException& e) {
    if (why) {
      // The message names the file first ("'p.txt': cannot be written: ..."):
      // the callers name it themselves.
      std::string_view reason = e.what();
      for (const std::string& prefix : {"'" + path + "': ", std::string("cannot be written: ")})
        if (reason.substr(0, prefix.size()) == prefix) reason.remove_prefix(prefix.size());
      *why = reason;
    }
    return false;
  }
}

}  // namespace orv
