#include <bix/bix.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

using bix::Image3d;
using bix::Vector3d;

namespace {

// A stack in which the voxel at in-plane position (a, b) of depth d has the
// level 1000 d, plus a checkerboard texture at the one depth that
// sharpDepth(a, b) names. (a, b) are the window's horizontal and vertical
// coordinates and d its depth, so one helper serves all three windows.
struct Window {
  unsigned depthAxis, horizontalAxis, verticalAxis;
};
const Window kXY{2, 0, 1}, kXZ{1, 0, 2}, kYZ{0, 2, 1};

Image3d<unsigned short> Stack(Window w, Vector3d<unsigned> size,
                              const std::function<unsigned(unsigned, unsigned)>& sharpDepth) {
  Image3d<unsigned short> image(size);
  for (unsigned z = 0; z < size.z; ++z)
    for (unsigned y = 0; y < size.y; ++y)
      for (unsigned x = 0; x < size.x; ++x) {
        const Vector3d<unsigned> p(x, y, z);
        const unsigned a = p[w.horizontalAxis], b = p[w.verticalAxis], d = p[w.depthAxis];
        unsigned v = 1000 * d;
        if (d == sharpDepth(a, b)) v += ((a + b) % 2) * 300;
        image.GetVoxel(x, y, z) = static_cast<unsigned short>(v);
      }
  return image;
}

unsigned TwoRegions(unsigned a, unsigned) { return a < 8 ? 1 : 3; }

void ExpectSharpestDepthChosen(Window w,
                               void (*project)(const Image3d<unsigned short>&, Image3d<unsigned short>&)) {
  Vector3d<unsigned> size(0, 0, 0);
  size[w.horizontalAxis] = 16;
  size[w.verticalAxis] = 10;
  size[w.depthAxis] = 5;
  const Image3d<unsigned short> stack = Stack(w, size, TwoRegions);
  Image3d<unsigned short> out;
  project(stack, out);
  Vector3d<unsigned> expectedSize = size;
  expectedSize[w.depthAxis] = 1;
  ASSERT_EQ(out.GetSize(), expectedSize);
  for (unsigned b = 0; b < 10; ++b)
    for (unsigned a = 0; a < 16; ++a) {
      if (a == 7 || a == 8) continue;  // neighbourhoods straddle both regions
      Vector3d<unsigned> at(0, 0, 0), source(0, 0, 0);
      at[w.horizontalAxis] = a;
      at[w.verticalAxis] = b;
      source = at;
      source[w.depthAxis] = TwoRegions(a, b);
      EXPECT_EQ(out.GetVoxel(at.x, at.y, at.z), stack.GetVoxel(source.x, source.y, source.z))
          << "at " << a << ", " << b;
    }
}

}  // namespace

TEST(Autofocus, XYKeepsTheSharpestSliceOfEachRay) { ExpectSharpestDepthChosen(kXY, bix::Get_AF_XY); }
TEST(Autofocus, XZKeepsTheSharpestSliceOfEachRay) { ExpectSharpestDepthChosen(kXZ, bix::Get_AF_XZ); }
TEST(Autofocus, YZKeepsTheSharpestSliceOfEachRay) { ExpectSharpestDepthChosen(kYZ, bix::Get_AF_YZ); }

TEST(Autofocus, TiesGoToTheSmallestDepth) {
  // Every slice is flat: all scores are equal, so depth 0 wins everywhere.
  const Image3d<unsigned short> flat = Stack(kXY, {6, 6, 4}, [](unsigned, unsigned) { return 99u; });
  Image3d<unsigned short> xy, xz, yz;
  bix::Get_AF_XY(flat, xy);
  bix::Get_AF_XZ(flat, xz);
  bix::Get_AF_YZ(flat, yz);
  for (unsigned short v : xy) EXPECT_EQ(v, 0);
  for (unsigned z = 0; z < 4; ++z) EXPECT_EQ(xz.GetVoxel(2, 0, z), 1000 * z);
  for (unsigned z = 0; z < 4; ++z) EXPECT_EQ(yz.GetVoxel(0, 3, z), 1000 * z);
}

TEST(Autofocus, ProjectionKeepsInPlaneGeometryAndHasDepthOffsetZero) {
  const Vector3d<float> offset(5, 6, 7);
  const bix::Resolution res(Vector3d<float>(2, 2, 0.5f));
  Image3d<float> stack(Vector3d<unsigned>(4, 3, 2), &offset, &res);
  Image3d<float> xy, xz, yz;
  bix::Get_AF_XY(stack, xy);
  bix::Get_AF_XZ(stack, xz);
  bix::Get_AF_YZ(stack, yz);
  EXPECT_EQ(xy.GetOffset(), Vector3d<float>(5, 6, 0));
  EXPECT_EQ(xz.GetOffset(), Vector3d<float>(5, 0, 7));
  EXPECT_EQ(yz.GetOffset(), Vector3d<float>(0, 6, 7));
  EXPECT_EQ(yz.GetSize(), Vector3d<unsigned>(1, 3, 2));
  EXPECT_EQ(xy.GetResolution(), res);
}

