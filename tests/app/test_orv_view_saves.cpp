// orv-view's batch saves: the options that save a view, a gallery or the 3D
// data without dialogs, and what a run with them writes and says.

#include "gui_test.h"
#include "http_test_server.h"

#include "../bix/io_test_support.h"
#include "batch_saves.h"
#include "open_image.h"
#include "options.h"
#include "zarr_conversion.h"

#include <bix/ImageIO.h>
#include <bix/OmeZarr.h>

#include <orv/orv_chunkedview.h>
#include <orv/orv_labeledcanvas.h>
#include <orv/orv_labeledpointcanvas.h>

using orvview::ParseOptions;
using orvview::ViewerOptions;

TEST(OrvViewSaveOptions, ParsesWhatTheUsageSays) {
  ViewerOptions o;
  ASSERT_EQ(ParseOptions({"stack.tif", "--save-view", "v.tif", "--projection", "xz", "--decoration=0",
                          "--save-gallery", "g.tif", "2", "20", "3", "--columns", "4", "--spacing", "0",
                          "--save-data", "d.ics", "--stretch", "none"},
                         o),
            "");
  EXPECT_EQ(o.image, "stack.tif");
  EXPECT_EQ(o.stretch, "none") << "the other options stay the parser's";
  const orvview::BatchSaves& s = o.saves;
  EXPECT_EQ(s.view, "v.tif");
  EXPECT_EQ(s.projection, "xz");
  EXPECT_EQ(s.decoration, 0);
  EXPECT_EQ(s.gallery, "g.tif");
  EXPECT_EQ(s.start, 2);
  EXPECT_EQ(s.end, 20);
  EXPECT_EQ(s.step, 3);
  EXPECT_FALSE(s.fixedRows);
  EXPECT_EQ(s.count, 4);
  EXPECT_EQ(s.spacing, 0);
  EXPECT_EQ(s.data, "d.ics");

  ViewerOptions d;
  ASSERT_EQ(ParseOptions({"--save-gallery", "g.tif", "0", "0", "1"}, d), "");
  EXPECT_TRUE(d.saves.fixedRows) << "one row by default";
  EXPECT_EQ(d.saves.count, 1);
  EXPECT_EQ(d.saves.spacing, 10);
  EXPECT_TRUE(d.saves.view.empty());
  EXPECT_FALSE(ViewerOptions().saves.Any());
}

TEST(OrvViewSaveOptions, RefusesWhatMakesNoSense) {
  const std::string gallery =
      "--save-gallery needs FILE START END STEP: a TIFF file, the first and the last slice (from 0) and the step "
      "(from 1), such as gallery.tif 0 20 2";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--save-view"}, "--save-view needs the name of a TIFF file, such as view.tif"},
      {{"--save-view", "--projection", "xy"}, "--save-view needs the name of a TIFF file, such as view.tif"},
      {{"--save-view", "v.tif", "--projection", "zz"}, "--projection needs one of xy, xz, yz, all"},
      {{"--save-view", "v.tif", "--decoration", "-1"},
       "--decoration needs the gap between the windows in pixels, from 0, such as 10"},
      {{"--projection", "xy"}, "--projection and --decoration need --save-view"},
      {{"--save-gallery", "g.tif", "0", "10"}, gallery},
      {{"--save-gallery", "g.tif", "0", "10", "0"}, gallery},
      {{"--save-gallery", "g.tif", "a", "10", "1"}, gallery},
      {{"--save-gallery", "g.tif", "5", "4", "1"}, "--save-gallery: the ending slice must not be less than the starting slice"},
      {{"--save-gallery", "g.tif", "0", "4", "1", "--rows", "0"}, "--rows needs a number of rows from 1"},
      {{"--save-gallery", "g.tif", "0", "4", "1", "--columns", "x"}, "--columns needs a number of columns from 1"},
      {{"--save-gallery", "g.tif", "0", "4", "1", "--rows", "2", "--columns", "2"},
       "--rows and --columns cannot be used together"},
      {{"--spacing", "3"}, "--rows, --columns and --spacing need --save-gallery"},
      {{"--save-data"}, "--save-data needs the name of an .ics, .bix, .tif or .zarr file"},
  };
  for (const auto& [args, error] : cases) {
    ViewerOptions o;
    EXPECT_EQ(ParseOptions(args, o), error) << args[0] << " ... " << args.back();
  }
}

namespace {

class OrvViewSaves : public ::testing::Test {
protected:
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  iotest::ScratchDir dir;
};

}  // namespace

