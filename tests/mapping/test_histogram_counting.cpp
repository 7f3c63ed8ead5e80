// Histograms counted without any display: bin layout, counts, percentiles,
// sets made from images of every type, on every core.

#include <orv/histogram.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

using orv::Histogram;
using orv::HistogramSet;

namespace {

template <class T>
std::vector<T> Centres(const Histogram<T>& h) {
  std::vector<T> c;
  for (unsigned i = 0; i < h.size(); ++i) c.push_back(h.GetBinCenter(i));
  return c;
}

}  // namespace

TEST(Histogram, BinLayoutAndPositions) {
  Histogram<unsigned char> bytes;
  bytes.Init(0, 255, 256);
  for (int v = 0; v < 256; ++v) {
    ASSERT_EQ(bytes.GetBinCenter(v), v);
    ASSERT_EQ(bytes.GetBinPos(static_cast<unsigned char>(v)), static_cast<unsigned>(v));
  }

  Histogram<int> ints;
  ints.Init(0, 10, 4);
  EXPECT_EQ(Centres(ints), (std::vector<int>{0, 3, 6, 10}));
  EXPECT_EQ(ints.GetBinPos(5), 1u);
  EXPECT_EQ(ints.GetBinPos(-100), 0u);
  EXPECT_EQ(ints.GetBinPos(100), 3u);

  Histogram<int> one;
  one.Init(5, 9, 1);
  EXPECT_EQ(Centres(one), (std::vector<int>{7}));
  EXPECT_EQ(one.GetBinPos(-5), 0u);
  EXPECT_EQ(one.GetBinPos(100), 0u);

  Histogram<float> floats;
  floats.Init(0.f, 1.f, 3);
  EXPECT_EQ(Centres(floats), (std::vector<float>{0.f, 0.5f, 1.f}));
  EXPECT_EQ(floats.GetBinPos(0.74f), 1u);
  EXPECT_EQ(floats.GetBinPos(NAN), 0u);

  Histogram<unsigned short> shifted;  // one bin per value from 100
  shifted.Init(100, 199, 100);
  EXPECT_EQ(shifted.GetBinPos(150), 50u);
  shifted.GetBin(150) += 2;
  EXPECT_EQ(shifted[50], 2u);

  // Layouts whose last centre the formula alone misses in double precision.
  Histogram<int> fine;
  fine.Init(0, 1, 50);
  EXPECT_EQ(fine.GetRightCenter(), 1);
  EXPECT_EQ(fine.GetBinPos(1), 49u);
  Histogram<float> wide;
  wide.Init(-1e30f, -1e-40f, 256);
  EXPECT_EQ(wide.GetRightCenter(), -1e-40f);
  Histogram<float> empty;
  empty.Init(1.f, 2.f, 0);
  EXPECT_TRUE(empty.empty());
}

TEST(Histogram, CountsSumsAndNonZeroBins) {
  Histogram<unsigned short> h;
  EXPECT_TRUE(h.empty());
  h.Init(0, 9, 10);
  const unsigned short values[] = {3, 3, 7, 0, 65000};
  h.Fill(0, 9, 10, values, values + 5, 1);
  EXPECT_EQ(h[3], 2u);
  EXPECT_EQ(h[9], 1u);  // above the last centre counts into the last bin
  EXPECT_EQ(h.GetSum(), 5u);
  EXPECT_EQ(h.FindFirstNonZero(), 0u);
  EXPECT_EQ(h.FindLastNonZero(), 9u);
  h.Clear();
  EXPECT_EQ(h.GetSum(), 0u);
  EXPECT_EQ(h.FindFirstNonZero(), 9u);
  EXPECT_EQ(h.FindLastNonZero(), 0u);
  EXPECT_EQ(h.GetBinCenter(9), 9);
}

TEST(Histogram, Percentiles) {
  Histogram<unsigned char> h;
  h.Init(0, 255, 256);
  h[10] = 2;  // 0.2 % of the voxels
  h[100] = 996;
  h[200] = 2;
  EXPECT_EQ(h.FindLeftPercentil(0.001), 10u);
  EXPECT_EQ(h.FindRightPercentil(0.001), 200u);
  EXPECT_EQ(h.FindLeftPercentil(0.003), 100u);
  EXPECT_EQ(h.FindRightPercentil(0.5), 100u);
  EXPECT_EQ(h.FindLeftPercentil(2.0), 255u);
  EXPECT_EQ(h.FindRightPercentil(2.0), 0u);
  h.Clear();
  EXPECT_EQ(h.FindLeftPercentil(0.001), 0u);
  EXPECT_EQ(h.FindRightPercentil(0.001), 255u);
}

