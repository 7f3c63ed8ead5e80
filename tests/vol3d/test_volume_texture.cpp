// The volume texture built from an image through a mapper: border, voxel
// order, opacity, scale, and the reduction of stacks over the limits.

#include "../support/test_mappers.h"
#include "volume_texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>

using namespace orv;
using bix::Vector3d;
using RGB8 = bix::RGB_generic<unsigned char>;

namespace {

// Gray value v becomes (v, v / 2, 255 - v): every channel tells the voxel.
class SplitMapper : public orv_Mapper<unsigned char> {
public:
  void Map(const unsigned char* voxels, Buffer2d<RGB8>& out) const override {
    for (std::size_t i = 0; i < std::size_t(out.width) * out.height; ++i)
      out.data[i] = RGB8(voxels[i], static_cast<unsigned char>(voxels[i] / 2), static_cast<unsigned char>(255 - voxels[i]));
  }
};

using orvtest::GrayMapper;

std::uint8_t FormulaAlpha(int r, int g, int b) {
  const double l = (2989.0 * r + 5870.0 * g + 1141.0 * b) / 10000.0;
  return static_cast<std::uint8_t>(255.0 * std::sin(M_PI / 2 * l / 255.0));
}

const std::uint8_t* Voxel(const VolumeTexture& t, unsigned x, unsigned y, unsigned z) {
  return t.rgba.get() + 4 * ((std::size_t(z) * t.size.y + y) * t.size.x + x);
}

}  // namespace

TEST(VolumeTexture, AlphaFollowsTheLuminanceFormulaFromTransparentBlackToOpaqueWhite) {
  EXPECT_EQ(LuminanceAlpha(0, 0, 0), 0);
  EXPECT_EQ(LuminanceAlpha(255, 255, 255), 255);
  for (int v = 0; v < 256; ++v) EXPECT_EQ(LuminanceAlpha(v, v, v), FormulaAlpha(v, v, v)) << v;
  for (int r = 0; r < 256; r += 3)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 7) ASSERT_EQ(LuminanceAlpha(r, g, b), FormulaAlpha(r, g, b)) << r << ' ' << g << ' ' << b;
  // Steep for dark colours: a gray of 1 is already visible.
  EXPECT_EQ(LuminanceAlpha(1, 1, 1), 1);
  EXPECT_EQ(LuminanceAlpha(0, 0, 1), 0);
}

TEST(VolumeTexture, AOneVoxelImageGivesThreeCubedWithOnlyTheCentreSet) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned char> image(Vector3d<unsigned>(1, 1, 1), nullptr, &res);
  image.GetVoxel(0, 0, 0) = 200;
  VolumeTexture t;
  ASSERT_TRUE(BuildVolumeTexture(image, SplitMapper(), 1, t));
  EXPECT_EQ(t.size, Vector3d<unsigned>(3, 3, 3));
  EXPECT_EQ(t.factor, 1u);
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 3; ++y)
      for (unsigned x = 0; x < 3; ++x) {
        const std::uint8_t* v = Voxel(t, x, y, z);
        if (x == 1 && y == 1 && z == 1) {
          EXPECT_EQ(v[0], 200);
          EXPECT_EQ(v[1], 100);
          EXPECT_EQ(v[2], 55);
          EXPECT_EQ(v[3], FormulaAlpha(200, 100, 55));
        } else {
          EXPECT_EQ(v[0] | v[1] | v[2] | v[3], 0) << x << y << z;
        }
      }
}

TEST(VolumeTexture, VoxelsKeepTheirPlaceInsideTheBorder) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned char> image(Vector3d<unsigned>(4, 3, 2), nullptr, &res);
  for (unsigned z = 0; z < 2; ++z)
    for (unsigned y = 0; y < 3; ++y)
      for (unsigned x = 0; x < 4; ++x) image.GetVoxel(x, y, z) = static_cast<unsigned char>(1 + x + 10 * y + 100 * z);
  VolumeTexture t;
  ASSERT_TRUE(BuildVolumeTexture(image, GrayMapper(), 1, t));
  ASSERT_EQ(t.size, Vector3d<unsigned>(6, 5, 4));
  unsigned nonzero = 0;
  for (unsigned z = 0; z < 4; ++z)
    for (unsigned y = 0; y < 5; ++y)
      for (unsigned x = 0; x < 6; ++x) {
        const bool inside = x >= 1 && x <= 4 && y >= 1 && y <= 3 && z >= 1 && z <= 2;
        const std::uint8_t* v = Voxel(t, x, y, z);
        if (inside) {
          ++nonzero;
          EXPECT_EQ(v[0], 1 + (x - 1) + 10 * (y - 1) + 100 * (z - 1));
        } else {
          EXPECT_EQ(v[3], 0);
          EXPECT_EQ(v[0], 0);
        }
      }
  EXPECT_EQ(nonzero, 24u);
}