TEST_F(OrvViewSaves, ARunSavesEachPictureAtFullSizeAndTheData) {
  const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
  const auto image = iotest::MakeImage<unsigned short>(bix::Vector3d<unsigned>(300, 200, 12), {}, res);
  image.SaveImage(dir / "stack.tif");
  ViewerOptions options;
  ASSERT_EQ(ParseOptions({dir / "stack.tif", "--save-view", dir / "v.tif", "--decoration", "0", "--save-gallery",
                          dir / "g.tif", "1", "11", "5", "--save-data", dir / "d.bix"},
                         options),
            "");
  orv::orv_OrthoscopeFrame* frame = orvview::OpenViewer(options);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  // The view at the zoom the viewer opened with; the gallery at level 0.
  const bix::Vector3d<float> zoom = frame->GetCanvas()->GetZoom();
  EXPECT_TRUE(orvview::RunBatchSaves(frame, options.saves));
  EXPECT_EQ(frame->GetCanvas()->GetZoomLevel(), 0);
  bix::Image3d<bix::RGB_generic<unsigned char>> picture;
  bix::ReadImage(dir / "v.tif", picture);
  // The whole image at the viewer's zoom: XY, then YZ beside it, XZ below.
  EXPECT_EQ(picture.GetSize(), bix::Vector3d<unsigned>(unsigned(300 * zoom.x + 12 * zoom.z),
                                                       unsigned(200 * zoom.y + 12 * zoom.z), 1));
  // Three slices of 300 x 200 in one row, 10 pixels apart.
  bix::ReadImage(dir / "g.tif", picture);
  EXPECT_EQ(picture.GetSize(), bix::Vector3d<unsigned>(3 * 310 - 10, 200, 1));
  bix::Image3d<unsigned short> data;
  bix::ReadImage(dir / "d.bix", data);
  EXPECT_TRUE(iotest::SameVoxels(data, image));
}

TEST_F(OrvViewSaves, FailuresAreSaidAndMakeTheRunFail) {
  const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
  iotest::MakeImage<unsigned char>(bix::Vector3d<unsigned>(20, 10, 4), {}, res).SaveImage(dir / "stack.tif");
  ViewerOptions options;
  ASSERT_EQ(ParseOptions({dir / "stack.tif", "--save-gallery", dir / "g.tif", "0", "4", "1"}, options), "");
  orv::orv_OrthoscopeFrame* frame = orvview::OpenViewer(options);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(orvview::RunBatchSaves(frame, options.saves));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "orv-view: --save-gallery: the image has 4 slices, numbered 0 to 3\n");
  EXPECT_TRUE(dir.List() == std::vector<std::string>{"stack.tif"});

  options.saves = {};
  options.saves.data = dir / "missing/d.bix";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(orvview::RunBatchSaves(frame, options.saves));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("orv-view: '" + dir / "missing/d.bix" + "'", 0), 0u) << said;
}

// An OME-Zarr store opens like a file (by its folder or its ".zattrs"), its
// label image from the store's "labels" group, and --save-data writes one.
TEST_F(OrvViewSaves, OmeZarrStoresOpenWithTheirLabelsAndTheDataSavesAsOne) {
  const bix::Resolution res(bix::Vector3d<float>(2, 2, 1));
  const auto image = iotest::MakeImage<unsigned short>(bix::Vector3d<unsigned>(40, 30, 6), {}, res);
  image.SaveImage(dir / "s.zarr");
  bix::Image3d<unsigned> cells(bix::Vector3d<unsigned>(40, 30, 6), nullptr, &res);
  cells.GetVoxel(5, 6, 2) = 9;
  bix::OmeZarrWriteOptions asLabels;
  asLabels.labels = true;
  bix::WriteOmeZarr(cells, dir / "s.zarr/labels/cells", asLabels);
  ViewerOptions options;
  ASSERT_EQ(ParseOptions({dir / "s.zarr/.zattrs", "--labels", dir / "s.zarr/labels/cells", "--save-data",
                          dir / "copy.zarr"},
                         options),
            "");
  orv::orv_OrthoscopeFrame* frame = orvview::OpenViewer(options);
  EXPECT_EQ(frame->GetTitle(), "s.zarr (16-bit, 40 x 30 x 6 voxels of 0.5 x 0.5 x 1 um)");
  auto* canvas = dynamic_cast<orv::orv_LabeledImageOrthoscopeCanvas<unsigned short, unsigned short, bool>*>(
      frame->GetCanvas());
  ASSERT_NE(canvas, nullptr);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  EXPECT_TRUE(orvview::RunBatchSaves(frame, options.saves));
  bix::Image3d<unsigned short> data;
  bix::ReadImage(dir / "copy.zarr", data);
  EXPECT_TRUE(iotest::SameVoxels(data, image));
}

