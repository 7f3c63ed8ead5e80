// The host application: its command line, and opening image files of every
// voxel type the way orv-view does (type from the file, title, voxel size,
// the stretch chosen on opening, clear errors).

#include "gui_test.h"

#include "../bix/io_test_support.h"
#include "open_image.h"
#include "options.h"

#include <orv/mapping_module.h>
#include <orv/orv_imagecanvas.h>

#include <bix/Exceptions.h>
#include <bix/ImageIO.h>

#include <wx/filename.h>

#include <memory>

using orvview::ParseOptions;
using orvview::ViewerOptions;

TEST(OrvViewOptions, ParsesWhatTheUsageSays) {
  ViewerOptions o;
  EXPECT_EQ(ParseOptions({}, o), "");
  EXPECT_TRUE(o.image.empty());
  EXPECT_EQ(o.stretch, "linear");

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

  const std::string voxelSizeError =
      "--voxel-size needs three positive sizes in microns per voxel, such as 0.2,0.2,0.5";
  for (const char* bad : {"1,2", "1,2,3,4", "0,1,1", "-1,1,1", "a,b,c", "1,,1", "1,2,3,", "nan,1,1", "inf,1,1",
                          "1x,1,1", ""}) {
    ViewerOptions q;
    EXPECT_EQ(ParseOptions({"--voxel-size", bad}, q), voxelSizeError) << bad;
  }
  ViewerOptions r;
  EXPECT_EQ(ParseOptions({"--voxel-size"}, r), voxelSizeError);
  EXPECT_EQ(ParseOptions({"--snapshot"}, r), "--snapshot needs the name of a PNG file");
  EXPECT_EQ(ParseOptions({"--stretch", "log"}, r), "--stretch needs one of none, linear, smart, percentil");
  EXPECT_EQ(ParseOptions({"--frobnicate"}, r), "unknown option --frobnicate");
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
void ExpectOpensAs(const std::string& path) {
  ViewerOptions options;
  options.image = path;
  OpenedViewer v(options);
  auto* canvas = dynamic_cast<orv::orv_ImageOrthoscopeCanvas<T>*>(v.frame->GetCanvas());
  ASSERT_NE(canvas, nullptr) << path;
  EXPECT_EQ(v.frame->GetTitle(), wxFileName(path).GetFullName());
  EXPECT_EQ(canvas->GetImageSize(), bix::Vector3d<unsigned>(6, 5, 4));
  auto* module = dynamic_cast<orv::orv_MappingModule<T>*>(v.frame->GetEventHandler());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->GetStretchMode(), 1) << "opened with the linear stretch";
  EXPECT_FALSE(v.frame->IsShown());
}

}  // namespace

TEST(OrvViewOpen, EveryVoxelTypeOpensWithItsOwnType) {
  iotest::ScratchDir dir;
  SaveStack<unsigned char>(dir / "u8.tif", 3, 200);
  SaveStack<unsigned short>(dir / "u16.ics", 3, 60000);
  SaveStack<int>(dir / "i32.bix", -5, 70000);
  SaveStack<float>(dir / "f32.tif", -0.5f, 2.5f);
  SaveStack<bix::RGB_generic<unsigned char>>(dir / "rgb8.tif", {1, 2, 3}, {200, 100, 50});
  SaveStack<bix::RGB_generic<unsigned short>>(dir / "rgb16.bix", {1, 2, 3}, {2000, 1000, 500});
  ExpectOpensAs<unsigned char>(dir / "u8.tif");
  ExpectOpensAs<unsigned short>(dir / "u16.ics");
  ExpectOpensAs<int>(dir / "i32.bix");
  ExpectOpensAs<float>(dir / "f32.tif");
  ExpectOpensAs<bix::RGB_generic<unsigned char>>(dir / "rgb8.tif");
  ExpectOpensAs<bix::RGB_generic<unsigned short>>(dir / "rgb16.bix");
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
  auto* module = dynamic_cast<orv::orv_MappingModule<unsigned short>*>(overridden.frame->GetEventHandler());
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
