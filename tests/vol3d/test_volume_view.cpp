// The volume view's arithmetic: keys and their clamps, status texts,
// trackball, projection, proxy slices, look-at rotations and view files.

#include "volume_view.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orv;

TEST(VolumeView, KeysChangeTheStatusTextsWithinTheirLimits) {
  VolumeViewState v;
  EXPECT_EQ(VolumeModeText(v), "Mode: Moving Object");
  EXPECT_EQ(VolumeParameterText(v), "# slices: 100, intensity: 0.50, threshold: 0.50");
  ApplyVolumeKey(VolumeKey::ToggleMode, v);
  EXPECT_EQ(VolumeModeText(v), "Mode: Moving Plane");
  ApplyVolumeKey(VolumeKey::MoreSlices, v);
  ApplyVolumeKey(VolumeKey::Brighter, v);
  ApplyVolumeKey(VolumeKey::LowerThreshold, v);
  EXPECT_EQ(VolumeParameterText(v), "# slices: 110, intensity: 0.53, threshold: 0.47");
  for (int i = 0; i < 12; ++i) ApplyVolumeKey(VolumeKey::FewerSlices, v);
  EXPECT_EQ(v.slices, 0);
  for (int i = 0; i < 40; ++i) {
    ApplyVolumeKey(VolumeKey::Brighter, v);
    ApplyVolumeKey(VolumeKey::LowerThreshold, v);
  }
  EXPECT_EQ(VolumeParameterText(v), "# slices: 0, intensity: 1.00, threshold: 0.00");
  for (int i = 0; i < 40; ++i) {
    ApplyVolumeKey(VolumeKey::Darker, v);
    ApplyVolumeKey(VolumeKey::HigherThreshold, v);
  }
  EXPECT_EQ(VolumeParameterText(v), "# slices: 0, intensity: 0.00, threshold: 1.00");
  EXPECT_EQ(VolumeReductionText(3), "downsampled 3x");
  EXPECT_EQ(VolumeReductionText(1), "");
}

TEST(VolumeView, TheTrackballMapsTheCentreToTheViewerAndTheRimToTheEquator) {
  const auto c = TrackballVector(50, 40, 100, 80);
  EXPECT_FLOAT_EQ(c[0], 0);
  EXPECT_FLOAT_EQ(c[1], 0);
  EXPECT_FLOAT_EQ(c[2], 1);
  const auto r = TrackballVector(100, 40, 100, 80);  // right edge: d = 1
  EXPECT_NEAR(r[0], 1, 1e-6);
  EXPECT_NEAR(r[2], 0, 1e-6);
  const auto top = TrackballVector(50, 0, 100, 80);
  EXPECT_NEAR(top[1], 1, 1e-6);
  const VolumeRotationStep step = TrackballStep(c, r);
  EXPECT_NEAR(step.angle, 90 * std::sqrt(2.0), 1e-4);
  EXPECT_NEAR(step.axis[1], 1, 1e-6);  // (0, 0, 1) x (1, 0, 0)
}

TEST(VolumeView, DragStepsTurnTheModelOrThePlaneAboutTheScreenAxis) {
  auto expectMatrix = [](const Matrix4f& m, const Matrix4f& expected) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-6) << i;
  };
  VolumeViewState view;
  // 90 degrees about y: x goes to -z (column-major: column 0 is (0, 0, -1)).
  ApplyDragStep(view, {90, {0, 2, 0}});
  expectMatrix(view.model, {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1});
  expectMatrix(view.plane, kIdentity4f);
  // The plane turns about the screen's x axis as the turned model sees it:
  // the model's z, so x goes to y.
  view.movingPlane = true;
  ApplyDragStep(view, {90, {1, 0, 0}});
  expectMatrix(view.plane, {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  // No axis, no turn.
  const Matrix4f plane = view.plane;
  ApplyDragStep(view, {30, {0, 0, 0}});
  EXPECT_EQ(view.plane, plane);
}

TEST(VolumeView, ProjectionAndProxyGridAreTheDocumentedOnes) {
  const auto p = VolumeProjection(600, 300);
  const double f = 1 / std::tan(20 * M_PI / 180);
  EXPECT_NEAR(p[0], f / 2, 1e-12);
  EXPECT_NEAR(p[5], f, 1e-12);
  EXPECT_NEAR(p[10], -50.1 / 49.9, 1e-12);
  EXPECT_EQ(p[11], -1);
  EXPECT_NEAR(p[14], -10 / 49.9, 1e-12);
  EXPECT_EQ(p[15], 0);
  const ProxyGrid g = MakeProxyGrid();
  const float k = 1 / std::sqrt(0.75f);
  EXPECT_NEAR(g[0], -k, 1e-6);
  EXPECT_NEAR(g[1], -k, 1e-6);
  EXPECT_NEAR(g[2], 1 - 0.5 * k, 1e-6);       // a corner, near the viewer (about 0.42)
  const float* middle = &g[(3 * 8 + 3) * 3];  // a = b = -1/14
  EXPECT_NEAR(middle[2], 0.0204, 1e-3);
}

TEST(VolumeView, LookAtRotationsPutForwardAwayAndUpUp) {
  // x+: model +x goes away from the eye (eye z -1), +y stays up.
  const Matrix4f m = LookAtRotation({1, 0, 0}, {0, 1, 0});
  const Matrix4f expected = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], expected[i]) << i;
  const Matrix4f y = LookAtRotation({0, 1, 0}, {0, 0, -1});
  EXPECT_TRUE(IsRotationMatrix(y));
  // Model +y maps to eye (0, 0, -1): away from the viewer.
  EXPECT_FLOAT_EQ(y[4 + 2], -1);
  EXPECT_TRUE(IsRotationMatrix(LookAtRotation({0, 0, -1}, {0, 1, 0})));
}

