// Point files as text and the markers' arithmetic, without a window.

#include "point_file_text.h"
#include "point_markers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

using bix::Vector3d;

namespace {

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  orv::SplitFields(line, fields);
  return fields;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  orv::ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

}  // namespace

TEST(PointFileText, HeadersNameCoordinateAndLabelColumns) {
  // x0, y0, an empty field, z0 and name; a TAB at the end adds no column.
  orv::PointFileColumns c = orv::ClassifyColumns(Fields("x0\ty0\t\tz0\tname\t"));
  EXPECT_EQ(c.axis[0], 0);
  EXPECT_EQ(c.axis[1], 1);
  EXPECT_EQ(c.axis[2], 3);
  EXPECT_EQ(c.labelNames, (std::vector<std::string>{"empty", "name"}));
  EXPECT_EQ(c.labelColumns, (std::vector<int>{2, 4}));
  EXPECT_FALSE(orv::ClassifyColumns(Fields("x0\ty0\tname")).HasCoordinates());
  // "Gravity" columns: each digit an axis; one holding no digit is no label.
  c = orv::ClassifyColumns(Fields("Gravity(1)\tGravity(23)\tGravity\tX0\tcell"));
  EXPECT_EQ(c.axis[0], 0);
  EXPECT_EQ(c.axis[1], 1);
  EXPECT_EQ(c.axis[2], 1);
  EXPECT_EQ(c.labelNames, (std::vector<std::string>{"X0", "cell"}));
  // The last column of an axis counts.
  EXPECT_EQ(orv::ClassifyColumns(Fields("x0\ty0\tz0\tGravity(1)")).axis[0], 3);
}

