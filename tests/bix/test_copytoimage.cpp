#include <bix/bix.h>

#include <gtest/gtest.h>

#include <cmath>

using bix::Image3d;
using bix::Resolution;
using bix::Vector3d;

namespace {

// A destination image of the given size placed at `offset` with `res` pixels
// per micron on every axis.
template <class T>
Image3d<T> Grid(Vector3d<unsigned> size, Vector3d<float> offset, Vector3d<float> res) {
  const Resolution r(res);
  return Image3d<T>(size, &offset, &r);
}

std::vector<int> Row(const Image3d<int>& image) { return std::vector<int>(image.begin(), image.end()); }

Image3d<int> Ramp4() {
  Image3d<int> source = Grid<int>({4, 1, 1}, {0, 0, 0}, {1, 1, 1});
  for (unsigned x = 0; x < 4; ++x) source.GetVoxel(x, 0, 0) = static_cast<int>(x + 1);
  return source;
}

// value = x + 10 y + 100 z
Image3d<int> Coded(Vector3d<unsigned> size, Vector3d<float> res) {
  Image3d<int> image = Grid<int>(size, {0, 0, 0}, res);
  for (unsigned z = 0; z < size.z; ++z)
    for (unsigned y = 0; y < size.y; ++y)
      for (unsigned x = 0; x < size.x; ++x) image.GetVoxel(x, y, z) = static_cast<int>(x + 10 * y + 100 * z);
  return image;
}

}  // namespace

TEST(CopyToImage, EachDestinationVoxelSamplesAtItsLowerCorner) {
  const Image3d<int> source = Ramp4();
  Image3d<int> zoomed = Grid<int>({8, 1, 1}, {0, 0, 0}, {2, 1, 1});
  bix::CopyToImage(source, zoomed);
  EXPECT_EQ(Row(zoomed), (std::vector<int>{1, 1, 2, 2, 3, 3, 4, 4}));

  Image3d<int> shifted = Grid<int>({8, 1, 1}, {0.5f, 0, 0}, {2, 1, 1});
  bix::CopyToImage(source, shifted);
  EXPECT_EQ(Row(shifted), (std::vector<int>{1, 2, 2, 3, 3, 4, 4, 0}));

  Image3d<int> halved = Grid<int>({2, 1, 1}, {0, 0, 0}, {0.5f, 1, 1});
  bix::CopyToImage(source, halved);
  EXPECT_EQ(Row(halved), (std::vector<int>{1, 3}));
}

TEST(CopyToImage, PositionsOutsideTheSourceGiveZero) {
  const Image3d<int> source = Ramp4();
  Image3d<int> wide = Grid<int>({7, 1, 1}, {-1, 0, 0}, {1, 1, 1});
  bix::CopyToImage(source, wide);
  EXPECT_EQ(Row(wide), (std::vector<int>{0, 1, 2, 3, 4, 0, 0}));

  Image3d<int> otherPlane = Grid<int>({4, 1, 1}, {0, 1, 0}, {1, 1, 1});
  otherPlane.Fill(9);
  bix::CopyToImage(source, otherPlane);
  EXPECT_EQ(Row(otherPlane), (std::vector<int>{0, 0, 0, 0}));

  Image3d<int> below = Grid<int>({4, 1, 1}, {0, 0, -0.5f}, {1, 1, 1});
  below.Fill(9);
  bix::CopyToImage(source, below);
  EXPECT_EQ(Row(below), (std::vector<int>{0, 0, 0, 0}));
}

TEST(CopyToImage, SingleprecisionBoundariesDoNotFallIntoThePreviousVoxel) {
  Image3d<int> source = Grid<int>({20, 1, 1}, {0, 0, 0}, {10, 1, 1});
  for (unsigned x = 0; x < 20; ++x) source.GetVoxel(x, 0, 0) = static_cast<int>(x);
  for (int k = 0; k < 20; ++k) {
    // 0.7f is 0.69999999; the voxel starting at 0.7 microns is voxel 7.
    Image3d<int> one = Grid<int>({1, 1, 1}, {k * 0.1f, 0, 0}, {10, 1, 1});
    bix::CopyToImage(source, one);
    EXPECT_EQ(one.GetVoxel(0, 0, 0), k) << "offset " << k * 0.1f;
  }
}