// A store of one channel is shown from its chunks, with labels and points
// over it, saves its full resolution, and shows what the same image read
// into memory shows (with a voxel size of the user's, which still reads it
// into memory).
TEST_F(OrvViewSaves, OmeZarrStoresOfOneChannelAreShownFromTheirChunks) {
  const bix::Resolution res(bix::Vector3d<float>(2, 2, 1));
  const auto image = iotest::MakeImage<unsigned short>(bix::Vector3d<unsigned>(90, 70, 30), {3, 4, 5}, res);
  bix::OmeZarrWriteOptions small;
  small.chunk = 16;
  bix::WriteOmeZarr(image, dir / "s.zarr", small);
  bix::Image3d<unsigned> cells(bix::Vector3d<unsigned>(90, 70, 30), nullptr, &res);
  cells.SetOffset({3, 4, 5});
  for (unsigned y = 30; y < 40; ++y)
    for (unsigned x = 40; x < 52; ++x) cells.GetVoxel(x, y, 15) = 3;
  bix::OmeZarrWriteOptions asLabels;
  asLabels.labels = true;
  bix::WriteOmeZarr(cells, dir / "s.zarr/labels/cells", asLabels);
  iotest::WriteBytes(dir / "p.txt", "x0\ty0\tz0\n44\t36\t15\n");
  const std::vector<std::string> over = {"--labels", dir / "s.zarr/labels/cells", "--points", dir / "p.txt"};
  auto parse = [&](std::vector<std::string> args) {
    args.insert(args.end(), over.begin(), over.end());
    ViewerOptions options;
    EXPECT_EQ(ParseOptions(args, options), "");
    return options;
  };
  const ViewerOptions lazy = parse({dir / "s.zarr", "--save-data", dir / "copy.tif", "--cache-size", "64M"});
  const ViewerOptions memory = parse({dir / "s.zarr", "--voxel-size", "0.5,0.5,1"});
  EXPECT_EQ(lazy.cacheBytes, 64u << 20);
  orvtest::HttpTestServer server(dir.Path());
  const ViewerOptions remote = parse({server.Url() + "/s.zarr"});
  orv::orv_OrthoscopeFrame* held = orvview::OpenViewer(memory);
  ASSERT_EQ(held->GetCanvas()->GetChunkedView(), nullptr);
  ASSERT_TRUE(orvtest::ShowAndActivate(held));
  // From the folder and from the web server alike.
  orv::orv_OrthoscopeFrame* chunked = nullptr;
  for (const ViewerOptions& options : {lazy, remote}) {
    chunked = orvview::OpenViewer(options);
    auto* view = chunked->GetCanvas()->GetChunkedView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(chunked->GetTitle(), held->GetTitle());
    using Canvas = orv::orv_LabeledPointOrthoscopeCanvas<unsigned short, unsigned short, bool>;
    ASSERT_NE(dynamic_cast<Canvas*>(chunked->GetCanvas()), nullptr);
    EXPECT_EQ(dynamic_cast<Canvas*>(chunked->GetCanvas())->GetPoints().GetCount(), 1u);
    ASSERT_TRUE(orvtest::ShowAndActivate(chunked));
    for (auto w : {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ}) {
      ASSERT_TRUE(orvtest::PumpUntil([&] {
        orvtest::PaintNow(chunked->GetCanvas()->GetDrWin(w));
        return view->IsCutComplete(w);
      }));
      orvtest::PaintNow(held->GetCanvas()->GetDrWin(w));
      EXPECT_TRUE(orvtest::SamePixels(chunked->GetCanvas()->GetDrWin(w)->GetBitmapImage(),
                                       held->GetCanvas()->GetDrWin(w)->GetBitmapImage()))
          << options.image << " " << w;
    }
  }
  EXPECT_TRUE(orvview::RunBatchSaves(chunked, lazy.saves));
  bix::Image3d<unsigned short> data;
  bix::ReadImage(dir / "copy.tif", data);
  EXPECT_TRUE(iotest::SameVoxels(data, image));
  // Sizes for --cache-size: units of 1024, at least a megabyte.
  const std::pair<const char*, std::size_t> sizes[] = {
      {"2G", 2ull << 30}, {"512m", 512u << 20}, {"1.5GiB", 3ull << 29}, {"1048576", 1u << 20}, {"3MB", 3u << 20},
      {"1K", 0}, {"0", 0}, {"-1G", 0}, {"2X", 0}, {"G", 0}, {"2GG", 0}, {"", 0}};
  for (const auto& [text, bytes] : sizes) {
    std::size_t parsed = 0;
    EXPECT_EQ(orvview::ParseByteSize(text, parsed), bytes != 0) << text;
    EXPECT_EQ(parsed, bytes) << text;
  }
}

