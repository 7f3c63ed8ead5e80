// Round trips through every format for every voxel type: what is written
// reads back with the same size, voxels, offset and resolution, compressed
// or not, whole or as a region.

#include "io_test_support.h"

#include <sys/stat.h>

using namespace iotest;
using bix::Image3d;
using bix::Resolution;
using bix::VOI;

namespace {

struct Format {
  bix::FileFormat format;
  const char* file;
};
// Every format stores the offset: BIX and ICS directly, TIFF as ImageJ's
// pixel origins.
const Format kFormats[] = {{bix::FORMAT_TIFF, "image.tif"},
                           {bix::FORMAT_ICS, "image.ics"},
                           {bix::FORMAT_ICS_V1, "image.ics"},
                           {bix::FORMAT_BIX, "image.bix"}};

template <class T>
class RoundTrip : public ::testing::Test {};
using AllTypes = ::testing::Types<unsigned char, unsigned short, int, float, RGB_generic<unsigned char>,
                                  RGB_generic<unsigned short>, unsigned int>;
TYPED_TEST_SUITE(RoundTrip, AllTypes);

// Resolutions that are no binary fractions: TIFF rationals, ICS text and
// ImageJ's spacing text must all bring back the same floats.
const Resolution kRes(Vector3d<float>(1 / 0.3f, 2.5f, 1 / 0.7f));
const Vector3d<float> kOffset(1.5f, -2.2f, 1e-3f);

TYPED_TEST(RoundTrip, EveryFormatKeepsVoxelsSizeOffsetAndResolution) {
  using T = TypeParam;
  ScratchDir dir;
  const Image3d<T> image = MakeImage<T>(Vector3d<unsigned>(7, 5, 3), kOffset, kRes);
  for (const Format& f : kFormats) {
    for (bool compress : {false, true}) {
      SCOPED_TRACE(std::string(f.file) + " format " + std::to_string(f.format) +
                   (compress ? " compressed" : " plain"));
      const std::string path = dir / f.file;
      image.SaveImage(path, f.format, compress);
      Image3d<T> back;
      bix::ReadImage(path, back);
      EXPECT_TRUE(SameVoxels(image, back));
      EXPECT_EQ(back.GetOffset(), kOffset);
      EXPECT_EQ(back.GetResolution(), kRes);
    }
  }
}

TYPED_TEST(RoundTrip, UndefinedResolutionStaysUndefined) {
  using T = TypeParam;
  ScratchDir dir;
  const Image3d<T> image = MakeImage<T>(Vector3d<unsigned>(3, 2, 2), Vector3d<float>(-4, 0, 2), Resolution());
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.file);
    image.SaveImage(dir / f.file, f.format, true);
    Image3d<T> back;
    bix::ReadImage(dir / f.file, back);
    EXPECT_TRUE(SameVoxels(image, back));
    EXPECT_FALSE(back.GetResolution().IsDefined());
    EXPECT_EQ(back.GetOffset(), Vector3d<float>(-4, 0, 2));
  }
}

TYPED_TEST(RoundTrip, ReadImageTypeNamesTheTypeToReadAs) {
  using T = TypeParam;
  ScratchDir dir;
  const Image3d<T> image = MakeImage<T>(Vector3d<unsigned>(2, 2, 2), Vector3d<float>(), kRes);
  // Label images (unsigned int) have no viewer type of their own: they read as int.
  const bix::VoxelType expected = std::is_same_v<T, unsigned char>    ? bix::VOXEL_UCHAR
                                  : std::is_same_v<T, unsigned short> ? bix::VOXEL_USHORT
                                  : std::is_same_v<T, float>          ? bix::VOXEL_FLOAT
                                  : std::is_same_v<T, RGB_generic<unsigned char>>  ? bix::VOXEL_RGB8
                                  : std::is_same_v<T, RGB_generic<unsigned short>> ? bix::VOXEL_RGB16
                                                                                   : bix::VOXEL_INT;
  for (const Format& f : kFormats) {
    image.SaveImage(dir / f.file, f.format, false);
    EXPECT_EQ(bix::ReadImageType(dir / f.file), expected) << f.file;
  }
}

