// The host application: its command line, and opening image files of every
// voxel type the way orv-view does (type from the file, title, voxel size,
// the stretch chosen on opening, clear errors).

#include "gui_test.h"

#include "../bix/io_test_support.h"
#include "assertion_log.h"
#include "frame_modules.h"
#include "initial_mapping.h"
#include "initial_zoom.h"
#include "open_image.h"
#include "man_page.h"
#include "options.h"

#include <orv/gray_mapping.h>
#include <sstream>
#include <orv/mapping_module.h>
#include <orv/orv_imagecanvas.h>

#include <bix/Exceptions.h>
#include <bix/ImageIO.h>

#include <wx/filename.h>

#include <memory>
#include <type_traits>

using orvview::ParseOptions;
using orvview::ViewerOptions;

TEST(OrvViewOptions, ParsesWhatTheUsageSays) {
  ViewerOptions o;
  EXPECT_EQ(ParseOptions({}, o), "");
  EXPECT_TRUE(o.image.empty());
  EXPECT_EQ(o.stretch, "") << "each image's default";
  EXPECT_FALSE(o.fullRange);

  ViewerOptions p;
  EXPECT_EQ(ParseOptions({"stack.tif", "--voxel-size", "0.2,0.25,1e0", "--snapshot", "out.png", "--stretch", "smart"}, p),
            "");
  EXPECT_EQ(p.image, "stack.tif");
  EXPECT_TRUE(p.hasVoxelSize);
  EXPECT_FLOAT_EQ(p.voxelSize.x, 0.2f);
  EXPECT_FLOAT_EQ(p.voxelSize.y, 0.25f);
  EXPECT_FLOAT_EQ(p.voxelSize.z, 1.0f);
  EXPECT_EQ(p.snapshot, "out.png");
  EXPECT_EQ(p.stretch, "smart");
  ViewerOptions full;
  EXPECT_EQ(ParseOptions({"--full-range", "a.tif"}, full), "");
  EXPECT_TRUE(full.fullRange);
  EXPECT_EQ(full.image, "a.tif");

  const std::string voxelSizeError =
      "--voxel-size needs three positive sizes in microns per voxel, such as 0.2,0.2,0.5";
  for (const char* bad : {"1,2", "1,2,3,4", "0,1,1", "-1,1,1", "a,b,c", "1,,1", "1,2,3,", "nan,1,1", "inf,1,1",
                          "1x,1,1", ""}) {
    ViewerOptions q;
    EXPECT_EQ(ParseOptions({"--voxel-size", bad}, q), voxelSizeError) << bad;
  }
  ViewerOptions r;
  // Syntax errors in the parser's words, value errors in ours.
  EXPECT_EQ(ParseOptions({"--voxel-size"}, r), "Option 'voxel-size' requires a value.");
  EXPECT_EQ(ParseOptions({"--snapshot"}, r), "Option 'snapshot' requires a value.");
  EXPECT_EQ(ParseOptions({"--snapshot", ""}, r), "--snapshot needs the name of a PNG file");
  EXPECT_EQ(ParseOptions({"--stretch", "log"}, r), "--stretch needs one of none, linear, smart, percentil");
  EXPECT_EQ(ParseOptions({"--frobnicate"}, r), "Unknown long option 'frobnicate'");
  ViewerOptions eq;
  EXPECT_EQ(ParseOptions({"--stretch=none", "--voxel-size=1,2,3", "a.tif"}, eq), "");
  EXPECT_EQ(eq.stretch, "none");
  EXPECT_FLOAT_EQ(eq.voxelSize.z, 3.0f);
  ViewerOptions utf8;
  EXPECT_EQ(ParseOptions({"Zellkern \xc2\xb5m.tif"}, utf8), "");
  EXPECT_EQ(utf8.image, "Zellkern \xc2\xb5m.tif") << "file names stay UTF-8 whatever the locale";
  ViewerOptions latin1;
  EXPECT_EQ(ParseOptions({"caf\xe9.tif", "--snapshot", "\xe9t\xe9.png"}, latin1), "");
  EXPECT_EQ(latin1.image, "caf\xe9.tif") << "names that are no UTF-8 keep their bytes";
  EXPECT_EQ(latin1.snapshot, "\xe9t\xe9.png");
  EXPECT_EQ(ParseOptions({"a.tif", "b.tif"}, r), "only one image can be opened, got a.tif and b.tif");
  ViewerOptions h;
  EXPECT_EQ(ParseOptions({"--help"}, h), "");
  EXPECT_TRUE(h.help);
}

