#include "ZarrStore.h"

#include "ZarrJson.h"

#include "../io/IOError.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace bix::zarr {

namespace {

class FileStore : public Store {
public:
  explicit FileStore(std::string folder) : m_folder(std::move(folder)) {}
  bool Read(const std::string& key, std::string& bytes) const override {
    const std::string path = Where(key);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) return false;
    bytes = ReadFileBytes(path);
    return true;
  }
  std::string Where(const std::string& key) const override { return m_folder + "/" + key; }

private:
  std::string m_folder;
};

}  // namespace

std::string MissingKey(const std::string& where) {
  return IsUrl(where) ? "not found on the server (404)" : std::strerror(ENOENT);
}

nlohmann::json ReadJsonKey(const Store& store, const std::string& key) {
  std::string text;
  if (!store.Read(key, text)) io::Fail(store.Where(key), MissingKey(store.Where(key)));
  return ParseJson(text, store.Where(key));
}

bool IsUrl(const std::string& location) {
  return location.rfind("http://", 0) == 0 || location.rfind("https://", 0) == 0;
}

std::shared_ptr<const Store> OpenStore(const std::string& location) {
  if (IsUrl(location)) return OpenHttpStore(location);
  return std::make_shared<FileStore>(location);
}

}  // namespace bix::zarr
