#include "canvas_layout.h"

#include <gtest/gtest.h>

#include <ostream>

using bix::Vector3d;
using orv::CanvasLayout;
using orv::CanvasLayoutInput;
using orv::PixelPoint;
using orv::PixelRect;
using orv::PixelSize;

// gtest prints mismatching pixel geometry in full.
namespace orv {
void PrintTo(const PixelRect& r, std::ostream* os) {
  *os << '(' << r.x << ", " << r.y << ", " << r.width << " x " << r.height << ')';
}
void PrintTo(const PixelSize& s, std::ostream* os) { *os << s.x << " x " << s.y; }
void PrintTo(const PixelPoint& p, std::ostream* os) { *os << '(' << p.x << ", " << p.y << ')'; }
}  // namespace orv

namespace {

CanvasLayoutInput Input(PixelSize client, Vector3d<float> imageSize, int border = 4) {
  CanvasLayoutInput in;
  in.border = border;
  in.client = client;
  in.image = bix::VOI<float>(Vector3d<float>(0, 0, 0), imageSize);
  in.zoom = Vector3d<float>(10, 10, 10);
  return in;
}

}  // namespace

TEST(Zoom, LevelsAddOrDivideByMultiplesOfTheBase) {
  EXPECT_FLOAT_EQ(orv::ZoomForLevel(10, -2), 10.f / 3);
  EXPECT_FLOAT_EQ(orv::ZoomForLevel(10, -1), 5);
  EXPECT_FLOAT_EQ(orv::ZoomForLevel(10, 0), 10);
  EXPECT_FLOAT_EQ(orv::ZoomForLevel(10, 1), 20);
  EXPECT_FLOAT_EQ(orv::ZoomForLevel(10, 2), 30);
  EXPECT_GT(orv::ZoomForLevel(10, -100000), 0.f);
}

TEST(Layout, ThreeWindowsThatFit) {
  // Image 20 x 20 x 7 microns at 10 px/um: 200 x 200 x 70 pixels.
  const CanvasLayout l = orv::ComputeCanvasLayout(Input(PixelSize{400, 300}, {20, 20, 7}));
  ASSERT_TRUE(l.arranged);
  EXPECT_EQ(l.window[0], (PixelRect{1, 1, 204, 204}));
  EXPECT_EQ(l.window[1], (PixelRect{1, 205, 204, 74}));
  EXPECT_EQ(l.window[2], (PixelRect{205, 1, 74, 204}));
  EXPECT_EQ(l.visible.offset, Vector3d<float>(0, 0, 0));
  EXPECT_EQ(l.visible.size, Vector3d<float>(20, 20, 7));
  EXPECT_FLOAT_EQ(l.scrollStep.x, 4.f);
  EXPECT_FLOAT_EQ(l.scrollStep.z, 1.4f);
}

TEST(Layout, BothExtentsAboveHalfTheWidthShareItEqually) {
  // Available width 300 - 2 - 4 - 4 = 290, half 145; 200 and 200 both exceed it.
  const CanvasLayout l = orv::ComputeCanvasLayout(Input(PixelSize{300, 300}, {20, 20, 20}));
  EXPECT_EQ(l.window[0], (PixelRect{1, 1, 149, 149}));
  EXPECT_EQ(l.window[2], (PixelRect{150, 1, 149, 149}));
  EXPECT_EQ(l.window[1], (PixelRect{1, 150, 149, 149}));
  EXPECT_FLOAT_EQ(l.visible.size.x, 14.5f);
  EXPECT_FLOAT_EQ(l.visible.size.z, 14.5f);
}

TEST(Layout, TheWiderExtentGivesWayWhenBothDoNotFit) {
  // Available 290: Px 250 and Pz 100 do not fit; XY gets 290 - 100.
  CanvasLayout l = orv::ComputeCanvasLayout(Input(PixelSize{300, 600}, {25, 20, 10}));
  EXPECT_EQ(l.window[0].width, 190 + 4);
  EXPECT_EQ(l.window[2].width, 100 + 4);
  // Px 100 and Pz 250: YZ gets 290 - 100.
  l = orv::ComputeCanvasLayout(Input(PixelSize{300, 800}, {10, 20, 25}));
  EXPECT_EQ(l.window[0].width, 100 + 4);
  EXPECT_EQ(l.window[2].width, 190 + 4);
}

TEST(Layout, OneWindowShown) {
  CanvasLayoutInput in = Input(PixelSize{400, 300}, {20, 20, 7});
  in.shown[1] = in.shown[2] = false;
  CanvasLayout l = orv::ComputeCanvasLayout(in);
  // One column and one row: available 394 x 294.
  EXPECT_EQ(l.window[0], (PixelRect{1, 1, 204, 204}));
  EXPECT_FLOAT_EQ(l.visible.size.z, 7.f);  // the depth follows the XZ height

  in.shown[0] = false;
  in.shown[2] = true;  // YZ alone sits at the top left
  l = orv::ComputeCanvasLayout(in);
  EXPECT_EQ(l.window[2], (PixelRect{1, 1, 74, 204}));
}

TEST(Layout, AllHiddenOrZeroClientSize) {
  CanvasLayoutInput in = Input(PixelSize{400, 300}, {20, 20, 7});
  in.shown[0] = in.shown[1] = in.shown[2] = false;
  CanvasLayout l = orv::ComputeCanvasLayout(in);
  EXPECT_TRUE(l.placed);
  EXPECT_FALSE(l.arranged);

  l = orv::ComputeCanvasLayout(Input(PixelSize{0, 0}, {20, 20, 7}));
  EXPECT_FALSE(l.placed);

  // A tiny client area clamps every size to one pixel.
  l = orv::ComputeCanvasLayout(Input(PixelSize{3, 3}, {20, 20, 7}));
  EXPECT_EQ(l.window[0].GetSize(), (PixelSize{5, 5}));
}

TEST(Layout, VisibleOffsetsKeepTheCentreAndStayInsideTheImage) {
  CanvasLayoutInput in = Input(PixelSize{300, 300}, {20, 20, 20});
  // New visible size 14.5 against an old box of 5 at 5: centre 7.5 kept.
  in.visible = bix::VOI<float>(Vector3d<float>(5, 5, 5), Vector3d<float>(5, 5, 5));
  CanvasLayout l = orv::ComputeCanvasLayout(in);
  EXPECT_FLOAT_EQ(l.visible.offset.x, 0.25f);
  // Near the end the offset is pulled back so the box ends at the image end.
  in.visible = bix::VOI<float>(Vector3d<float>(15, 15, 15), Vector3d<float>(5, 5, 5));
  l = orv::ComputeCanvasLayout(in);
  EXPECT_FLOAT_EQ(l.visible.offset.x, 20.f - 14.5f);
  // A visible box larger than the image starts at the image offset.
  in.image.offset = Vector3d<float>(3, 3, 3);
  in.image.size = Vector3d<float>(5, 5, 5);
  l = orv::ComputeCanvasLayout(in);
  EXPECT_FLOAT_EQ(l.visible.offset.y, 3.f);
}