namespace {

struct OpenedViewer {
  explicit OpenedViewer(const ViewerOptions& options) : frame(orvview::OpenViewer(options)) {}
  ~OpenedViewer() {
    frame->Destroy();
    wxWindow* gone = frame;
    orvtest::PumpUntil([gone] { return !wxTopLevelWindows.Find(gone); });
  }
  orv::orv_OrthoscopeFrame* frame;
};

template <class T>
void SaveStack(const std::string& path, T a, T b) {
  const bix::Resolution res(bix::Vector3d<float>(4, 4, 2));
  bix::Image3d<T> image(bix::Vector3d<unsigned>(6, 5, 4), nullptr, &res);
  unsigned i = 0;
  for (T& v : image) v = (i++ % 2) ? a : b;
  image.SaveImage(path);
}

template <class T>
void ExpectOpensAs(const std::string& path, const char* voxelType) {
  ViewerOptions options;
  options.image = path;
  OpenedViewer v(options);
  auto* canvas = dynamic_cast<orv::orv_ImageOrthoscopeCanvas<T>*>(v.frame->GetCanvas());
  ASSERT_NE(canvas, nullptr) << path;
  EXPECT_EQ(v.frame->GetTitle(),
            wxFileName(path).GetFullName() + " (" + voxelType + ", 6 x 5 x 4 voxels of 0.25 x 0.25 x 0.5 um)");
  EXPECT_EQ(canvas->GetImageSize(), bix::Vector3d<unsigned>(6, 5, 4));
  auto* module = orvview::FindModule<orv::orv_MappingModule<T>>(v.frame);
  ASSERT_NE(module, nullptr);
  const bool storedColours = std::is_same_v<T, bix::RGB_generic<unsigned char>>;
  EXPECT_EQ(module->GetStretchMode(), storedColours ? 0 : 1) << "opened with no stretch or the linear stretch";
  EXPECT_FALSE(v.frame->IsShown());
}

}  // namespace

// A failed check of the toolkit in a release build goes to the terminal;
// the program goes on without a dialog that would stop a script.
TEST(OrvViewAssertions, AFailedCheckIsWrittenToTheTerminalNotAsked) {
  testing::internal::CaptureStderr();
  const wxAssertHandler_t previous = orvview::LogAssertionsInsteadOfAsking();
  wxFAIL_MSG("a check that failed");
  wxSetAssertHandler(previous);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("orv-view: internal check failed in ", 0), 0u) << said;
  EXPECT_NE(said.find("test_orv_view.cpp:"), std::string::npos) << said;
  EXPECT_EQ(said.substr(said.size() - std::string("): a check that failed\n").size()), "): a check that failed\n");
}

TEST(OrvViewOpen, EveryVoxelTypeOpensWithItsOwnType) {
  iotest::ScratchDir dir;
  SaveStack<unsigned char>(dir / "u8.tif", 3, 200);
  SaveStack<unsigned short>(dir / "u16.ics", 3, 60000);
  SaveStack<int>(dir / "i32.bix", -5, 70000);
  SaveStack<float>(dir / "f32.tif", -0.5f, 2.5f);
  SaveStack<bix::RGB_generic<unsigned char>>(dir / "rgb8.tif", {1, 2, 3}, {200, 100, 50});
  SaveStack<bix::RGB_generic<unsigned short>>(dir / "rgb16.bix", {1, 2, 3}, {2000, 1000, 500});
  ExpectOpensAs<unsigned char>(dir / "u8.tif", "8-bit");
  ExpectOpensAs<unsigned short>(dir / "u16.ics", "16-bit");
  ExpectOpensAs<int>(dir / "i32.bix", "32-bit integer");
  ExpectOpensAs<float>(dir / "f32.tif", "32-bit float");
  ExpectOpensAs<bix::RGB_generic<unsigned char>>(dir / "rgb8.tif", "8-bit RGB");
  ExpectOpensAs<bix::RGB_generic<unsigned short>>(dir / "rgb16.bix", "16-bit RGB");
}