TEST(CopyToImage, AnisotropicResolutionsScaleEachAxisOnItsOwn) {
  // Source voxels are 1 x 1 x 2 microns; the destination samples 1 micron.
  const Image3d<int> source = Coded({2, 2, 4}, {1, 1, 0.5f});
  Image3d<int> xz = Grid<int>({2, 1, 8}, {0, 1, 0}, {1, 1, 1});
  bix::CopyToImage(source, xz);
  std::vector<int> column;
  for (unsigned z = 0; z < 8; ++z) column.push_back(xz.GetVoxel(1, 0, z));
  EXPECT_EQ(column, (std::vector<int>{11, 11, 111, 111, 211, 211, 311, 311}));
}

TEST(CopyToImage, XZAndYZCutsOfAKnownVolume) {
  const Image3d<int> source = Coded({5, 4, 3}, {1, 1, 1});
  Image3d<int> xz = Grid<int>({5, 1, 3}, {0, 2.5f, 0}, {1, 1, 1});
  bix::CopyToImage(source, xz);
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned x = 0; x < 5; ++x) EXPECT_EQ(xz.GetVoxel(x, 0, z), static_cast<int>(x + 20 + 100 * z));

  Image3d<int> yz = Grid<int>({1, 4, 3}, {3.2f, 0, 0}, {1, 1, 1});
  bix::CopyToImage(source, yz);
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 4; ++y) EXPECT_EQ(yz.GetVoxel(0, y, z), static_cast<int>(3 + 10 * y + 100 * z));

  // A YZ cut wider than the source along y: the rest is zero.
  Image3d<int> tall = Grid<int>({1, 6, 1}, {1, -1, 0}, {1, 1, 1});
  tall.Fill(-1);
  bix::CopyToImage(source, tall);
  EXPECT_EQ(Row(tall), (std::vector<int>{0, 1, 11, 21, 31, 0}));
}

TEST(CopyToImage, OffsetsAndUndefinedResolutionsPlaceTheSource) {
  const Vector3d<float> offset(10, 0, 0);
  Image3d<int> source(Vector3d<unsigned>(3, 1, 1), &offset, nullptr);
  source.GetVoxel(0, 0, 0) = 5;
  source.GetVoxel(2, 0, 0) = 7;
  Image3d<int> dst(Vector3d<unsigned>(4, 1, 1), nullptr, nullptr);
  const Vector3d<float> at(9, 0, 0);
  dst.SetOffset(at);
  bix::CopyToImage(source, dst);
  EXPECT_EQ(Row(dst), (std::vector<int>{0, 5, 0, 7}));
}

TEST(CopyToImage, EmptyImagesAreHandled) {
  Image3d<int> empty;
  Image3d<int> dst = Grid<int>({3, 1, 1}, {0, 0, 0}, {1, 1, 1});
  dst.Fill(4);
  bix::CopyToImage(empty, dst);
  EXPECT_EQ(Row(dst), (std::vector<int>{0, 0, 0}));
  Image3d<int> none;
  bix::CopyToImage(Ramp4(), none);
  EXPECT_TRUE(none.IsEmpty());
}

TEST(CopyToImage, ColourVoxelsAreCopiedWhole) {
  using RGB = bix::RGB_generic<unsigned short>;
  Image3d<RGB> source = Grid<RGB>({2, 1, 1}, {0, 0, 0}, {1, 1, 1});
  source.GetVoxel(1, 0, 0) = RGB(1, 2, 60000);
  Image3d<RGB> dst = Grid<RGB>({4, 1, 1}, {0, 0, 0}, {2, 1, 1});
  bix::CopyToImage(source, dst);
  EXPECT_EQ(dst.GetVoxel(0, 0, 0), RGB());
  EXPECT_EQ(dst.GetVoxel(3, 0, 0), RGB(1, 2, 60000));
}

