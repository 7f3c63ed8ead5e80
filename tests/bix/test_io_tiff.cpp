// TIFF files: what we write as libtiff's tiffinfo and ImageMagick's identify
// see it, files in other programs' styles, and malformed files.

#include "io_test_support.h"
#include "tiff_test_files.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>

using namespace iotest;
using bix::Image3d;
using bix::Resolution;

namespace {

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// --- What independent readers see in our files --------------------------

template <class T>
void CheckTiffinfo(const char* bits, const char* format, int samples) {
  if (!HaveTool("tiffinfo")) GTEST_SKIP() << "tiffinfo (Debian package libtiff-tools) is not installed";
  ScratchDir dir;
  const Resolution res(Vector3d<float>(2, 4, 0.5f));
  const auto image = MakeImage<T>(Vector3d<unsigned>(7, 5, 3), Vector3d<float>(), res);
  for (bool compress : {false, true}) {
    const std::string path = dir / "s.tif";
    image.SaveImage(path, bix::FORMAT_TIFF, compress);
    bool ok = false;
    const std::string info = RunCommand("tiffinfo '" + path + "' 2>&1", &ok);
    ASSERT_TRUE(ok) << info;
    EXPECT_EQ(Count(info, "TIFF Directory at offset"), 3) << info;
    EXPECT_EQ(Count(info, "Image Width: 7 Image Length: 5"), 3) << info;
    EXPECT_EQ(Count(info, std::string("Bits/Sample: ") + bits + "\n"), 3) << info;
    EXPECT_EQ(Count(info, std::string("Sample Format: ") + format + "\n"), 3) << info;
    EXPECT_EQ(Count(info, "Samples/Pixel: " + std::to_string(samples) + "\n"), 3) << info;
    EXPECT_EQ(Count(info, "Resolution: 2, 4 (unitless)"), 3) << info;
    // 16-bit RGB stays uncompressed: ImageJ reads no compressed 16-bit RGB stack.
    const bool deflated = compress && !(samples == 3 && std::string(bits) == "16");
    EXPECT_EQ(Count(info, deflated ? "Compression Scheme: AdobeDeflate" : "Compression Scheme: None"), 3) << info;
    EXPECT_EQ(Count(info, "Predictor"), 0) << "ImageJ does not undo predictors on 16-bit samples: " << info;
    EXPECT_NE(info.find("ImageDescription: ImageJ=1.11a\nslices=3\nunit=micron\nspacing=2\nloop=false\n"),
              std::string::npos)
        << info;
    EXPECT_EQ(info.find("error"), std::string::npos) << info;
  }
}

TEST(TiffOurFiles, TiffinfoSeesPagesSamplesAndResolution) {
  CheckTiffinfo<unsigned char>("8", "unsigned integer", 1);
  CheckTiffinfo<unsigned short>("16", "unsigned integer", 1);
  CheckTiffinfo<int>("32", "signed integer", 1);
  CheckTiffinfo<unsigned int>("32", "unsigned integer", 1);
  CheckTiffinfo<float>("32", "IEEE floating point", 1);
  CheckTiffinfo<RGB_generic<unsigned char>>("8", "unsigned integer", 3);
  CheckTiffinfo<RGB_generic<unsigned short>>("16", "unsigned integer", 3);
}

TEST(TiffOurFiles, IdentifyReadsGreyAndRgbStacks) {
  if (!HaveTool("identify")) GTEST_SKIP() << "identify (Debian package imagemagick) is not installed";
  ScratchDir dir;
  const Resolution res(Vector3d<float>(2, 2, 1));
  Image3d<unsigned char> grey(Vector3d<unsigned>(7, 5, 3), nullptr, &res);
  Image3d<RGB_generic<unsigned char>> rgb(Vector3d<unsigned>(7, 5, 3), nullptr, &res);
  unsigned i = 0;
  for (auto& v : grey) v = static_cast<unsigned char>(i++);
  i = 0;
  for (auto& v : rgb) {
    v = RGB_generic<unsigned char>(static_cast<unsigned char>(i), static_cast<unsigned char>(2 * i),
                                   static_cast<unsigned char>(255 - i));
    ++i;
  }
  for (bool compress : {false, true}) {
    grey.SaveImage(dir / "g.tif", bix::FORMAT_TIFF, compress);
    rgb.SaveImage(dir / "c.tif", bix::FORMAT_TIFF, compress);
    const std::string format = " -format '%w %h %z %[colorspace] %[pixel:p{1,2}]\\n' ";
    bool ok = false;
    // Voxel (1, 2) of slice z has index 35 z + 15.
    EXPECT_EQ(RunCommand("identify" + format + "'" + (dir / "g.tif") + "' 2>&1", &ok),
              "7 5 8 Gray gray(15)\n7 5 8 Gray gray(50)\n7 5 8 Gray gray(85)\n");
    EXPECT_TRUE(ok);
    EXPECT_EQ(RunCommand("identify" + format + "'" + (dir / "c.tif") + "' 2>&1", &ok),
              "7 5 8 sRGB srgb(15,30,240)\n7 5 8 sRGB srgb(50,100,205)\n7 5 8 sRGB srgb(85,170,170)\n");
    EXPECT_TRUE(ok);
  }
}

// --- Files in other programs' styles ------------------------------------

Image3d<unsigned char> ReadUChar(const std::string& path) {
  Image3d<unsigned char> image;
  bix::ReadImage(path, image);
  return image;
}

TEST(TiffOtherFiles, ImageJSpacingAndUnitGiveTheVoxelSize) {
  ScratchDir dir;
  TiffPage page;
  page.xres = 2;  // ImageJ: pixels per unit, unit in the description
  page.yres = 4;
  std::vector<TiffPage> pages = Pages(3, page);
  pages[0].description = "ImageJ=1.53t\nimages=3\nslices=3\nunit=micron\nspacing=0.5\nloop=false\n";
  ASSERT_TRUE(WriteTiffFile(dir / "ij.tif", "w", pages));
  EXPECT_EQ(ReadUChar(dir / "ij.tif").GetResolution(), Resolution(Vector3d<float>(2, 4, 2)));

  // Nanometres, ImageJ's escaped micro sign, and ImageJ's default depth of
  // one unit when the spacing is left out.
  pages[0].description = "ImageJ=1.53t\nimages=3\nslices=3\nunit=nm\nspacing=250\n";
  pages[0].xres = pages[0].yres = 0.01f;  // 100 nm pixels
  ASSERT_TRUE(WriteTiffFile(dir / "nm.tif", "w", pages));
  EXPECT_EQ(ReadUChar(dir / "nm.tif").GetResolution(), Resolution(Vector3d<float>(10, 10, 4)));
  pages[0].description = "ImageJ=1.53t\nimages=3\nslices=3\nunit=\\u00B5m\n";
  pages[0].xres = pages[0].yres = 2;
  ASSERT_TRUE(WriteTiffFile(dir / "mu.tif", "w", pages));
  EXPECT_EQ(ReadUChar(dir / "mu.tif").GetResolution(), Resolution(Vector3d<float>(2, 2, 1)));
}

// A file without origins lies at 0, not at -0 (which prints as "-0").
TEST(TiffOtherFiles, NoOriginsGiveAnOffsetOfPlusZero) {
  ScratchDir dir;
  TiffPage page;
  page.description = "ImageJ=1.53t\nimages=2\nslices=2\nunit=micron\nspacing=2\n";
  page.xres = page.yres = 2;
  ASSERT_TRUE(WriteTiffFile(dir / "o.tif", "w", Pages(2, page)));
  const Vector3d<float> offset = ReadUChar(dir / "o.tif").GetOffset();
  for (unsigned a = 0; a < 3; ++a) EXPECT_FALSE(std::signbit(offset[a])) << a;
}

TEST(TiffOtherFiles, ImageJOriginsGiveTheOffset) {
  ScratchDir dir;
  TiffPage page;
  page.xres = page.yres = 2;
  std::vector<TiffPage> pages = Pages(2, page);
  pages[0].description = "ImageJ=1.53t\nimages=2\nslices=2\nunit=micron\nspacing=4\nxorigin=10\nyorigin=-3\nzorigin=1\n";
  ASSERT_TRUE(WriteTiffFile(dir / "o.tif", "w", pages));
  // Pixel 10 lies at x = 0, so pixel 0 at -10 pixels = -5 microns.
  EXPECT_EQ(ReadUChar(dir / "o.tif").GetOffset(), Vector3d<float>(-5, 1.5f, -4));
}

TEST(TiffOtherFiles, OmeXmlPhysicalSizesWinOverTheTags) {
  ScratchDir dir;
  TiffPage page;
  page.xres = page.yres = 72;
  page.resolutionUnit = RESUNIT_INCH;
  std::vector<TiffPage> pages = Pages(2, page);
  pages[0].description =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<OME xmlns=\"http://www.openmicroscopy.org/Schemas/OME/2016-06\"><Image ID=\"Image:0\">"
      "<Pixels BigEndian=\"false\" DimensionOrder=\"XYZCT\" ID=\"Pixels:0\" PhysicalSizeX=\"0.25\" "
      "PhysicalSizeXUnit=\"\xc2\xb5m\" PhysicalSizeY=\"0.5\" PhysicalSizeZ=\"1.5\" SizeC=\"1\" SizeT=\"1\" "
      "SizeX=\"4\" SizeY=\"3\" SizeZ=\"2\" Type=\"uint8\"><TiffData/></Pixels></Image></OME>";
  ASSERT_TRUE(WriteTiffFile(dir / "ome.tif", "w", pages));
  EXPECT_EQ(ReadUChar(dir / "ome.tif").GetResolution(), Resolution(Vector3d<float>(4, 2, 1 / 1.5f)));

  pages[0].description =
      "<?xml version=\"1.0\"?><ome:OME xmlns:ome=\"x\"><ome:Image><ome:Pixels PhysicalSizeX='100' "
      "PhysicalSizeXUnit='nm' PhysicalSizeY = '100' PhysicalSizeYUnit='nm' PhysicalSizeZ='0.5' "
      "PhysicalSizeZUnit='mm'/></ome:Image></ome:OME>";
  ASSERT_TRUE(WriteTiffFile(dir / "ome2.tif", "w", pages));
  EXPECT_EQ(ReadUChar(dir / "ome2.tif").GetResolution(), Resolution(Vector3d<float>(10, 10, 1 / 500.f)));
}

TEST(TiffOtherFiles, CentimetreAndInchTagsWithoutDescription) {
  ScratchDir dir;
  TiffPage page;
  page.xres = 10000;  // pixels per centimetre: 1 micron
  page.yres = 5000;
  page.resolutionUnit = RESUNIT_CENTIMETER;
  ASSERT_TRUE(WriteTiffFile(dir / "cm.tif", "w", Pages(2, page)));
  // No z spacing given: z takes x's, and the caller can tell.
  EXPECT_EQ(ReadUChar(dir / "cm.tif").GetResolution(), Resolution(Vector3d<float>(1, 0.5f, 1)));
  EXPECT_TRUE(bix::ZSpacingAssumed(dir / "cm.tif"));
  page.xres = page.yres = 25400;
  page.resolutionUnit = RESUNIT_INCH;
  ASSERT_TRUE(WriteTiffFile(dir / "in.tif", "w", Pages(2, page)));
  EXPECT_EQ(ReadUChar(dir / "in.tif").GetResolution(), Resolution(Vector3d<float>(1, 1, 1)));
  EXPECT_TRUE(bix::ZSpacingAssumed(dir / "in.tif"));
  ASSERT_TRUE(WriteTiffFile(dir / "single.tif", "w", Pages(1, page)));
  EXPECT_FALSE(bix::ZSpacingAssumed(dir / "single.tif")) << "one plane has no z spacing to miss";
  page.description = "ImageJ=1.53t\nimages=2\nslices=2\nunit=micron\nspacing=2.5\n";
  ASSERT_TRUE(WriteTiffFile(dir / "imagej.tif", "w", Pages(2, page)));
  EXPECT_FALSE(bix::ZSpacingAssumed(dir / "imagej.tif"));
  page.description.clear();
  page.xres = 0;
  ASSERT_TRUE(WriteTiffFile(dir / "none.tif", "w", Pages(2, page)));
  EXPECT_FALSE(ReadUChar(dir / "none.tif").GetResolution().IsDefined());
  EXPECT_FALSE(bix::ZSpacingAssumed(dir / "none.tif"));
}

// Reads `path` as T and checks every voxel against DefaultValue.
template <class T, class C = T>
void ExpectDefaultValues(const std::string& path, unsigned w, unsigned h, unsigned d, unsigned channels,
                         std::uint64_t mask) {
  Image3d<T> image;
  bix::ReadImage(path, image);
  ASSERT_EQ(image.GetSize(), Vector3d<unsigned>(w, h, d));
  for (unsigned z = 0; z < d; ++z)
    for (unsigned y = 0; y < h; ++y)
      for (unsigned x = 0; x < w; ++x)
        for (unsigned s = 0; s < channels; ++s) {
          C got;
          if constexpr (std::is_arithmetic_v<T>) got = image.GetVoxel(x, y, z);
          else got = image.GetVoxel(x, y, z).GetComponent(s);
          ASSERT_EQ(got, static_cast<C>(DefaultValue(z, x, y, s) & mask)) << x << "," << y << "," << z << "," << s;
        }
}

TEST(TiffOtherFiles, PlanarRgbIsInterleaved) {
  ScratchDir dir;
  TiffPage page;
  page.width = 5;
  page.height = 4;
  page.samples = 3;
  page.planar = PLANARCONFIG_SEPARATE;
  page.rowsPerStrip = 3;
  ASSERT_TRUE(WriteTiffFile(dir / "p8.tif", "w", Pages(3, page)));
  EXPECT_EQ(bix::ReadImageType(dir / "p8.tif"), bix::VOXEL_RGB8);
  ExpectDefaultValues<RGB_generic<unsigned char>, unsigned char>(dir / "p8.tif", 5, 4, 3, 3, 0xff);
  page.bits = 16;
  page.compression = COMPRESSION_ADOBE_DEFLATE;
  ASSERT_TRUE(WriteTiffFile(dir / "p16.tif", "w", Pages(2, page)));
  ExpectDefaultValues<RGB_generic<unsigned short>, unsigned short>(dir / "p16.tif", 5, 4, 2, 3, 0xffff);
}

TEST(TiffOtherFiles, TilesCoverPartialEdges) {
  ScratchDir dir;
  TiffPage page;
  page.width = 37;
  page.height = 18;
  page.bits = 16;
  page.tile = 16;
  page.compression = COMPRESSION_ADOBE_DEFLATE;
  ASSERT_TRUE(WriteTiffFile(dir / "t.tif", "w", Pages(2, page)));
  ExpectDefaultValues<unsigned short>(dir / "t.tif", 37, 18, 2, 1, 0xffff);
  page.samples = 3;
  page.bits = 8;
  page.planar = PLANARCONFIG_SEPARATE;
  ASSERT_TRUE(WriteTiffFile(dir / "tp.tif", "w", Pages(2, page)));
  ExpectDefaultValues<RGB_generic<unsigned char>, unsigned char>(dir / "tp.tif", 37, 18, 2, 3, 0xff);
}

TEST(TiffOtherFiles, BigEndianFilesAndStripsOfAnyHeight) {
  ScratchDir dir;
  TiffPage page;
  page.width = 6;
  page.height = 5;
  page.rowsPerStrip = 2;  // the last strip holds one row
  page.bits = 16;
  ASSERT_TRUE(WriteTiffFile(dir / "be16.tif", "wb", Pages(3, page)));
  EXPECT_EQ(FileBytes(dir / "be16.tif").substr(0, 2), "MM");
  ExpectDefaultValues<unsigned short>(dir / "be16.tif", 6, 5, 3, 1, 0xffff);
  page.bits = 32;
  page.compression = COMPRESSION_LZW;
  page.predictor = PREDICTOR_HORIZONTAL;
  ASSERT_TRUE(WriteTiffFile(dir / "be32.tif", "wb", Pages(2, page)));
  EXPECT_EQ(bix::ReadImageType(dir / "be32.tif"), bix::VOXEL_INT);  // 32-bit unsigned
  ExpectDefaultValues<int>(dir / "be32.tif", 6, 5, 2, 1, 0xffffffff);

  page.format = SAMPLEFORMAT_IEEEFP;
  page.predictor = 0;
  ASSERT_TRUE(WriteTiffFile(dir / "bef.tif", "wb", Pages(2, page)));
  Image3d<float> f;
  bix::ReadImage(dir / "bef.tif", f);
  EXPECT_EQ(f.GetVoxel(5, 4, 1), float(DefaultValue(1, 5, 4, 0)) * 0.25f);
}

TEST(TiffOtherFiles, BigTiffIsRead) {
  ScratchDir dir;
  TiffPage page;
  page.bits = 16;
  ASSERT_TRUE(WriteTiffFile(dir / "big.tif", "w8", Pages(2, page)));
  EXPECT_EQ(FileBytes(dir / "big.tif").substr(0, 4), std::string("II+\0", 4));
  ExpectDefaultValues<unsigned short>(dir / "big.tif", 4, 3, 2, 1, 0xffff);
}

TEST(TiffOtherFiles, SignedSamplesReadAsInt) {
  ScratchDir dir;
  TiffPage page;
  page.format = SAMPLEFORMAT_INT;
  auto negative = [](unsigned p, unsigned x, unsigned y, unsigned) -> std::uint64_t {
    return std::uint64_t(std::int64_t(x) - 2 - 10 * std::int64_t(y) - 100 * p);
  };
  for (std::uint16_t bits : {8, 16}) {
    page.bits = bits;
    ASSERT_TRUE(WriteTiffFile(dir / "s.tif", "w", Pages(2, page), negative));
    EXPECT_EQ(bix::ReadImageType(dir / "s.tif"), bix::VOXEL_INT);
    Image3d<int> image;
    bix::ReadImage(dir / "s.tif", image);
    EXPECT_EQ(image.GetVoxel(0, 0, 0), -2);
    EXPECT_EQ(image.GetVoxel(3, 2, 1), bits == 8 ? -119 : -119);
    EXPECT_EQ(image.GetVoxel(1, 1, 0), -11);
  }
}

// ImageJ stores signed 16-bit stacks as unsigned ones with a straight-line
// calibration (value = c0 + c1 * sample): the values it shows are read.
TEST(TiffOtherFiles, ImageJCalibrationsGiveTheValuesImageJShows) {
  ScratchDir dir;
  TiffPage page;
  page.bits = 16;
  page.description = "ImageJ=1.53t\nimages=2\nslices=2\ncf=0\nc0=-32768.0\nc1=1.0\nvunit=Gray Value\n";
  auto raw = [](unsigned p, unsigned x, unsigned y, unsigned) -> std::uint64_t { return 30768 + 1000 * p + 10 * y + x; };
  ASSERT_TRUE(WriteTiffFile(dir / "signed.tif", "w", Pages(2, page), raw));
  EXPECT_EQ(bix::ReadImageType(dir / "signed.tif"), bix::VOXEL_INT);
  Image3d<int> signedImage;
  bix::ReadImage(dir / "signed.tif", signedImage);
  EXPECT_EQ(signedImage.GetVoxel(0, 0, 0), -2000);
  EXPECT_EQ(signedImage.GetVoxel(3, 2, 1), -2000 + 1000 + 23);

  page.description = "ImageJ=1.53t\nimages=2\nslices=2\ncf=0\nc0=0.5\nc1=0.25\n";
  ASSERT_TRUE(WriteTiffFile(dir / "scaled.tif", "w", Pages(2, page), raw));
  EXPECT_EQ(bix::ReadImageType(dir / "scaled.tif"), bix::VOXEL_FLOAT);
  Image3d<float> scaled;
  bix::ReadImage(dir / "scaled.tif", scaled);
  EXPECT_EQ(scaled.GetVoxel(1, 0, 0), 0.5f + 0.25f * 30769);

  page.description = "ImageJ=1.53t\nimages=2\nslices=2\ncf=0\nc0=0\nc1=1\n";
  ASSERT_TRUE(WriteTiffFile(dir / "plain.tif", "w", Pages(2, page), raw));
  EXPECT_EQ(bix::ReadImageType(dir / "plain.tif"), bix::VOXEL_USHORT);

  page.description = "ImageJ=1.53t\nimages=2\nslices=2\ncf=2\nc0=1\nc1=2\nc2=3\n";
  ASSERT_TRUE(WriteTiffFile(dir / "poly.tif", "w", Pages(2, page), raw));
  EXPECT_EQ(IOErrorOf([&] { bix::ReadImageType(dir / "poly.tif"); }), "'" + (dir / "poly.tif") +
                                             "': has ImageJ calibration function 2; only straight-line calibrations "
                                             "(cf=0) are read");
}

// Pages of one stack stored each in their own way: strips of other heights,
// tiles of other sizes, tiles after strips, separate after contiguous
// colour planes, compressed after raw. Each page is read as it is stored.
TEST(TiffOtherFiles, PagesStoredInDifferentWays) {
  ScratchDir dir;
  TiffPage strips, tiles16, tiles32, deflated;
  strips.width = tiles16.width = tiles32.width = deflated.width = 48;
  strips.height = tiles16.height = tiles32.height = deflated.height = 40;
  strips.rowsPerStrip = 3;
  tiles16.tile = 16;
  tiles32.tile = 32;
  deflated.rowsPerStrip = 40;
  deflated.compression = COMPRESSION_ADOBE_DEFLATE;
  TiffPage single = strips;
  single.rowsPerStrip = 1;
  ASSERT_TRUE(WriteTiffFile(dir / "mixed.tif", "w", {single, tiles16, tiles32, strips, deflated}));
  ExpectDefaultValues<unsigned char>(dir / "mixed.tif", 48, 40, 5, 1, 0xff);
  // Raw first, then compressed: the data may expand more than the first
  // page's codec allows, and is still read.
  ASSERT_TRUE(WriteTiffFile(dir / "rawfirst.tif", "w", {single, deflated, deflated}));
  ExpectDefaultValues<unsigned char>(dir / "rawfirst.tif", 48, 40, 3, 1, 0xff);

  TiffPage contiguous = tiles16, separate = tiles32;
  contiguous.samples = separate.samples = 3;
  separate.planar = PLANARCONFIG_SEPARATE;
  ASSERT_TRUE(WriteTiffFile(dir / "rgb.tif", "w", {contiguous, separate, contiguous}));
  ExpectDefaultValues<RGB_generic<unsigned char>, unsigned char>(dir / "rgb.tif", 48, 40, 3, 3, 0xff);
}

// A stack as ImageJ saves one over 4 GiB, in miniature: one page, its
// description counting the images, the planes one after another behind the
// first page's data; 16-bit samples in the file's byte order. `planes` may
// be fewer than the description promises. `counts` replaces the slice
// count ("channels=2\nslices=3\n" for a hyperstack).
std::string ImageJStackBehindOnePage(bool bigEndian, unsigned w, unsigned h, unsigned images, unsigned planes,
                                     std::string counts = {}) {
  std::string file;
  auto put = [&](std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) file += char(v >> (8 * (bigEndian ? bytes - 1 - i : i)));
  };
  if (counts.empty()) counts = "slices=" + std::to_string(images) + "\n";
  const std::string description = "ImageJ=1.54f\nimages=" + std::to_string(images) + "\n" + counts +
                                  "unit=micron\nspacing=2.5\nloop=false\n";
  const unsigned entries = 10, descriptionAt = 8 + 2 + 12 * entries + 4;
  const unsigned dataAt = descriptionAt + unsigned(description.size()) + 1;
  file += bigEndian ? "MM" : "II";
  put(42, 2);
  put(8, 4);
  put(entries, 2);
  auto entry = [&](unsigned tag, unsigned type, unsigned count, std::uint32_t value) {
    put(tag, 2);
    put(type, 2);
    put(count, 4);
    if (type == 3) {  // SHORT: left-justified in the value field
      put(value, 2);
      put(0, 2);
    } else {
      put(value, 4);
    }
  };
  entry(256, 4, 1, w);
  entry(257, 4, 1, h);
  entry(258, 3, 1, 16);
  entry(259, 3, 1, 1);
  entry(262, 3, 1, 1);
  entry(270, 2, unsigned(description.size()) + 1, descriptionAt);
  entry(273, 4, 1, dataAt);
  entry(277, 3, 1, 1);
  entry(278, 4, 1, h);
  entry(279, 4, 1, w * h * 2);
  put(0, 4);
  file += description;
  file += '\0';
  for (unsigned z = 0; z < planes; ++z)
    for (unsigned y = 0; y < h; ++y)
      for (unsigned x = 0; x < w; ++x) put(DefaultValue(z, x, y, 0) & 0xffff, 2);
  return file;
}

