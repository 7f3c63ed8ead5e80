#ifndef ORV_SRC_REPLACE_FILE_H
#define ORV_SRC_REPLACE_FILE_H

#include <string>
#include <string_view>

namespace orv {

// Writes `bytes` to a new file beside `path` and renames it over `path`
// once complete, so that a failed write leaves any previous file as it was
// and no partial file behind. False when the file could not be written.
bool ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace orv

#endif