TEST(Histogram, SubHistogramsComparisonAndAddition) {
  Histogram<unsigned short> h;
  h.Init(0, 99, 100);
  for (unsigned i = 0; i < 100; ++i) h[i] = i;
  Histogram<unsigned short> sub;
  sub.CreateSubHist(h, 10, 19);
  ASSERT_EQ(sub.size(), 10u);
  EXPECT_EQ(sub.GetLeftCenter(), 10);
  EXPECT_EQ(sub.GetRightCenter(), 19);
  EXPECT_EQ(sub[0], 10u);

  Histogram<unsigned short> copy = h;  // deep copy
  copy[5] = 1000;
  EXPECT_EQ(h[5], 5u);
  EXPECT_TRUE(copy == h);  // same layout, different counts
  EXPECT_FALSE(sub == h);
  copy.Init(0, 98, 100);
  EXPECT_TRUE(copy != h);

  sub += h;  // only the first ten bins
  EXPECT_EQ(sub[0], 10u);
  EXPECT_EQ(sub[9], 19u + 9u);
}

TEST(HistogramSet, FromImagesOfEveryType) {
  bix::Image3d<unsigned short> gray(bix::Vector3d<unsigned>(4, 2, 1));
  gray.GetVoxel(1, 0, 0) = 65535;
  gray.GetVoxel(2, 1, 0) = 300;
  const HistogramSet<unsigned short> set(gray);
  EXPECT_EQ(set.Get().size(), 65536u);
  EXPECT_EQ(set.Get()[0], 6u);
  EXPECT_EQ(set.Get()[65535], 1u);
  EXPECT_EQ(set.Get()[300], 1u);

  bix::Image3d<bix::RGB_generic<unsigned char>> rgb(bix::Vector3d<unsigned>(3, 1, 1));
  rgb.GetVoxel(0, 0, 0) = {1, 2, 3};
  rgb.GetVoxel(2, 0, 0) = {1, 200, 255};
  const HistogramSet<bix::RGB_generic<unsigned char>> colours(rgb);
  EXPECT_EQ(colours[0][1], 2u);
  EXPECT_EQ(colours[1][200], 1u);
  EXPECT_EQ(colours.Get(2)[255], 1u);
  EXPECT_EQ(colours[2][0], 1u);
  EXPECT_EQ(colours[2].GetSum(), 3u);

  bix::Image3d<int> ints(bix::Vector3d<unsigned>(3, 1, 1));
  ints.Fill(7);
  HistogramSet<int> sevens(ints);
  ASSERT_EQ(sevens.Get().size(), 1u);  // one bin for a constant image
  EXPECT_EQ(sevens.Get().GetLeftCenter(), 7);
  ints.GetVoxel(0, 0, 0) = -3;
  sevens.CreateFromImage(ints);
  EXPECT_EQ(sevens.Get().size(), 11u);
  EXPECT_EQ(sevens.Get()[0], 1u);
  ints.GetVoxel(1, 0, 0) = 2000000000;  // a huge span is capped
  sevens.CreateFromImage(ints);
  EXPECT_EQ(sevens.Get().size(), Histogram<int>::kMaxBins);
  EXPECT_EQ(sevens.Get().GetRightCenter(), 2000000000);

  bix::Image3d<float> floats(bix::Vector3d<unsigned>(4, 1, 1));
  floats.GetVoxel(0, 0, 0) = -1.f;
  floats.GetVoxel(1, 0, 0) = 3.f;
  floats.GetVoxel(2, 0, 0) = NAN;
  const HistogramSet<float> fset(floats);
  EXPECT_EQ(fset.Get().size(), 256u);
  EXPECT_EQ(fset.Get().GetLeftCenter(), -1.f);
  EXPECT_EQ(fset.Get().GetRightCenter(), 3.f);
  EXPECT_EQ(fset.Get().GetSum(), 4u);

  EXPECT_TRUE(HistogramSet<float>().IsEmpty());
  EXPECT_TRUE(HistogramSet<bix::RGB_generic<unsigned short>>().IsEmpty());
}

