// ICS files: libics itself reads what we write, and we read ICS written by
// libics in other layouts, and refuse malformed headers.

#include "io_test_support.h"

#include <libics.h>

using namespace iotest;
using bix::Image3d;
using bix::Resolution;

namespace {

std::string ReadError(const std::string& path) {
  return IOErrorOf([&] {
    Image3d<unsigned short> image;
    bix::ReadImage(path, image);
  });
}

TEST(IcsFiles, LibicsReadsWhatWeWrite) {
  ScratchDir dir;
  const Resolution res(Vector3d<float>(2, 4, 0.5f));
  const auto image = MakeImage<unsigned short>(Vector3d<unsigned>(5, 4, 3), Vector3d<float>(1, -2, 3), res);
  for (bix::FileFormat format : {bix::FORMAT_ICS, bix::FORMAT_ICS_V1}) {
    for (bool compress : {false, true}) {
      SCOPED_TRACE(std::to_string(format) + (compress ? " gzip" : " plain"));
      const std::string path = dir / "l.ics";
      image.SaveImage(path, format, compress);
      ICS* ics = nullptr;
      ASSERT_EQ(IcsOpen(&ics, path.c_str(), "r"), IcsErr_Ok);
      EXPECT_EQ(ics->version, format == bix::FORMAT_ICS ? 2 : 1);
      Ics_DataType dt;
      int dims = 0;
      std::size_t size[ICS_MAXDIM];
      ASSERT_EQ(IcsGetLayout(ics, &dt, &dims, size), IcsErr_Ok);
      EXPECT_EQ(dt, Ics_uint16);
      ASSERT_EQ(dims, 3);
      EXPECT_EQ(size[0], 5u);
      EXPECT_EQ(size[1], 4u);
      EXPECT_EQ(size[2], 3u);
      const double origin[3] = {1, -2, 3}, scale[3] = {0.5, 0.25, 2};
      for (int d = 0; d < 3; ++d) {
        double o = 0, s = 0;
        char units[ICS_STRLEN_TOKEN];
        ASSERT_EQ(IcsGetPosition(ics, d, &o, &s, units), IcsErr_Ok);
        EXPECT_EQ(o, origin[d]);
        EXPECT_EQ(s, scale[d]);
        EXPECT_STREQ(units, "micrometer");
      }
      EXPECT_EQ(ics->compression, compress ? IcsCompr_gzip : IcsCompr_uncompressed);
      std::vector<unsigned short> data(5 * 4 * 3);
      ASSERT_EQ(IcsGetData(ics, data.data(), data.size() * 2), IcsErr_Ok);
      EXPECT_TRUE(std::equal(data.begin(), data.end(), image.begin()));
      IcsClose(ics);
    }
  }
}

// Upper- and mixed-case names: the data file is named as libics names it
// (Cell.ICS, Cell.IDS), so both libics and we find it again, and nothing is
// left in hidden folders.
TEST(IcsFiles, VersionOneDataFilesFollowTheCaseOfTheHeader) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned short>(Vector3d<unsigned>(5, 4, 3), Vector3d<float>(1, -2, 3),
                                               Resolution(Vector3d<float>(2, 4, 0.5f)));
  image.SaveImage(dir / "Cell.ICS", bix::FORMAT_ICS_V1, false);
  image.SaveImage(dir / "Mixed.Ics", bix::FORMAT_ICS_V1, true);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"Cell.ICS", "Cell.IDS", "Mixed.Ics", "Mixed.Ids"}));
  for (const char* name : {"Cell.ICS", "Mixed.Ics"}) {
    Image3d<unsigned short> back;
    bix::ReadImage(dir / name, back);
    EXPECT_TRUE(std::equal(back.begin(), back.end(), image.begin())) << name;
    ICS* ics = nullptr;
    ASSERT_EQ(IcsOpen(&ics, (dir / name).c_str(), "r"), IcsErr_Ok) << name;
    std::vector<unsigned short> data(5 * 4 * 3);
    EXPECT_EQ(IcsGetData(ics, data.data(), data.size() * 2), IcsErr_Ok) << name;
    IcsClose(ics);
  }
}