// The fast paths (row copies, strides, reuse of the previous plane, row or
// column voxel when zoomed in) must agree with sampling every voxel on its own.
TEST(CopyToImage, FastPathsAgreeWithPerVoxelSampling) {
  const Image3d<int> source = Coded({9, 7, 5}, {1, 1, 1});
  auto reference = [&](const Image3d<int>& dst, unsigned i, unsigned j, unsigned k) {
    const Vector3d<float>& o = dst.GetOffset();
    const Vector3d<float>& r = dst.GetResolution().GetRes();
    const unsigned idx[3] = {i, j, k};
    int v[3];
    for (unsigned a = 0; a < 3; ++a) {
      const double p = static_cast<double>(o[a]) + idx[a] / static_cast<double>(r[a]);
      v[a] = static_cast<int>(std::floor(p + 1e-4));
      if (v[a] < 0 || v[a] >= static_cast<int>(source.GetSize()[a])) return 0;
    }
    return v[0] + 10 * v[1] + 100 * v[2];
  };
  const float zooms[] = {0.5f, 1.f, 3.f, 1.f / 3.f, 2.5f};
  const Vector3d<unsigned> shapes[] = {{12, 10, 8}, {1, 10, 8}, {12, 1, 8}, {12, 10, 1}};
  for (float zx : zooms)
    for (float zyz : {1.f, 3.f, 0.5f})
      for (const Vector3d<unsigned>& shape : shapes) {
        Image3d<int> dst = Grid<int>(shape, {-1.5f, 0.25f, 0.5f}, {zx, zyz, zyz});
        bix::CopyToImage(source, dst);
        int wrong = 0;
        for (unsigned k = 0; k < shape.z; ++k)
          for (unsigned j = 0; j < shape.y; ++j)
            for (unsigned i = 0; i < shape.x; ++i) wrong += dst.GetVoxel(i, j, k) != reference(dst, i, j, k);
        EXPECT_EQ(wrong, 0) << "zoom " << zx << "/" << zyz << " shape " << shape.x << "x" << shape.y << "x" << shape.z;
      }
}

// Window-sized cuts of each orientation, zoomed far in (every source voxel
// repeated over many rows and planes) and far out: every voxel samples what
// the per-voxel rule gives.
TEST(CopyToImage, WindowSizedCutsSampleEveryVoxel) {
  const Image3d<int> source = Coded({9, 7, 5}, {1, 1, 1});
  const Vector3d<unsigned> shapes[] = {{1, 613, 601}, {613, 1, 601}, {613, 601, 1}, {300, 250, 7}};
  for (float zoom : {67.f, 0.013f}) {
    for (const Vector3d<unsigned>& shape : shapes) {
      const Vector3d<float> offset(-0.5f, 0.25f, -0.75f);
      Image3d<int> dst = Grid<int>(shape, offset, {zoom, zoom, zoom});
      bix::CopyToImage(source, dst);
      int wrong = 0;
      for (unsigned k = 0; k < shape.z; ++k)
        for (unsigned j = 0; j < shape.y; ++j)
          for (unsigned i = 0; i < shape.x; ++i) {
            const unsigned idx[3] = {i, j, k};
            int v[3], expected = 0;
            for (unsigned a = 0; a < 3 && expected == 0; ++a) {
              v[a] = static_cast<int>(std::floor(static_cast<double>(offset[a]) + idx[a] / static_cast<double>(zoom) + 1e-4));
              if (v[a] < 0 || v[a] >= static_cast<int>(source.GetSize()[a])) expected = -1;
            }
            expected = expected < 0 ? 0 : v[0] + 10 * v[1] + 100 * v[2];
            wrong += dst.GetVoxel(i, j, k) != expected;
          }
      EXPECT_EQ(wrong, 0) << "zoom " << zoom << " shape " << shape.x << "x" << shape.y << "x" << shape.z;
    }
  }
}
