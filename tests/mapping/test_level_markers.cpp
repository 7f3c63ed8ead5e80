#include "level_markers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

using namespace orv;

TEST(LevelMarkers, GammaMarkerSitsByTheFormulaAndMapsBack) {
  EXPECT_EQ(GammaMarkerPosition(0, 255, 1.0), 128);   // 127.5 away from zero
  EXPECT_EQ(GammaMarkerPosition(0, 255, 10.0), 0);
  EXPECT_EQ(GammaMarkerPosition(0, 255, 0.1), 255);
  EXPECT_EQ(GammaMarkerPosition(100, 200, 2.0), 135);  // 100 + round(0.699 * 50) = 100 + 35
  EXPECT_NEAR(GammaFromMarker(0, 255, 128, 10.0), 1.0, 1e-12);
  EXPECT_EQ(GammaFromMarker(0, 255, 0, 10.0), 10.0);  // 10^(1.004) limited to 10
  EXPECT_NEAR(GammaFromMarker(0, 255, 255, 10.0), std::pow(10.0, -127.0 / 127.5), 1e-12);
  EXPECT_EQ(GammaFromMarker(7, 7, 7, 10.0), 1.0);
  // Round trip through the marker for gammas that land on whole steps.
  for (double g : {0.5, 1.0, 2.0, 4.0}) {
    const int p = GammaMarkerPosition(0, 200, g);
    EXPECT_NEAR(GammaFromMarker(0, 200, p, 10.0), g, g * 0.05) << g;
  }
  // A gamma marker dragged to any step strictly between the limits stays
  // there, for odd and even spans (odd spans put the exact position on half
  // a step).
  for (const auto& [lower, upper] : {std::pair{0, 255}, std::pair{0, 256}, std::pair{10, 65545}, std::pair{-7, 4}}) {
    int wrong = 0;
    for (int p = lower + 1; p < upper; ++p)
      wrong += GammaMarkerPosition(lower, upper, GammaFromMarker(lower, upper, p, 1e300)) != p;
    EXPECT_EQ(wrong, 0) << lower << ".." << upper;
  }
}

TEST(LevelMarkers, PointerAndPixelPositions) {
  EXPECT_EQ(PointerStep(2, 260, 256), 0);
  EXPECT_EQ(PointerStep(258, 260, 256), 255);
  EXPECT_EQ(PointerStep(130, 260, 256), 128);  // 128 * 255 / 256 = 127.5
  EXPECT_EQ(PointerStep(-10, 260, 256), 0);
  EXPECT_EQ(PointerStep(1000, 260, 256), 255);
  EXPECT_EQ(MarkerPixel(255, 260, 256), 256);
  EXPECT_EQ(MarkerPixel(0, 260, 256), 0);
  EXPECT_EQ(MarkerPixel(51, 260, 256), 51);
  for (int p = 0; p < 256; ++p) ASSERT_EQ(PointerStep(MarkerPixel(p, 260, 256) + 2, 260, 256), p) << p;
  for (int p = 0; p < 16; ++p) ASSERT_EQ(PointerStep(MarkerPixel(p, 260, 16) + 2, 260, 16), p) << p;
}

TEST(LevelMarkers, APressTakesTheNearestMarker) {
  EXPECT_EQ(NearestMarker(10, 0, 255, false, 0), MARKER_LOWER);
  EXPECT_EQ(NearestMarker(200, 0, 255, false, 0), MARKER_UPPER);
  EXPECT_EQ(NearestMarker(100, 50, 150, false, 0), MARKER_LOWER);  // a tie goes to the lower marker
  EXPECT_EQ(NearestMarker(130, 0, 255, true, 128), MARKER_GAMMA);
  EXPECT_EQ(NearestMarker(20, 0, 255, true, 128), MARKER_LOWER);
  EXPECT_EQ(NearestMarker(64, 0, 128, true, 64), MARKER_GAMMA);
  EXPECT_EQ(NearestMarker(32, 0, 64, true, 32), MARKER_GAMMA);
  // Coinciding limit markers: the pointer's side decides.
  EXPECT_EQ(NearestMarker(90, 100, 100, false, 0), MARKER_LOWER);
  EXPECT_EQ(NearestMarker(110, 100, 100, false, 0), MARKER_UPPER);
  // Limits together, the gamma marker with them: right of them the upper
  // one moves, left the lower one, never the gamma marker, which has no room.
  EXPECT_EQ(NearestMarker(40, 0, 0, true, 0), MARKER_UPPER);
  EXPECT_EQ(NearestMarker(0, 0, 0, true, 0), MARKER_LOWER);
  EXPECT_EQ(NearestMarker(90, 100, 100, true, 100), MARKER_LOWER);
  // The gamma marker on the lower one: right of it drags gamma, left the lower.
  EXPECT_EQ(NearestMarker(105, 100, 200, true, 100), MARKER_GAMMA);
  EXPECT_EQ(NearestMarker(95, 100, 200, true, 100), MARKER_LOWER);
  // On the upper one: left of it drags gamma, right the upper.
  EXPECT_EQ(NearestMarker(195, 100, 200, true, 200), MARKER_GAMMA);
  EXPECT_EQ(NearestMarker(205, 100, 200, true, 200), MARKER_UPPER);
}