TEST(SaveImage, FormatZeroChoosesFromTheName) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(2, 2, 1), Vector3d<float>(), kRes);
  image.SaveImage(dir / "a.TIF", 0, false);
  image.SaveImage(dir / "b.tiff", 0, false);
  image.SaveImage(dir / "c.ics", 0, false);
  image.SaveImage(dir / "d.bix", 0, false);
  EXPECT_EQ(FileBytes(dir / "a.TIF").substr(0, 4), std::string("II*\0", 4));
  EXPECT_EQ(FileBytes(dir / "b.tiff").substr(0, 4), std::string("II*\0", 4));
  EXPECT_EQ(FileBytes(dir / "c.ics").substr(0, 16), "\t\nics_version\t2.");
  EXPECT_EQ(FileBytes(dir / "d.bix").substr(0, 4), "\x89" "BIX");
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"a.TIF", "b.tiff", "c.ics", "d.bix"}));

  EXPECT_EQ(IOErrorOf([&] { image.SaveImage(dir / "e.png"); }),
            "'" + (dir / "e.png") + "': cannot tell the file format from the name (use .tif, .tiff, .ics, .bix or .zarr)");
  EXPECT_NE(IOErrorOf([&] { image.SaveImage(dir / "tif"); }).find("cannot tell the file format"),
            std::string::npos);
  EXPECT_NE(IOErrorOf([&] { image.SaveImage(dir / "f.tif", 9); }).find("unknown file format value 9"),
            std::string::npos);
}

TEST(SaveImage, IcsVersion1WritesHeaderAndDataFiles) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned short>(Vector3d<unsigned>(4, 3, 2), Vector3d<float>(), kRes);
  image.SaveImage(dir / "v1.ics", bix::FORMAT_ICS_V1, false);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"v1.ics", "v1.ids"}));
  EXPECT_EQ(FileBytes(dir / "v1.ids").size(), 4u * 3 * 2 * 2);
  Image3d<unsigned short> back;
  bix::ReadImage(dir / "v1.ics", back);
  EXPECT_TRUE(SameVoxels(image, back));
  // The data file's name reads the pair too.
  bix::ReadImage(dir / "v1.ids", back);
  EXPECT_TRUE(SameVoxels(image, back));
}

TEST(SaveImage, EmptyImagesAreRefused) {
  ScratchDir dir;
  const Image3d<float> empty;
  EXPECT_EQ(IOErrorOf([&] { empty.SaveImage(dir / "e.bix"); }),
            "'" + (dir / "e.bix") + "': the image is empty; there is nothing to save");
  EXPECT_TRUE(dir.List().empty());
}

// A region keeps the voxels whose extent meets the box, clamped to the
// image, and the saved offset is the first kept voxel's corner.
TEST(SaveImage, RegionWritesTheVoxelsItTouches) {
  ScratchDir dir;
  const Resolution res(Vector3d<float>(2, 1, 0.5f));  // voxels 0.5 x 1 x 2 microns
  const Vector3d<float> offset(10, 20, 30);
  const auto image = MakeImage<unsigned short>(Vector3d<unsigned>(8, 6, 4), offset, res);
  // x: 11.2..12.0 touches voxels 2 and 3 (11.0..12.0); y: from below the
  // image to 22.5 keeps 0..2; z: 33.0..100 keeps 1..3 (32..38).
  const VOI<float> region(Vector3d<float>(11.2f, 5, 33), Vector3d<float>(0.8f, 17.5f, 67));
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.file);
    image.SaveImage(dir / f.file, f.format, true, &region);
    Image3d<unsigned short> back;
    bix::ReadImage(dir / f.file, back);
    ASSERT_EQ(back.GetSize(), Vector3d<unsigned>(2, 3, 3));
    EXPECT_EQ(back.GetOffset(), Vector3d<float>(11, 20, 32));
    EXPECT_EQ(back.GetResolution(), res);
    for (unsigned z = 0; z < 3; ++z)
      for (unsigned y = 0; y < 3; ++y)
        for (unsigned x = 0; x < 2; ++x)
          ASSERT_EQ(back.GetVoxel(x, y, z), image.GetVoxel(x + 2, y, z + 1)) << x << y << z;
  }
}

