#include "Zlib.h"

#include "IOError.h"

#include <algorithm>

namespace bix::io {

namespace {

constexpr std::size_t kBuffer = 1 << 20;
constexpr std::size_t kMaxPiece = std::size_t(1) << 30;  // fits zlib's uInt

std::string ZlibText(const z_stream& z, int code) {
  return z.msg ? z.msg : ("zlib error " + std::to_string(code));
}

}  // namespace

Deflater::Deflater(PosixFile& file, int level, const std::string& name)
    : m_file(file), m_name(name), m_out(kBuffer) {
  if (deflateInit(&m_z, level) != Z_OK) Fail(name, "cannot be written: zlib cannot start");
}

Deflater::~Deflater() { deflateEnd(&m_z); }

void Deflater::Run(int flush) {
  int code;
  do {
    m_z.next_out = m_out.data();
    m_z.avail_out = uInt(m_out.size());
    code = deflate(&m_z, flush);
    if (code == Z_STREAM_ERROR) Fail(m_name, "cannot be written: " + ZlibText(m_z, code));
    const std::size_t made = m_out.size() - m_z.avail_out;
    m_file.Write(m_out.data(), made);
    m_written += made;
  } while (m_z.avail_out == 0 || (flush == Z_FINISH && code != Z_STREAM_END));
}

void Deflater::Feed(const unsigned char* data, std::size_t bytes) {
  while (bytes > 0) {
    const std::size_t piece = std::min(bytes, kMaxPiece);
    m_z.next_in = const_cast<Bytef*>(data);  // zlib's API is not const; it only reads
    m_z.avail_in = uInt(piece);
    Run(Z_NO_FLUSH);
    data += piece;
    bytes -= piece;
  }
}

std::uint64_t Deflater::Finish() {
  m_z.next_in = nullptr;
  m_z.avail_in = 0;
  Run(Z_FINISH);
  return m_written;
}

Inflater::Inflater(PosixFile& file, std::uint64_t compressedBytes, const std::string& name)
    : m_file(file), m_name(name), m_in(kBuffer), m_remaining(compressedBytes) {
  if (inflateInit(&m_z) != Z_OK) Fail(name, "cannot be read: zlib cannot start");
}

Inflater::~Inflater() { inflateEnd(&m_z); }

std::size_t Inflater::Inflate(unsigned char* out, std::size_t bytes) {
  m_z.next_out = out;
  m_z.avail_out = uInt(bytes);
  while (m_z.avail_out > 0 && !m_ended) {
    if (m_z.avail_in == 0 && m_remaining > 0) {
      const std::size_t want = std::size_t(std::min<std::uint64_t>(m_remaining, m_in.size()));
      m_file.ReadExactly(m_in.data(), want);
      m_remaining -= want;
      m_z.next_in = m_in.data();
      m_z.avail_in = uInt(want);
    }
    const int code = inflate(&m_z, Z_NO_FLUSH);
    if (code == Z_STREAM_END) m_ended = true;
    else if (code == Z_BUF_ERROR && m_z.avail_in == 0 && m_remaining == 0)
      Fail(m_name, "is truncated: its compressed data end early");
    else if (code != Z_OK && code != Z_BUF_ERROR)
      Fail(m_name, "has corrupt compressed data (" + ZlibText(m_z, code) + ")");
  }
  return bytes - m_z.avail_out;
}

void Inflater::Read(unsigned char* out, std::size_t bytes) {
  while (bytes > 0) {
    const std::size_t piece = std::min(bytes, kMaxPiece);
    if (Inflate(out, piece) != piece) Fail(m_name, "is truncated: its compressed data end early");
    out += piece;
    bytes -= piece;
  }
}

void Inflater::Finish() {
  unsigned char extra = 0;
  if (Inflate(&extra, 1) != 0) Fail(m_name, "has more compressed data than its size says");
  if (m_z.avail_in != 0 || m_remaining != 0) Fail(m_name, "has bytes after its compressed data");
}

}  // namespace bix::io
