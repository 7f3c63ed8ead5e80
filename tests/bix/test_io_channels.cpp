// Files of several channels or time points, written with libtiff and libics
// in the layouts other programs use: ImageJ hyperstacks, OME-TIFF in two
// dimension orders, ICS with a channel dimension after z. Every voxel is
// checked to come from the right plane of the right channel.

#include "io_test_support.h"
#include "tiff_test_files.h"

#include <libics.h>

using namespace iotest;
using bix::Image3d;
using bix::ReadOptions;

namespace {

ReadOptions Choose(std::vector<unsigned> channels, unsigned timePoint = 1) {
  ReadOptions options;
  options.channels = std::move(channels);
  options.timePoint = timePoint;
  return options;
}

template <class T>
std::string ReadError(const std::string& path, const ReadOptions& options = ReadOptions()) {
  return IOErrorOf([&] {
    Image3d<T> image;
    bix::ReadImage(path, image, bix::ProgressCallback(), options);
  });
}

// Checks that voxel (x, y, z) of `image` holds, in colour s, the sample
// DefaultValue(page(s, z), x, y, 0) (masked to the sample's bits), and 0 in
// colours without a page (page < 0).
template <class T, class PageOf>
void ExpectPages(const Image3d<T>& image, unsigned colours, std::uint64_t mask, PageOf page) {
  const Vector3d<unsigned> size = image.GetSize();
  for (unsigned z = 0; z < size.z; ++z)
    for (unsigned y = 0; y < size.y; ++y)
      for (unsigned x = 0; x < size.x; ++x)
        for (unsigned s = 0; s < colours; ++s) {
          std::uint64_t got;
          if constexpr (std::is_arithmetic_v<T>) got = std::uint64_t(image.GetVoxel(x, y, z));
          else got = image.GetVoxel(x, y, z).GetComponent(s);
          const int p = page(s, z);
          const std::uint64_t expected = p < 0 ? 0 : DefaultValue(unsigned(p), x, y, 0) & mask;
          ASSERT_EQ(got, expected) << "voxel " << x << "," << y << "," << z << " colour " << s;
        }
}

std::string OmeXml(const std::string& order, unsigned c, unsigned z, unsigned t, const char* type = "uint8") {
  return "<?xml version=\"1.0\"?><OME xmlns=\"http://www.openmicroscopy.org/Schemas/OME/2016-06\">"
         "<Image ID=\"Image:0\"><Pixels DimensionOrder=\"" + order + "\" ID=\"Pixels:0\" SizeC=\"" +
         std::to_string(c) + "\" SizeT=\"" + std::to_string(t) + "\" SizeZ=\"" + std::to_string(z) +
         "\" SizeX=\"4\" SizeY=\"3\" Type=\"" + type + "\"><TiffData/></Pixels></Image></OME>";
}

// Writes an ICS version 2 file of dimensions `dims` named `names`, whose
// sample at (x, y, rest) is DefaultValue(plane, x, y, 0) with `plane` the
// x-y plane's number in the file's order.
template <class S>
void WriteIcs(const std::string& path, Ics_DataType dt, const std::vector<std::size_t>& dims,
              const std::vector<const char*>& names) {
  std::size_t count = 1;
  for (std::size_t d : dims) count *= d;
  std::vector<S> data(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t x = i % dims[0], y = i / dims[0] % dims[1], plane = i / (dims[0] * dims[1]);
    data[i] = S(DefaultValue(unsigned(plane), unsigned(x), unsigned(y), 0));
  }
  ICS* ics = nullptr;
  ASSERT_EQ(IcsOpen(&ics, path.c_str(), "w2"), IcsErr_Ok);
  ASSERT_EQ(IcsSetLayout(ics, dt, int(dims.size()), dims.data()), IcsErr_Ok);
  for (int d = 0; d < int(names.size()); ++d) ASSERT_EQ(IcsSetOrder(ics, d, names[d], names[d]), IcsErr_Ok);
  ASSERT_EQ(IcsSetData(ics, data.data(), data.size() * sizeof(S)), IcsErr_Ok);
  ASSERT_EQ(IcsClose(ics), IcsErr_Ok);
}

}  // namespace

