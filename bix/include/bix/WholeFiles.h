#ifndef BIX_WHOLEFILES_H
#define BIX_WHOLEFILES_H

// Small files read and written whole (point lists, settings, view files) by
// the same rules as images: read in pieces, replaced safely.

#include <bix/Export.h>

#include <string>
#include <string_view>

namespace bix {

// The bytes of the file `path`, read in pieces (one read() moves at most
// 2 GiB). Raises IOException naming the file with the system's reason; a
// folder is no file.
BIX_EXPORT std::string ReadWholeFile(const std::string& path);

// Replaces the file `path` by `bytes` as image saves do: the file that a
// symbolic link names is replaced (the link stays), a read-only file is
// refused, and the bytes go to a temporary file beside it that is renamed
// over it once on the disk, so a failed or killed save leaves the old file
// (what a killed save leaves is removed by the next save in that folder).
// A file that existed keeps its permissions. Raises IOException naming the
// file with the system's reason.
BIX_EXPORT void ReplaceWholeFile(const std::string& path, std::string_view bytes);

}  // namespace bix

#endif