TEST(IcsFiles, LibicsReadsOurRgbAsALeadingChannelDimension) {
  ScratchDir dir;
  const auto image = MakeImage<RGB_generic<unsigned char>>(Vector3d<unsigned>(3, 2, 2), Vector3d<float>(),
                                                          Resolution());
  image.SaveImage(dir / "c.ics", bix::FORMAT_ICS, true);
  ICS* ics = nullptr;
  ASSERT_EQ(IcsOpen(&ics, (dir / "c.ics").c_str(), "r"), IcsErr_Ok);
  Ics_DataType dt;
  int dims = 0;
  std::size_t size[ICS_MAXDIM];
  ASSERT_EQ(IcsGetLayout(ics, &dt, &dims, size), IcsErr_Ok);
  ASSERT_EQ(dims, 4);
  EXPECT_EQ(size[0], 3u);
  char order[ICS_STRLEN_TOKEN], label[ICS_STRLEN_TOKEN];
  ASSERT_EQ(IcsGetOrder(ics, 0, order, label), IcsErr_Ok);
  EXPECT_STREQ(order, "ch");
  std::vector<unsigned char> data(3 * 3 * 2 * 2);
  ASSERT_EQ(IcsGetData(ics, data.data(), data.size()), IcsErr_Ok);
  EXPECT_EQ(std::memcmp(data.data(), image.GetFirstVoxelAddr(), data.size()), 0);
  char units[ICS_STRLEN_TOKEN];
  double o, s;
  IcsGetPosition(ics, 1, &o, &s, units);
  EXPECT_STREQ(units, "undefined");
  IcsClose(ics);
}

// Writes a 2D or 3D ICS file with libics in another program's manner.
void WriteWithLibics(const std::string& path, Ics_DataType dt, std::vector<std::size_t> dims, const void* data,
                     std::size_t bytes, const char* units, double scale) {
  ICS* ics = nullptr;
  ASSERT_EQ(IcsOpen(&ics, path.c_str(), "w2"), IcsErr_Ok);
  ASSERT_EQ(IcsSetLayout(ics, dt, int(dims.size()), dims.data()), IcsErr_Ok);
  for (int d = 0; d < int(dims.size()); ++d) IcsSetPosition(ics, d, 0.5 * d, scale, units);
  ASSERT_EQ(IcsSetData(ics, data, bytes), IcsErr_Ok);
  ASSERT_EQ(IcsClose(ics), IcsErr_Ok);
}

TEST(IcsFiles, OtherLayoutsAndUnits) {
  ScratchDir dir;
  // A 2D image in nanometres: z takes the x spacing.
  const std::vector<unsigned short> plane = {1, 2, 3, 4, 5, 6};
  WriteWithLibics(dir / "2d.ics", Ics_uint16, {3, 2}, plane.data(), 12, "nm", 250);
  Image3d<unsigned short> image;
  bix::ReadImage(dir / "2d.ics", image);
  EXPECT_EQ(image.GetSize(), Vector3d<unsigned>(3, 2, 1));
  EXPECT_EQ(image.GetVoxel(2, 1, 0), 6);
  EXPECT_EQ(image.GetResolution(), Resolution(Vector3d<float>(4, 4, 4)));
  EXPECT_EQ(image.GetOffset(), Vector3d<float>(0, 0.0005f, 0));

  // A trailing dimension of one entry is accepted; of more, refused (a
  // dimension named as time or channels is read: see test_io_channels.cpp).
  const std::vector<signed char> s8 = {-1, -2, 3, 4, -5, 6, 7, -8};
  {
    ICS* ics = nullptr;
    const std::string path = dir / "q.ics";
    ASSERT_EQ(IcsOpen(&ics, path.c_str(), "w2"), IcsErr_Ok);
    const std::size_t dims[4] = {2, 2, 1, 2};
    ASSERT_EQ(IcsSetLayout(ics, Ics_sint8, 4, dims), IcsErr_Ok);
    ASSERT_EQ(IcsSetOrder(ics, 3, "q", "q"), IcsErr_Ok);
    ASSERT_EQ(IcsSetData(ics, s8.data(), s8.size()), IcsErr_Ok);
    ASSERT_EQ(IcsClose(ics), IcsErr_Ok);
    EXPECT_EQ(ReadError(path), "'" + path + "': dimension 4 (q) has 2 entries; only x, y and z are read");
  }
  WriteWithLibics(dir / "s.ics", Ics_sint8, {2, 2, 2, 1}, s8.data(), 8, "micrometer", 1);
  EXPECT_EQ(bix::ReadImageType(dir / "s.ics"), bix::VOXEL_INT);
  Image3d<int> ints;
  bix::ReadImage(dir / "s.ics", ints);
  EXPECT_EQ(ints.GetVoxel(1, 1, 1), -8);

  // Channels or time points where y would be: refused, not read as rows.
  for (const char* name : {"ch", "t"}) {
    const std::string path = dir / (std::string(name) + ".ics");
    ICS* ics = nullptr;
    ASSERT_EQ(IcsOpen(&ics, path.c_str(), "w2"), IcsErr_Ok);
    const std::size_t dims[3] = {2, 2, 2};
    ASSERT_EQ(IcsSetLayout(ics, Ics_sint8, 3, dims), IcsErr_Ok);
    ASSERT_EQ(IcsSetOrder(ics, 1, name, name), IcsErr_Ok);
    ASSERT_EQ(IcsSetData(ics, s8.data(), s8.size()), IcsErr_Ok);
    ASSERT_EQ(IcsClose(ics), IcsErr_Ok);
    EXPECT_EQ(ReadError(path), "'" + path + "': dimension 2 (" + name + ") has 2 entries; only x, y and z are read");
  }

  const std::vector<double> f64(4, 1.0);
  WriteWithLibics(dir / "d.ics", Ics_real64, {2, 2}, f64.data(), 32, "micrometer", 1);
  EXPECT_EQ(ReadError(dir / "d.ics"), "'" + (dir / "d.ics") +
                                          "': holds 64-bit or complex samples; 8, 16 and 32-bit integers and 32-bit floats are read");
}