// "orv-view IN --save-data OUT.zarr" alone converts without a viewer.
TEST(OrvViewZarrConversion, SavingDataAsOmeZarrAloneConvertsPlaneByPlane) {
  iotest::ScratchDir dir;
  const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
  const auto image = iotest::MakeImage<unsigned short>(bix::Vector3d<unsigned>(50, 40, 9), {}, res);
  image.SaveImage(dir / "in.tif");
  image.SaveImage(dir / "in.zarr");
  iotest::MakeImage<bix::RGB_generic<unsigned char>>(bix::Vector3d<unsigned>(5, 4, 3), {}, res).SaveImage(dir / "rgb.tif");
  const struct {
    std::vector<std::string> args;
    bool conversion;
  } cases[] = {
      {{dir / "in.tif", "--save-data", dir / "out.zarr"}, true},
      {{dir / "in.zarr", "--save-data", dir / "out.zarr"}, true},
      {{dir / "rgb.tif", "--save-data", dir / "out.zarr"}, false},
      {{dir / "in.tif", "--save-data", dir / "out.bix"}, false},
      {{dir / "in.tif", "--save-data", dir / "out.zarr", "--save-view", dir / "v.tif"}, false},
      {{dir / "in.tif", "--save-data", dir / "out.zarr", "--voxel-size", "1,1,2"}, false},
  };
  for (const auto& c : cases) {
    ViewerOptions options;
    ASSERT_EQ(ParseOptions(c.args, options), "");
    EXPECT_EQ(orvview::IsZarrConversion(options), c.conversion) << c.args.back();
  }
  ViewerOptions options;
  ASSERT_EQ(ParseOptions(cases[0].args, options), "");
  testing::internal::CaptureStdout();
  EXPECT_EQ(orvview::RunZarrConversion(options), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "orv-view: " + (dir / "in.tif") + " saved as OME-Zarr to " + (dir / "out.zarr") + "\n");
  bix::Image3d<unsigned short> back;
  bix::ReadImage(dir / "out.zarr", back);
  EXPECT_TRUE(iotest::SameVoxels(back, image));
  // A store re-chunked the same way.
  ASSERT_EQ(ParseOptions(cases[1].args, options), "");
  testing::internal::CaptureStdout();
  EXPECT_EQ(orvview::RunZarrConversion(options), 0);
  testing::internal::GetCapturedStdout();
  bix::ReadImage(dir / "out.zarr", back);
  EXPECT_TRUE(iotest::SameVoxels(back, image));
  options.image = dir / "missing.tif";
  testing::internal::CaptureStderr();
  EXPECT_EQ(orvview::RunZarrConversion(options), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("missing.tif"), std::string::npos);
}

// Voxel sizes no window can lay out are refused naming the file and the value.
TEST(OrvViewGeometry, ImagesLongerThanAKilometreOrOfFemtometreVoxelsAreRefused) {
  iotest::ScratchDir dir;
  const bix::Resolution tiny(bix::Vector3d<float>(1e12f, 1, 1));
  iotest::MakeImage<unsigned char>(bix::Vector3d<unsigned>(8, 6, 20), {}, tiny).SaveImage(dir / "tiny.bix");
  const bix::Resolution plain(bix::Vector3d<float>(1, 1, 1));
  iotest::MakeImage<unsigned char>(bix::Vector3d<unsigned>(8, 6, 20), {}, plain).SaveImage(dir / "plain.bix");
  const struct {
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {{dir / "tiny.bix"},
       "'tiny.bix': voxels of 1e-12 microns along x make the image 8e-12 microns long (voxels smaller than 1e-09 "
       "microns); give the voxel size with --voxel-size X,Y,Z"},
      {{dir / "plain.bix", "--voxel-size", "0.1,0.1,1e8"},
       "'plain.bix': voxels of 1e+08 microns along z make the image 2e+09 microns long (more than a kilometre); "
       "give the voxel size with --voxel-size X,Y,Z"},
      {{dir / "plain.bix", "--voxel-size", "1e-45,1,1"},
       "'plain.bix': voxels of 1.4013e-45 microns along x make the image 1.12104e-44 microns long (voxels smaller "
       "than 1e-09 microns); give the voxel size with --voxel-size X,Y,Z"},
  };
  for (const auto& c : cases) {
    ViewerOptions options;
    ASSERT_EQ(ParseOptions(c.args, options), "");
    try {
      orvview::OpenViewer(options);
      ADD_FAILURE() << c.args[0] << " was opened";
    } catch (const orvview::OptionError& e) {
      EXPECT_EQ(std::string(e.what()), c.said);
    }
  }
  for (wxWindow* w : wxTopLevelWindows) w->Destroy();
}