namespace {

// A large image (counted on several cores) and its histogram counted here,
// one voxel at a time, with the bin rule of GetBinPos.
template <class T, class Make>
void ExpectLargeImageCountedExactly(Make make) {
  bix::Image3d<T> image(bix::Vector3d<unsigned>(2048, 1024, 5));  // 10.5 million voxels
  std::uint32_t r = 17;
  for (T& v : image) {
    r = r * 1664525u + 1013904223u;
    v = make(r);
  }
  const HistogramSet<T> set(image);
  const Histogram<T>& h = set.Get();
  std::vector<unsigned> expected(h.size(), 0u);
  for (const T& v : image) ++expected[h.GetBinPos(v)];
  ASSERT_EQ(std::vector<unsigned>(h.begin(), h.end()), expected);
  EXPECT_EQ(h.GetSum(), image.GetVoxelCount());
}

}  // namespace

template <class C>
void ExpectChannelsCountedExactly(const bix::Image3d<bix::RGB_generic<C>>& rgb) {
  const HistogramSet<bix::RGB_generic<C>> set(rgb);
  const std::size_t bins = std::size_t(std::numeric_limits<C>::max()) + 1;
  std::vector<unsigned> expected[3] = {std::vector<unsigned>(bins), std::vector<unsigned>(bins),
                                       std::vector<unsigned>(bins)};
  for (const auto& v : rgb) {
    ++expected[0][v.red];
    ++expected[1][v.green];
    ++expected[2][v.blue];
  }
  for (int c = 0; c < 3; ++c) EXPECT_EQ(std::vector<unsigned>(set[c].begin(), set[c].end()), expected[c]) << c;
}

TEST(HistogramSet, LargeImagesAreCountedExactlyOnEveryCore) {
  ExpectLargeImageCountedExactly<unsigned char>([](std::uint32_t r) { return static_cast<unsigned char>(r >> 24); });
  ExpectLargeImageCountedExactly<unsigned short>([](std::uint32_t r) { return static_cast<unsigned short>(r >> 16); });
  ExpectLargeImageCountedExactly<int>([](std::uint32_t r) { return static_cast<int>(r >> 20) - 2000; });
  ExpectLargeImageCountedExactly<float>([](std::uint32_t r) { return static_cast<float>(r >> 8) * 0.37f; });

  bix::Image3d<bix::RGB_generic<unsigned short>> rgb(bix::Vector3d<unsigned>(2048, 1024, 3));
  std::uint32_t r = 5;
  for (auto& v : rgb) {
    r = r * 1664525u + 1013904223u;
    v = bix::RGB_generic<unsigned short>(r >> 16, r & 0xffff, (r >> 8) & 0xfff);
  }
  ExpectChannelsCountedExactly(rgb);
  // 8-bit channels are read four voxels at a time; an odd voxel count leaves
  // every run a remainder.
  bix::Image3d<bix::RGB_generic<unsigned char>> rgb8(bix::Vector3d<unsigned>(2047, 1023, 3));
  for (auto& v : rgb8) {
    r = r * 1664525u + 1013904223u;
    v = bix::RGB_generic<unsigned char>(r >> 24, r >> 16, (r >> 8) & 0x3f);
  }
  ExpectChannelsCountedExactly(rgb8);
}

// Voxels exactly on and a few steps around every bin boundary, where a fast
// position computation could round to the other side: every voxel is counted
// in the bin GetBinPos gives it, for contiguous and strided voxels, and values
// outside the range (infinities, NaN) land in the end bins.
TEST(Histogram, VoxelsOnBinBoundariesAreCountedWhereGetBinPosPutsThem) {
  struct Layout {
    float lo, hi;
    unsigned n;
  };
  // The first two are ranges where multiplying by the inverse of the bin width
  // and dividing by it put a voxel in different bins.
  for (const Layout& layout : {Layout{78.0849609375f, 2068.722412109375f, 3},
                               Layout{48.959228515625f, 2569.197998046875f, 7}, Layout{-0.37f, 1234.567f, 2},
                               Layout{-0.37f, 1234.567f, 256}, Layout{-0.37f, 1234.567f, 4099}}) {
    const float lo = layout.lo, hi = layout.hi;
    const unsigned n = layout.n;
    std::vector<float> voxels = {INFINITY, -INFINITY, NAN, lo, hi};
    for (unsigned b = 0; b < n; ++b) {
      const double boundary = static_cast<double>(lo) + (static_cast<double>(hi) - lo) * b / (n - 1);
      float v = static_cast<float>(boundary);
      for (int i = 0; i < 3; ++i) v = std::nextafter(v, -INFINITY);
      for (int i = 0; i < 7; ++i, v = std::nextafter(v, INFINITY)) voxels.push_back(v);
    }
    for (std::size_t stride : {std::size_t(1), std::size_t(3)}) {
      Histogram<float> h;
      h.Fill(lo, hi, n, voxels.data(), voxels.data() + voxels.size(), stride);
      std::vector<unsigned> expected(n, 0u);
      for (std::size_t k = 0; k < voxels.size(); k += stride) ++expected[h.GetBinPos(voxels[k])];
      EXPECT_EQ(std::vector<unsigned>(h.begin(), h.end()), expected) << n << " bins, stride " << stride;
    }
  }
}