TEST(VolumeTexture, ScaleIsTheLongestSideOverEachPaddedSide) {
  // 100 x 50 x 20 voxels at (1, 1, 0.5) pixels per micron: 100 x 50 x 40
  // microns; padded 102 x 52 x 44 microns; z halved for the texture matrix.
  const Vector3d<float> s = VolumeTextureScale(Vector3d<unsigned>(100, 50, 20), Vector3d<unsigned>(102, 52, 22),
                                               Vector3d<float>(1, 1, 0.5f));
  EXPECT_NEAR(s.x, 100.0 / 102, 1e-6);
  EXPECT_NEAR(s.y, 100.0 / 52, 1e-6);
  EXPECT_NEAR(s.z, 0.5 * 100.0 / 44, 1e-6);
}

TEST(VolumeTexture, TheFactorKeepsEverySideWithinTheLimitAndTheBytesWithinTheBudget) {
  const std::uint64_t big = std::uint64_t(1) << 40;
  EXPECT_EQ(ChooseVolumeFactor(Vector3d<unsigned>(100, 100, 100), 2048, big), 1u);
  // A 2048 x 2048 camera frame plus the border is over 2048.
  EXPECT_EQ(ChooseVolumeFactor(Vector3d<unsigned>(2048, 2048, 10), 2048, big), 2u);
  EXPECT_EQ(ChooseVolumeFactor(Vector3d<unsigned>(2046, 2046, 1), 2048, big), 1u);
  // 1024 x 1024 x 256: 4 x 1026 x 1026 x 258 bytes > 256 MiB; halved 137 MB.
  EXPECT_EQ(ChooseVolumeFactor(Vector3d<unsigned>(1024, 1024, 256), 2048, kVolumeTextureBudget), 2u);
  EXPECT_EQ(VolumeTextureBytes(Vector3d<unsigned>(1024, 1024, 256), 2), 4ull * 514 * 514 * 130);
  // Counted in 64 bits: 4 x 2002^3 is far beyond 32 bits.
  EXPECT_EQ(VolumeTextureBytes(Vector3d<unsigned>(2000, 2000, 2000), 1), 4ull * 2002 * 2002 * 2002);
  EXPECT_EQ(ChooseVolumeFactor(Vector3d<unsigned>(2000, 2000, 2000), 4096, big), 1u);
  EXPECT_EQ(ChooseVolumeFactor(Vector3d<unsigned>(1, 1, 1), 2, big), 0u);
}

TEST(VolumeTexture, AReducedStackHoldsEveryFactorthVoxelMappedAsTheCutsMapIt) {
  // 3 x 2 x 3 voxels by 2: voxels x 0, 2; y 0; z 0, 2.
  const bix::Resolution res(Vector3d<float>(2, 2, 1));
  bix::Image3d<unsigned char> image(Vector3d<unsigned>(3, 2, 3), nullptr, &res);
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 2; ++y)
      for (unsigned x = 0; x < 3; ++x) image.GetVoxel(x, y, z) = static_cast<unsigned char>(10 * x + 3 * y + 40 * z + 1);
  VolumeTexture t;
  ASSERT_TRUE(BuildVolumeTexture(image, SplitMapper(), 2, t));
  EXPECT_EQ(t.factor, 2u);
  ASSERT_EQ(t.size, Vector3d<unsigned>(4, 3, 4));
  const struct {
    unsigned tx, tz, value;
  } expected[] = {{1, 1, 1}, {2, 1, 21}, {1, 2, 81}, {2, 2, 101}};
  for (const auto& e : expected) {
    const std::uint8_t* v = Voxel(t, e.tx, 1, e.tz);
    EXPECT_EQ(v[0], e.value);
    EXPECT_EQ(v[1], e.value / 2);
    EXPECT_EQ(v[2], 255 - e.value);
    EXPECT_EQ(v[3], FormulaAlpha(e.value, e.value / 2, 255 - e.value));
  }
  for (unsigned z = 0; z < 4; ++z)
    for (unsigned y = 0; y < 3; ++y)
      for (unsigned x = 0; x < 4; ++x)
        if (x == 0 || x == 3 || y != 1 || z == 0 || z == 3) {
          EXPECT_EQ(Voxel(t, x, y, z)[3], 0);
        }
  // Proportions of the reduced grid at its resolution (1, 1, 0.5): 2 x 1 x 4
  // microns inside, 4 x 3 x 8 padded (a partial block counts whole).
  EXPECT_NEAR(t.scale.x, 4.0 / 4, 1e-6);
  EXPECT_NEAR(t.scale.y, 4.0 / 3, 1e-6);
  EXPECT_NEAR(t.scale.z, 0.5 * 4.0 / 8, 1e-6);
}