TEST(VolumeView, ViewFilesHoldThirtyFourNumbersAndRoundTrip) {
  VolumeViewState start;
  const std::string text = FormatViewFile(start);
  EXPECT_EQ(text.rfind("-5.00000000000 1.00000000000 0.00000000000 ", 0), 0u);
  EXPECT_EQ(text.back(), ' ');
  EXPECT_EQ(std::count(text.begin(), text.end(), ' '), 34);
  VolumeViewState v;
  v.distance = -3.25f;
  v.model = LookAtRotation({0.6f, 0, 0.8f}, {0, 1, 0});
  v.planeOffset = 0.123456789012;
  v.plane = LookAtRotation({0, -0.8f, 0.6f}, {1, 0, 0});
  VolumeViewState read;
  read.slices = 30;
  EXPECT_EQ(ParseViewFile(FormatViewFile(v), read), 34);
  EXPECT_EQ(read.distance, v.distance);
  EXPECT_EQ(read.model, v.model);
  EXPECT_NEAR(read.planeOffset, v.planeOffset, 1e-11);
  EXPECT_EQ(read.plane, v.plane);
  EXPECT_EQ(read.slices, 30);
}

TEST(VolumeView, ShortOrMalformedViewFilesChangeOnlyWhatTheyHoldSoundly) {
  VolumeViewState v;
  v.model = LookAtRotation({1, 0, 0}, {0, 1, 0});
  const Matrix4f model = v.model;
  EXPECT_EQ(ParseViewFile("-2.5", v), 1);
  EXPECT_EQ(v.distance, -2.5f);
  EXPECT_EQ(v.model, model);
  EXPECT_EQ(v.planeOffset, 1.0);
  // A model rotation cut short is not taken half: it would not be a rotation.
  EXPECT_EQ(ParseViewFile("-4 0 0 1 0 0", v), 6);
  EXPECT_EQ(v.distance, -4.0f);
  EXPECT_EQ(v.model, model);
  // A full matrix that is no rotation is skipped; what follows is read.
  std::string zeros;
  for (int i = 0; i < 16; ++i) zeros += "0 ";
  EXPECT_EQ(ParseViewFile("-6 " + zeros + "0.25 " + FormatViewFile(VolumeViewState()).substr(0, 0), v), 18);
  EXPECT_EQ(v.model, model);
  EXPECT_EQ(v.planeOffset, 0.25);
  EXPECT_EQ(ParseViewFile("nonsense 1 2", v), 0);
  EXPECT_EQ(ParseViewFile("nan", v), 0);
  EXPECT_EQ(v.distance, -6.0f);
  // A model or plane placed where nothing is drawn comes back into view,
  // read or written (a float of 1e300 would be infinite, "inf" unreadable).
  const std::string identity = FormatViewFile(VolumeViewState()).substr(15, 16 * 14);
  EXPECT_EQ(ParseViewFile("1e300 " + identity + "-50", v), 18);
  EXPECT_EQ(v.distance, kNearestDistance);
  EXPECT_EQ(v.planeOffset, -kPlaneReach);
  v.distance = -1e30f;
  v.planeOffset = 1e300;
  EXPECT_EQ(FormatViewFile(v).rfind("-48.00000000000 ", 0), 0u);
  EXPECT_NE(FormatViewFile(v).find(" 2.00000000000 "), std::string::npos);
}
