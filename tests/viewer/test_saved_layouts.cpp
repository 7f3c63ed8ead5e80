// The arithmetic of saved pictures, computed by hand: where each window's
// picture goes in a composite, how galleries are tiled, the clipped copy
// and the scale bar of the free corner.

#include "saved_layouts.h"

#include <gtest/gtest.h>

#include <vector>

using orv::CompositeLayout;
using orv::GalleryLayout;
using orv::PixelPoint;
using orv::PixelRect;

namespace {

// XY 60 x 40, XZ 60 x 20, YZ 20 x 40 (an image of 60 x 40 x 20 at one pixel per voxel).
CompositeLayout Composite(bool xy, bool xz, bool yz, int decoration) {
  const bool saved[3] = {xy, xz, yz};
  return orv::ComputeCompositeLayout(saved, 60, 40, 20, decoration);
}

const PixelRect kNone{};

}  // namespace

TEST(CompositeLayout, AllThreeWithAndWithoutGaps) {
  CompositeLayout c = Composite(true, true, true, 10);
  ASSERT_TRUE(c.any);
  EXPECT_EQ(c.width, 60 + 10 + 20);
  EXPECT_EQ(c.height, 40 + 10 + 20);
  EXPECT_EQ(c.part[0], (PixelRect{0, 0, 60, 40}));
  EXPECT_EQ(c.part[1], (PixelRect{0, 50, 60, 20}));
  EXPECT_EQ(c.part[2], (PixelRect{70, 0, 20, 40}));
  EXPECT_EQ(c.corner, (PixelRect{70, 50, 20, 20}));

  c = Composite(true, true, true, 0);
  EXPECT_EQ(c.width, 80);
  EXPECT_EQ(c.height, 60);
  EXPECT_EQ(c.part[1], (PixelRect{0, 40, 60, 20}));
  EXPECT_EQ(c.part[2], (PixelRect{60, 0, 20, 40}));
  EXPECT_EQ(c.corner, (PixelRect{60, 40, 20, 20}));

  EXPECT_EQ(Composite(true, true, true, -5).width, 80) << "a negative gap counts as none";
}

TEST(CompositeLayout, AWindowLeftOutLeavesItsPlaceOrTheGapOut) {
  // XY left out: its place stays white, the others keep theirs.
  CompositeLayout c = Composite(false, true, true, 10);
  EXPECT_EQ(c.width, 90);
  EXPECT_EQ(c.height, 70);
  EXPECT_EQ(c.part[0], kNone);
  EXPECT_EQ(c.part[1], (PixelRect{0, 50, 60, 20}));
  EXPECT_EQ(c.part[2], (PixelRect{70, 0, 20, 40}));
  EXPECT_EQ(c.corner, (PixelRect{70, 50, 20, 20}));
  // XZ left out: no gap below, no corner.
  c = Composite(true, false, true, 10);
  EXPECT_EQ(c.width, 90);
  EXPECT_EQ(c.height, 40);
  EXPECT_EQ(c.corner, kNone);
  c = Composite(false, false, true, 10);
  EXPECT_EQ(c.part[2], (PixelRect{0, 0, 20, 40}));
  EXPECT_FALSE(Composite(false, false, false, 10).any);
}

TEST(GalleryLayout, TheExamples) {
  GalleryLayout g;
  // 0, 2, ..., 10 with 5 columns: two rows, the second holding one tile.
  ASSERT_TRUE(orv::ComputeGalleryLayout(0, 10, 2, false, 5, 10, 60, 40, g));
  EXPECT_EQ(g.slices, 6);
  EXPECT_EQ(g.rows, 2);
  EXPECT_EQ(g.columns, 5);
  EXPECT_EQ(g.width, 5 * 70 - 10);
  EXPECT_EQ(g.height, 2 * 50 - 10);
  EXPECT_EQ(g.Tile(4), (PixelPoint{280, 0}));
  EXPECT_EQ(g.Tile(5), (PixelPoint{0, 50}));
  EXPECT_EQ(g.Slice(0, 2, 5), 10);

  // Six slices in 4 fixed rows: 2 columns, filled row by row.
  ASSERT_TRUE(orv::ComputeGalleryLayout(3, 8, 1, true, 4, 10, 60, 40, g));
  EXPECT_EQ(g.slices, 6);
  EXPECT_EQ(g.rows, 4);
  EXPECT_EQ(g.columns, 2);
  EXPECT_EQ(g.width, 130);
  EXPECT_EQ(g.height, 4 * 50 - 10);
  EXPECT_EQ(g.Tile(1), (PixelPoint{70, 0}));
  EXPECT_EQ(g.Tile(5), (PixelPoint{70, 100}));

  // One slice: exactly one tile, no spacing.
  ASSERT_TRUE(orv::ComputeGalleryLayout(7, 7, 3, false, 1, 10, 60, 40, g));
  EXPECT_EQ(g.slices, 1);
  EXPECT_EQ(g.width, 60);
  EXPECT_EQ(g.height, 40);

  // A step not dividing the range stops before the end; the fixed columns
  // stay, empty ones white.
  ASSERT_TRUE(orv::ComputeGalleryLayout(0, 10, 3, false, 10, 0, 5, 5, g));
  EXPECT_EQ(g.slices, 4);
  EXPECT_EQ(g.width, 50);
}