TEST(PointFileText, LinesFieldsAndNumbers) {
  EXPECT_EQ(Lines("a\r\nb\n\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(Lines("a\n"), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(Fields("").empty());
  EXPECT_EQ(Fields("1\t\t3"), (std::vector<std::string_view>{"1", "", "3"}));
  double v = 0;
  EXPECT_TRUE(orv::ParseCoordinate(" 12.5", v));
  EXPECT_EQ(v, 12.5);
  EXPECT_TRUE(orv::ParseCoordinate("+1e2", v));
  EXPECT_EQ(v, 100);
  EXPECT_TRUE(orv::ParseCoordinate("-0.25", v));
  EXPECT_EQ(v, -0.25);
  for (const char* bad : {"abc", "", "1,5", "12 ", "1x", "+-1", "nan", "NaN", "inf", "-inf", "1e999"})
    EXPECT_FALSE(orv::ParseCoordinate(bad, v)) << bad;
  // Messages quote 60 characters of a field at most, cut between characters.
  EXPECT_EQ(orv::QuotedField("abc"), "abc");
  EXPECT_EQ(orv::QuotedField(std::string(100, 'x')), std::string(60, 'x') + "\xE2\x80\xA6");
  EXPECT_EQ(orv::QuotedField(std::string(59, 'x') + "\xC2\xB5\xC2\xB5"), std::string(59, 'x') + "\xE2\x80\xA6");
}

TEST(PointFileText, SpreadsheetEncodingsReadAsUtf8) {
  // UTF-16 little endian with its mark, as spreadsheets save "Unicode text".
  const std::string utf16("\xFF\xFE" "x\0\t\0\xB5\0m\0", 10);
  EXPECT_EQ(orv::DecodePointFileText(utf16), "x\t\xC2\xB5m");
  EXPECT_EQ(orv::DecodePointFileText(std::string("\xFE\xFF\0x\xD8\x3D\xDE\x00", 8)), "x\xF0\x9F\x98\x80");
  EXPECT_EQ(orv::DecodePointFileText("\xEF\xBB\xBFx0"), "x0");
  // Windows-1252: e acute and the euro sign; valid UTF-8 stays as it is.
  EXPECT_EQ(orv::DecodePointFileText("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(orv::DecodePointFileText("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(PointFileText, CoordinatesConvertAndRoundTripExactly) {
  // Resolution 2 voxels per micron: file 10 is 5 microns, with offset 1 it
  // is 6, and both write 10 back.
  EXPECT_EQ(orv::FileToMicrons(10, 0, 2), 5.0f);
  EXPECT_EQ(orv::FileToMicrons(10, 1, 2), 6.0f);
  EXPECT_EQ(orv::CoordinateText(5.0f, 0, 2), "10");
  EXPECT_EQ(orv::CoordinateText(6.0f, 1, 2), "10");
  EXPECT_EQ(orv::CoordinateText(3.0f, 0, 1), "3");
  EXPECT_EQ(orv::CoordinateText(0.1f, 0, 1), "0.1");
  // The centre of slice 30 of 0.35-micron slices is 30.5, not the 30.500002
  // its single-precision microns carry; values read are written as read.
  EXPECT_EQ(orv::CoordinateText(orv::FileToMicrons(30.5, 1.1f, 1 / 0.35f), 1.1f, 1 / 0.35f), "30.5");
  EXPECT_EQ(orv::CoordinateText(orv::FileToMicrons(-0.001, 0, 3), 0, 3), "-0.001");
  EXPECT_EQ(orv::CoordinateText(orv::FileToMicrons(2e-12, 0, 1), 0, 1), "2e-12");
  EXPECT_EQ(orv::ShortestText(13.03), "13.03");
  EXPECT_TRUE(orv::IsBlankLine(" \t "));
  EXPECT_FALSE(orv::IsBlankLine(" 1"));
  std::mt19937 random(5);
  std::uniform_real_distribution<float> any(-3000, 3000), res(0.05f, 20);
  for (int i = 0; i < 20000; ++i) {
    const float microns = any(random), offset = any(random) / 7, r = res(random);
    const std::string text = orv::CoordinateText(microns, offset, r);
    double value = 0;
    ASSERT_TRUE(orv::ParseCoordinate(text, value)) << text;
    ASSERT_EQ(orv::FileToMicrons(value, offset, r), microns) << text << " offset " << offset << " res " << r;
  }
}

namespace {

// A 100 x 80 x 40 micron image of 1-micron voxels seen at zoom 2 (two
// pixels per micron), cut at z 20.5, the visible box from the origin.
orv::ViewModel View() {
  orv::ViewModel view;
  view.imageBox.size = Vector3d<float>(100, 80, 40);
  view.baseZoom = Vector3d<float>(1, 1, 1);
  view.voxelStep = Vector3d<float>(1, 1, 1);
  view.zoomLevel = 1;
  view.ApplyZoomLevel();
  view.visibleBox.offset = Vector3d<float>(0, 0, 0);
  view.visibleBox.size = Vector3d<float>(50, 40, 40);
  view.cut = Vector3d<float>(10.5f, 10.5f, 20.5f);
  return view;
}

}  // namespace

TEST(PointMarkers, SizeFadesWithSlicesAndTheBoxEndsBelongToIt) {
  orv::ViewModel view = View();
  ASSERT_EQ(view.zoom, Vector3d<float>(2, 2, 2));
  const orv::MarkerView xy(view, 0, 100, 80, 3, 3);
  int r[4];
  for (int slices = 0; slices < 4; ++slices) {
    const orv::MarkerPlace m = orv::PlaceMarker(xy, Vector3d<float>(10, 5, 20.5f + slices));
    r[slices] = m.drawn ? m.r : -1;
  }
  EXPECT_EQ(r[0], 3);
  EXPECT_EQ(r[1], 2);
  EXPECT_EQ(r[2], 1);
  EXPECT_EQ(r[3], -1);
  const orv::MarkerPlace at = orv::PlaceMarker(xy, Vector3d<float>(10, 5, 20));
  EXPECT_EQ(at.x, 20);  // (10 - 0) x 2 + 0.5, truncated
  EXPECT_EQ(at.y, 10);
  EXPECT_TRUE(orv::PlaceMarker(xy, Vector3d<float>(50, 40, 20)).drawn);  // on the box's far edges
  EXPECT_FALSE(orv::PlaceMarker(xy, Vector3d<float>(50.01f, 5, 20)).drawn);
  // Reversed x mirrors the position in the picture, as the cut pointer.
  view.reversed[0] = true;
  EXPECT_EQ(orv::PlaceMarker(orv::MarkerView(view, 0, 100, 80, 3, 3), Vector3d<float>(10, 5, 20)).x, 100 - 1 - 20);
  // A projection draws every point of the box at full size.
  view.content[0] = 1;
  const orv::MarkerPlace far = orv::PlaceMarker(orv::MarkerView(view, 0, 100, 80, 3, 3), Vector3d<float>(10, 5, 39));
  EXPECT_TRUE(far.drawn);
  EXPECT_EQ(far.r, 3);
}

// A repaint draws at most a few markers per pixel: one repeating the last
// of its style and at least its size at that pixel adds nothing.
TEST(PointMarkers, TheSieveDrawsEachPixelsMarkerOncePerStyleAndSize) {
  orv::MarkerSieve sieve(4, 3);
  struct Step {
    int x, y;
    unsigned style;
    int r;
    bool adds;
  };
  const Step steps[] = {
      {1, 1, 0, 2, true},   {1, 1, 0, 2, false}, {1, 1, 0, 1, false}, {1, 1, 0, 3, true},  // larger: drawn
      {1, 1, 5, 1, true},   {1, 1, 0, 3, true},                                            // another style between
      {2, 1, 0, 0, true},   {2, 1, 0, 0, false}, {0, 0, 0, 0, true},                       // other pixels
      {-1, 0, 0, 0, true},  {-1, 0, 0, 0, true},  {4, 0, 0, 0, true},  {0, 3, 0, 0, true}, // outside: never sieved
      {3, 2, 0xFFFFFFFFu, 1, true}, {3, 2, 0xFFFFFFFFu, 1, false},                         // the largest style
  };
  for (const Step& s : steps)
    EXPECT_EQ(sieve.Adds(s.x, s.y, s.style, s.r), s.adds) << s.x << "," << s.y << " style " << s.style << " r " << s.r;
}

TEST(PointMarkers, PickingTakesTheNearestWithinTheTolerance) {
  const orv::ViewModel view = View();
  const orv::MarkerView xy(view, 0, 100, 80, 3, 3);
  const orv::PickTolerance t = orv::PickToleranceFor(xy, 3);
  EXPECT_EQ(t.h, 1.5f);  // 3 pixels at 2 pixels per micron
  EXPECT_EQ(t.d, 3.0f);  // 3 slices of 1 micron
  const std::vector<Vector3d<float>> points = {
      {11, 10, 20}, {10, 11, 20}, {10, 10.2f, 30}, {10.5f, 10, 20}, {30, 30, 20}};
  std::vector<unsigned> all = {0, 1, 2, 3, 4};
  const Vector3d<float> click(10, 10, 20.5f);
  // Point 2 is nearest in the plane but 9.5 slices deep; 3 beats 0 and 1.
  EXPECT_EQ(orv::NearestPoint(points, all, xy, t, click), 3);
  // Equal distances keep the earlier point.
  EXPECT_EQ(orv::NearestPoint(points, {0, 1}, xy, t, click), 0);
  EXPECT_EQ(orv::NearestPoint(points, {4}, xy, t, click), -1);
  std::vector<unsigned> byZ = {0, 1, 3, 4, 2};
  EXPECT_EQ(orv::PointsBetween(points, byZ, 2, 19, 21), (std::vector<unsigned>{0, 1, 3, 4}));
}

// Crosses and pluses are set pixel by pixel, clipped to the window; Reset
// clears them.
TEST(PointMarkers, CrossesAndPlusesSetTheirPixelsClippedToTheWindow) {
  orv::MarkerPixels marks;
  marks.Reset(7, 6);
  EXPECT_FALSE(marks.Any());
  marks.Cross(2, 2, 2, 0xFFFF0000u);
  marks.Plus(6, 5, 1, 0xFF00FF00u);  // in the corner: its outer arms fall outside
  const char* const expected[] = {"C...C..", ".C.C...", "..C....", ".C.C...", "C...C.P", ".....PP"};
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) {
      const char c = expected[y][x];
      EXPECT_EQ(marks.At(x, y), c == 'C' ? 0xFFFF0000u : c == 'P' ? 0xFF00FF00u : 0u) << x << "," << y;
    }
  marks.Reset(7, 6);
  EXPECT_FALSE(marks.Any());
  EXPECT_EQ(marks.At(2, 2), 0u);
}

// The points within a range come in index order whichever way they are
// collected (a few sorted, many through a bit set).
TEST(PointMarkers, PointsWithinARangeComeInIndexOrder) {
  std::vector<Vector3d<float>> points;
  for (unsigned i = 0; i < 5000; ++i) points.emplace_back(0.f, 0.f, float((i * 7919) % 5000));
  std::vector<unsigned> byZ(points.size());
  std::iota(byZ.begin(), byZ.end(), 0u);
  std::sort(byZ.begin(), byZ.end(), [&](unsigned a, unsigned b) { return points[a].z < points[b].z; });
  for (const auto& [low, high] : {std::pair<float, float>(10, 12), {100, 2000}, {-1, 5000}}) {
    std::vector<unsigned> expected;
    for (unsigned i = 0; i < points.size(); ++i)
      if (points[i].z >= low && points[i].z <= high) expected.push_back(i);
    EXPECT_EQ(orv::PointsBetween(points, byZ, 2, low, high), expected) << low << " to " << high;
  }
}
