#include "oriented_pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Pixel = bix::RGB_generic<unsigned char>;

// The picture pixel (c, r) of a w x h buffer, by the definition: transposed
// pictures show element (r, c); mirroring flips the picture's columns/rows.
std::uint32_t Expected(const orv::RGB8Buffer& b, bool transpose, bool mirrorH, bool mirrorV, int c, int r) {
  const int w = static_cast<int>(transpose ? b.height : b.width);
  const int h = static_cast<int>(transpose ? b.width : b.height);
  const int pc = mirrorH ? w - 1 - c : c, pr = mirrorV ? h - 1 - r : r;
  const Pixel& p = transpose ? b.At(pr, pc) : b.At(pc, pr);
  return std::uint32_t(p.red) << 16 | std::uint32_t(p.green) << 8 | p.blue;
}

constexpr std::uint32_t kUntouched = 0xdeadbeef;

// Every size from 1 x 1 to 11 x 11 (the 4 x 4 blocks and their remainders),
// every orientation, both code paths. Rows carry three spare words that must
// stay as they were; the buffer is allocated to its exact size, so the
// sanitizer build catches a read past its end.
TEST(OrientedPixels, EveryOrientationAndSizeMatchesTheDefinitionOnBothPaths) {
  std::uint32_t seed = 1;
  for (unsigned bw = 1; bw <= 11; ++bw) {
    for (unsigned bh = 1; bh <= 11; ++bh) {
      orv::RGB8Buffer buffer(bw, bh);
      for (std::size_t i = 0; i < std::size_t(bw) * bh; ++i) {
        seed = seed * 1664525u + 1013904223u;
        buffer.data[i] = Pixel(seed >> 24, seed >> 16, seed >> 8);
      }
      for (int flags = 0; flags < 8; ++flags) {
        const bool transpose = flags & 1, mirrorH = flags & 2, mirrorV = flags & 4;
        const int w = static_cast<int>(transpose ? bh : bw), h = static_cast<int>(transpose ? bw : bh);
        const int rowWords = w + 3;
        for (bool vectorised : {true, false}) {
          SCOPED_TRACE(testing::Message() << bw << " x " << bh << " transpose " << transpose << " mirrorH "
                                          << mirrorH << " mirrorV " << mirrorV << " vectorised " << vectorised);
          std::vector<std::uint32_t> pixels(std::size_t(rowWords) * h, kUntouched);
          orv::WriteOrientedPixels(buffer, transpose, mirrorH, mirrorV,
                                   reinterpret_cast<unsigned char*>(pixels.data()), rowWords * 4u, vectorised);
          int wrong = 0;
          for (int r = 0; r < h; ++r) {
            for (int c = 0; c < rowWords; ++c) {
              const std::uint32_t want =
                  c < w ? Expected(buffer, transpose, mirrorH, mirrorV, c, r) : kUntouched;
              if ((pixels[std::size_t(r) * rowWords + c] & (c < w ? 0xffffffu : ~0u)) != want && wrong++ < 3)
                ADD_FAILURE() << "pixel (" << c << ", " << r << ")";
            }
          }
          EXPECT_EQ(wrong, 0);
        }
      }
    }
  }
}

// A window-sized picture, where the blocked transposition runs over many
// blocks of sixteen columns: both paths give the same bytes.
TEST(OrientedPixels, LargePicturesAgreeBetweenThePaths) {
  orv::RGB8Buffer buffer(701, 389);
  std::uint32_t seed = 7;
  for (std::size_t i = 0; i < std::size_t(buffer.width) * buffer.height; ++i) {
    seed = seed * 1664525u + 1013904223u;
    buffer.data[i] = Pixel(seed >> 24, seed >> 16, seed >> 8);
  }
  for (int flags = 0; flags < 8; ++flags) {
    const bool transpose = flags & 1, mirrorH = flags & 2, mirrorV = flags & 4;
    const std::size_t w = transpose ? buffer.height : buffer.width, h = transpose ? buffer.width : buffer.height;
    std::vector<std::uint32_t> fast(w * h), plain(w * h);
    orv::WriteOrientedPixels(buffer, transpose, mirrorH, mirrorV, reinterpret_cast<unsigned char*>(fast.data()),
                             w * 4, true);
    orv::WriteOrientedPixels(buffer, transpose, mirrorH, mirrorV, reinterpret_cast<unsigned char*>(plain.data()),
                             w * 4, false);
    for (std::uint32_t& v : fast) v &= 0xffffff;
    for (std::uint32_t& v : plain) v &= 0xffffff;
    EXPECT_TRUE(fast == plain) << "flags " << flags;
    EXPECT_EQ(plain[w * (h - 1)], Expected(buffer, transpose, mirrorH, mirrorV, 0, static_cast<int>(h - 1)));
  }
}

}  // namespace