// A histogram whose first and last centres are equal (a blank float image
// gets 256 such bins) puts the value itself in bin 0, as GetBinPos does, on
// every counting path: float contiguous and strided, int, 16-bit.
TEST(Histogram, EqualFirstAndLastCentresCountTheValueInTheFirstBin) {
  std::vector<float> floats(300001, 0.f);
  floats[5] = -0.f;
  floats[6] = 1.f;
  floats[7] = -1.f;
  for (std::size_t stride : {std::size_t(1), std::size_t(2)}) {
    Histogram<float> h;
    h.Fill(0.f, 0.f, 256, floats.data(), floats.data() + floats.size(), stride);
    std::vector<unsigned> expected(256, 0u);
    for (std::size_t k = 0; k < floats.size(); k += stride) ++expected[h.GetBinPos(floats[k])];
    EXPECT_EQ(expected[255], 1u);  // the 1.f
    EXPECT_EQ(std::vector<unsigned>(h.begin(), h.end()), expected) << "stride " << stride;
  }
  const std::vector<int> ints(5000, 5);
  Histogram<int> hi;
  hi.Fill(5, 5, 10, ints.data(), ints.data() + ints.size(), 1);
  EXPECT_EQ(hi[0], 5000u);
  const std::vector<unsigned short> shorts(5000, 9);
  Histogram<unsigned short> hs;
  hs.Fill(9, 9, 3, shorts.data(), shorts.data() + shorts.size(), 1);
  EXPECT_EQ(hs[0], 5000u);

  bix::Image3d<float> blank(bix::Vector3d<unsigned>(512, 512, 2));
  blank.Fill(0.f);
  const HistogramSet<float> set(blank);
  ASSERT_GE(set.Get().size(), 1u);
  EXPECT_EQ(set.Get()[0], blank.GetVoxelCount());
}

// Random voxels over ranges of every scale, including ones where positions
// are computed in float and ones too wide or too finely binned for that:
// each voxel is counted in the bin GetBinPos gives it.
TEST(Histogram, RandomFloatsAreCountedWhereGetBinPosPutsThem) {
  struct Layout {
    float lo, hi;
    unsigned n;
  };
  for (const Layout& layout : {Layout{-1e-3f, 5e-4f, 256}, Layout{0.f, 1.f, 4097}, Layout{0.f, 1.f, 4098},
                               Layout{-3e38f, 3e38f, 256}, Layout{-1e36f, 1e36f, 255}, Layout{1e5f, 1e5f + 1, 256},
                               Layout{1e-39f, 3e-39f, 17}, Layout{-7.f, 65000.f, 256}}) {
    std::vector<float> voxels = {-NAN, layout.lo, layout.hi, -0.f, std::numeric_limits<float>::max()};
    std::uint32_t r = 17;
    const double width = static_cast<double>(layout.hi) - layout.lo;
    while (voxels.size() < 300000) {
      r = r * 1664525u + 1013904223u;
      voxels.push_back(static_cast<float>(layout.lo + width * (r / 4294967296.0 * 1.2 - 0.1)));
    }
    Histogram<float> h;
    h.Fill(layout.lo, layout.hi, layout.n, voxels.data(), voxels.data() + voxels.size(), 1);
    std::vector<unsigned> expected(layout.n, 0u);
    for (float v : voxels) ++expected[h.GetBinPos(v)];
    EXPECT_EQ(std::vector<unsigned>(h.begin(), h.end()), expected) << layout.lo << ".." << layout.hi << ", " << layout.n;
  }
}

