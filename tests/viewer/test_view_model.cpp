// The view model without any window: the one orientation rule of each cut
// window (pixels, microns, buffer elements) and the navigation.

#include "view_model.h"

#include <gtest/gtest.h>

using orv::CutOrientation;
using orv::kCutAxes;
using orv::PixelPoint;
using orv::ViewModel;
using Vec = bix::Vector3d<float>;

namespace {

// An image of 80 x 60 x 40 microns at 2 pixels per micron, the visible box
// 20 x 15 x 10 microns from (10, 5, 2.5).
ViewModel Model() {
  ViewModel m;
  m.imageBox = bix::VOI<float>(Vec(0, 0, 0), Vec(80, 60, 40));
  m.visibleBox = bix::VOI<float>(Vec(10, 5, 2.5f), Vec(20, 15, 10));
  m.zoom = m.baseZoom = Vec(2, 2, 2);
  m.scrollStep = Vec(4, 3, 2);
  m.voxelStep = Vec(0.5f, 0.5f, 0.5f);
  m.cut = Vec(20.25f, 12.25f, 6.25f);
  return m;
}

TEST(CutOrientation, PixelsAndMicronsAreOneRuleBothWays) {
  for (int reversal = 0; reversal < 8; ++reversal) {
    ViewModel m = Model();
    for (unsigned a = 0; a < 3; ++a) m.reversed[a] = (reversal >> a) & 1;
    for (int w = 0; w < 3; ++w) {
      const CutOrientation o = m.Orientation(w);
      const int width = static_cast<int>(m.visibleBox.size[kCutAxes[w].h] * 2);
      const int height = static_cast<int>(m.visibleBox.size[kCutAxes[w].v] * 2);
      for (int c = 0; c < width; c += 7)
        for (int r = 0; r < height; r += 5) {
          // Where a pixel starts (along the axis), and its pixel again.
          const float h = o.MicronsAcross(c, width), v = o.MicronsDown(r, height);
          EXPECT_EQ(o.PixelOf(h, v, width, height), (PixelPoint{c, r}))
              << "window " << w << " reversal " << reversal;
        }
    }
  }
  // By hand: the pointer rounds to the nearest pixel and mirrors.
  const CutOrientation tenPerMicron(kCutAxes[0], false, false, 10, 10, 0, 0);
  EXPECT_EQ(tenPerMicron.PixelOf(4.5f, 3.25f, 100, 80), (PixelPoint{45, 33}));
  const CutOrientation mirrored(kCutAxes[0], true, true, 10, 10, 0, 0);
  EXPECT_EQ(mirrored.PixelOf(4.5f, 3.25f, 100, 80), (PixelPoint{54, 46}));
  const CutOrientation shifted(kCutAxes[0], false, false, 2, 2, 10, 5);
  EXPECT_EQ(shifted.PixelOf(12.f, 7.f, 10, 10), (PixelPoint{4, 4}));
  // By hand: XY at 2 pixels per micron from x = 10; column 3 is x 11.5, or
  // counted from the right edge of a 40-pixel picture when x is reversed.
  ViewModel m = Model();
  EXPECT_EQ(m.Orientation(0).MicronsAcross(3, 40), 11.5f);
  m.reversed[0] = true;
  EXPECT_EQ(m.Orientation(0).MicronsAcross(3, 40), 10 + 36 / 2.f);
  EXPECT_EQ(m.Orientation(0).PixelOf(11.5f, 5, 40, 30), (PixelPoint{36, 0}));
}

TEST(CutOrientation, BufferElementsFollowTheTranspositionAndMirrors) {
  ViewModel m = Model();
  unsigned column = 9, row = 9;
  // XY: the buffer is the picture; XZ likewise.
  EXPECT_TRUE(m.Orientation(0).BufferElement(3, 4, 40, 30, column, row));
  EXPECT_EQ(column, 3u);
  EXPECT_EQ(row, 4u);
  EXPECT_FALSE(m.Orientation(0).BufferElement(40, 4, 40, 30, column, row));
  EXPECT_FALSE(m.Orientation(1).BufferElement(-1, 0, 40, 20, column, row));
  // YZ: z across and y down, the buffer along y first (y columns, z rows).
  EXPECT_TRUE(m.Orientation(2).BufferElement(3, 4, 30, 20, column, row));
  EXPECT_EQ(column, 4u);
  EXPECT_EQ(row, 3u);
  EXPECT_TRUE(m.Orientation(2).BufferElement(3, 29, 30, 20, column, row));
  EXPECT_FALSE(m.Orientation(2).BufferElement(20, 4, 30, 20, column, row)) << "the picture is 20 wide";
  // z reversed mirrors YZ across and XZ down.
  m.reversed[2] = true;
  EXPECT_TRUE(m.Orientation(2).BufferElement(3, 4, 30, 20, column, row));
  EXPECT_EQ(column, 4u);
  EXPECT_EQ(row, 16u);
  EXPECT_TRUE(m.Orientation(1).BufferElement(3, 4, 40, 20, column, row));
  EXPECT_EQ(column, 3u);
  EXPECT_EQ(row, 15u);
  // The one-voxel-deep slices run along the window's plane in image order.
  EXPECT_EQ(m.Orientation(0).SliceVoxel(4, 3), bix::Vector3d<unsigned>(4, 3, 0));
  EXPECT_EQ(m.Orientation(1).SliceVoxel(4, 3), bix::Vector3d<unsigned>(4, 0, 3));
  EXPECT_EQ(m.Orientation(2).SliceVoxel(4, 3), bix::Vector3d<unsigned>(0, 4, 3));
}

TEST(CutOrientation, ReversingAnAxisFlipsTheWindowsThatShowIt) {
  const ViewModel m = Model();
  using F = CutOrientation;
  const F::Flip expected[3][3] = {{F::FLIP_ACROSS, F::FLIP_DOWN, F::FLIP_NONE},
                                  {F::FLIP_ACROSS, F::FLIP_NONE, F::FLIP_DOWN},
                                  {F::FLIP_NONE, F::FLIP_DOWN, F::FLIP_ACROSS}};
  for (int w = 0; w < 3; ++w)
    for (unsigned axis = 0; axis < 3; ++axis) EXPECT_EQ(m.Orientation(w).FlipFor(axis), expected[w][axis]);
  EXPECT_TRUE(m.Orientation(2).Transposed());
  EXPECT_FALSE(m.Orientation(1).Transposed());
}

TEST(ViewModelNavigation, ScrollingStopsAtTheImageAndNamesTheWindowsItMoves) {
  ViewModel m = Model();
  EXPECT_EQ(m.ScrollAcross(0, -1), 3u);  // x: XY and XZ
  EXPECT_EQ(m.visibleBox.offset.x, 6);
  EXPECT_EQ(m.ScrollAcross(0, -1), 3u);
  EXPECT_EQ(m.ScrollAcross(0, -1), 3u);
  EXPECT_EQ(m.visibleBox.offset.x, 0);
  EXPECT_EQ(m.ScrollAcross(0, -1), 0u) << "at the image's edge";
  EXPECT_EQ(m.ScrollDown(1, +1), 6u);  // z: XZ and YZ
  EXPECT_EQ(m.visibleBox.offset.z, 4.5f);
  m.visibleBox.offset.y = 45;
  EXPECT_EQ(m.ScrollDown(2, +1), 0u) << "y already shows the image's end";
  EXPECT_EQ(m.ScrollAcross(2, +1), 6u);  // YZ across is z
}

TEST(ViewModelNavigation, PagingMovesFromVoxelCentreToVoxelCentre) {
  ViewModel m = Model();
  EXPECT_EQ(m.Page(0, +1), 1u);
  EXPECT_EQ(m.cut.z, 6.75f);
  EXPECT_EQ(m.Page(1, -1), 2u);
  EXPECT_EQ(m.cut.y, 11.75f);
  m.cut.x = 79.75f;  // the last voxel's centre
  EXPECT_EQ(m.Page(2, +1), 0u);
  m.cut.x = 79.5f;  // off centre: to the next centre, never past the last
  EXPECT_EQ(m.Page(2, +1), 4u);
  EXPECT_EQ(m.cut.x, 79.75f);
  // Far from the origin, 2000 pages land on a centre again.
  m.imageBox = bix::VOI<float>(Vec(0, 0, 10000), Vec(80, 60, 1000));
  m.voxelStep.z = 0.2f;
  m.cut.z = 10000.1f;
  for (int k = 0; k < 2000; ++k) m.Page(0, +1);
  EXPECT_FLOAT_EQ(m.cut.z, 10400.1f);
}

TEST(ViewModelNavigation, CutAndCentreStayInsideTheImage) {
  ViewModel m = Model();
  EXPECT_EQ(m.SetCutAt(1, -5, 50), 5u);  // XZ moves x and z: XY and YZ show new planes
  EXPECT_EQ(m.cut, Vec(0.25f, 12.25f, 39.75f)) << "outside: the edge voxels' centres";
  m.SetCutAt(0, 80, 59.9f);  // the far face is outside, a point just before it inside
  EXPECT_EQ(m.cut.x, 79.75f);
  EXPECT_EQ(m.cut.y, 59.9f);
  EXPECT_FALSE(m.MoveCut(Vec(80, 1, 1))) << "the far face is outside";
  EXPECT_TRUE(m.MoveCut(Vec(79.5f, 1, 1)));
  m.CenterAt(0, 75, 2);
  EXPECT_EQ(m.visibleBox.offset, Vec(60, 0, 2.5f));
  m.visibleBox.size.z = 50;  // deeper than the image: starts at its offset
  m.CenterAt(1, 40, 20);
  EXPECT_EQ(m.visibleBox.offset.z, 0);
  m.cut = Vec(5, 5, 5);
  m.CenterOnCutIfOut();
  EXPECT_EQ(m.visibleBox.offset, Vec(0, 0, 0));
}

}  // namespace
