#include <bix/Exceptions.h>
#include <bix/LUT.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

TEST(LUT, GammaOneIsTheClampedLine) {
  bix::LUT<unsigned short, unsigned char> lut;
  lut.Init(65536, 0, 65535);
  lut.CreateGamma(1000, 2000, 1.f, 0, 255);
  EXPECT_EQ(lut.Get(0), 0);
  EXPECT_EQ(lut.Get(999), 0);
  EXPECT_EQ(lut.Get(1000), 0);
  EXPECT_EQ(lut.Get(1250), 64);  // 63.75 rounds up
  EXPECT_EQ(lut.Get(1500), 128);  // 127.5 rounds up
  EXPECT_EQ(lut.Get(1996), 254);  // 253.98
  EXPECT_EQ(lut.Get(2000), 255);
  EXPECT_EQ(lut.Get(65535), 255);
}

TEST(LUT, GammaTwoAtHandComputedPoints) {
  bix::LUT<unsigned char, unsigned char> lut;
  lut.Init(256, 0, 255);
  lut.CreateGamma(0, 255, 2.f, 0, 255);
  EXPECT_EQ(lut.Get(0), 0);
  EXPECT_EQ(lut.Get(1), 16);    // 255 * sqrt(1/255) = 15.97
  EXPECT_EQ(lut.Get(16), 64);   // 63.87
  EXPECT_EQ(lut.Get(64), 128);  // 127.75
  EXPECT_EQ(lut.Get(200), 226);  // 225.83
  EXPECT_EQ(lut.Get(255), 255);
}

TEST(LUT, GammaWithEqualInputEndsIsAStepAndOutputMayBeInverted) {
  bix::LUT<unsigned char, unsigned char> lut;
  lut.Init(256, 0, 255);
  lut.CreateGamma(100, 100, 1.f, 0, 255);
  EXPECT_EQ(lut.Get(99), 0);
  EXPECT_EQ(lut.Get(100), 255);
  lut.CreateGamma(0, 255, 1.f, 255, 0);
  EXPECT_EQ(lut.Get(0), 255);
  EXPECT_EQ(lut.Get(255), 0);
  EXPECT_EQ(lut.Get(51), 204);
}

TEST(LUT, ThresholdingGivesInsideAndOutsideLevels) {
  bix::LUT<unsigned short, unsigned char> lut;
  lut.Init(65536, 0, 65535);
  lut.CreateThresholding(10, 20, 0, 255);
  EXPECT_EQ(lut.Get(9), 0);
  EXPECT_EQ(lut.Get(10), 255);
  EXPECT_EQ(lut.Get(15), 255);
  EXPECT_EQ(lut.Get(20), 255);
  EXPECT_EQ(lut.Get(21), 0);
  lut.CreateThresholding(10, 20, 7, 3);
  EXPECT_EQ(lut.Get(15), 3);
  EXPECT_EQ(lut.Get(30), 7);
}

TEST(LUT, AffineZeroTableAndClampedLine) {
  bix::LUT<unsigned short, unsigned char> zero;
  zero.Init(65536, 0, 65535);
  zero.CreateAffine(0.f, 0.f, 0, 255);
  for (unsigned v : {0u, 1u, 300u, 65535u}) EXPECT_EQ(zero.Get(static_cast<unsigned short>(v)), 0);

  bix::LUT<unsigned char, unsigned char> line;
  line.Init(256, 0, 255);
  line.CreateAffine(2.f, 10.f, 20, 250);
  EXPECT_EQ(line.Get(0), 20);
  EXPECT_EQ(line.Get(100), 210);
  EXPECT_EQ(line.Get(200), 250);
}