// Units of no length: the scales are relative voxel sizes, and the origins
// count in the same unit. Length units on some axes only mix nothing.
TEST(IcsFiles, UndefinedUnitsKeepTheirScaleRatios) {
  ScratchDir dir;
  const std::vector<unsigned char> voxels(8, 7);
  auto write = [&](const std::string& path, const char* zUnits, double zScale) {
    ICS* ics = nullptr;
    ASSERT_EQ(IcsOpen(&ics, path.c_str(), "w2"), IcsErr_Ok);
    const std::size_t dims[3] = {2, 2, 2};
    ASSERT_EQ(IcsSetLayout(ics, Ics_uint8, 3, dims), IcsErr_Ok);
    IcsSetPosition(ics, 0, 3, 1, "undefined");
    IcsSetPosition(ics, 1, -1, 1, "undefined");
    IcsSetPosition(ics, 2, 2, zScale, zUnits);
    ASSERT_EQ(IcsSetData(ics, voxels.data(), voxels.size()), IcsErr_Ok);
    ASSERT_EQ(IcsClose(ics), IcsErr_Ok);
  };
  write(dir / "ratio.ics", "undefined", 4);
  Image3d<unsigned char> image;
  bix::ReadImage(dir / "ratio.ics", image);
  EXPECT_EQ(image.GetResolution(), Resolution(Vector3d<float>(1, 1, 0.25f)));
  EXPECT_EQ(image.GetOffset(), Vector3d<float>(3, -1, 2));

  write(dir / "plain.ics", "undefined", 1);  // as we write images of unknown spacing
  bix::ReadImage(dir / "plain.ics", image);
  EXPECT_FALSE(image.GetResolution().IsDefined());
  EXPECT_EQ(image.GetOffset(), Vector3d<float>(3, -1, 2));

  write(dir / "mixed.ics", "micrometer", 4);
  bix::ReadImage(dir / "mixed.ics", image);
  EXPECT_FALSE(image.GetResolution().IsDefined());
  EXPECT_EQ(image.GetOffset(), Vector3d<float>(0, 0, 0));
}

// What a user typed survives: the scales and origins are the shortest
// decimals that read back to the same floats.
TEST(IcsFiles, ScalesAndOriginsAreWrittenAsTyped) {
  ScratchDir dir;
  const Resolution res(Vector3d<float>(1 / 0.3f, 1 / 0.35f, 1 / 1.5f));
  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(2, 2, 2), Vector3d<float>(-2.25f, 7.35f, 0.1f), res);
  image.SaveImage(dir / "typed.ics", bix::FORMAT_ICS, false);
  const std::string header = FileBytes(dir / "typed.ics");
  EXPECT_NE(header.find("parameter\torigin\t0.000000\t-2.250000\t7.350000\t0.100000\n"), std::string::npos) << header;
  EXPECT_NE(header.find("parameter\tscale\t1.000000\t0.300000\t0.350000\t1.500000\n"), std::string::npos) << header;
  Image3d<unsigned char> back;
  bix::ReadImage(dir / "typed.ics", back);
  EXPECT_EQ(back.GetResolution(), res);
  EXPECT_EQ(back.GetOffset(), image.GetOffset());
}

