#include <orv/orv_palette.h>

#include <gtest/gtest.h>

using C = bix::RGB_generic<unsigned char>;

TEST(MakePalette, LabelCycleAndOverlayPaletteAreTheTabledColours) {
  const std::vector<C> labels = orv::MakePalette(0);
  ASSERT_EQ(labels.size(), 13u);
  EXPECT_EQ(labels[0], C(0, 0, 0));
  EXPECT_EQ(labels[4], C(255, 255, 0));
  EXPECT_EQ(labels[12], C(128, 0, 128));

  const std::vector<C> overlay = orv::MakePalette(3);
  const std::vector<C> expected = {{255, 255, 255}, {255, 0, 0},     {0, 255, 0},   {0, 0, 255},
                                   {255, 0, 255},   {0, 255, 255},   {128, 0, 0},   {0, 128, 0},
                                   {0, 0, 128},     {128, 128, 255}, {128, 128, 0}, {128, 0, 255},
                                   {255, 128, 255}, {128, 128, 128}};
  EXPECT_EQ(overlay, expected);
}

TEST(MakePalette, SaturationMarksBothEnds) {
  const std::vector<C> p = orv::MakePalette(1);
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(p[0], C(0, 0, 255));
  EXPECT_EQ(p[1], C(1, 1, 1));
  EXPECT_EQ(p[254], C(254, 254, 254));
  EXPECT_EQ(p[255], C(255, 0, 0));
}

TEST(MakePalette, PeriodicPaletteSegmentsBeginAndEndAtTheirColours) {
  const std::vector<C> p = orv::MakePalette(2);
  ASSERT_EQ(p.size(), 256u);
  const C blue(0, 0, 255), cyan(0, 255, 255), green(0, 255, 0), yellow(255, 255, 0), red(255, 0, 0),
      magenta(255, 0, 255);
  // Segment starts: 0, 43, 86, 129, 171, 214.
  EXPECT_EQ(p[0], blue);
  EXPECT_EQ(p[42], cyan);
  EXPECT_EQ(p[43], cyan);
  EXPECT_EQ(p[85], green);
  EXPECT_EQ(p[86], green);
  EXPECT_EQ(p[128], yellow);
  EXPECT_EQ(p[129], yellow);
  EXPECT_EQ(p[170], red);
  EXPECT_EQ(p[171], red);
  EXPECT_EQ(p[213], magenta);
  EXPECT_EQ(p[214], magenta);
  EXPECT_EQ(p[255], blue);
  // Inside segments, channels are truncated: j = 21 of 43 is t = 0.5.
  EXPECT_EQ(p[21], C(0, 127, 255));
  EXPECT_EQ(p[192], C(255, 0, 127));
  // Yellow to red, j = 20 of 42: 255 - 255 * 20 / 41 = 130.6.
  EXPECT_EQ(p[149], C(255, 130, 0));
}

TEST(MakePalette, OtherKindsGiveAGrayRamp) {
  for (int kind : {-1, 4, 99}) {
    const std::vector<C> p = orv::MakePalette(kind);
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p[0], C(0, 0, 0));
    EXPECT_EQ(p[100], C(100, 100, 100));
    EXPECT_EQ(p[255], C(255, 255, 255));
  }
}