TEST(LUT, TablesWithFewerEntriesReadTheNearestEntry) {
  bix::LUT<float, unsigned char> lut;
  lut.Init(101, 0.f, 1.f);
  lut.CreateGamma(0.f, 1.f, 1.f, 0, 100);
  EXPECT_EQ(lut.Get(0.5f), 50);
  EXPECT_EQ(lut.Get(0.504f), 50);
  EXPECT_EQ(lut.Get(0.506f), 51);
  EXPECT_EQ(lut.Get(-3.f), 0);
  EXPECT_EQ(lut.Get(7.f), 100);
  EXPECT_EQ(lut.Get(NAN), 0);
  EXPECT_EQ(lut.Get(-INFINITY), 0);
  EXPECT_EQ(lut.Get(INFINITY), 100);
  EXPECT_EQ(lut.GetCount(), 101);
  EXPECT_DOUBLE_EQ(lut.GetEntryValue(25), 0.25);
}

TEST(LUT, IntegerTablesSpanningTheWholeTypeDoNotOverflow) {
  bix::LUT<int, unsigned char> lut;
  lut.Init(1000, INT_MIN, INT_MAX);
  lut.CreateGamma(INT_MIN, INT_MAX, 1.f, 0, 255);
  EXPECT_EQ(lut.Get(INT_MIN), 0);
  EXPECT_EQ(lut.Get(INT_MAX), 255);
  EXPECT_NEAR(lut.Get(0), 128, 1);

  bix::LUT<int, unsigned char> direct;
  direct.Init(256, -128, 127);
  direct.CreateGamma(-128, 127, 1.f, 0, 255);
  EXPECT_EQ(direct.Get(-1000), 0);
  EXPECT_EQ(direct.Get(-128), 0);
  EXPECT_EQ(direct.Get(-127), 1);
  EXPECT_EQ(direct.Get(127), 255);
}

TEST(LUT, PaletteTablesSetAndGetColours) {
  bix::LUT<unsigned char, bix::RGB_generic<unsigned char>> palette;
  palette.Init(256, 0, 255);
  palette.Set(200, bix::RGB_generic<unsigned char>(1, 2, 3));
  EXPECT_EQ(palette.Get(200), bix::RGB_generic<unsigned char>(1, 2, 3));
  EXPECT_EQ(palette.Get(199), bix::RGB_generic<unsigned char>(0, 0, 0));
  palette.CreateThresholding(10, 20, {0, 0, 0}, {255, 0, 0});
  EXPECT_EQ(palette.Get(15), bix::RGB_generic<unsigned char>(255, 0, 0));
}

TEST(LUT, AnUninitialisedTableIsSafeToRead) {
  const bix::LUT<unsigned short, unsigned char> lut;
  EXPECT_EQ(lut.Get(12345), 0);
}

TEST(LUT, InvalidArgumentsRaiseLibExceptionWithAMessage) {
  bix::LUT<unsigned char, unsigned char> lut;
  EXPECT_THROW(lut.Init(0, 0, 255), bix::LibException);
  EXPECT_THROW(lut.Init(-5, 0, 255), bix::LibException);
  EXPECT_THROW(lut.Init(1L << 40, 0, 255), bix::LibException);
  EXPECT_THROW(lut.Init(10, 200, 100), bix::LibException);
  lut.Init(256, 0, 255);
  EXPECT_THROW(lut.CreateGamma(200, 100, 1.f, 0, 255), bix::LibException);
  EXPECT_THROW(lut.CreateGamma(0, 255, 0.f, 0, 255), bix::LibException);
  EXPECT_THROW(lut.CreateGamma(0, 255, -1.f, 0, 255), bix::LibException);
  EXPECT_THROW(lut.CreateGamma(0, 255, NAN, 0, 255), bix::LibException);
  EXPECT_THROW(lut.CreateThresholding(20, 10, 0, 255), bix::LibException);
  EXPECT_THROW(lut.CreateAffine(1.f, 0.f, 255, 0), bix::LibException);
  EXPECT_THROW(lut.CreateAffine(INFINITY, 0.f, 0, 255), bix::LibException);
  EXPECT_THROW(lut.Set(256, 0), bix::LibException);
  EXPECT_THROW(lut.Set(-1, 0), bix::LibException);

  bix::LUT<float, unsigned char> floats;
  EXPECT_THROW(floats.Init(10, NAN, 1.f), bix::LibException);

  bix::LUT<unsigned char, bix::RGB_generic<unsigned char>> palette;
  palette.Init(256, 0, 255);
  EXPECT_THROW(palette.CreateGamma(0, 255, 1.f, {}, {}), bix::LibException);

  try {
    lut.CreateGamma(200, 100, 1.f, 0, 255);
  } catch (const bix::LibException& e) {
    EXPECT_STREQ(e.what(), "LUT::CreateGamma: input minimum 200 exceeds input maximum 100");
  }
}

