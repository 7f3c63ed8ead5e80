#ifndef ORV_SRC_REPLACE_FILE_H
#define ORV_SRC_REPLACE_FILE_H

#include <string>
#include <string_view>

namespace orv {

// Replaces the file `path` by `bytes` as image saves do (through symbolic
// links, never over a read-only file, via a temporary file renamed over it
// once complete, so a failed save leaves the old file). False when it could
// not; `why` then says why, without the file's name ("it is read-only",
// "no new file can be made in its directory (Permission denied)").
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* why = nullptr);

}  // namespace orv

#endif