TEST(Autofocus, ColourStacksUseLuminance) {
  using RGB = bix::RGB_generic<unsigned char>;
  Image3d<RGB> stack(Vector3d<unsigned>(6, 6, 3));
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 6; ++y)
      for (unsigned x = 0; x < 6; ++x) {
        const bool textured = z == 2 && (x + y) % 2;
        stack.GetVoxel(x, y, z) = RGB(static_cast<unsigned char>(10 * z), textured ? 200 : 0, 0);
      }
  Image3d<RGB> out;
  bix::Get_AF_XY(stack, out);
  for (unsigned y = 0; y < 6; ++y)
    for (unsigned x = 0; x < 6; ++x) EXPECT_EQ(out.GetVoxel(x, y, 0).red, 20);
}

TEST(Autofocus, EightBitAndFloatStacks) {
  Image3d<unsigned char> bytes(Vector3d<unsigned>(5, 5, 3));
  Image3d<float> floats(Vector3d<unsigned>(5, 5, 3));
  for (unsigned y = 0; y < 5; ++y)
    for (unsigned x = 0; x < 5; ++x) {
      bytes.GetVoxel(x, y, 1) = (x + y) % 2 ? 255 : 0;
      floats.GetVoxel(x, y, 2) = (x * 7 + y * 3) % 5 * 0.001f;
    }
  Image3d<unsigned char> b;
  Image3d<float> f;
  bix::Get_AF_XY(bytes, b);
  bix::Get_AF_XY(floats, f);
  for (unsigned y = 0; y < 5; ++y)
    for (unsigned x = 0; x < 5; ++x) {
      EXPECT_EQ(b.GetVoxel(x, y, 0), bytes.GetVoxel(x, y, 1));
      EXPECT_EQ(f.GetVoxel(x, y, 0), floats.GetVoxel(x, y, 2));
    }
}

// Flat slices score exactly zero whatever their level: for colour (the
// luminance has fractions) and large int levels a flat slice after another
// flat one must not win by a rounding error, and a small texture on a large
// level must not be lost.
TEST(Autofocus, FlatSlicesTieExactlyAndSmallTextureOnLargeLevelsCounts) {
  using RGB8 = bix::RGB_generic<unsigned char>;
  for (const auto& [first, second] : {std::pair{RGB8(0, 0, 0), RGB8(0, 255, 0)}, std::pair{RGB8(10, 20, 30), RGB8(0, 0, 0)}}) {
    Image3d<RGB8> colour(Vector3d<unsigned>(3, 3, 2));
    for (unsigned y = 0; y < 3; ++y)
      for (unsigned x = 0; x < 3; ++x) {
        colour.GetVoxel(x, y, 0) = first;
        colour.GetVoxel(x, y, 1) = second;
      }
    Image3d<RGB8> projected;
    bix::Get_AF_XY(colour, projected);
    for (const RGB8& v : projected) EXPECT_EQ(v, first) << "ties go to the smallest depth";
  }
  Image3d<int> ints(Vector3d<unsigned>(3, 3, 3));
  for (unsigned y = 0; y < 3; ++y)
    for (unsigned x = 0; x < 3; ++x) {
      ints.GetVoxel(x, y, 0) = 0;
      ints.GetVoxel(x, y, 1) = 54794163;
      ints.GetVoxel(x, y, 2) = 1000000000 + (x == 1 && y == 1);
    }
  Image3d<int> projected;
  bix::Get_AF_XY(ints, projected);
  EXPECT_EQ(projected.GetVoxel(1, 1, 0), 1000000001) << "the only texture is at depth 2";
  ints.GetVoxel(1, 1, 2) = 1000000000;
  bix::Get_AF_XY(ints, projected);
  EXPECT_EQ(projected.GetVoxel(1, 1, 0), 0) << "three flat slices tie";
}

