#include "ZarrArray.h"

#include "ZarrJson.h"

#include "../io/IOError.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace bix::zarr {

namespace {

// Shapes beyond 2^40 voxels a side, or chunks beyond 1 GiB, are no image
// anybody stores: refused before any arithmetic can overflow.
constexpr std::uint64_t kMaxSide = 1ull << 40;
constexpr std::uint64_t kMaxChunkBytes = 1ull << 30;

Codec ParseCompressor(const Json& json, const std::string& name) {
  Codec codec;
  if (json.is_null()) return codec;
  if (!json.is_object() || !json.contains("id") || !json["id"].is_string())
    io::Fail(name, "\"compressor\" has no \"id\"");
  codec.id = json["id"].get<std::string>();
  if (codec.id == "blosc") {
    if (json.contains("cname") && json["cname"].is_string()) codec.cname = json["cname"].get<std::string>();
    if (json.contains("clevel")) codec.level = static_cast<int>(UnsignedAt(json["clevel"], "clevel", 9, name));
    if (json.contains("shuffle")) {
      // numcodecs writes -1 for "automatic" (bit shuffle for 1-byte types).
      const Json& shuffle = json["shuffle"];
      codec.shuffle = shuffle.is_number_integer() && shuffle.get<int>() == -1
                          ? 1
                          : static_cast<int>(UnsignedAt(shuffle, "shuffle", 2, name));
    }
    if (json.contains("blocksize"))
      codec.blocksize = static_cast<int>(UnsignedAt(json["blocksize"], "blocksize", 1u << 30, name));
  } else if (codec.id == "zlib" || codec.id == "gzip" || codec.id == "zstd") {
    if (json.contains("level") && json["level"].is_number_integer()) codec.level = json["level"].get<int>();
  } else {
    io::Fail(name, "\"compressor\": unknown codec '" + codec.id + "'");
  }
  return codec;
}

double ParseFill(const Json& json, const Dtype& dtype, const std::string& name) {
  if (json.is_null()) return 0;
  if (json.is_number()) return json.get<double>();
  if (json.is_string() && dtype.kind == 'f') {
    const std::string text = json.get<std::string>();
    if (text == "NaN") return std::numeric_limits<double>::quiet_NaN();
    if (text == "Infinity") return std::numeric_limits<double>::infinity();
    if (text == "-Infinity") return -std::numeric_limits<double>::infinity();
  }
  io::Fail(name, "\"fill_value\" holds " + json.dump() + ", not a number");
}

template <class S>
S LoadSample(const unsigned char* p, bool swap) {
  unsigned char b[sizeof(S)];
  std::memcpy(b, p, sizeof(S));
  if (swap)
    for (std::size_t i = 0; i < sizeof(S) / 2; ++i) std::swap(b[i], b[sizeof(S) - 1 - i]);
  S v;
  std::memcpy(&v, b, sizeof(S));
  return v;
}

// Stored samples of type S to voxels of type V, in place order.
template <class S, class V>
void Convert(const unsigned char* in, std::size_t count, bool swap, unsigned char* out) {
  V* v = reinterpret_cast<V*>(out);
  if constexpr (std::is_same_v<S, V>) {
    if (!swap) {
      std::memcpy(out, in, count * sizeof(V));
      return;
    }
  }
  for (std::size_t i = 0; i < count; ++i) v[i] = static_cast<V>(LoadSample<S>(in + i * sizeof(S), swap));
}

template <class V>
void Fill(double value, std::size_t count, unsigned char* out) {
  V* v = reinterpret_cast<V*>(out);
  const V fill = std::isfinite(value) || std::is_floating_point_v<V> ? static_cast<V>(value) : V();
  for (std::size_t i = 0; i < count; ++i) v[i] = fill;
}

}  // namespace

std::size_t VoxelTypeBytes(VoxelType type) {
  switch (type) {
    case VOXEL_UCHAR: return 1;
    case VOXEL_USHORT: return 2;
    case VOXEL_RGB8: return 3;
    case VOXEL_RGB16: return 6;
    default: return 4;
  }
}

Dtype ParseDtype(const std::string& text, const std::string& name) {
  Dtype d;
  d.text = text;
  auto refuse = [&] { io::Fail(name, "\"dtype\" '" + text + "' has no voxel type here (u1, u2, i1, i2, i4, u4, f4, f8)"); };
  if (text.size() != 3 || (text[0] != '<' && text[0] != '>' && text[0] != '|')) refuse();
  d.bigEndian = text[0] == '>';
  d.kind = text[1];
  d.bytes = static_cast<unsigned>(text[2] - '0');
  const std::string code = text.substr(1);
  if (code == "u1") d.voxel = VOXEL_UCHAR;
  else if (code == "u2") d.voxel = VOXEL_USHORT;
  else if (code == "i1" || code == "i2" || code == "i4" || code == "u4") d.voxel = VOXEL_INT;
  else if (code == "f4" || code == "f8") d.voxel = VOXEL_FLOAT;
  else refuse();
  return d;
}