TEST(TiffOtherFiles, ImageJStacksStoredBehindOnePageAreRead) {
  ScratchDir dir;
  for (bool bigEndian : {false, true}) {
    const std::string path = dir / (bigEndian ? "mm.tif" : "ii.tif");
    WriteBytes(path, ImageJStackBehindOnePage(bigEndian, 5, 3, 7, 7));
    ExpectDefaultValues<unsigned short>(path, 5, 3, 7, 1, 0xffff);
  }
  // A hyperstack so stored: 2 channels interleaved per slice, 3 slices.
  WriteBytes(dir / "hyper.tif", ImageJStackBehindOnePage(true, 5, 3, 6, 6, "channels=2\nslices=3\nhyperstack=true\n"));
  EXPECT_EQ(bix::ReadImageType(dir / "hyper.tif"), bix::VOXEL_RGB16);
  Image3d<RGB_generic<unsigned short>> hyper;
  bix::ReadImage(dir / "hyper.tif", hyper);
  ASSERT_EQ(hyper.GetSize(), Vector3d<unsigned>(5, 3, 3));
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 3; ++y)
      for (unsigned x = 0; x < 5; ++x) {
        const RGB_generic<unsigned short> v = hyper.GetVoxel(x, y, z);
        ASSERT_EQ(v.red, DefaultValue(2 * z, x, y, 0) & 0xffff);
        ASSERT_EQ(v.green, DefaultValue(2 * z + 1, x, y, 0) & 0xffff);
        ASSERT_EQ(v.blue, 0);
      }
  // Planes missing at the end: the description cannot be kept.
  WriteBytes(dir / "short.tif", ImageJStackBehindOnePage(false, 5, 3, 7, 6));
  EXPECT_EQ(IOErrorOf([&] {
              Image3d<unsigned short> image;
              bix::ReadImage(dir / "short.tif", image);
            }),
            "'" + (dir / "short.tif") + "': its description promises 7 images but the file has 1 page");
}