// NaN and infinities (borders of registered float data) make a
// neighbourhood's score no measure: the sharpest finite slice is kept, in
// every window, and a ray with no finite neighbourhood shows its own voxel.
TEST(Autofocus, NonFiniteNeighbourhoodsNeverWin) {
  Image3d<float> image(Vector3d<unsigned>(3, 3, 3));
  image.Fill(0.f);
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 3; ++y) image.GetVoxel(2, y, z) = float((y + z) % 2) * 50 + 7;
  image.GetVoxel(0, 1, 1) = NAN;
  Image3d<float> yz;
  bix::Get_AF_YZ(image, yz);
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 3; ++y) EXPECT_EQ(yz.GetVoxel(0, y, z), image.GetVoxel(2, y, z)) << y << "," << z;

  Image3d<float> blank(Vector3d<unsigned>(3, 3, 2));
  blank.Fill(NAN);
  blank.GetVoxel(0, 0, 1) = INFINITY;
  Image3d<float> xy;
  bix::Get_AF_XY(blank, xy);
  for (unsigned y = 0; y < 3; ++y)
    for (unsigned x = 0; x < 3; ++x) EXPECT_TRUE(std::isnan(xy.GetVoxel(x, y, 0))) << "the first depth's own voxel";
}

TEST(Autofocus, EmptyAndThinStacks) {
  Image3d<int> empty, out;
  out.MakeRoom(3, 3, 3);
  bix::Get_AF_XY(empty, out);
  EXPECT_TRUE(out.IsEmpty());
  Image3d<int> single(Vector3d<unsigned>(1, 1, 1));
  single.GetVoxel(0, 0, 0) = 42;
  bix::Get_AF_YZ(single, out);
  EXPECT_EQ(out.GetVoxel(0, 0, 0), 42);
}

namespace {

using Labels = bix::LabeledImage3d<unsigned short, bool>;

// Labels along z: at (x, y) label 2 at depth 2, label 5 at depth 1 in the
// square 1..3 x 1..3, label 9 at depth 0 on column x == 4.
Labels Scene() {
  Labels labels(Vector3d<unsigned>(6, 5, 3));
  for (unsigned y = 0; y < 5; ++y)
    for (unsigned x = 0; x < 6; ++x) labels.GetVoxel(x, y, 2) = 2;
  for (unsigned y = 1; y <= 3; ++y)
    for (unsigned x = 1; x <= 3; ++x) labels.GetVoxel(x, y, 1) = 5;
  for (unsigned y = 0; y < 5; ++y) labels.GetVoxel(4, y, 0) = 9;
  labels.UpdateComponents();
  return labels;
}

}  // namespace

TEST(LabeledAutofocus, FullFormGivesTheFirstVisibleLabelAlongEachRay) {
  const Labels labels = Scene();
  std::vector<bool> visible(labels.GetHighestLabel() + 1, true);
  visible[0] = false;
  Image3d<unsigned short> out;
  bix::Get_Labeled_AF_XY(labels, out, visible, true);
  EXPECT_EQ(out.GetVoxel(0, 0, 0), 2);
  EXPECT_EQ(out.GetVoxel(2, 2, 0), 5);
  EXPECT_EQ(out.GetVoxel(4, 2, 0), 9);

  visible[5] = false;  // hidden labels let the ray go on
  bix::Get_Labeled_AF_XY(labels, out, visible, true);
  EXPECT_EQ(out.GetVoxel(2, 2, 0), 2);

  std::vector<bool> none(3, false);  // labels beyond the vector are not visible
  bix::Get_Labeled_AF_XY(labels, out, none, true);
  for (unsigned short v : out) EXPECT_EQ(v, 0);
}

TEST(LabeledAutofocus, OutlineFormKeepsOnlyPixelsBesideAnotherLabel) {
  const Labels labels = Scene();
  const std::vector<bool> visible{false, true, true, true, true, true, true, true, true, true};
  Image3d<unsigned short> out;
  bix::Get_Labeled_AF_XY(labels, out, visible, false);
  // Square 1..3 x 1..3 of label 5 inside label 2: its ring is kept, its centre not.
  EXPECT_EQ(out.GetVoxel(1, 1, 0), 5);
  EXPECT_EQ(out.GetVoxel(2, 1, 0), 5);
  EXPECT_EQ(out.GetVoxel(2, 2, 0), 0);
  // Label 2 pixels touching the square or column 4 are outline; far ones not.
  EXPECT_EQ(out.GetVoxel(0, 2, 0), 2);
  EXPECT_EQ(out.GetVoxel(0, 0, 0), 0);
  EXPECT_EQ(out.GetVoxel(5, 0, 0), 2);
  EXPECT_EQ(out.GetVoxel(4, 0, 0), 9);
}

