// The fast paths (banded projections in narrow integers on several threads,
// cached cut tables and strided gathers, the per-value table of LUT::Get)
// against plain references that follow each definition voxel by voxel, on
// random stacks of every voxel type.

#include <bix/bix.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <type_traits>
#include <vector>

using bix::Image3d;
using bix::Resolution;
using bix::RGB_generic;
using bix::Vector3d;

namespace {

using Rgb8 = RGB_generic<unsigned char>;
using Rgb16 = RGB_generic<unsigned short>;

// A voxel with levels in [-high, high] (gray types clamp to their range;
// float stacks get a few NaN and infinities).
template <class T>
T RandomVoxel(std::mt19937& g, double high) {
  std::uniform_real_distribution<double> u(-high, high);
  if constexpr (std::is_same_v<T, float>) {
    const unsigned pick = g() % 64;
    if (pick == 0) return std::numeric_limits<float>::quiet_NaN();
    if (pick == 1) return std::numeric_limits<float>::infinity();
    return static_cast<float>(u(g));
  } else if constexpr (std::is_arithmetic_v<T>) {
    const double v = std::round(u(g));
    return static_cast<T>(std::min<double>(std::max<double>(v, std::numeric_limits<T>::lowest()),
                                           std::numeric_limits<T>::max()));
  } else {
    using C = typename T::component_type;
    const auto c = [&] { return RandomVoxel<C>(g, high); };
    return T(c(), c(), c());
  }
}

template <class T>
Image3d<T> RandomStack(Vector3d<unsigned> size, double high, unsigned seed) {
  std::mt19937 g(seed);
  Image3d<T> image(size);
  for (T& v : image) v = RandomVoxel<T>(g, high);
  return image;
}

long long Clamp(long long v, unsigned n) { return std::min<long long>(std::max<long long>(v, 0), n - 1); }

// The autofocus projection by its definition, sums in the order float scores
// depend on: per column the three voxels across (y for XY, z for XZ), then
// the columns along x; for YZ the nine voxels one after the other, z outer.
template <class T>
Image3d<T> ReferenceAutofocus(const Image3d<T>& src, unsigned depthAxis) {
  using Acc = std::conditional_t<std::is_same_v<T, float>, double, __int128>;
  const auto level = [](const T& v) {
    if constexpr (std::is_arithmetic_v<T>)
      return static_cast<Acc>(v);
    else
      return 299 * Acc(v.red) + 587 * Acc(v.green) + 114 * Acc(v.blue);
  };
  const Vector3d<unsigned> s = src.GetSize();
  const unsigned outer = depthAxis == 0 ? 2 : 0, inner = depthAxis == 1 ? 2 : 1;
  Vector3d<unsigned> size = s;
  size[depthAxis] = 1;
  Image3d<T> out(size);
  for (unsigned k = 0; k < size.z; ++k)
    for (unsigned j = 0; j < size.y; ++j)
      for (unsigned i = 0; i < size.x; ++i) {
        Acc best = 0;
        for (unsigned d = 0; d < s[depthAxis]; ++d) {
          Vector3d<unsigned> p(i, j, k);
          p[depthAxis] = d;
          Acc h1 = 0, h2 = 0;
          for (int a = -1; a <= 1; ++a) {
            Acc s1 = 0, s2 = 0;
            for (int b = -1; b <= 1; ++b) {
              Vector3d<unsigned> q = p;
              q[outer] = static_cast<unsigned>(Clamp(static_cast<long long>(p[outer]) + a, s[outer]));
              q[inner] = static_cast<unsigned>(Clamp(static_cast<long long>(p[inner]) + b, s[inner]));
              const Acc l = level(src.GetVoxel(q.x, q.y, q.z));
              (depthAxis == 0 ? h1 : s1) += l;
              (depthAxis == 0 ? h2 : s2) += l * l;
            }
            if (depthAxis != 0) h1 += s1, h2 += s2;
          }
          Acc score = 9 * h2 - h1 * h1;
          if constexpr (std::is_floating_point_v<Acc>)
            if (!std::isfinite(score)) score = std::numeric_limits<Acc>::lowest();
          if (d == 0 || score > best) {
            best = score;
            out.GetVoxel(i, j, k) = src.GetVoxel(p.x, p.y, p.z);
          }
        }
      }
  return out;
}

template <class T>
void ExpectAutofocusAsReference(const Image3d<T>& stack, const char* what) {
  void (*const project[3])(const Image3d<T>&, Image3d<T>&) = {bix::Get_AF_YZ<T>, bix::Get_AF_XZ<T>,
                                                              bix::Get_AF_XY<T>};
  for (unsigned axis = 0; axis < 3; ++axis) {
    Image3d<T> out;
    project[axis](stack, out);
    const Image3d<T> expected = ReferenceAutofocus(stack, axis);
    ASSERT_EQ(out.GetSize(), expected.GetSize());
    std::size_t wrong = 0;
    for (auto a = out.begin(), b = expected.begin(); a != out.end(); ++a, ++b)
      wrong += std::memcmp(&*a, &*b, sizeof(T)) != 0;  // NaN voxels compare by their bits
    EXPECT_EQ(wrong, 0u) << what << ", depth axis " << axis << ", size " << stack.GetSize().x << "x"
                         << stack.GetSize().y << "x" << stack.GetSize().z;
  }
}

const Vector3d<unsigned> kOddSizes[] = {{7, 5, 4}, {1, 3, 2}, {5, 1, 3}, {4, 6, 1}, {1, 1, 1}, {13, 11, 9}};

template <class T>
class FastAutofocus : public ::testing::Test {};
using VoxelTypes = ::testing::Types<unsigned char, unsigned short, int, float, Rgb8, Rgb16>;
TYPED_TEST_SUITE(FastAutofocus, VoxelTypes);

}  // namespace