ZarrArray::ZarrArray(std::shared_ptr<const Store> store, const std::string& prefix)
    : m_store(std::move(store)), m_prefix(prefix) {
  const std::string name = MetadataName();
  const Json meta = ReadJsonKey(*m_store, m_prefix + "/.zarray");
  if (!meta.is_object()) io::Fail(name, "not a JSON object");
  if (UnsignedAt(Member(meta, "zarr_format", name), "zarr_format", 3, name) != 2)
    io::Fail(name, "\"zarr_format\" is not 2");
  const Json& shape = Member(meta, "shape", name);
  const Json& chunks = Member(meta, "chunks", name);
  if (!shape.is_array() || shape.empty() || shape.size() > 5)
    io::Fail(name, "\"shape\" is not a list of 1 to 5 sizes");
  if (!chunks.is_array() || chunks.size() != shape.size())
    io::Fail(name, "\"chunks\" does not give one size per axis of \"shape\"");
  const Json& dtype = Member(meta, "dtype", name);
  if (!dtype.is_string()) io::Fail(name, "\"dtype\" is not a text");
  m_dtype = ParseDtype(dtype.get<std::string>(), name);
  std::uint64_t chunkBytes = m_dtype.bytes;
  for (std::size_t a = 0; a < shape.size(); ++a) {
    m_shape.push_back(UnsignedAt(shape[a], "shape", kMaxSide, name));
    const std::uint64_t c = UnsignedAt(chunks[a], "chunks", kMaxSide, name);
    if (c == 0) io::Fail(name, "\"chunks\" holds a size of 0");
    m_chunks.push_back(c);
    chunkBytes *= c;
    if (chunkBytes > kMaxChunkBytes) io::Fail(name, "\"chunks\" makes chunks of more than 1 GiB");
  }
  m_chunkElements = static_cast<std::size_t>(chunkBytes / m_dtype.bytes);
  if (meta.contains("order") && meta["order"] != "C")
    io::Fail(name, "\"order\" is " + meta["order"].dump() + ": only C order (x fastest) is read");
  m_codec = ParseCompressor(Member(meta, "compressor", name), name);
  if (meta.contains("filters") && !meta["filters"].is_null() && !meta["filters"].empty())
    io::Fail(name, "\"filters\" are not read (" + meta["filters"].dump() + ")");
  if (meta.contains("fill_value")) m_fill = ParseFill(meta["fill_value"], m_dtype, name);
  if (meta.contains("dimension_separator")) {
    const Json& sep = meta["dimension_separator"];
    if (sep != "." && sep != "/") io::Fail(name, "\"dimension_separator\" is " + sep.dump() + ", not \".\" or \"/\"");
    m_separator = sep.get<std::string>()[0];
  }
}

std::string ZarrArray::ChunkKey(const std::vector<std::uint64_t>& index) const {
  std::string path = m_prefix + "/";
  for (std::size_t a = 0; a < index.size(); ++a) {
    if (a) path += m_separator;
    path += std::to_string(index[a]);
  }
  return path;
}

void ZarrArray::ReadChunk(const std::vector<std::uint64_t>& index, std::vector<unsigned char>& out) const {
  const std::string key = ChunkKey(index);
  const std::string path = m_store->Where(key);
  std::string stored;
  const bool found = m_store->Read(key, stored);
  const std::size_t voxelBytes = VoxelTypeBytes(m_dtype.voxel);
  out.resize(m_chunkElements * voxelBytes);
  if (!found) {
    switch (m_dtype.voxel) {
      case VOXEL_UCHAR: Fill<unsigned char>(m_fill, m_chunkElements, out.data()); break;
      case VOXEL_USHORT: Fill<unsigned short>(m_fill, m_chunkElements, out.data()); break;
      case VOXEL_INT: Fill<int>(m_fill, m_chunkElements, out.data()); break;
      default: Fill<float>(m_fill, m_chunkElements, out.data()); break;
    }
    return;
  }
  const bool swap = m_dtype.bigEndian && m_dtype.bytes > 1;
  const std::string code = m_dtype.text.substr(1);
  const auto* storedBytes = reinterpret_cast<const unsigned char*>(stored.data());
  // Samples stored as the voxels hold them are decoded in place.
  if (!swap && (code == "u1" || code == "u2" || code == "i4" || code == "f4")) {
    DecodeChunk(m_codec, storedBytes, stored.size(), out.size(), out, path);
    return;
  }
  std::vector<unsigned char> decoded;
  DecodeChunk(m_codec, storedBytes, stored.size(), m_chunkElements * m_dtype.bytes, decoded, path);
  const unsigned char* in = decoded.data();
  const std::size_t n = m_chunkElements;
  if (code == "u1") Convert<unsigned char, unsigned char>(in, n, false, out.data());
  else if (code == "u2") Convert<unsigned short, unsigned short>(in, n, swap, out.data());
  else if (code == "i1") Convert<signed char, int>(in, n, false, out.data());
  else if (code == "i2") Convert<short, int>(in, n, swap, out.data());
  else if (code == "i4") Convert<int, int>(in, n, swap, out.data());
  else if (code == "f4") Convert<float, float>(in, n, swap, out.data());
  else if (code == "f8") Convert<double, float>(in, n, swap, out.data());
  else {
    // 32-bit unsigned reads as int: a value above INT_MAX has no int.
    Convert<unsigned, int>(in, n, swap, out.data());
    const unsigned char* raw = in;
    for (std::size_t i = 0; i < n; ++i)
      if (LoadSample<unsigned>(raw + 4 * i, swap) > static_cast<unsigned>(std::numeric_limits<int>::max()))
        io::Fail(path, "holds a value above 2147483647, which a 32-bit integer image cannot hold");
  }
}

}  // namespace bix::zarr
