// Boundary marking and label painting as plain functions, on small cuts
// drawn by hand.

#include "overlay_paint.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using OverlayColour = bix::RGB8;
using Cut = std::vector<unsigned short>;
constexpr unsigned short M = 0x8000;

Cut Marked(Cut cut, std::size_t width) {
  orv::MarkBoundaries(cut.data(), width, cut.size() / width);
  return cut;
}

OverlayColour Palette(unsigned short label) {
  static const OverlayColour colours[] = {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  return colours[label % 4];
}

}  // namespace

TEST(MarkBoundaries, OnePixelWideCutsMarkEveryLabelledPixel) {
  EXPECT_EQ(Marked({3, 0, 3, 3, 5}, 1), (Cut{3 | M, 0, 3 | M, 3 | M, 5 | M}));
  EXPECT_EQ(Marked({3, 0, 3, 3, 5}, 5), (Cut{3 | M, 0, 3 | M, 3 | M, 5 | M}));
  EXPECT_EQ(Marked({4}, 1), (Cut{4 | M}));
  EXPECT_EQ(Marked({}, 3), Cut{});
}

TEST(MarkBoundaries, ComponentsGetAnInnerRingAndContactsAreMarkedOnBothSides) {
  // A 3 x 3 square of label 2 in the middle of a 7 x 5 cut: its outer ring
  // of own pixels is marked, its centre not, background never.
  const Cut square = {0, 0, 0, 0, 0, 0, 0,  //
                      0, 0, 2, 2, 2, 0, 0,  //
                      0, 0, 2, 2, 2, 0, 0,  //
                      0, 0, 2, 2, 2, 0, 0,  //
                      0, 0, 0, 0, 0, 0, 0};
  const unsigned short R = 2 | M;
  EXPECT_EQ(Marked(square, 7), (Cut{0, 0, 0, 0, 0, 0, 0,  //
                                    0, 0, R, R, R, 0, 0,  //
                                    0, 0, R, 2, R, 0, 0,  //
                                    0, 0, R, R, R, 0, 0,  //
                                    0, 0, 0, 0, 0, 0, 0}));
  // Labels 3 and 5 touching along a vertical line, and filling the cut to
  // its border: the contact columns and the border are marked.
  const Cut touching = {3, 3, 3, 5, 5, 5,  //
                        3, 3, 3, 5, 5, 5,  //
                        3, 3, 3, 5, 5, 5,  //
                        3, 3, 3, 5, 5, 5};
  const unsigned short A = 3 | M, B = 5 | M;
  EXPECT_EQ(Marked(touching, 6), (Cut{A, A, A, B, B, B,  //
                                      A, 3, A, B, 5, B,  //
                                      A, 3, A, B, 5, B,  //
                                      A, A, A, B, B, B}));
  // Two rows only: everything labelled is on the border.
  EXPECT_EQ(Marked({1, 1, 1, 1, 0, 1}, 3), (Cut{1 | M, 1 | M, 1 | M, 1 | M, 0, 1 | M}));
}

TEST(MarkBoundaries, LabelsAtTheBoundaryBitAreBackground) {
  // 0x8001 would read as a marked label 1: it is cleared, and the label 1
  // beside it gets the boundary it has with background.
  const Cut cut = {0, 0, 0, 0,  //
                   0, 1, 1, 0,  //
                   0, 1, 0x8001, 0,  //
                   0, 0, 0, 0};
  const Cut marked = Marked(cut, 4);
  EXPECT_EQ(marked[10], 0);
  EXPECT_EQ(marked[5], 1 | M);
  EXPECT_EQ(marked[9], 1 | M);
  std::vector<unsigned> wide = {0x80000005u, 7, 7, 7};
  orv::MarkBoundaries(wide.data(), 4, 1);
  EXPECT_EQ(wide, (std::vector<unsigned>{0, 7 | 0x80000000u, 7 | 0x80000000u, 7 | 0x80000000u}));
}

TEST(PaintLabels, TransparencyRunsFromSolidComponentsToBoundariesOnly) {
  const OverlayColour gray(100, 100, 100);
  // Pixels: background, boundary of label 1, inner label 1, hidden label 2,
  // label 9 beyond the visibility array.
  const Cut cut = {0, 1 | M, 1, 2, 9};
  const unsigned char visible[] = {0, 1, 0, 1};
  const orv::LabelsShown<unsigned short> table{visible, 4};
  auto paint = [&](float t, const orv::LabelsShown<unsigned short>& shown) {
    std::vector<OverlayColour> rgb(cut.size(), gray);
    orv::PaintLabelCut(cut.data(), rgb.data(), cut.size(), shown, t, Palette);
    return rgb;
  };
  const OverlayColour red(255, 0, 0);
  EXPECT_EQ(paint(0.0f, table), (std::vector<OverlayColour>{gray, red, red, gray, gray}));
  EXPECT_EQ(paint(1.0f, table), (std::vector<OverlayColour>{gray, red, gray, gray, gray}));
  // 0.5 x 100 + 0.5 x 255 = 177.5 and 0.5 x 100 = 50, truncated.
  EXPECT_EQ(paint(0.5f, table), (std::vector<OverlayColour>{gray, red, {177, 50, 50}, gray, gray}));
  // 0.25 x 100 + 0.75 x 255 = 216.25; 0.25 x 100 = 25.
  EXPECT_EQ(paint(0.25f, table)[2], OverlayColour(216, 25, 25));
  // Without a table: every label from 1 to the highest shown.
  EXPECT_EQ(paint(0.0f, {nullptr, 0, 2}), (std::vector<OverlayColour>{gray, red, red, Palette(2), gray}));
}

TEST(PaintLabels, TwoLayersPaintOutlinesSolidAndAreasBlended) {
  const OverlayColour gray(100, 100, 100), red(255, 0, 0), green(0, 255, 0);
  // Outline of label 1 at pixel 0, area of label 1 at pixels 0 and 1; an
  // outline without a visible area (pixel 2) paints nothing.
  const Cut outline = {1, 0, 2, 0};
  const Cut area = {1, 1, 0, 2};
  const unsigned char visible[] = {0, 1, 1};
  auto paint = [&](float t) {
    std::vector<OverlayColour> rgb(4, gray);
    orv::PaintLabelLayers(outline.data(), area.data(), rgb.data(), 4, orv::LabelsShown<unsigned short>{visible, 3}, t, Palette);
    return rgb;
  };
  EXPECT_EQ(paint(0.0f), (std::vector<OverlayColour>{red, red, gray, green}));
  EXPECT_EQ(paint(1.0f), (std::vector<OverlayColour>{red, gray, gray, gray}));
  // The outline colour is blended with the area colour of the same label.
  EXPECT_EQ(paint(0.5f), (std::vector<OverlayColour>{{255, 0, 0}, {177, 50, 50}, gray, {50, 177, 50}}));
}
