#ifndef BIX_ZARR_ZARRJSON_H
#define BIX_ZARR_ZARRJSON_H

// Reading and writing the small JSON files of a Zarr store (".zarray",
// ".zattrs", ".zgroup") through nlohmann-json, with failures that name the
// file and the key.

#include <nlohmann/json.hpp>

#include <string>

namespace bix::zarr {

using Json = nlohmann::json;

// Whether a file exists at `path` (not a folder).
bool IsFile(const std::string& path);
// Reads all of a file. Raises IOException naming it; `missingOk` gives an
// empty string for a file that does not exist.
std::string ReadFileBytes(const std::string& path, bool missingOk = false);
// The JSON document of a file; IOException naming the file when it is none.
Json ReadJson(const std::string& path);
// `text` as a JSON document; IOException naming `name` when it is none.
Json ParseJson(const std::string& text, const std::string& name);
// Writes a JSON document, indented as zarr-python writes it.
void WriteJson(const std::string& path, const Json& json);

// The member `key` of `object`, or IOException naming `name` and the key.
const Json& Member(const Json& object, const char* key, const std::string& name);
// `value` as an unsigned number of at most `max`, else IOException naming the key.
std::uint64_t UnsignedAt(const Json& value, const char* key, std::uint64_t max, const std::string& name);
// `value` as a finite number, else IOException naming the key.
double NumberAt(const Json& value, const char* key, const std::string& name);

}  // namespace bix::zarr

#endif