TEST(OrvViewOpen, VoxelSizeOverridesTheFile) {
  iotest::ScratchDir dir;
  SaveStack<unsigned short>(dir / "stack.tif", 1, 2);
  ViewerOptions options;
  options.image = (dir / "stack.tif");
  OpenedViewer asStored(options);
  EXPECT_EQ(asStored.frame->GetCanvas()->GetImageBox().size, bix::Vector3d<float>(1.5f, 1.25f, 2.0f))
      << "6 x 5 x 4 voxels of 0.25 x 0.25 x 0.5 um";

  options.hasVoxelSize = true;
  options.voxelSize = bix::Vector3d<float>(0.5f, 0.5f, 2.0f);
  options.stretch = "none";
  OpenedViewer overridden(options);
  EXPECT_EQ(overridden.frame->GetCanvas()->GetImageBox().size, bix::Vector3d<float>(3.0f, 2.5f, 8.0f));
  auto* module = orvview::FindModule<orv::orv_MappingModule<unsigned short>>(overridden.frame);
  EXPECT_EQ(module->GetStretchMode(), 0);
}

TEST(OrvViewOpen, UnreadableFilesRaiseAClearError) {
  iotest::ScratchDir dir;
  const std::string garbage = dir / "garbage.tif";
  {
    wxFile f(wxString::FromUTF8(garbage), wxFile::write);
    f.Write("II*\0garbage", 11);
  }
  for (const std::string& path : {garbage, (dir / "missing.tif"), (dir / "notes.txt")}) {
    ViewerOptions options;
    options.image = path;
    try {
      orvview::OpenViewer(options);
      ADD_FAILURE() << path << " opened";
    } catch (const bix::IOException& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(wxTopLevelWindows.empty()) << "no frame is left behind";
}

TEST(OrvViewOpen, LargeFilesAreReadUnderAProgressDialogThatGoesAway) {
  iotest::ScratchDir dir;
  const std::string path = (dir / "large.tif");
  {
    bix::Image3d<unsigned short> image(bix::Vector3d<unsigned>(4096, 4096, 3));  // 96 MiB
    unsigned short v = 0;
    for (unsigned short& voxel : image) voxel = v++;
    image.SaveImage(path, bix::FORMAT_AUTO, false);
  }
  ViewerOptions options;
  options.image = path;
  OpenedViewer v(options);
  orvtest::Pump();
  EXPECT_EQ(wxTopLevelWindows.GetCount(), 1u) << "only the viewer is left";
  auto* canvas = dynamic_cast<orv::orv_ImageOrthoscopeCanvas<unsigned short>*>(v.frame->GetCanvas());
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(canvas->GetImageSize(), bix::Vector3d<unsigned>(4096, 4096, 3));
}

TEST(OrvViewInitialMapping, DataBitDepthIsTheSmallestHoldingTheBrightestVoxel) {
  EXPECT_EQ(orvview::DataBitDepth(0), 1);
  EXPECT_EQ(orvview::DataBitDepth(1), 1);
  EXPECT_EQ(orvview::DataBitDepth(2), 2);
  EXPECT_EQ(orvview::DataBitDepth(255), 8);
  EXPECT_EQ(orvview::DataBitDepth(7509), 13);
  EXPECT_EQ(orvview::DataBitDepth(8191), 13);
  EXPECT_EQ(orvview::DataBitDepth(8192), 14);
  EXPECT_EQ(orvview::DataBitDepth(65535), 16);
  EXPECT_EQ(orvview::DefaultStretch(true, 8), "none");
  EXPECT_EQ(orvview::DefaultStretch(true, 16), "linear");
  EXPECT_EQ(orvview::DefaultStretch(false, 8), "linear");
  EXPECT_EQ(orvview::StretchProblem("smart", true), "");
  EXPECT_EQ(orvview::StretchProblem("linear", false), "");
  EXPECT_EQ(orvview::StretchProblem("smart", false),
            "--stretch smart works on RGB images only, and this image is gray: use linear, percentil or none");
}

TEST(OrvViewInitialMapping, SixteenBitRangeEndsAtTheDataBitDepthUnlessFullRange) {
  iotest::ScratchDir dir;
  SaveStack<unsigned short>(dir / "camera.tif", 35, 7509);
  ViewerOptions options;
  options.image = dir / "camera.tif";
  {
    OpenedViewer v(options);
    auto* module = orvview::FindModule<orv::orv_GrayMappingModule<unsigned short>>(v.frame);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->GetRangeLow(), 0);
    EXPECT_EQ(module->GetRangeHigh(), 8191) << "7509 needs 13 bits";
    EXPECT_EQ(module->GetStretchMode(), 1);
    EXPECT_EQ(module->GetLevels().in_min, 35);
    EXPECT_EQ(module->GetLevels().in_max, 7509);
  }
  options.fullRange = true;
  OpenedViewer full(options);
  auto* module = orvview::FindModule<orv::orv_GrayMappingModule<unsigned short>>(full.frame);
  EXPECT_EQ(module->GetRangeHigh(), 65535);
}

TEST(OrvViewInitialMapping, EightBitRGBShowsItsStoredColours) {
  using RGB8 = bix::RGB_generic<unsigned char>;
  iotest::ScratchDir dir;
  SaveStack<RGB8>(dir / "rgb8.tif", RGB8(237, 156, 125), RGB8(20, 40, 60));
  ViewerOptions options;
  options.image = dir / "rgb8.tif";
  OpenedViewer v(options);
  auto* module = orvview::FindModule<orv::orv_MappingModule<RGB8>>(v.frame);
  ASSERT_NE(module, nullptr);
  const RGB8 voxels[2] = {RGB8(237, 156, 125), RGB8(20, 40, 60)};
  orv::Buffer2d<RGB8> out(2, 1);
  module->Map(voxels, out);
  EXPECT_EQ(out.data[0], voxels[0]);
  EXPECT_EQ(out.data[1], voxels[1]);

  options.stretch = "linear";  // asked for: channels stretched one by one
  OpenedViewer stretched(options);
  auto* linear = orvview::FindModule<orv::orv_MappingModule<RGB8>>(stretched.frame);
  linear->Map(voxels, out);
  EXPECT_EQ(out.data[0], RGB8(255, 255, 255));
}

TEST(OrvViewInitialMapping, SmartStretchOnAGrayImageIsRefused) {
  iotest::ScratchDir dir;
  SaveStack<float>(dir / "gray.tif", -1.0f, 3.0f);
  ViewerOptions options;
  options.stretch = "smart";
  for (const std::string& image : {std::string(), dir / "gray.tif"}) {
    options.image = image;
    try {
      orvview::OpenViewer(options);
      ADD_FAILURE() << "opened";
    } catch (const orvview::OptionError& e) {
      EXPECT_EQ(std::string(e.what()),
                "--stretch smart works on RGB images only, and this image is gray: use linear, percentil or none");
    } catch (const std::exception& e) {
      ADD_FAILURE() << image << ": " << e.what();
    }
  }
}

namespace {

// A stack of 0.1 x 0.1 x 0.5 um voxels on a display of 1280 x 1024 with a
// 60-pixel menu and status bar: base zoom 10 pixels per micron.
orvview::ZoomChoice Choice(bix::Vector3d<float> voxels, float voxelXY = 0.1f, float voxelZ = 0.5f) {
  orvview::ZoomChoice c;
  c.extent = bix::Vector3d<float>(voxels.x * voxelXY, voxels.y * voxelXY, voxels.z * voxelZ);
  c.baseZoom = bix::Vector3d<float>(1 / voxelXY, 1 / voxelXY, 1 / voxelXY);
  c.available = wxSize(1280, 1024);
  c.decoration = wxSize(0, 60);
  return c;
}

}  // namespace

TEST(OrvViewInitialZoom, LargeStacksShrinkUntilTheyFitSmallOnesGrowToFourHundredPixels) {
  // 1024 x 1024 x 40: 1024 + 6 + 200 + 6 + 60 = 1296 rows at level 0; half of it fits.
  const orvview::ZoomChoice large = Choice({1024, 1024, 40});
  EXPECT_EQ(orvview::FrameSizeAt(large, 0), wxSize(1236, 1296));
  EXPECT_EQ(orvview::FrameSizeAt(large, -1), wxSize(624, 684));
  EXPECT_EQ(orvview::ChooseInitialZoomLevel(large), -1);
  // 4000 x 3000 x 100: a third is still 1333 wide; a quarter fits.
  EXPECT_EQ(orvview::ChooseInitialZoomLevel(Choice({4000, 3000, 100})), -3);

  // 160 x 120 x 10 of 1 um: 160, 320, then 480 pixels wide.
  const orvview::ZoomChoice tiny = Choice({160, 120, 10}, 1.0f, 1.0f);
  EXPECT_EQ(orvview::XYSideAt(tiny, 1), 320);
  EXPECT_EQ(orvview::XYSideAt(tiny, 2), 480);
  EXPECT_EQ(orvview::ChooseInitialZoomLevel(tiny), 2);
  EXPECT_EQ(orvview::FrameSizeAt(tiny, 2), wxSize(480 + 6 + 30 + 6, 360 + 6 + 30 + 6 + 60));

  // Growing stops where the frame would no longer fit.
  orvview::ZoomChoice cramped = tiny;
  cramped.available = wxSize(600, 400);
  EXPECT_EQ(orvview::ChooseInitialZoomLevel(cramped), 1);
  // A stack that fits and is large enough stays at level 0; so does the sample.
  EXPECT_EQ(orvview::ChooseInitialZoomLevel(Choice({600, 500, 20})), 0);
  EXPECT_EQ(orvview::ChooseInitialZoomLevel(Choice({256, 256, 64}, 0.2f, 0.5f)), 1);
}

TEST(OrvViewInitialZoom, AnOpenedLargeStackFitsTheDisplayWithEveryWindowWhole) {
  iotest::ScratchDir dir;
  {
    const bix::Resolution res(bix::Vector3d<float>(10, 10, 2));
    bix::Image3d<unsigned short> image(bix::Vector3d<unsigned>(1024, 1024, 40), nullptr, &res);
    unsigned short v = 0;
    for (unsigned short& voxel : image) voxel = static_cast<unsigned short>(v++ % 4000);
    image.SaveImage(dir / "large.tif", bix::FORMAT_AUTO, false);
  }
  ViewerOptions options;
  options.image = dir / "large.tif";
  OpenedViewer v(options);
  ASSERT_TRUE(orvtest::ShowAndActivate(v.frame));
  orv::orv_OrthoscopeCanvas* canvas = v.frame->GetCanvas();
  EXPECT_EQ(canvas->GetZoomLevel(), -1);
  const wxRect display = wxGetClientDisplayRect();
  EXPECT_LE(v.frame->GetSize().x, display.width);
  EXPECT_LE(v.frame->GetSize().y, display.height);
  for (orv::orv_ProjectionType w : {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ}) {
    orv::orv_DrWin3d* window = canvas->GetDrWin(w);
    EXPECT_EQ(window->GetClientSize(), window->GetOptimalSize()) << "window " << w << " is whole";
  }
  // The choice's arithmetic is the canvas's own.
  orvview::ZoomChoice choice;
  choice.extent = canvas->GetImageBox().size;
  choice.baseZoom = canvas->GetBaseZoom();
  EXPECT_EQ(orvview::FrameSizeAt(choice, canvas->GetZoomLevel()), canvas->GetOptimalSize());
}

TEST(OrvViewManPage, EveryOptionOfTheHelpTextIsAnEntryOfTheManualPage) {
  const std::string page = orvview::ManPage("9.8.7");
  EXPECT_EQ(page.rfind(".TH ORV\\-VIEW 1 \"\" \"orv 9.8.7\" \"User Commands\"\n", 0), 0u);
  EXPECT_NE(page.find(".TP\n.B \\-\\-voxel\\-size X,Y,Z\nthe voxel size in microns, overriding the file's\n"),
            std::string::npos);
  // Each option line of --help starts an entry, its hyphens escaped for roff.
  std::istringstream usage(orvview::Usage());
  for (std::string line; std::getline(usage, line);) {
    if (line.rfind("  --", 0) != 0) continue;
    std::string entry = ".TP\n.B ";
    for (char c : line.substr(2, line.find(' ', 2) - 2)) entry += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(page.find(entry), std::string::npos) << line;
  }
}