TEST(GalleryLayout, RequestsThatMakeNoGalleryAreRefused) {
  GalleryLayout g;
  EXPECT_FALSE(orv::ComputeGalleryLayout(0, 10, 0, false, 5, 10, 60, 40, g)) << "step 0";
  EXPECT_FALSE(orv::ComputeGalleryLayout(0, 10, -2, false, 5, 10, 60, 40, g)) << "negative step";
  EXPECT_FALSE(orv::ComputeGalleryLayout(0, 10, 1, true, 0, 10, 60, 40, g)) << "count 0";
  EXPECT_FALSE(orv::ComputeGalleryLayout(5, 4, 1, true, 1, 10, 60, 40, g)) << "end before start";
  EXPECT_FALSE(orv::ComputeGalleryLayout(0, 4, 1, true, 1, -1, 60, 40, g)) << "negative spacing";
  EXPECT_FALSE(orv::ComputeGalleryLayout(0, 4, 1, true, 1, 0, 0, 40, g)) << "empty tile";
  EXPECT_FALSE(orv::ComputeGalleryLayout(0, 100000, 1, false, 1, 100, 60000, 40, g)) << "too large";
}

TEST(CopyFitted, CopiesOnlyWhatLiesInsideSourcePlaceAndDestination) {
  // Source 4 x 3, pixel value 10 * row + column in every channel.
  std::vector<unsigned char> src(4 * 3 * 3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < 3; ++k) src[(r * 4 + c) * 3 + k] = static_cast<unsigned char>(10 * r + c + 1);
  auto copy = [&](PixelRect place) {
    std::vector<unsigned char> dst(6 * 5 * 3, 0);
    orv::CopyFitted(src.data(), 4, 3, 12, dst.data(), 6, 5, 18, place);
    std::vector<int> out;
    for (int i = 0; i < 30; ++i) out.push_back(dst[i * 3]);
    return out;
  };
  // Place larger than the picture: the rest stays untouched.
  EXPECT_EQ(copy({1, 1, 5, 4}), (std::vector<int>{0, 0, 0, 0, 0, 0,      //
                                                  0, 1, 2, 3, 4, 0,      //
                                                  0, 11, 12, 13, 14, 0,  //
                                                  0, 21, 22, 23, 24, 0,  //
                                                  0, 0, 0, 0, 0, 0}));
  // Place smaller: the picture is cut.
  EXPECT_EQ(copy({0, 0, 2, 1}), (std::vector<int>{1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // Past the destination's edge: cut there.
  EXPECT_EQ(copy({4, 3, 4, 3}), (std::vector<int>{0, 0, 0, 0, 0, 0,  //
                                                  0, 0, 0, 0, 0, 0,  //
                                                  0, 0, 0, 0, 0, 0,  //
                                                  0, 0, 0, 0, 1, 2,  //
                                                  0, 0, 0, 0, 11, 12}));
  // Outside altogether: nothing.
  EXPECT_EQ(copy({6, 0, 4, 3}), std::vector<int>(30, 0));
  EXPECT_EQ(copy({-1, 0, 4, 3}), std::vector<int>(30, 0));
}

TEST(ScaleBar, TheLongestRoundLengthThatFits) {
  const orv::TextWidth narrow = [](const std::string& text, int font) { return static_cast<int>(text.size()) * font / 2; };
  // Corner 200 x 200 at (300, 400): margin 20, font 24, bar 6 high, gap 8,
  // label box 36 high; 160 pixels across at most.
  orv::ScaleBar bar = orv::ChooseScaleBar({300, 400, 200, 200}, 1.0, narrow);
  ASSERT_TRUE(bar.shown);
  EXPECT_EQ(bar.microns, 100);
  EXPECT_EQ(bar.text, "100 \xC2\xB5m");
  EXPECT_EQ(bar.bar, (PixelRect{350, 475, 100, 6}));
  EXPECT_EQ(bar.label, (PixelRect{320, 489, 160, 36}));
  EXPECT_EQ(bar.fontPixels, 24);

  bar = orv::ChooseScaleBar({0, 0, 200, 200}, 2.5, narrow);
  EXPECT_EQ(bar.microns, 50);
  EXPECT_EQ(bar.bar.width, 125);
  bar = orv::ChooseScaleBar({0, 0, 200, 200}, 0.3, narrow);
  EXPECT_EQ(bar.microns, 500);
  EXPECT_EQ(bar.bar.width, 150);
  bar = orv::ChooseScaleBar({0, 0, 200, 200}, 1.6, narrow);
  EXPECT_EQ(bar.microns, 100) << "exactly the room there is";
  EXPECT_EQ(bar.bar.width, 160);
  bar = orv::ChooseScaleBar({0, 0, 200, 200}, 300.0, narrow);
  EXPECT_EQ(bar.microns, 0.5);
  EXPECT_EQ(bar.text, "0.5 \xC2\xB5m");
  EXPECT_EQ(bar.bar.width, 150);
}

TEST(ScaleBar, LeftOutWhereItWouldNotBeLegible) {
  const orv::TextWidth narrow = [](const std::string&, int) { return 10; };
  EXPECT_FALSE(orv::ChooseScaleBar({0, 0, 60, 60}, 1.0, narrow).shown) << "font below 9 pixels";
  EXPECT_TRUE(orv::ChooseScaleBar({0, 0, 80, 80}, 1.0, narrow).shown);
  EXPECT_FALSE(orv::ChooseScaleBar({0, 0, 0, 0}, 1.0, narrow).shown);
  EXPECT_FALSE(orv::ChooseScaleBar({0, 0, 200, 200}, 0.0, narrow).shown);
  const orv::TextWidth wide = [](const std::string&, int) { return 1000; };
  EXPECT_FALSE(orv::ChooseScaleBar({0, 0, 200, 200}, 1.0, wide).shown) << "the label does not fit";
}