TEST(TiffOtherFiles, ReducedResolutionPagesAreSkipped) {
  ScratchDir dir;
  TiffPage page, thumbnail;
  thumbnail.width = thumbnail.height = 2;
  thumbnail.subfileType = FILETYPE_REDUCEDIMAGE;
  ASSERT_TRUE(WriteTiffFile(dir / "th.tif", "w", {page, thumbnail, page},
                            [](unsigned p, unsigned x, unsigned y, unsigned s) {
                              return DefaultValue(p == 2 ? 1 : p, x, y, s);
                            }));
  ExpectDefaultValues<unsigned char>(dir / "th.tif", 4, 3, 2, 1, 0xff);

  // A thumbnail after every page, as LSM files have: every page is reached
  // past one, each with its own values.
  std::vector<TiffPage> interleaved;
  for (int i = 0; i < 40; ++i) {
    interleaved.push_back(page);
    interleaved.push_back(thumbnail);
  }
  ASSERT_TRUE(WriteTiffFile(dir / "lsm.tif", "w", interleaved, [](unsigned p, unsigned x, unsigned y, unsigned s) {
    return DefaultValue(p / 2, x, y, s);
  }));
  ExpectDefaultValues<unsigned char>(dir / "lsm.tif", 4, 3, 40, 1, 0xff);
}

