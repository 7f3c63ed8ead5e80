#ifndef BIX_IO_ZLIB_H
#define BIX_IO_ZLIB_H

#include "PosixFile.h"

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bix::io {

// Streams bytes through zlib's deflate into a file. Data of any length are
// fed in pieces that fit zlib's 32-bit counters.
class Deflater {
public:
  Deflater(PosixFile& file, int level, const std::string& name);
  ~Deflater();
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  void Feed(const unsigned char* data, std::size_t bytes);
  // Ends the stream; returns the compressed bytes written.
  std::uint64_t Finish();

private:
  void Run(int flush);

  PosixFile& m_file;
  std::string m_name;
  z_stream m_z{};
  std::vector<unsigned char> m_out;
  std::uint64_t m_written = 0;
};

// Streams one zlib stream of `compressedBytes` bytes out of a file, checking
// that it decodes to exactly the bytes asked for and ends with the data.
class Inflater {
public:
  Inflater(PosixFile& file, std::uint64_t compressedBytes, const std::string& name);
  ~Inflater();
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  void Read(unsigned char* out, std::size_t bytes);
  // Raises IOException unless the stream and the data end here.
  void Finish();

private:
  // Inflates into `out` until it is full or the stream ends; returns the bytes made.
  std::size_t Inflate(unsigned char* out, std::size_t bytes);

  PosixFile& m_file;
  std::string m_name;
  z_stream m_z{};
  std::vector<unsigned char> m_in;
  std::uint64_t m_remaining;
  bool m_ended = false;
};

}  // namespace bix::io

#endif
