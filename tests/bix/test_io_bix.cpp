// The BIX format byte for byte, and malformed BIX files.

#include "io_test_support.h"

#include <zlib.h>

using namespace iotest;
using bix::Image3d;
using bix::Resolution;

namespace {

std::string LE32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = char(v >> (8 * i));
  return s;
}
std::string LEFloat(float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  return LE32(v);
}
std::string LE64(std::uint64_t v) { return LE32(std::uint32_t(v)) + LE32(std::uint32_t(v >> 32)); }

// A header as the format's documentation lays it out.
std::string Header(std::uint32_t type, Vector3d<unsigned> size, Vector3d<float> offset, std::uint32_t defined,
                   Vector3d<float> res, std::uint32_t compression, std::uint64_t dataBytes,
                   std::uint32_t version = 1) {
  std::string h = "\x89" "BIX\r\n\x1a\n" + LE32(version) + LE32(type);
  for (unsigned a = 0; a < 3; ++a) h += LE32(size[a]);
  for (unsigned a = 0; a < 3; ++a) h += LEFloat(offset[a]);
  h += LE32(defined);
  for (unsigned a = 0; a < 3; ++a) h += LEFloat(res[a]);
  return h + LE32(compression) + LE32(0) + LE64(dataBytes);
}

TEST(BixFiles, BytesAreAsDocumented) {
  ScratchDir dir;
  const Resolution res(Vector3d<float>(2, 4, 0.5f));
  const Vector3d<float> offset(1.5f, -2, 0);
  Image3d<unsigned short> image(Vector3d<unsigned>(2, 1, 2), &offset, &res);
  image.GetVoxel(0, 0, 0) = 0x0102;
  image.GetVoxel(1, 0, 0) = 0x0304;
  image.GetVoxel(0, 0, 1) = 0x0506;
  image.GetVoxel(1, 0, 1) = 0xa0b0;
  image.SaveImage(dir / "a.bix", bix::FORMAT_BIX, false);
  EXPECT_EQ(FileBytes(dir / "a.bix"),
            Header(2, {2, 1, 2}, offset, 1, {2, 4, 0.5f}, 0, 8) + std::string("\x02\x01\x04\x03\x06\x05\xb0\xa0", 8));

  image.SaveImage(dir / "z.bix", bix::FORMAT_BIX, true);
  const std::string bytes = FileBytes(dir / "z.bix");
  ASSERT_GT(bytes.size(), 72u);
  EXPECT_EQ(bytes.substr(0, 72), Header(2, {2, 1, 2}, offset, 1, {2, 4, 0.5f}, 1, bytes.size() - 72));
  unsigned char raw[8];
  uLongf rawBytes = sizeof raw;
  ASSERT_EQ(uncompress(raw, &rawBytes, reinterpret_cast<const Bytef*>(bytes.data() + 72), bytes.size() - 72), Z_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(raw), rawBytes), std::string("\x02\x01\x04\x03\x06\x05\xb0\xa0", 8));

  const Image3d<RGB_generic<unsigned char>> rgb(Vector3d<unsigned>(1, 1, 1));
  rgb.SaveImage(dir / "c.bix", bix::FORMAT_BIX, false);
  EXPECT_EQ(FileBytes(dir / "c.bix"), Header(5, {1, 1, 1}, {0, 0, 0}, 0, {1, 1, 1}, 0, 3) + std::string(3, '\0'));
}

std::string ReadError(const std::string& path) {
  return IOErrorOf([&] {
    Image3d<unsigned short> image;
    bix::ReadImage(path, image);
  });
}