// --- Malformed files ------------------------------------------------------

std::string ReadError(const std::string& path) {
  return IOErrorOf([&] {
    Image3d<unsigned char> image;
    bix::ReadImage(path, image);
  });
}

TEST(TiffBadFiles, TruncatedFilesAreReported) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(64, 64, 4), Vector3d<float>(), Resolution());
  for (bool compress : {false, true}) {
    const std::string path = dir / (compress ? "c.tif" : "r.tif");
    image.SaveImage(path, bix::FORMAT_TIFF, compress);
    const std::string bytes = FileBytes(path);
    // Cut into the data of the last pages, keeping the directories (written
    // after each page's data) of the first.
    WriteBytes(path, bytes.substr(0, bytes.size() * 6 / 10));
    const std::string error = ReadError(path);
    EXPECT_EQ(error.rfind("'" + path + "': ", 0), 0u) << error;
    EXPECT_FALSE(error.empty());
  }
  // The third directory's offset points past the end: named as page and
  // directory (counted from 0, as tiffdump does).
  ASSERT_TRUE(WriteTiffFile(dir / "d.tif", "w", Pages(3, TiffPage())));
  std::string bytes = FileBytes(dir / "d.tif");
  auto u32 = [&](std::size_t at) {
    return std::uint32_t(std::uint8_t(bytes[at])) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 | std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
  };
  std::size_t ifd = u32(4);
  for (int hop = 0; hop < 1; ++hop) {
    const std::size_t entries = std::uint8_t(bytes[ifd]) | std::uint8_t(bytes[ifd + 1]) << 8;
    ifd = u32(ifd + 2 + 12 * entries);
  }
  const std::size_t entries = std::uint8_t(bytes[ifd]) | std::uint8_t(bytes[ifd + 1]) << 8;
  const std::size_t link = ifd + 2 + 12 * entries;  // the second directory's link to the third
  const std::uint32_t far = std::uint32_t(bytes.size() + 1000);
  for (int i = 0; i < 4; ++i) bytes[link + i] = char((far >> (8 * i)) & 0xff);
  WriteBytes(dir / "d.tif", bytes);
  const std::string directoryError = ReadError(dir / "d.tif");
  EXPECT_EQ(directoryError.rfind("'" + (dir / "d.tif") + "': page 3 (TIFF directory 2) cannot be read", 0), 0u)
      << directoryError;

  WriteBytes(dir / "h.tif", std::string("II*\0\x08", 5));
  EXPECT_EQ(ReadError(dir / "h.tif"), "'" + (dir / "h.tif") + "': is truncated: its TIFF header is incomplete");
}