// Levels small enough for 32-bit sums, and levels that need 64 or 128 bits.
TYPED_TEST(FastAutofocus, EqualsTheReferenceOnRandomStacks) {
  unsigned seed = 1;
  for (double high : {3000.0, 1e8, 3e9})
    for (const Vector3d<unsigned>& size : kOddSizes)
      ExpectAutofocusAsReference(RandomStack<TypeParam>(size, high, seed++), "random levels");
}

// Bands (rows wider than a band's budget) and several threads (stacks of
// millions of voxels), where one large level late in a band makes that band
// start over in a wider type while the other bands stay narrow.
TEST(FastAutofocus, BandsThreadsAndAWideLevelLateInABand) {
  Image3d<unsigned short> wide = RandomStack<unsigned short>({9000, 7, 7}, 4000, 7);
  wide.GetVoxel(8000, 6, 6) = 60000;
  ExpectAutofocusAsReference(wide, "wide rows");
  Image3d<unsigned short> big = RandomStack<unsigned short>({1030, 67, 61}, 4000, 8);
  big.GetVoxel(500, 60, 59) = 65535;
  ExpectAutofocusAsReference(big, "threads");
  Image3d<int> negative = RandomStack<int>({9000, 7, 7}, 5000, 9);
  negative.GetVoxel(3, 5, 6) = std::numeric_limits<int>::lowest();
  ExpectAutofocusAsReference(negative, "wide rows, int");
}