TEST(LUT, AFailedCallLeavesTheTableAsItWas) {
  bix::LUT<unsigned char, unsigned char> lut;
  lut.Init(256, 0, 255);
  lut.CreateGamma(0, 255, 1.f, 0, 255);
  EXPECT_THROW(lut.CreateGamma(0, 255, 0.f, 0, 255), bix::LibException);
  EXPECT_THROW(lut.Init(0, 0, 255), bix::LibException);
  EXPECT_EQ(lut.Get(100), 100);

  bix::LUT<float, unsigned char> real;
  real.Init(256, 0.f, 1.f);
  real.CreateGamma(0.f, 1.f, 1.f, 0, 255);
  EXPECT_THROW(real.Init(256, 0.f, INFINITY), bix::LibException);
  EXPECT_THROW(real.Init(256, -INFINITY, 0.f), bix::LibException);
  EXPECT_EQ(real.Get(1.f), 255);
}

namespace {

// GetMany against Get, value by value, over more values than one block.
template <class T>
void ExpectManyAsGet(const bix::LUT<T, unsigned char>& lut, const std::vector<T>& values) {
  std::vector<unsigned char> many(values.size());
  lut.GetMany(values.data(), values.size(), many.data());
  for (std::size_t k = 0; k < values.size(); ++k)
    ASSERT_EQ(many[k], lut.Get(values[k])) << "value " << +values[k] << " at " << k;
}

}  // namespace

// The vectorised reading of many values agrees with Get: clamps at both
// ends, NaN and infinities, direct integer tables and tables with fewer
// entries than values, the whole int range.
TEST(LUT, GetManyReadsWhatGetReads) {
  std::vector<float> reals = {NAN, INFINITY, -INFINITY, -1e30f, 1e30f, -0.0f};
  std::vector<int> ints = {INT_MIN, INT_MAX, -1, 0};
  for (int i = -500; i < 3000; ++i) {
    reals.push_back(static_cast<float>(i) * 0.37f);
    ints.push_back(i * 3 - 7);
  }
  bix::LUT<float, unsigned char> realTable;
  realTable.Init(256, -3.5f, 700.25f);
  realTable.CreateGamma(-3.5f, 700.25f, 0.6f, 255, 0);
  ExpectManyAsGet(realTable, reals);

  bix::LUT<int, unsigned char> direct;
  direct.Init(1001, -20, 980);  // one entry per value
  direct.CreateGamma(-20, 980, 1.7f, 3, 250);
  ExpectManyAsGet(direct, ints);
  bix::LUT<int, unsigned char> coarse;
  coarse.Init(77, -20, 8000);
  coarse.CreateThresholding(100, 5000, 0, 255);
  ExpectManyAsGet(coarse, ints);
  bix::LUT<int, unsigned char> whole;
  whole.Init(256, INT_MIN, INT_MAX);
  whole.CreateAffine(1.f / 16777216, 128.f, 0, 255);
  ExpectManyAsGet(whole, ints);

  bix::LUT<unsigned short, unsigned char> shorts;
  shorts.Init(65536, 0, 65535);
  shorts.CreateGamma(100, 4000, 1.f, 0, 255);
  std::vector<unsigned short> all(65536);
  for (int v = 0; v < 65536; ++v) all[v] = static_cast<unsigned short>(v);
  ExpectManyAsGet(shorts, all);
}
