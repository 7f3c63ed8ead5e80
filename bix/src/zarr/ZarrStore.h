#ifndef BIX_ZARR_ZARRSTORE_H
#define BIX_ZARR_ZARRSTORE_H

// Where a Zarr store's keys (".zattrs", "0/.zarray", "0/1/2/3") are read
// from: a folder on disk, or a web server (http:// or https://). Both are
// safe to read from several threads at once.

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

namespace bix::zarr {

class Store {
public:
  virtual ~Store() = default;
  // The bytes stored under `key`, or false when the store has no such key
  // (a chunk never written holds the fill value). Raises IOException naming
  // the key's place for any other failure: a file that cannot be read, a
  // server that answers with an error or not at all.
  virtual bool Read(const std::string& key, std::string& bytes) const = 0;
  // Where a key lies, for messages: the file's path or the URL.
  virtual std::string Where(const std::string& key) const = 0;
};

// What to say of a key the store does not have, at `where` (a path or URL).
std::string MissingKey(const std::string& where);
// A key's JSON document; IOException naming its place when it is missing or no JSON.
nlohmann::json ReadJsonKey(const Store& store, const std::string& key);

// Whether a location is a URL (http:// or https://) rather than a path.
bool IsUrl(const std::string& location);
// The store at a location: a folder, or a URL (a web server's folder).
std::shared_ptr<const Store> OpenStore(const std::string& location);
// The store of a web server's folder; libcurl does the requests.
std::shared_ptr<const Store> OpenHttpStore(const std::string& url);

}  // namespace bix::zarr

#endif