// The labelled projections by their definitions: the first visible label
// along the depth axis, and its outline among the 4-neighbours in the plane.
TEST(FastAutofocus, LabelledProjectionsEqualTheReference) {
  using Labels = bix::LabeledImage3d<unsigned int, unsigned char>;
  const Vector3d<unsigned> sizes[] = {{7, 5, 4}, {1, 3, 2}, {300, 70, 9}, {9000, 3, 5}};
  std::mt19937 g(3);
  void (*const project[3])(const Labels&, Image3d<unsigned>&, const std::vector<unsigned char>&, bool) = {
      bix::Get_Labeled_AF_YZ, bix::Get_Labeled_AF_XZ, bix::Get_Labeled_AF_XY};
  for (const Vector3d<unsigned>& s : sizes) {
    Labels labels(s);
    for (unsigned& v : labels) v = g() % 3 == 0 ? g() % 9 : 0;  // labels 0..8, mostly background
    // Some labels hidden, and all of 1..6 visible (7 and 8 beyond: hidden).
    for (const std::vector<unsigned char>& visible :
         {std::vector<unsigned char>{1, 1, 0, 1, 1, 1, 0, 1}, std::vector<unsigned char>{0, 1, 1, 1, 1, 1, 1}})
    for (unsigned axis = 0; axis < 3; ++axis) {
      Vector3d<unsigned> size = s;
      size[axis] = 1;
      Image3d<unsigned> first(size), outline(size);
      for (unsigned k = 0; k < size.z; ++k)
        for (unsigned j = 0; j < size.y; ++j)
          for (unsigned i = 0; i < size.x; ++i)
            for (unsigned d = 0; d < s[axis]; ++d) {
              Vector3d<unsigned> p(i, j, k);
              p[axis] = d;
              const unsigned l = labels.GetVoxel(p.x, p.y, p.z);
              if (l != 0 && l < visible.size() && visible[l]) {
                first.GetVoxel(i, j, k) = l;
                break;
              }
            }
      for (unsigned k = 0; k < size.z; ++k)
        for (unsigned j = 0; j < size.y; ++j)
          for (unsigned i = 0; i < size.x; ++i) {
            const unsigned l = first.GetVoxel(i, j, k);
            bool edge = false;
            for (unsigned a = 0; a < 3; ++a)
              for (int step : {-1, 1}) {
                Vector3d<unsigned> q(i, j, k);
                const long long at = static_cast<long long>(q[a]) + step;
                if (a == axis || at < 0 || at >= size[a]) continue;
                q[a] = static_cast<unsigned>(at);
                edge |= first.GetVoxel(q.x, q.y, q.z) != l;
              }
            outline.GetVoxel(i, j, k) = edge ? l : 0;
          }
      for (bool form : {true, false}) {
        Image3d<unsigned> out;
        project[axis](labels, out, visible, form);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), (form ? first : outline).begin()))
            << "axis " << axis << " form " << form << " size " << s.x << "x" << s.y << "x" << s.z;
      }
    }
  }
}

// CopyToImage by its rule, voxel by voxel, over cuts of every orientation
// at several zooms and offsets (partly or wholly outside the source), with
// positions moving forward and back so that cached tables are reused and
// replaced.
template <class T>
void ExpectCutsAsReference(unsigned seed) {
  const Vector3d<float> sourceOffset(-2.5f, 1.25f, 0.5f);
  const Resolution sourceRes(Vector3d<float>(1.f, 0.7f, 2.5f));
  Image3d<T> source = RandomStack<T>({23, 17, 11}, 60000, seed);
  source.SetOffset(sourceOffset);
  source.SetResolution(sourceRes);
  const Vector3d<unsigned> shapes[] = {{1, 29, 13}, {31, 1, 13}, {31, 29, 1}, {7, 5, 3}};
  std::mt19937 g(seed);
  std::uniform_real_distribution<float> position(-8.f, 30.f);
  std::size_t wrong = 0;
  for (float zoom : {1.f, 0.5f, 3.f, 0.37f, 1.f / 3.f})
    for (const Vector3d<unsigned>& shape : shapes)
      for (int move = 0; move < 6; ++move) {
        const Vector3d<float> offset(position(g), position(g), position(g));
        const Resolution res(Vector3d<float>(zoom, zoom, zoom * 1.5f));
        Image3d<T> dst(shape, &offset, &res);
        bix::CopyToImage(source, dst);
        for (unsigned k = 0; k < shape.z; ++k)
          for (unsigned j = 0; j < shape.y; ++j)
            for (unsigned i = 0; i < shape.x; ++i) {
              const unsigned at[3] = {i, j, k};
              long long v[3];
              bool inside = true;
              for (unsigned a = 0; a < 3; ++a) {
                const double p = static_cast<double>(offset[a]) + at[a] / static_cast<double>(res.GetRes()[a]);
                v[a] = static_cast<long long>(bix::VoxelIndexAt(p, sourceOffset[a], sourceRes.GetRes()[a]));
                inside &= v[a] >= 0 && v[a] < source.GetSize()[a];
              }
              const T expected = inside ? source.GetVoxel(static_cast<unsigned>(v[0]), static_cast<unsigned>(v[1]),
                                                          static_cast<unsigned>(v[2]))
                                        : T();
              wrong += std::memcmp(&dst.GetVoxel(i, j, k), &expected, sizeof(T)) != 0;
            }
      }
  EXPECT_EQ(wrong, 0u);
}