// An int image is counted in one pass, each core's table growing with the
// values it meets: ranges that widen upwards, downwards, differ between the
// cores, sit at the ends of the int range, or are too wide for the tables
// (counted in two passes) all give one exact bin per value.
TEST(HistogramSet, IntDataRangeCountsEveryValueHoweverTheRangeGrows) {
  const std::size_t count = 1024 * 1024 * 5;  // several runs
  auto expectExact = [](const bix::Image3d<int>& image, const char* what) {
    const HistogramSet<int> set(image);
    const Histogram<int>& h = set.Get();
    const auto [low, high] = std::minmax_element(image.begin(), image.end());
    ASSERT_EQ(h.GetLeftCenter(), *low) << what;
    ASSERT_EQ(h.GetRightCenter(), *high) << what;
    ASSERT_EQ(h.size(), static_cast<unsigned>(static_cast<long long>(*high) - *low + 1)) << what;
    std::vector<unsigned> expected(h.size(), 0u);
    for (int v : image) ++expected[static_cast<std::size_t>(static_cast<long long>(v) - *low)];
    EXPECT_EQ(std::vector<unsigned>(h.begin(), h.end()), expected) << what;
  };
  bix::Image3d<int> image(bix::Vector3d<unsigned>(1024, 1024, 5));
  int* v = image.begin();
  for (std::size_t k = 0; k < count; ++k) v[k] = static_cast<int>(k / 7) - 300000;
  expectExact(image, "rising");
  for (std::size_t k = 0; k < count; ++k) v[k] = 300000 - static_cast<int>(k / 7);
  expectExact(image, "falling");
  for (std::size_t k = 0; k < count; ++k)
    v[k] = (k < count / 2 ? std::numeric_limits<int>::min() : -2147000000) + static_cast<int>(k % 1000);
  expectExact(image, "apart, at the low end");
  for (std::size_t k = 0; k < count; ++k) v[k] = std::numeric_limits<int>::max() - static_cast<int>(k % 4);
  expectExact(image, "at the high end");
  for (std::size_t k = 0; k < count; ++k) v[k] = static_cast<int>(k % 3);
  v[count / 4] = (1 << 20) + 5;  // one run spans more than its table takes
  expectExact(image, "too wide for one pass");
}

TEST(HistogramSet, FloatDataRangeIgnoresNonFiniteValues) {
  bix::Image3d<float> image(bix::Vector3d<unsigned>(1024, 1024, 5));  // several runs
  image.Fill(-0.0f);
  image.GetVoxel(3, 0, 0) = -INFINITY;
  image.GetVoxel(4, 9, 1) = -5.5f;
  image.GetVoxel(5, 1023, 4) = NAN;
  image.GetVoxel(6, 1000, 4) = 2.25f;
  image.GetVoxel(7, 100, 2) = INFINITY;
  image.GetVoxel(8, 100, 3) = -std::numeric_limits<float>::denorm_min();
  image.GetVoxel(9, 100, 3) = -NAN;  // sign bit set: the lowest key of all
  const HistogramSet<float> set(image);
  EXPECT_EQ(set.Get().GetLeftCenter(), -5.5f);
  EXPECT_EQ(set.Get().GetRightCenter(), 2.25f);
  EXPECT_EQ(set.Get().GetSum(), image.GetVoxelCount());

  bix::Image3d<float> nothing(bix::Vector3d<unsigned>(2, 1, 1));
  nothing.Fill(NAN);
  nothing.GetVoxel(1, 0, 0) = INFINITY;
  EXPECT_EQ(HistogramSet<float>(nothing).Get().size(), 0u);

  bix::Image3d<float> negative(bix::Vector3d<unsigned>(1024, 1024, 5));
  negative.Fill(-3.f);
  negative.GetVoxel(0, 0, 0) = -NAN;
  negative.GetVoxel(10, 10, 1) = -1e30f;
  negative.GetVoxel(1023, 1023, 4) = -std::numeric_limits<float>::denorm_min();
  const HistogramSet<float> below(negative);
  EXPECT_EQ(below.Get().GetLeftCenter(), -1e30f);
  EXPECT_EQ(below.Get().GetRightCenter(), -std::numeric_limits<float>::denorm_min());

  bix::Image3d<int> extremes(bix::Vector3d<unsigned>(1024, 1024, 5));
  extremes.Fill(0);
  extremes.GetVoxel(1, 2, 3) = std::numeric_limits<int>::min();
  extremes.GetVoxel(1023, 1023, 4) = std::numeric_limits<int>::max();
  const HistogramSet<int> ints(extremes);
  EXPECT_EQ(ints.Get().GetLeftCenter(), std::numeric_limits<int>::min());
  EXPECT_EQ(ints.Get().GetRightCenter(), std::numeric_limits<int>::max());
  EXPECT_EQ(ints.Get().GetSum(), extremes.GetVoxelCount());
}