// Files that cannot be read at all say why, in the system's words.
TEST(TiffBadFiles, EmptyAndUnreadableFilesSayWhy) {
  ScratchDir dir;
  WriteBytes(dir / "empty.tif", "");
  EXPECT_EQ(ReadError(dir / "empty.tif"), "'" + (dir / "empty.tif") + "': is empty");

  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(2, 2, 1), Vector3d<float>(), Resolution());
  image.SaveImage(dir / "locked.tif");
  ASSERT_EQ(::chmod((dir / "locked.tif").c_str(), 0), 0);
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  // Root reads any file: the check runs as nobody then, in a child.
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::getuid() == 0 && ::setuid(65534) != 0) ::_exit(2);
    const std::string error = ReadError(dir / "locked.tif");
    const ssize_t written = ::write(pipe[1], error.data(), error.size());
    ::_exit(written == ssize_t(error.size()) ? 0 : 3);
  }
  ::close(pipe[1]);
  std::string error;
  char chunk[256];
  for (ssize_t n; (n = ::read(pipe[0], chunk, sizeof chunk)) > 0;) error.append(chunk, std::size_t(n));
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child could not run as another user";
  EXPECT_EQ(error, "'" + (dir / "locked.tif") + "': cannot be opened: Permission denied");
}

TEST(TiffBadFiles, NoPages) {
  ScratchDir dir;
  WriteBytes(dir / "z.tif", std::string("II*\0\0\0\0\0", 8));
  EXPECT_EQ(ReadError(dir / "z.tif"), "'" + (dir / "z.tif") + "': holds no pages");
  WriteBytes(dir / "zb.tif", std::string("MM\0*\0\0\0\0", 8));
  EXPECT_EQ(ReadError(dir / "zb.tif"), "'" + (dir / "zb.tif") + "': holds no pages");
}