TEST(BixFiles, HeadersThatLieAreRefusedBeforeAllocating) {
  ScratchDir dir;
  const std::string p = dir / "b.bix";
  // The message after "'<path>': ".
  auto refused = [&](const std::string& bytes) {
    WriteBytes(p, bytes);
    const std::string error = ReadError(p);
    return error.rfind("'" + p + "': ", 0) == 0 ? error.substr(p.size() + 4) : "unnamed: " + error;
  };
  const Vector3d<float> one(1, 1, 1);
  const Vector3d<unsigned> huge(4294967295u, 4294967295u, 4294967295u), small(2, 1, 2);
  const std::string data(8, 'x');
  EXPECT_EQ(refused(Header(2, huge, {}, 0, one, 0, 8) + data),
            "claims 4294967295 x 4294967295 x 4294967295 voxels of 16-bit unsigned, more data than its 8 bytes hold");
  EXPECT_EQ(refused(Header(2, {65536, 65536, 1}, {}, 0, one, 1, 8) + data),
            "claims 65536 x 65536 x 1 voxels of 16-bit unsigned, more data than its 8 bytes can decompress to");
  EXPECT_EQ(refused(Header(2, {2, 0, 2}, {}, 0, one, 0, 8) + data), "has a size of 0 along y");
  EXPECT_EQ(refused(Header(2, small, {}, 0, one, 0, 8, 2) + data), "is BIX version 2; this reader knows version 1");
  EXPECT_EQ(refused(Header(9, small, {}, 0, one, 0, 8) + data), "has unknown voxel type code 9");
  EXPECT_EQ(refused(Header(2, small, {0, NAN, 0}, 0, one, 0, 8) + data), "has an offset that is not a finite number");
  EXPECT_EQ(refused(Header(2, small, {}, 1, {1, 0, 1}, 0, 8) + data), "has a resolution that is not positive and finite");
  EXPECT_EQ(refused(Header(2, small, {}, 2, one, 0, 8) + data), "has a resolution flag of 2 (0 or 1)");
  EXPECT_EQ(refused(Header(2, small, {}, 0, one, 3, 8) + data), "has unknown compression code 3");
  EXPECT_EQ(refused(Header(2, small, {}, 0, one, 0, 8) + "xxxx"), "holds 4 data bytes, its header says 8 (truncated)");
  EXPECT_EQ(refused(Header(2, small, {}, 0, one, 0, 6) + "xxxxxx"),
            "claims 2 x 1 x 2 voxels of 16-bit unsigned, more data than its 6 bytes hold");
  EXPECT_EQ(refused(Header(2, small, {}, 0, one, 0, 10) + "xxxxxxxxxx"), "holds 10 data bytes; its voxels take 8");
  EXPECT_EQ(refused(Header(2, small, {}, 0, one, 0, 8).substr(0, 50)), "is truncated: its header is incomplete");
  EXPECT_EQ(refused(std::string("\x89" "BIY\r\n\x1a\n", 8) + std::string(64, '\0')),
            "is neither a TIFF nor a BIX file, and its name does not end in .ics");
}

std::string Zlib(const std::string& raw) {
  uLongf bytes = compressBound(raw.size());
  std::string out(bytes, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &bytes, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
  out.resize(bytes);
  return out;
}

TEST(BixFiles, CompressedDataMustDecodeToExactlyTheVoxels) {
  ScratchDir dir;
  const std::string p = dir / "z.bix";
  auto refused = [&](const std::string& stream, std::uint64_t dataBytes) {
    WriteBytes(p, Header(2, {2, 1, 2}, {}, 0, {1, 1, 1}, 1, dataBytes) + stream);
    const std::string error = ReadError(p);
    return error.rfind("'" + p + "': ", 0) == 0 ? error.substr(p.size() + 4) : "unnamed: " + error;
  };
  const std::string good = Zlib("abcdefgh");
  EXPECT_EQ(refused(good, good.size()), "unnamed: ");
  EXPECT_EQ(refused(Zlib("abcdef"), Zlib("abcdef").size()), "is truncated: its compressed data end early");
  EXPECT_EQ(refused(Zlib("abcdefghij"), Zlib("abcdefghij").size()), "has more compressed data than its size says");
  EXPECT_EQ(refused(good + "!!", good.size() + 2), "has bytes after its compressed data");
  EXPECT_EQ(refused(good.substr(0, good.size() - 3), good.size() - 3), "is truncated: its compressed data end early");
  std::string corrupt = good;
  corrupt[4] = char(corrupt[4] ^ 0x55);
  EXPECT_EQ(refused(corrupt, corrupt.size()).rfind("has corrupt compressed data (", 0), 0u);
  EXPECT_EQ(refused("garbage!", 8).rfind("has corrupt compressed data (", 0), 0u);
}

}  // namespace