TEST(SaveImage, RegionBoundariesOnTheGridAddNoVoxel) {
  ScratchDir dir;
  const Resolution res(Vector3d<float>(3, 3, 3));
  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(9, 9, 9), Vector3d<float>(), res);
  // 1/3 .. 2 microns in single precision is voxels 1..5 exactly.
  const VOI<float> region(Vector3d<float>(1 / 3.f, 1 / 3.f, 1 / 3.f), Vector3d<float>(5 / 3.f, 5 / 3.f, 5 / 3.f));
  image.SaveImage(dir / "r.bix", bix::FORMAT_AUTO, false, &region);
  Image3d<unsigned char> back;
  bix::ReadImage(dir / "r.bix", back);
  EXPECT_EQ(back.GetSize(), Vector3d<unsigned>(5, 5, 5));
  EXPECT_EQ(back.GetVoxel(0, 0, 0), image.GetVoxel(1, 1, 1));
}

TEST(SaveImage, RegionOutsideTheImageOrEmptyIsRefused) {
  ScratchDir dir;
  const auto image = MakeImage<float>(Vector3d<unsigned>(4, 4, 4), Vector3d<float>(), Resolution());
  const VOI<float> outside(Vector3d<float>(4, 0, 0), Vector3d<float>(2, 2, 2));
  const VOI<float> flat(Vector3d<float>(1, 1, 1), Vector3d<float>(2, 0, 2));
  const std::string path = dir / "r.tif";
  EXPECT_NE(IOErrorOf([&] { image.SaveImage(path, bix::FORMAT_AUTO, true, &outside); })
                .find("'" + path + "': the region to save, offset (4.000000, 0.000000, 0.000000) size "
                      "(2.000000, 2.000000, 2.000000) microns, does not overlap the image"),
            std::string::npos);
  EXPECT_NE(IOErrorOf([&] { image.SaveImage(path, bix::FORMAT_AUTO, true, &flat); }).find("is empty"),
            std::string::npos);
  EXPECT_TRUE(dir.List().empty());
}

TEST(ReadImage, WrongVoxelTypeNamesBothTypes) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned short>(Vector3d<unsigned>(2, 2, 2), Vector3d<float>(), kRes);
  for (const Format& f : kFormats) {
    image.SaveImage(dir / f.file, f.format, false);
    Image3d<float> wrong;
    EXPECT_EQ(IOErrorOf([&] { bix::ReadImage(dir / f.file, wrong); }),
              "'" + (dir / f.file) + "': holds 16-bit unsigned voxels, which read as unsigned short, not as float");
    EXPECT_TRUE(wrong.IsEmpty());
  }
  Image3d<RGB_generic<unsigned char>> rgb;
  EXPECT_NE(IOErrorOf([&] { bix::ReadImage(dir / "image.bix", rgb); }).find("not as RGB_generic<unsigned char>"),
            std::string::npos);
}