TEST(TiffBadFiles, PagesOfDifferentSizesOrTypes) {
  ScratchDir dir;
  TiffPage a, b;
  b.height = 2;
  ASSERT_TRUE(WriteTiffFile(dir / "s.tif", "w", {a, a, b}));
  EXPECT_EQ(ReadError(dir / "s.tif"), "'" + (dir / "s.tif") + "': page 3 is 4 x 2, the first page is 4 x 3");
  b = a;
  b.bits = 16;
  ASSERT_TRUE(WriteTiffFile(dir / "t.tif", "w", {a, b}));
  EXPECT_EQ(ReadError(dir / "t.tif"),
            "'" + (dir / "t.tif") + "': page 2 holds 16-bit unsigned samples, the first page 8-bit unsigned");
}

TEST(TiffBadFiles, UnsupportedSamples) {
  ScratchDir dir;
  TiffPage page;
  page.bits = 12;
  ASSERT_TRUE(WriteTiffFile(dir / "12.tif", "w", {page}));
  EXPECT_EQ(ReadError(dir / "12.tif"),
            "'" + (dir / "12.tif") + "': page 1 has 12 bits per sample; only 8, 16 and 32 bits are read");
  page.bits = 1;
  ASSERT_TRUE(WriteTiffFile(dir / "1.tif", "w", {page}));
  EXPECT_EQ(ReadError(dir / "1.tif"),
            "'" + (dir / "1.tif") + "': page 1 has 1 bit per sample; only 8, 16 and 32 bits are read");
  page.bits = 64;
  page.format = SAMPLEFORMAT_IEEEFP;
  ASSERT_TRUE(WriteTiffFile(dir / "64.tif", "w", {page}));
  EXPECT_EQ(ReadError(dir / "64.tif"),
            "'" + (dir / "64.tif") + "': page 1 has 64 bits per sample; only 8, 16 and 32 bits are read");
  page.bits = 16;
  ASSERT_TRUE(WriteTiffFile(dir / "half.tif", "w", {page}));
  EXPECT_EQ(ReadError(dir / "half.tif"), "'" + (dir / "half.tif") +
                                             "': page 1 holds 16-bit floating-point samples; only 32-bit floats are read");
  page = TiffPage();
  page.samples = 4;
  ASSERT_TRUE(WriteTiffFile(dir / "rgba.tif", "w", {page}));
  EXPECT_EQ(ReadError(dir / "rgba.tif"), "'" + (dir / "rgba.tif") +
                                             "': page 1 has 4 samples per pixel; only 1 (grey) and 3 (RGB) are read");
  page.samples = 1;
  page.photometric = PHOTOMETRIC_MINISWHITE;
  ASSERT_TRUE(WriteTiffFile(dir / "white.tif", "w", {page}));
  EXPECT_EQ(ReadError(dir / "white.tif"), "'" + (dir / "white.tif") +
                                              "': page 1 has 1 sample per pixel, min-is-white; only 1 sample "
                                              "min-is-black (grey) and 3 samples RGB are read");
  page.samples = 3;  // three channels as tifffile writes them: not colour
  page.photometric = PHOTOMETRIC_MINISBLACK;
  ASSERT_TRUE(WriteTiffFile(dir / "channels.tif", "w", {page}));
  EXPECT_EQ(ReadError(dir / "channels.tif"), "'" + (dir / "channels.tif") +
                                                 "': page 1 has 3 samples per pixel, min-is-black; "
                                                 "only 1 sample min-is-black (grey) and 3 samples RGB are read");
  page.samples = 1;
  page.photometric = PHOTOMETRIC_SEPARATED;
  ASSERT_TRUE(WriteTiffFile(dir / "cmyk.tif", "w", {page}));
  EXPECT_NE(ReadError(dir / "cmyk.tif").find("1 sample per pixel, separated (CMYK);"), std::string::npos);
  page = TiffPage();
  page.samples = 3;
  page.bits = 32;
  ASSERT_TRUE(WriteTiffFile(dir / "rgb32.tif", "w", {page}));
  EXPECT_NE(ReadError(dir / "rgb32.tif").find("32-bit RGB voxels (3 channels) are not supported"), std::string::npos);
}