TEST(FastCuts, EqualTheReferenceForEveryVoxelType) {
  ExpectCutsAsReference<unsigned char>(1);
  ExpectCutsAsReference<unsigned short>(2);
  ExpectCutsAsReference<int>(3);
  ExpectCutsAsReference<float>(4);
  ExpectCutsAsReference<Rgb8>(5);
  ExpectCutsAsReference<Rgb16>(6);
  ExpectCutsAsReference<unsigned int>(7);
}

// LUT::Get and GetMany read the entry the table's placement rule names (the
// reader's computed index) for every value, after each way of filling it.
template <class T, class U>
void ExpectGetAsReader(const bix::LUT<T, U>& lut, const char* what) {
  const auto reader = lut.GetReader();
  const std::size_t count = std::size_t(std::numeric_limits<T>::max()) + 1;
  std::vector<T> values(count);
  for (std::size_t v = 0; v < count; ++v) values[v] = static_cast<T>(v);
  std::vector<U> many(count);
  lut.GetMany(values.data(), count, many.data());
  std::size_t wrong = 0;
  for (std::size_t v = 0; v < count; ++v)
    wrong += !(lut.Get(values[v]) == reader.Get(values[v])) || !(many[v] == reader.Get(values[v]));
  EXPECT_EQ(wrong, 0u) << what;
}

TEST(FastLUT, GetReadsTheEntryOfEveryValue) {
  bix::LUT<unsigned short, unsigned char> lut;
  ExpectGetAsReader(lut, "never initialised");
  lut.Init(3512, 100, 3611);
  lut.CreateGamma(200, 3000, 0.7f, 0, 255);
  ExpectGetAsReader(lut, "direct table over part of the range");
  lut.Init(1000, 50, 60000);
  lut.CreateAffine(0.01f, 3.f, 0, 255);
  ExpectGetAsReader(lut, "fewer entries than values");
  for (long i : {0L, 1L, 500L, 998L, 999L}) lut.Set(i, static_cast<unsigned char>(i % 251 + 1));
  ExpectGetAsReader(lut, "entries set one by one, both ends included");
  lut.Init(1, 7, 7);
  lut.Set(0, 9);
  ExpectGetAsReader(lut, "one entry");
  bix::LUT<unsigned char, Rgb8> palette;
  palette.Init(200, 20, 219);
  for (long i = 0; i < 200; ++i) palette.Set(i, Rgb8(static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i), 7));
  palette.CreateThresholding(30, 40, Rgb8(1, 2, 3), Rgb8(4, 5, 6));
  palette.Set(5, Rgb8(9, 9, 9));
  ExpectGetAsReader(palette, "palette");
}

// The outlines made from the areas equal the second form computed directly.
TEST(FastAutofocus, OutlinesFromAreasEqualTheSecondForm) {
  using Labels = bix::LabeledImage3d<unsigned short, bool>;
  Labels labels(Vector3d<unsigned>(23, 17, 11));
  std::mt19937 g(8);
  for (unsigned short& v : labels) v = g() % 4 == 0 ? static_cast<unsigned short>(g() % 6) : 0;
  const std::vector<bool> visible{false, true, true, false, true};
  void (*const project[3])(const Labels&, Image3d<unsigned short>&, const std::vector<bool>&, bool) = {
      bix::Get_Labeled_AF_YZ, bix::Get_Labeled_AF_XZ, bix::Get_Labeled_AF_XY};
  for (unsigned axis = 0; axis < 3; ++axis) {
    Image3d<unsigned short> outline, area;
    project[axis](labels, outline, visible, false);
    project[axis](labels, area, visible, true);
    bix::KeepLabelOutline(area, axis);
    EXPECT_TRUE(std::equal(area.begin(), area.end(), outline.begin())) << "axis " << axis;
  }
}