// Label images read any integer file; values that do not fit are refused,
// never wrapped.
TEST(ReadImage, IntegerFilesWidenOnlyWhenEveryValueFits) {
  ScratchDir dir;
  const auto labels = MakeImage<unsigned short>(Vector3d<unsigned>(3, 2, 2), Vector3d<float>(), kRes);
  labels.SaveImage(dir / "l.bix");
  Image3d<unsigned int> wide;
  bix::ReadImage(dir / "l.bix", wide);
  for (std::size_t i = 0; i < labels.GetVoxelCount(); ++i) EXPECT_EQ(wide.begin()[i], labels.begin()[i]);

  Image3d<int> signedImage(Vector3d<unsigned>(2, 1, 1));
  signedImage.GetVoxel(1, 0, 0) = -5;
  signedImage.SaveImage(dir / "s.tif");
  EXPECT_EQ(IOErrorOf([&] { bix::ReadImage(dir / "s.tif", wide); }),
            "'" + (dir / "s.tif") + "': holds the value -5, which a label image cannot hold");

  Image3d<unsigned int> big(Vector3d<unsigned>(2, 1, 1));
  big.GetVoxel(0, 0, 0) = 2147483647u;
  big.SaveImage(dir / "big.tif");
  Image3d<int> asInt;
  bix::ReadImage(dir / "big.tif", asInt);
  EXPECT_EQ(asInt.GetVoxel(0, 0, 0), 2147483647);
  big.GetVoxel(1, 0, 0) = 2147483648u;
  big.SaveImage(dir / "big.tif");
  EXPECT_EQ(IOErrorOf([&] { bix::ReadImage(dir / "big.tif", asInt); }),
            "'" + (dir / "big.tif") + "': holds the value 2147483648, which is too large for int");
  EXPECT_EQ(asInt.GetVoxel(0, 0, 0), 2147483647) << "a failed read leaves the image as it was";
}

TEST(ReadImage, ProgressReportsEverySliceAndCanCancel) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(4, 4, 5), Vector3d<float>(), kRes);
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.file);
    image.SaveImage(dir / f.file, f.format, true);
    std::vector<double> seen;
    Image3d<unsigned char> back;
    bix::ReadImage(dir / f.file, back, [&](double fraction) {
      seen.push_back(fraction);
      return true;
    });
    EXPECT_EQ(seen, (std::vector<double>{0.2, 0.4, 0.6, 0.8, 1.0}));

    Image3d<unsigned char> kept(Vector3d<unsigned>(1, 1, 1));
    int calls = 0;
    const std::string error = IOErrorOf([&] {
      bix::ReadImage(dir / f.file, kept, [&](double) { return ++calls < 2; });
    });
    EXPECT_EQ(error, "'" + (dir / f.file) + "': reading cancelled");
    EXPECT_EQ(calls, 2);
    // A cancel is told apart from a failure.
    EXPECT_THROW(bix::ReadImage(dir / f.file, kept, [](double) { return false; }), bix::ReadCancelled);
    EXPECT_EQ(kept.GetSize(), Vector3d<unsigned>(1, 1, 1));
  }
}

TEST(ReadImage, MissingFilesAndUnknownContentsAreNamed) {
  ScratchDir dir;
  Image3d<float> image;
  EXPECT_EQ(IOErrorOf([&] { bix::ReadImage(dir / "none.tif", image); }),
            "'" + (dir / "none.tif") + "': No such file or directory");
  EXPECT_EQ(IOErrorOf([&] { bix::ReadImageType(dir.Path()); }), "'" + dir.Path() + "': not a regular file");
  WriteBytes(dir / "text.dat", "hello");
  EXPECT_EQ(IOErrorOf([&] { bix::ReadImageType(dir / "text.dat"); }),
            "'" + (dir / "text.dat") + "': is neither a TIFF nor a BIX file, and its name does not end in .ics");
}

}  // namespace

// Large images are read while another core has the kernel allocate their
// pages: the voxels must come out exactly as written, in every plane.
TEST(ReadImage, LargeImagesReadWhilePagesArePrefaulted) {
  ScratchDir dir;
  Image3d<unsigned short> image(Vector3d<unsigned>(2048, 2048, 9));  // 72 MiB
  std::uint32_t r = 3;
  for (unsigned short& v : image) {
    r = r * 1664525u + 1013904223u;
    v = static_cast<unsigned short>(r >> 16);
  }
  for (const char* name : {"large.bix", "large.tif"}) {
    image.SaveImage(dir / name, bix::FORMAT_AUTO, false);
    Image3d<unsigned short> back;
    bix::ReadImage(dir / name, back);
    ASSERT_EQ(back.GetSize(), image.GetSize()) << name;
    EXPECT_TRUE(std::equal(image.begin(), image.end(), back.begin())) << name;
  }
}