// A header that claims a huge page over a few bytes of data must be refused
// before the image is allocated, not after.
TEST(TiffBadFiles, DimensionsClaimingMoreDataThanTheFileHolds) {
  ScratchDir dir;
  const std::string path = dir / "huge.tif";
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 100000u);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 100000u);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 100000u);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  char bytes[16] = {};
  ASSERT_GE(TIFFWriteRawStrip(tif, 0, bytes, sizeof bytes), 0);
  TIFFWriteDirectory(tif);
  TIFFClose(tif);
  // libtiff re-estimates the short byte count from the file's size, so the
  // whole file's size is what the page cannot fit in.
  EXPECT_EQ(ReadError(path), "'" + path + "': claims 1 page of 100000 x 100000 voxels of 16-bit unsigned, more data than its " +
                                 std::to_string(FileBytes(path).size()) + " bytes hold");
}

// Directories claiming pages of 4 GB over a file of a megabyte: refused at
// the first page that cannot fit (not after adding up every page's strips),
// naming how many pages the file claims.
TEST(TiffBadFiles, ManyPagesClaimingMoreDataThanTheFileHolds) {
  ScratchDir dir;
  const std::string many = dir / "many.tif";
  const std::string bytes = DirectoriesClaimingHugePages(10000, 4096, 1000000);
  WriteBytes(many, bytes);
  EXPECT_EQ(ReadError(many), "'" + many + "': claims 10000 pages of 4096 x 1000000 voxels of 8-bit unsigned, more data than its " +
                                 std::to_string(bytes.size()) + " bytes hold");
  const std::string imagej = dir / "imagej.tif";
  const std::string one = DirectoriesClaimingHugePages(1, 4096, 1000000, "ImageJ=1.53t\nimages=10000\nslices=10000\n");
  WriteBytes(imagej, one);
  EXPECT_EQ(ReadError(imagej), "'" + imagej + "': claims 10000 pages of 4096 x 1000000 voxels of 8-bit unsigned, more data than its " +
                                   std::to_string(one.size()) + " bytes hold");
}

TEST(TiffBadFiles, TilesFarLargerThanThePage) {
  ScratchDir dir;
  const std::string path = dir / "tile.tif";
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4u);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 3u);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tif, TIFFTAG_TILEWIDTH, 65536u);
  TIFFSetField(tif, TIFFTAG_TILELENGTH, 65536u);
  char bytes[16] = {};
  ASSERT_GE(TIFFWriteRawTile(tif, 0, bytes, sizeof bytes), 0);
  TIFFWriteDirectory(tif);
  TIFFClose(tif);
  EXPECT_EQ(ReadError(path), "'" + path + "': page 1 has tiles of 65536 x 65536 pixels, far larger than the page");
}