// A large texture comes in slabs, on the calling thread, each plane once
// and each voxel in its place, as the whole texture holds it.
TEST(VolumeTexture, SlabsCoverEveryPlaneOnceOnTheCallingThread) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned char> image(Vector3d<unsigned>(700, 700, 12), nullptr, &res);
  for (unsigned z = 0; z < 12; ++z)
    for (unsigned y = 0; y < 700; ++y)
      for (unsigned x = 0; x < 700; ++x) image.GetVoxel(x, y, z) = static_cast<unsigned char>(x + 3 * y + 17 * z);
  VolumeTexture whole;
  ASSERT_TRUE(BuildVolumeTexture(image, GrayMapper(), 1, whole));
  const std::size_t planeBytes = std::size_t(4) * 702 * 702;
  std::vector<unsigned> taken(14, 0);
  unsigned slabs = 0;
  const std::thread::id caller = std::this_thread::get_id();
  ASSERT_TRUE(StreamVolumeTexture(image, GrayMapper(), 1, [&](unsigned first, unsigned planes, const std::uint8_t* rgba) {
    ++slabs;
    EXPECT_EQ(std::this_thread::get_id(), caller);
    for (unsigned p = first; p < first + planes; ++p) {
      ++taken.at(p);
      EXPECT_EQ(0, std::memcmp(rgba + planeBytes * (p - first), whole.rgba.get() + planeBytes * p, planeBytes)) << p;
    }
  }));
  EXPECT_GT(slabs, 1u);
  EXPECT_EQ(taken, std::vector<unsigned>(14, 1));
  EXPECT_EQ(Voxel(whole, 1 + 699, 1 + 5, 1 + 11)[0], static_cast<unsigned char>(699 + 15 + 187));
}

// Channels shown together: each texture voxel is the sum of the channels'
// mapped colours, clamped, also reduced, with the opacity of the sum.
TEST(VolumeTexture, SeveralChannelsAddTheirMappedColoursClamped) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned char> a(Vector3d<unsigned>(4, 3, 4), nullptr, &res), b = a;
  for (unsigned z = 0; z < 4; ++z)
    for (unsigned y = 0; y < 3; ++y)
      for (unsigned x = 0; x < 4; ++x) {
        a.GetVoxel(x, y, z) = static_cast<unsigned char>(20 * x + 7 * y + 30 * z);
        b.GetVoxel(x, y, z) = static_cast<unsigned char>(200 - 9 * x - 11 * z);
      }
  const SplitMapper split;
  const GrayMapper gray;
  for (unsigned factor : {1u, 2u}) {
    SCOPED_TRACE(factor);
    const Vector3d<unsigned> padded = ShapeOfVolumeTexture(a.GetSize(), res.GetRes(), factor).size;
    std::vector<std::uint8_t> rgba(std::size_t(4) * padded.x * padded.y * padded.z);
    const std::size_t plane = std::size_t(4) * padded.x * padded.y;
    ASSERT_TRUE(StreamVolumeTexture<unsigned char>({{&a, &split}, {&b, &gray}}, factor,
                                                   [&](unsigned first, unsigned planes, const std::uint8_t* slab) {
                                                     std::memcpy(&rgba[plane * first], slab, plane * planes);
                                                   }));
    for (unsigned z = 0; z + 2 < padded.z; ++z)
      for (unsigned y = 0; y + 2 < padded.y; ++y)
        for (unsigned x = 0; x + 2 < padded.x; ++x) {
          const int va = a.GetVoxel(x * factor, y * factor, z * factor), vb = b.GetVoxel(x * factor, y * factor, z * factor);
          const int r = std::min(255, va + vb), g = std::min(255, va / 2 + vb), bl = std::min(255, 255 - va + vb);
          const std::uint8_t* v = &rgba[4 * ((std::size_t(z + 1) * padded.y + y + 1) * padded.x + x + 1)];
          ASSERT_EQ((std::vector<int>{v[0], v[1], v[2], v[3]}), (std::vector<int>{r, g, bl, FormulaAlpha(r, g, bl)}))
              << x << "," << y << "," << z;
        }
  }
  // Stacks of different sizes make no texture.
  bix::Image3d<unsigned char> small(Vector3d<unsigned>(2, 2, 2), nullptr, &res);
  EXPECT_FALSE(StreamVolumeTexture<unsigned char>({{&a, &split}, {&small, &gray}}, 1,
                                                  [](unsigned, unsigned, const std::uint8_t*) {}));
}
