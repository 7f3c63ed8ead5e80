#include "ZarrJson.h"

#include "../io/IOError.h"
#include "../io/PosixFile.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>

namespace bix::zarr {

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ReadFileBytes(const std::string& path, bool missingOk) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (missingOk && errno == ENOENT) return std::string();
    io::Fail(path, std::strerror(errno));
  }
  if (!S_ISREG(st.st_mode)) io::Fail(path, "not a regular file");
  io::PosixFile file(path, io::PosixFile::READ, path);
  std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
  file.ReadExactly(bytes.data(), bytes.size());
  return bytes;
}

Json ReadJson(const std::string& path) { return ParseJson(ReadFileBytes(path), path); }

Json ParseJson(const std::string& text, const std::string& name) {
  try {
    return Json::parse(text);
  } catch (const Json::exception& e) {
    io::Fail(name, std::string("not JSON (") + e.what() + ")");
  }
}

void WriteJson(const std::string& path, const Json& json) {
  const std::string text = json.dump(4) + "\n";
  io::PosixFile file(path, io::PosixFile::WRITE, path);
  file.Write(text.data(), text.size());
  file.Close();
}

const Json& Member(const Json& object, const char* key, const std::string& name) {
  if (!object.is_object() || !object.contains(key)) io::Fail(name, std::string("no \"") + key + "\" key");
  return object[key];
}

std::uint64_t UnsignedAt(const Json& value, const char* key, std::uint64_t max, const std::string& name) {
  if (!value.is_number_unsigned() || value.get<std::uint64_t>() > max)
    io::Fail(name, std::string("\"") + key + "\" holds " + value.dump() + ", not a whole number from 0 to " +
                       std::to_string(max));
  return value.get<std::uint64_t>();
}

double NumberAt(const Json& value, const char* key, const std::string& name) {
  if (!value.is_number() || !std::isfinite(value.get<double>()))
    io::Fail(name, std::string("\"") + key + "\" holds " + value.dump() + ", not a number");
  return value.get<double>();
}

}  // namespace bix::zarr
