// orv-view's volume window options: --snapshot-3d and its --view.

#include "options.h"

#include <gtest/gtest.h>

using orvview::ParseOptions;
using orvview::ViewerOptions;

TEST(OrvViewVolumeOptions, SnapshotOfTheVolumeWindowWithAPresetView) {
  ViewerOptions o;
  EXPECT_EQ(ParseOptions({"--snapshot-3d", "v.png", "--view", "y-"}, o), "");
  EXPECT_EQ(o.snapshot3d, "v.png");
  EXPECT_EQ(o.view3d, "y-");
  EXPECT_TRUE(o.Scripted());
  EXPECT_EQ(orvview::ViewDirectionIndex(o.view3d), 3);
  ViewerOptions start;
  EXPECT_EQ(ParseOptions({"--snapshot-3d", "v.png"}, start), "");
  EXPECT_EQ(start.view3d, "");
  ViewerOptions plain;
  EXPECT_EQ(ParseOptions({}, plain), "");
  EXPECT_FALSE(plain.Scripted());
  int i = 0;
  for (const char* name : {"x+", "x-", "y+", "y-", "z+", "z-"}) EXPECT_EQ(orvview::ViewDirectionIndex(name), i++);
  EXPECT_EQ(orvview::ViewDirectionIndex("x"), -1);

  ViewerOptions bad;
  EXPECT_EQ(ParseOptions({"--snapshot-3d", ""}, bad), "--snapshot-3d needs the name of a PNG file");
  EXPECT_EQ(ParseOptions({"--snapshot-3d", "v.png", "--view", "up"}, bad), "--view needs one of x+, x-, y+, y-, z+, z-");
  ViewerOptions alone;
  EXPECT_EQ(ParseOptions({"--view", "x+"}, alone), "--view goes with --snapshot-3d");

  // The rendering: compositing unless --render mip.
  EXPECT_FALSE(o.maximumIntensity);
  ViewerOptions mip;
  EXPECT_EQ(ParseOptions({"--snapshot-3d", "v.png", "--render", "mip"}, mip), "");
  EXPECT_TRUE(mip.maximumIntensity);
  ViewerOptions composite;
  EXPECT_EQ(ParseOptions({"--snapshot-3d", "v.png", "--render", "composite"}, composite), "");
  EXPECT_FALSE(composite.maximumIntensity);
  ViewerOptions wrong;
  EXPECT_EQ(ParseOptions({"--snapshot-3d", "v.png", "--render", "max"}, wrong), "--render needs composite or mip");
  ViewerOptions lone;
  EXPECT_EQ(ParseOptions({"--render", "mip"}, lone), "--render goes with --snapshot-3d");
}