TEST(LabeledAutofocus, XZAndYZLookAlongYAndX) {
  bix::LabeledImage3d<unsigned int, unsigned char> labels(Vector3d<unsigned>(4, 3, 2));
  labels.GetVoxel(1, 2, 1) = 7;  // deepest along y
  labels.GetVoxel(1, 1, 1) = 3;  // first along y for ray (x 1, z 1)
  labels.GetVoxel(3, 2, 0) = 4;  // only label along x for ray (y 2, z 0)
  const std::vector<unsigned char> visible{0, 1, 1, 1, 1, 1, 1, 1};
  Image3d<unsigned int> xz, yz;
  bix::Get_Labeled_AF_XZ(labels, xz, visible, true);
  bix::Get_Labeled_AF_YZ(labels, yz, visible, true);
  EXPECT_EQ(xz.GetSize(), Vector3d<unsigned>(4, 1, 2));
  EXPECT_EQ(xz.GetVoxel(1, 0, 1), 3u);
  EXPECT_EQ(xz.GetVoxel(3, 0, 0), 4u);
  EXPECT_EQ(yz.GetSize(), Vector3d<unsigned>(1, 3, 2));
  EXPECT_EQ(yz.GetVoxel(0, 2, 0), 4u);
  EXPECT_EQ(yz.GetVoxel(0, 2, 1), 7u);
  EXPECT_EQ(yz.GetVoxel(0, 1, 1), 3u);
  EXPECT_EQ(yz.GetVoxel(0, 0, 0), 0u);
}

namespace {

// The projection by its definition: for each ray, the first depth whose
// 3 x 3 in-plane neighbourhood (edges replicated) has the largest
// 9 * (sum of squares) - sum^2, in exact 64-bit arithmetic.
Image3d<unsigned short> PlainProjection(const Image3d<unsigned short>& s, Window w) {
  const Vector3d<unsigned> n = s.GetSize();
  Vector3d<unsigned> outSize = n;
  outSize[w.depthAxis] = 1;
  Image3d<unsigned short> out(outSize);
  const unsigned H = n[w.horizontalAxis], V = n[w.verticalAxis], D = n[w.depthAxis];
  auto at = [&](long long a, long long b, unsigned d) {
    Vector3d<unsigned> p(0, 0, 0);
    p[w.horizontalAxis] = static_cast<unsigned>(std::clamp<long long>(a, 0, H - 1));
    p[w.verticalAxis] = static_cast<unsigned>(std::clamp<long long>(b, 0, V - 1));
    p[w.depthAxis] = d;
    return s.GetVoxel(p.x, p.y, p.z);
  };
  for (unsigned b = 0; b < V; ++b)
    for (unsigned a = 0; a < H; ++a) {
      long long best = 0;
      unsigned kept = 0;
      for (unsigned d = 0; d < D; ++d) {
        long long sum = 0, squares = 0;
        for (int db = -1; db <= 1; ++db)
          for (int da = -1; da <= 1; ++da) {
            const long long v = at(static_cast<long long>(a) + da, static_cast<long long>(b) + db, d);
            sum += v;
            squares += v * v;
          }
        const long long score = 9 * squares - sum * sum;
        if (d == 0 || score > best) best = score, kept = d;
      }
      Vector3d<unsigned> p(0, 0, 0);
      p[w.horizontalAxis] = a;
      p[w.verticalAxis] = b;
      out.GetVoxel(p.x, p.y, p.z) = at(a, b, kept);
    }
  return out;
}

}  // namespace

// Random 12-bit stacks, and the same with a few rows of full 16-bit values
// that the narrow sums cannot hold (the work starts over wider mid-stack):
// every window gives what the definition gives.
TEST(Autofocus, EveryWindowEqualsTheDefinitionAlsoWhenLevelsOutgrowTheNarrowSums) {
  for (bool large : {false, true}) {
    Image3d<unsigned short> stack(Vector3d<unsigned>(37, 29, 23));
    unsigned state = 7;
    for (unsigned short& v : stack) {
      state = state * 1103515245u + 12345u;
      v = static_cast<unsigned short>(100 + (state >> 16) % 3500);
    }
    if (large)
      for (unsigned x = 0; x < 37; ++x) stack.GetVoxel(x, 20, 17) = stack.GetVoxel(x, 3, 9) = 60000 - 300 * (x % 5);
    for (const auto& [window, project] :
         {std::pair{kXY, bix::Get_AF_XY<unsigned short>}, std::pair{kXZ, bix::Get_AF_XZ<unsigned short>},
          std::pair{kYZ, bix::Get_AF_YZ<unsigned short>}}) {
      Image3d<unsigned short> out;
      project(stack, out);
      const Image3d<unsigned short> expected = PlainProjection(stack, window);
      ASSERT_EQ(out.GetSize(), expected.GetSize());
      const auto miss = std::mismatch(out.begin(), out.end(), expected.begin());
      EXPECT_TRUE(miss.first == out.end()) << window.depthAxis << (large ? " large" : "") << " at " << (miss.first - out.begin()) << ": " << (miss.first == out.end() ? 0 : *miss.first) << " vs " << (miss.first == out.end() ? 0 : *miss.second);
    }
  }
}