// ImageJ stores a hyperstack's planes channel fastest, then slice, then frame.
TEST(ChannelFiles, ImageJHyperstackChannelsInterleavedPerSlice) {
  ScratchDir dir;
  TiffPage page;
  page.bits = 16;
  std::vector<TiffPage> pages = Pages(12, page);  // 3 channels x 2 slices x 2 frames
  pages[0].description = "ImageJ=1.53t\nimages=12\nchannels=3\nslices=2\nframes=2\nhyperstack=true\nmode=composite\n";
  const std::string path = dir / "hyper.tif";
  ASSERT_TRUE(WriteTiffFile(path, "w", pages));
  auto pageOf = [](unsigned c, unsigned z, unsigned t) { return int(c + 3 * z + 6 * t); };

  EXPECT_EQ(bix::ReadImageType(path), bix::VOXEL_RGB16);
  Image3d<RGB_generic<unsigned short>> rgb;
  std::vector<double> fractions;
  bix::ReadImage(path, rgb, [&](double f) { return fractions.push_back(f), true; });
  ASSERT_EQ(rgb.GetSize(), Vector3d<unsigned>(4, 3, 2));
  ExpectPages(rgb, 3, 0xffff, [&](unsigned s, unsigned z) { return pageOf(s, z, 0); });
  EXPECT_EQ(fractions, (std::vector<double>{1 / 6., 2 / 6., 3 / 6., 4 / 6., 5 / 6., 1.}));

  // The second time point.
  bix::ReadImage(path, rgb, bix::ProgressCallback(), Choose({}, 2));
  ExpectPages(rgb, 3, 0xffff, [&](unsigned s, unsigned z) { return pageOf(s, z, 1); });
  // Two channels, reordered: red is channel 3, green channel 1, blue 0.
  bix::ReadImage(path, rgb, bix::ProgressCallback(), Choose({3, 1}, 2));
  const int chosen[2] = {2, 0};
  ExpectPages(rgb, 3, 0xffff, [&](unsigned s, unsigned z) { return s < 2 ? pageOf(chosen[s], z, 1) : -1; });
  // One channel is grey.
  EXPECT_EQ(bix::ReadImageType(path, Choose({2})), bix::VOXEL_USHORT);
  Image3d<unsigned short> grey;
  bix::ReadImage(path, grey, bix::ProgressCallback(), Choose({2}));
  ASSERT_EQ(grey.GetSize(), Vector3d<unsigned>(4, 3, 2));
  ExpectPages(grey, 1, 0xffff, [&](unsigned, unsigned z) { return pageOf(1, z, 0); });
  EXPECT_FALSE(bix::ZSpacingAssumed(path, Choose({2})));
}

TEST(ChannelFiles, TwoEightBitChannelsAreRedAndGreen) {
  ScratchDir dir;
  std::vector<TiffPage> pages = Pages(6, TiffPage());  // 2 channels x 3 slices
  pages[0].description = "ImageJ=1.53t\nimages=6\nchannels=2\nslices=3\nhyperstack=true\n";
  ASSERT_TRUE(WriteTiffFile(dir / "two.tif", "w", pages));
  EXPECT_EQ(bix::ReadImageType(dir / "two.tif"), bix::VOXEL_RGB8);
  Image3d<RGB_generic<unsigned char>> rgb;
  bix::ReadImage(dir / "two.tif", rgb);
  ASSERT_EQ(rgb.GetSize(), Vector3d<unsigned>(4, 3, 3));
  ExpectPages(rgb, 3, 0xff, [](unsigned s, unsigned z) { return s < 2 ? int(s + 2 * z) : -1; });
}