TEST(IcsFiles, GarbageHeadersAreRefused) {
  ScratchDir dir;
  WriteBytes(dir / "g.ics", "this is not an ICS header\n\x01\x02\x03");
  std::string error = ReadError(dir / "g.ics");
  EXPECT_EQ(error.rfind("'" + (dir / "g.ics") + "': is not a readable ICS file (libics: ", 0), 0u) << error;

  // A bad header after history lines: refused, and (under LeakSanitizer)
  // nothing of it left behind.
  WriteBytes(dir / "h.ics", "\t\nics_version\t2.0\nfilename\th\nhistory\tmade by hand\nlayout\tparameters\t4\n"
                            "layout\torder\tx\ty\tz\nlayout\tsizes\t8\t3\t8\t2\nend\t\n");
  EXPECT_EQ(ReadError(dir / "h.ics"),
            "'" + (dir / "h.ics") + "': is not a readable ICS file (libics: Missing \"bits\" element in .ics file)");

  // A header cut in the middle of a line (libics reads past such a line's
  // end: it crashed on this one) is refused before libics sees it.
  WriteBytes(dir / "cut.ics", "\t\nics_version\t2.0\nfilename\tx\nlayout\tsizes");
  EXPECT_EQ(ReadError(dir / "cut.ics"), "'" + (dir / "cut.ics") + "': is truncated: its ICS header ends in the middle of a line");
  // Whole but for the line end of its last line: read as libics reads it.
  WriteBytes(dir / "noend.ics", "\t\nics_version\t2.0\nfilename\tnoend\nlayout\tparameters\t4\n"
                               "layout\torder\tbits\tx\ty\tz\nlayout\tsizes\t8\t2\t2\t1");
  EXPECT_EQ(ReadError(dir / "noend.ics").find("is truncated: its ICS header"), std::string::npos);

  WriteBytes(dir / "e.ics", "");
  EXPECT_EQ(ReadError(dir / "e.ics"), "'" + (dir / "e.ics") + "': is empty");

  // A valid header that claims far more data than follows it.
  const std::string header =
      "\t\nics_version\t2.0\nfilename\thuge\nlayout\tparameters\t4\nlayout\torder\tbits\tx\ty\tz\n"
      "layout\tsizes\t16\t100000\t100000\t100000\nlayout\tsignificant_bits\t16\n"
      "representation\tformat\tinteger\nrepresentation\tsign\tunsigned\n"
      "representation\tcompression\tuncompressed\nrepresentation\tbyte_order\t1\t2\nend\t\n";
  WriteBytes(dir / "huge.ics", header + "0123456789");
  EXPECT_EQ(ReadError(dir / "huge.ics"), "'" + (dir / "huge.ics") +
                                             "': claims 100000 x 100000 x 100000 voxels of 16-bit unsigned, more data than its 10 bytes hold");

  // Gzip-compressed data may expand, but not beyond what deflate can do.
  std::string gz = header;
  gz.replace(gz.find("uncompressed"), 12, "gzip");
  WriteBytes(dir / "hugegz.ics", gz + "0123456789");
  EXPECT_EQ(ReadError(dir / "hugegz.ics"), "'" + (dir / "hugegz.ics") +
                                               "': claims 100000 x 100000 x 100000 voxels of 16-bit unsigned, more data than its 10 bytes can decompress to");
}

TEST(IcsFiles, TruncatedAndMissingDataAreReported) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned short>(Vector3d<unsigned>(16, 16, 4), Vector3d<float>(), Resolution());
  image.SaveImage(dir / "v2.ics", bix::FORMAT_ICS, true);
  const std::string bytes = FileBytes(dir / "v2.ics");
  WriteBytes(dir / "v2.ics", bytes.substr(0, bytes.size() - 40));
  std::string error = ReadError(dir / "v2.ics");
  EXPECT_EQ(error.rfind("'" + (dir / "v2.ics") + "': has unreadable or missing data (libics: ", 0), 0u) << error;

  image.SaveImage(dir / "v1.ics", bix::FORMAT_ICS_V1, false);
  std::filesystem::remove(dir / "v1.ids");
  error = ReadError(dir / "v1.ics");
  EXPECT_EQ(error, "'" + (dir / "v1.ids") + "': No such file or directory");
}

}  // namespace