TEST(TiffBadFiles, DescriptionsThatDoNotMatchThePages) {
  ScratchDir dir;
  std::vector<TiffPage> pages = Pages(3, TiffPage());
  pages[0].description = "ImageJ=1.53t\nimages=1000\nslices=1000\nunit=micron\n";
  ASSERT_TRUE(WriteTiffFile(dir / "lie.tif", "w", pages));
  EXPECT_EQ(ReadError(dir / "lie.tif"),
            "'" + (dir / "lie.tif") + "': its description promises 1000 images but the file has 3 pages");
  // A hyperstack whose counts do not multiply to its pages.
  pages[0].description = "ImageJ=1.53t\nimages=3\nchannels=2\nslices=2\nhyperstack=true\n";
  ASSERT_TRUE(WriteTiffFile(dir / "hyper.tif", "w", pages));
  EXPECT_EQ(ReadError(dir / "hyper.tif"), "'" + (dir / "hyper.tif") +
                                              "': its ImageJ description counts 2 channels, 2 slices and 1 frame but the file has 3 pages");
  // OME-TIFF of other series or files besides this z stack: pages that are
  // not z planes are not read as such. (Channels and time points are read:
  // see test_io_channels.cpp.)
  auto ome = [](const std::string& sizes) {
    return "<?xml version=\"1.0\"?><OME xmlns=\"http://www.openmicroscopy.org/Schemas/OME/2016-06\">"
           "<Image ID=\"Image:0\"><Pixels DimensionOrder=\"XYCZT\" ID=\"Pixels:0\" " +
           sizes + " SizeX=\"4\" SizeY=\"3\" Type=\"uint8\"><TiffData/></Pixels></Image></OME>";
  };
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"SizeC=\"2\" SizeT=\"1\" SizeZ=\"1\"", "its OME description promises 2 channels, 1 z plane and 1 time point but the file has 3 pages"},
      {"SizeC=\"1\" SizeT=\"2\" SizeZ=\"2\"", "its OME description promises 1 channel, 2 z planes and 2 time points but the file has 3 pages"},
      {"SizeC=\"1\" SizeT=\"1\" SizeZ=\"10\"", "its OME description promises 10 z planes but the file has 3 pages"},
      {"SizeC=\"1\" SizeT=\"1\" SizeZ=\"1\"", "its OME description promises 1 z planes but the file has 3 pages"}};
  for (const auto& [sizes, message] : refused) {
    pages[0].description = ome(sizes);
    ASSERT_TRUE(WriteTiffFile(dir / "ome.tif", "w", pages));
    EXPECT_EQ(ReadError(dir / "ome.tif"), "'" + (dir / "ome.tif") + "': " + message);
  }
  // Three channels in the samples of RGB pages are one colour z stack.
  std::vector<TiffPage> colour = Pages(3, TiffPage());
  for (TiffPage& page : colour) page.samples = 3;
  colour[0].description = ome("SizeC=\"3\" SizeT=\"1\" SizeZ=\"3\"");
  ASSERT_TRUE(WriteTiffFile(dir / "rgb.tif", "w", colour));
  ExpectDefaultValues<RGB_generic<unsigned char>, unsigned char>(dir / "rgb.tif", 4, 3, 3, 3, 0xff);

  // Garbage numbers in a description are ignored, not trusted.
  pages[0].description = "ImageJ=\nimages=3\nspacing=nan\nunit=parsec\nxorigin=1e999\n";
  pages[0].xres = pages[0].yres = 2;
  ASSERT_TRUE(WriteTiffFile(dir / "junk.tif", "w", pages));
  const Image3d<unsigned char> image = ReadUChar(dir / "junk.tif");
  EXPECT_FALSE(image.GetResolution().IsDefined());
  EXPECT_EQ(image.GetOffset(), Vector3d<float>(0, 0, 0));
}

// An image larger than the memory the process may still take is refused as
// a read error naming the file, not an escaping std::bad_alloc. The address
// space is limited for the test, which AddressSanitizer's reservations
// would not survive.
TEST(TiffBadFiles, ImagesLargerThanTheMemoryLeftAreReported) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address space cannot be limited under AddressSanitizer";
#else
  ScratchDir dir;
  TiffPage page;
  page.width = page.height = 4096;
  page.rowsPerStrip = 4096;
  ASSERT_TRUE(WriteTiffFile(dir / "big.tif", "w", Pages(8, page), [](unsigned, unsigned, unsigned, unsigned) {
    return std::uint64_t(0);
  }));  // 128 MiB
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_AS, &old), 0);
  rlimit tight = old;
  tight.rlim_cur = rlim_t(pages) * ::sysconf(_SC_PAGESIZE) + (rlim_t(48) << 20);
  ASSERT_EQ(::setrlimit(RLIMIT_AS, &tight), 0);
  const std::string error = ReadError(dir / "big.tif");
  ::setrlimit(RLIMIT_AS, &old);
  EXPECT_EQ(error, "'" + (dir / "big.tif") + "': needs 0.1 GiB of memory to be read, more than can be had");
#endif
}

TEST(TiffBadFiles, NotATiffAtAll) {
  ScratchDir dir;
  const char garbage[] = "II*\0garbage that is not a directory";
  WriteBytes(dir / "x.tif", std::string(garbage, sizeof garbage - 1));
  const std::string error = ReadError(dir / "x.tif");
  EXPECT_EQ(error.rfind("'" + (dir / "x.tif") + "': is not a readable TIFF file", 0), 0u) << error;
}

}  // namespace