TEST(ChannelFiles, OmeTiffPlanesFollowTheDimensionOrder) {
  ScratchDir dir;
  struct Case {
    const char* order;
    int (*page)(unsigned c, unsigned z, unsigned t);
  };
  // 2 channels, 3 z planes, 2 time points.
  const Case cases[] = {
      {"XYCZT", [](unsigned c, unsigned z, unsigned t) { return int(c + 2 * z + 6 * t); }},
      {"XYZCT", [](unsigned c, unsigned z, unsigned t) { return int(z + 3 * c + 6 * t); }},
      {"XYTZC", [](unsigned c, unsigned z, unsigned t) { return int(t + 2 * z + 6 * c); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.order);
    std::vector<TiffPage> pages = Pages(12, TiffPage());
    pages[0].description = OmeXml(k.order, 2, 3, 2);
    const std::string path = dir / (std::string(k.order) + ".ome.tif");
    ASSERT_TRUE(WriteTiffFile(path, "w", pages));
    EXPECT_EQ(bix::ReadImageType(path), bix::VOXEL_RGB8);
    Image3d<RGB_generic<unsigned char>> rgb;
    bix::ReadImage(path, rgb);
    ASSERT_EQ(rgb.GetSize(), Vector3d<unsigned>(4, 3, 3));
    ExpectPages(rgb, 3, 0xff, [&](unsigned s, unsigned z) { return s < 2 ? k.page(s, z, 0) : -1; });
    bix::ReadImage(path, rgb, bix::ProgressCallback(), Choose({2, 1}, 2));
    ExpectPages(rgb, 3, 0xff, [&](unsigned s, unsigned z) { return s < 2 ? k.page(1 - s, z, 1) : -1; });
    Image3d<unsigned char> grey;
    bix::ReadImage(path, grey, bix::ProgressCallback(), Choose({2}, 2));
    ExpectPages(grey, 1, 0xff, [&](unsigned, unsigned z) { return k.page(1, z, 1); });
  }
  // One channel at several time points reads the chosen time point as grey.
  std::vector<TiffPage> pages = Pages(3, TiffPage());
  pages[0].description = OmeXml("XYZCT", 1, 1, 3);
  ASSERT_TRUE(WriteTiffFile(dir / "t.tif", "w", pages));
  EXPECT_EQ(bix::ReadImageType(dir / "t.tif"), bix::VOXEL_UCHAR);
  Image3d<unsigned char> grey;
  bix::ReadImage(dir / "t.tif", grey, bix::ProgressCallback(), Choose({}, 3));
  ASSERT_EQ(grey.GetSize(), Vector3d<unsigned>(4, 3, 1));
  ExpectPages(grey, 1, 0xff, [](unsigned, unsigned) { return 2; });
}

TEST(ChannelFiles, IcsChannelDimensionAfterZ) {
  ScratchDir dir;
  const std::string path = dir / "xyzc.ics";
  WriteIcs<unsigned short>(path, Ics_uint16, {4, 3, 2, 3}, {"x", "y", "z", "ch"});
  EXPECT_EQ(bix::ReadImageType(path), bix::VOXEL_RGB16);
  Image3d<RGB_generic<unsigned short>> rgb;
  bix::ReadImage(path, rgb);
  ASSERT_EQ(rgb.GetSize(), Vector3d<unsigned>(4, 3, 2));
  ExpectPages(rgb, 3, 0xffff, [](unsigned s, unsigned z) { return int(z + 2 * s); });
  // Chosen channels are read in the file's order whatever their colour.
  bix::ReadImage(path, rgb, bix::ProgressCallback(), Choose({3, 1}));
  ExpectPages(rgb, 3, 0xffff, [](unsigned s, unsigned z) { return s == 0 ? int(z + 4) : s == 1 ? int(z) : -1; });
  Image3d<unsigned short> grey;
  bix::ReadImage(path, grey, bix::ProgressCallback(), Choose({2}));
  ExpectPages(grey, 1, 0xffff, [](unsigned, unsigned z) { return int(z + 2); });

  // Compressed data are a stream: planes not chosen are skipped.
  const std::string gz = dir / "xyzc-gz.ics";
  {
    std::vector<unsigned char> data(4 * 3 * 2 * 3);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = (unsigned char)(DefaultValue(unsigned(i / 12), i % 4, i / 4 % 3, 0));
    ICS* ics = nullptr;
    ASSERT_EQ(IcsOpen(&ics, gz.c_str(), "w2"), IcsErr_Ok);
    const std::size_t dims[4] = {4, 3, 2, 3};
    ASSERT_EQ(IcsSetLayout(ics, Ics_uint8, 4, dims), IcsErr_Ok);
    ASSERT_EQ(IcsSetOrder(ics, 3, "ch", "ch"), IcsErr_Ok);
    ASSERT_EQ(IcsSetCompression(ics, IcsCompr_gzip, 6), IcsErr_Ok);
    ASSERT_EQ(IcsSetData(ics, data.data(), data.size()), IcsErr_Ok);
    ASSERT_EQ(IcsClose(ics), IcsErr_Ok);
  }
  Image3d<RGB_generic<unsigned char>> rgb8;
  bix::ReadImage(gz, rgb8, bix::ProgressCallback(), Choose({3, 2}));
  ExpectPages(rgb8, 3, 0xff, [](unsigned s, unsigned z) { return s < 2 ? int(z + 2 * (2 - s)) : -1; });

  // Time points: "x y z t" reads the first, or the chosen one.
  const std::string t = dir / "xyzt.ics";
  WriteIcs<unsigned char>(t, Ics_uint8, {4, 3, 2, 2}, {"x", "y", "z", "t"});
  EXPECT_EQ(bix::ReadImageType(t), bix::VOXEL_UCHAR);
  Image3d<unsigned char> frame;
  bix::ReadImage(t, frame, bix::ProgressCallback(), Choose({}, 2));
  ASSERT_EQ(frame.GetSize(), Vector3d<unsigned>(4, 3, 2));
  ExpectPages(frame, 1, 0xff, [](unsigned, unsigned z) { return int(z + 2); });
}

TEST(ChannelFiles, ChoicesTheFileCannotGiveAreRefused) {
  ScratchDir dir;
  std::vector<TiffPage> pages = Pages(8, TiffPage());  // 4 channels x 2 slices
  pages[0].description = "ImageJ=1.53t\nimages=8\nchannels=4\nslices=2\nhyperstack=true\n";
  const std::string four = dir / "four.tif";
  ASSERT_TRUE(WriteTiffFile(four, "w", pages));
  const std::string q = "'" + four + "': ";
  EXPECT_EQ(IOErrorOf([&] { bix::ReadImageType(four); }),
            q + "has 4 channels; up to three are read together: choose them with --channels, such as --channels 1,2,3");
  EXPECT_EQ(ReadError<unsigned char>(four, Choose({5})), q + "has 4 channels; there is no channel 5");
  EXPECT_EQ(ReadError<unsigned char>(four, Choose({0})), q + "has 4 channels; there is no channel 0");
  EXPECT_EQ(ReadError<unsigned char>(four, Choose({}, 2)), q + "has 1 time point; there is no time point 2");
  EXPECT_EQ(ReadError<unsigned char>(four, Choose({1, 2, 3, 4})),
            q + "cannot read 4 channels together; choose up to three with --channels");
  Image3d<RGB_generic<unsigned char>> rgb;
  bix::ReadImage(four, rgb, bix::ProgressCallback(), Choose({4, 2, 1}));
  const int chosen[3] = {3, 1, 0};
  ExpectPages(rgb, 3, 0xff, [&](unsigned s, unsigned z) { return int(chosen[s] + 4 * z); });

  // Channels of 32-bit samples make no RGB voxel; one of them reads as grey.
  TiffPage f32;
  f32.bits = 32;
  f32.format = SAMPLEFORMAT_IEEEFP;
  pages = Pages(4, f32);
  pages[0].description = OmeXml("XYZCT", 2, 2, 1, "float");
  const std::string floats = dir / "floats.tif";
  // The test files' float samples are a quarter of the value given.
  ASSERT_TRUE(WriteTiffFile(floats, "w", pages, [](unsigned p, unsigned x, unsigned, unsigned) {
    return std::uint64_t(4 * (10 * p + x) + 2);
  }));
  const std::string floatRefusal = "'" + floats +
      "': has 2 channels of 32-bit float samples; only 8- and 16-bit unsigned channels are read together: "
      "choose one with --channels, such as --channels 1";
  EXPECT_EQ(IOErrorOf([&] { bix::ReadImageType(floats); }), floatRefusal);
  EXPECT_EQ(ReadError<float>(floats, Choose({2, 1})), floatRefusal);
  EXPECT_EQ(bix::ReadImageType(floats, Choose({2})), bix::VOXEL_FLOAT);
  Image3d<float> grey;
  bix::ReadImage(floats, grey, bix::ProgressCallback(), Choose({2}));
  ASSERT_EQ(grey.GetSize(), Vector3d<unsigned>(4, 3, 2));
  EXPECT_EQ(grey.GetVoxel(3, 0, 1), 33.5f);  // page 3: channel 2, z 1

  // Files of one channel: channel 1 at time point 1 only.
  ASSERT_TRUE(WriteTiffFile(dir / "plain.tif", "w", Pages(2, TiffPage())));
  const std::string plain = "'" + (dir / "plain.tif") + "': ";
  EXPECT_EQ(bix::ReadImageType(dir / "plain.tif", Choose({1}, 1)), bix::VOXEL_UCHAR);
  EXPECT_EQ(ReadError<unsigned char>(dir / "plain.tif", Choose({2})), plain + "has 1 channel; there is no channel 2");
  EXPECT_EQ(ReadError<unsigned char>(dir / "plain.tif", Choose({}, 3)), plain + "has 1 time point; there is no time point 3");
  TiffPage colour;
  colour.samples = 3;
  ASSERT_TRUE(WriteTiffFile(dir / "rgb.tif", "w", Pages(2, colour)));
  EXPECT_EQ(ReadError<RGB_generic<unsigned char>>(dir / "rgb.tif", Choose({1})),
            "'" + (dir / "rgb.tif") + "': holds 8-bit RGB voxels, not channels of their own; --channels does not apply");
  Image3d<unsigned char> bix8(Vector3d<unsigned>(2, 2, 2));
  bix8.SaveImage(dir / "one.bix");
  EXPECT_EQ(ReadError<unsigned char>(dir / "one.bix", Choose({}, 2)),
            "'" + (dir / "one.bix") + "': has 1 time point; there is no time point 2");

  // Dimension orders that are no permutation of Z, C and T.
  pages = Pages(4, TiffPage());
  pages[0].description = OmeXml("XYZZT", 2, 2, 1);
  ASSERT_TRUE(WriteTiffFile(dir / "order.tif", "w", pages));
  EXPECT_EQ(ReadError<unsigned char>(dir / "order.tif"),
            "'" + (dir / "order.tif") + "': has the OME dimension order \"XYZZT\"; XY followed by Z, C and T in any order is read");
  // Several channels in RGB pages stay refused.
  std::vector<TiffPage> colourPages = Pages(2, colour);
  colourPages[0].description = "ImageJ=1.53t\nimages=2\nchannels=2\nslices=1\nhyperstack=true\n";
  ASSERT_TRUE(WriteTiffFile(dir / "rgbhyper.tif", "w", colourPages));
  EXPECT_EQ(ReadError<RGB_generic<unsigned char>>(dir / "rgbhyper.tif"),
            "'" + (dir / "rgbhyper.tif") + "': is an ImageJ hyperstack of 2 channels and 1 frame in RGB pages; only grey channels are read");

  // An ICS header claiming more channel planes than its data hold.
  const std::string ics = dir / "short.ics";
  WriteIcs<unsigned char>(ics, Ics_uint8, {4, 3, 2, 3}, {"x", "y", "z", "ch"});
  const std::string bytes = FileBytes(ics);
  { std::ofstream(ics, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() - 30); }
  EXPECT_EQ(ReadError<RGB_generic<unsigned char>>(ics),
            "'" + ics + "': claims 4 x 3 voxels in 6 planes of 8-bit unsigned, more data than its " +
                std::to_string(4 * 3 * 2 * 3 - 30) + " bytes hold");
}

// A leading channel dimension interleaves the channels in each voxel: three
// read as RGB voxels as always; other counts, or a choice, are taken apart.
TEST(ChannelFiles, IcsChannelsInterleavedInEachVoxel) {
  ScratchDir dir;
  // Sample (c, x, y, z) holds DefaultValue(z, x, y, 0) + 100 * c.
  auto write = [&](const std::string& path, std::size_t channels) {
    const std::size_t dims[4] = {channels, 4, 3, 2};
    std::vector<unsigned short> data(channels * 4 * 3 * 2);
    for (std::size_t i = 0; i < data.size(); ++i) {
      const std::size_t c = i % channels, x = i / channels % 4, y = i / channels / 4 % 3, z = i / channels / 12;
      data[i] = (unsigned short)(DefaultValue(unsigned(z), unsigned(x), unsigned(y), 0) + 100 * c);
    }
    ICS* ics = nullptr;
    ASSERT_EQ(IcsOpen(&ics, path.c_str(), "w2"), IcsErr_Ok);
    ASSERT_EQ(IcsSetLayout(ics, Ics_uint16, 4, dims), IcsErr_Ok);
    const char* names[4] = {"ch", "x", "y", "z"};
    for (int d = 0; d < 4; ++d) ASSERT_EQ(IcsSetOrder(ics, d, names[d], names[d]), IcsErr_Ok);
    ASSERT_EQ(IcsSetData(ics, data.data(), data.size() * 2), IcsErr_Ok);
    ASSERT_EQ(IcsClose(ics), IcsErr_Ok);
  };
  auto expect = [](const auto& image, std::vector<int> channelOf) {
    for (unsigned z = 0; z < 2; ++z)
      for (unsigned y = 0; y < 3; ++y)
        for (unsigned x = 0; x < 4; ++x)
          for (unsigned s = 0; s < channelOf.size(); ++s) {
            const std::uint64_t want =
                channelOf[s] < 0 ? 0 : (DefaultValue(z, x, y, 0) + 100 * unsigned(channelOf[s])) & 0xffff;
            std::uint64_t got;
            if constexpr (std::is_arithmetic_v<typename std::decay_t<decltype(image)>::value_type>)
              got = image.GetVoxel(x, y, z);
            else
              got = image.GetVoxel(x, y, z).GetComponent(s);
            ASSERT_EQ(got, want) << x << "," << y << "," << z << " colour " << s;
          }
  };
  const std::string three = dir / "c3.ics", two = dir / "c2.ics", five = dir / "c5.ics";
  write(three, 3);
  write(two, 2);
  write(five, 5);
  Image3d<RGB_generic<unsigned short>> rgb;
  bix::ReadImage(three, rgb);
  expect(rgb, {0, 1, 2});
  bix::ReadImage(three, rgb, bix::ProgressCallback(), Choose({3, 2, 1}));
  expect(rgb, {2, 1, 0});
  bix::ReadImage(two, rgb);
  expect(rgb, {0, 1, -1});
  EXPECT_EQ(ReadError<RGB_generic<unsigned short>>(five),
            "'" + five + "': has 5 channels; up to three are read together: choose them with --channels, such as --channels 1,2,3");
  bix::ReadImage(five, rgb, bix::ProgressCallback(), Choose({5, 1}));
  expect(rgb, {4, 0, -1});
  Image3d<unsigned short> grey;
  EXPECT_EQ(bix::ReadImageType(five, Choose({4})), bix::VOXEL_USHORT);
  bix::ReadImage(five, grey, bix::ProgressCallback(), Choose({4}));
  expect(grey, {3});
  EXPECT_EQ(ReadError<RGB_generic<unsigned short>>(three, Choose({}, 2)),
            "'" + three + "': has 1 time point; there is no time point 2");
}

TEST(ChannelFiles, LayoutsCountChannelsAndTimePointsAndGiveTheFilesColours) {
  ScratchDir dir;
  struct Case {
    std::string name;
    unsigned channels, times;
    std::vector<bix::ChannelFacts> facts;
  };
  auto fact = [](const char* name, bool coloured, unsigned char r, unsigned char g, unsigned char b) {
    bix::ChannelFacts f;
    f.name = name;
    f.hasColour = coloured;
    f.red = r, f.green = g, f.blue = b;
    return f;
  };
  std::vector<Case> cases;
  // OME: names (with an entity) and colours as signed RGBA numbers; a
  // channel without a Color attribute has none.
  std::vector<TiffPage> ome = Pages(12, TiffPage());
  ome[0].description = OmeXml("XYZCT", 3, 2, 2);
  const std::string channels = "<Channel ID=\"Channel:0:0\" Name=\"DAPI &amp; more\" Color=\"65535\"/>"
                               "<Channel ID=\"Channel:0:1\" Color=\"-16776961\" SamplesPerPixel=\"1\"/>"
                               "<Channel ID=\"Channel:0:2\" Name=\"GFP\"/>";
  ome[0].description.insert(ome[0].description.find("<TiffData/>"), channels);
  ASSERT_TRUE(WriteTiffFile(dir / "ome.tif", "w", ome));
  cases.push_back({"ome.tif", 3, 2,
                   {fact("DAPI & more", true, 0, 0, 255), fact("", true, 255, 0, 0), fact("GFP", false, 0, 0, 0)}});
  // ImageJ: the brightest entries of the channels' look-up tables.
  std::vector<TiffPage> ij = Pages(4, TiffPage());
  ij[0].description = "ImageJ=1.53t\nimages=4\nchannels=2\nslices=2\nhyperstack=true\nmode=composite\n";
  SetImageJLuts(ij[0], {{255, 0, 255}, {0, 255, 128}});
  ASSERT_TRUE(WriteTiffFile(dir / "ij.tif", "w", ij));
  cases.push_back({"ij.tif", 2, 1, {fact("", true, 255, 0, 255), fact("", true, 0, 255, 128)}});
  // ICS: channels and time points, nothing said of the channels; a plain
  // stack has one of each, also with RGB voxels.
  WriteIcs<unsigned char>(dir / "xyzct.ics", Ics_uint8, {4, 3, 2, 3, 2}, {"x", "y", "z", "ch", "t"});
  cases.push_back({"xyzct.ics", 3, 2, std::vector<bix::ChannelFacts>(3)});
  TiffPage rgb;
  rgb.samples = 3;
  ASSERT_TRUE(WriteTiffFile(dir / "rgb.tif", "w", Pages(2, rgb)));
  cases.push_back({"rgb.tif", 1, 1, std::vector<bix::ChannelFacts>(1)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bix::ImageLayout layout = bix::ReadImageLayout(dir / c.name);
    EXPECT_EQ(layout.channels, c.channels);
    EXPECT_EQ(layout.timePoints, c.times);
    ASSERT_EQ(layout.channelFacts.size(), c.facts.size());
    for (std::size_t k = 0; k < c.facts.size(); ++k) {
      EXPECT_EQ(layout.channelFacts[k].name, c.facts[k].name) << k;
      EXPECT_EQ(layout.channelFacts[k].hasColour, c.facts[k].hasColour) << k;
      EXPECT_EQ((std::array<unsigned char, 3>{layout.channelFacts[k].red, layout.channelFacts[k].green,
                                              layout.channelFacts[k].blue}),
                (std::array<unsigned char, 3>{c.facts[k].red, c.facts[k].green, c.facts[k].blue}))
          << k;
    }
  }
  EXPECT_EQ(bix::ReadImageLayout(dir / "rgb.tif").channelType, bix::VOXEL_RGB8);
}

TEST(ChannelFiles, OmeTiffDataPlaceThePlanesOnTheirPages) {
  ScratchDir dir;
  // 2 channels x 3 z planes in the order XYZCT, stored with channel 2 first:
  // its planes on pages 0..2, channel 1's on pages 3..5; one plane of
  // channel 1 (z 1) is named on its own, on page 4.
  std::vector<TiffPage> pages = Pages(6, TiffPage());
  pages[0].description = OmeXml("XYZCT", 2, 3, 1);
  const std::string data = "<TiffData IFD=\"3\" FirstC=\"0\" PlaneCount=\"3\"/>"
                           "<TiffData IFD=\"0\" FirstC=\"1\" FirstZ=\"0\" PlaneCount=\"3\"/>"
                           "<TiffData IFD=\"4\" FirstC=\"0\" FirstZ=\"1\"/>";
  const std::size_t at = pages[0].description.find("<TiffData/>");
  pages[0].description.replace(at, std::string("<TiffData/>").size(), data);
  ASSERT_TRUE(WriteTiffFile(dir / "mapped.ome.tif", "w", pages));
  for (unsigned c : {1u, 2u}) {
    Image3d<unsigned char> grey;
    bix::ReadImage(dir / "mapped.ome.tif", grey, bix::ProgressCallback(), Choose({c}));
    ExpectPages(grey, 1, 0xff, [c](unsigned, unsigned z) { return c == 1 ? int(3 + z) : int(z); });
  }
  // A TiffData naming a page the file lacks is refused.
  pages[0].description.replace(pages[0].description.find("IFD=\"4\""), 7, "IFD=\"9\"");
  ASSERT_TRUE(WriteTiffFile(dir / "bad.ome.tif", "w", pages));
  EXPECT_EQ(ReadError<unsigned char>(dir / "bad.ome.tif", Choose({1})),
            "'" + dir / "bad.ome.tif" + "': its OME TiffData places a plane on IFD 9 but the file has 6 pages");
}
