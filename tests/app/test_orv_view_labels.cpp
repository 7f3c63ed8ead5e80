// orv-view --labels: a segmentation opened over the image, placed in
// microns, in the label type that holds it, and the files it refuses; the
// built-in sample with its own nuclei.

#include "gui_test.h"

#include "../bix/io_test_support.h"
#include "../overlay/voxel_pixels.h"
#include "frame_modules.h"
#include "label_file.h"
#include "open_image.h"
#include "sample_volume.h"

#include <orv/orv_labeledcanvas.h>
#include <orv/orv_labeledpointcanvas.h>
#include <orv/overlaying_module.h>
#include <orv/point_set_module.h>

#include <memory>

using bix::Vector3d;

namespace {

class OrvViewLabels : public ::testing::Test {
protected:
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  // A 16-bit stack of 20 x 16 x 8 voxels of 1 micron, all 1000.
  std::string Image(const std::string& name = "image.tif") {
    const bix::Resolution res(Vector3d<float>(1, 1, 1));
    bix::Image3d<unsigned short> image(Vector3d<unsigned>(20, 16, 8), nullptr, &res);
    for (unsigned short& v : image) v = 1000;
    image.SaveImage(dir / name);
    return dir / name;
  }
  template <class T>
  std::string Labels(const std::string& name, Vector3d<unsigned> size, float voxel, T value) {
    const bix::Resolution res(Vector3d<float>(1 / voxel, 1 / voxel, 1 / voxel));
    bix::Image3d<T> labels(size, nullptr, &res);
    labels.GetVoxel(1, 1, 1) = value;
    labels.SaveImage(dir / name);
    return dir / name;
  }
  orv::orv_OrthoscopeFrame* Open(const std::string& image, const std::string& labels) {
    orvview::ViewerOptions options;
    options.image = image;
    options.labels = labels;
    return orvview::OpenViewer(options);
  }
  std::string Refusal(const std::string& image, const std::string& labels) {
    try {
      Open(image, labels);
    } catch (const orvview::OptionError& e) {
      return e.what();
    }
    return "accepted";
  }

  iotest::ScratchDir dir;
};

}  // namespace

TEST_F(OrvViewLabels, ALabelFileOfAnotherVoxelSizeOutlinesTheRightVoxels) {
  // Label voxels of 2 microns: label 5 over label voxels x 2..5, y 2..5,
  // z 1..2, which are image voxels x 4..11, y 4..11, z 2..5.
  const bix::Resolution half(Vector3d<float>(0.5f, 0.5f, 0.5f));
  bix::Image3d<unsigned short> labels(Vector3d<unsigned>(10, 8, 4), nullptr, &half);
  for (unsigned z = 1; z <= 2; ++z)
    for (unsigned y = 2; y <= 5; ++y)
      for (unsigned x = 2; x <= 5; ++x) labels.GetVoxel(x, y, z) = 5;
  labels.SaveImage(dir / "labels.tif");
  orv::orv_OrthoscopeFrame* frame = Open(Image(), dir / "labels.tif");
  auto* canvas = dynamic_cast<orv::orv_LabeledImageOrthoscopeCanvas<unsigned short, unsigned short, bool>*>(
      frame->GetCanvas());
  ASSERT_NE(canvas, nullptr);
  // Switched on in boundary mode.
  EXPECT_TRUE(canvas->GetOverlayer().GetOverlaying());
  EXPECT_EQ(canvas->GetOverlayer().GetTransparency(), 1.0f);

  canvas->ChangeCut(Vector3d<float>(8.5f, 8.5f, 4.5f));
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  orv::orv_DrWin3d* xy = canvas->GetDrWin(orv::PROJ_XY);
  orvtest::PaintNow(xy);
  const wxImage picture = xy->GetBitmapImage();
  auto at = [&](unsigned x, unsigned y) {
    return orvtest::Rgb(orvtest::ColourAtVoxel(*canvas, picture, orv::PROJ_XY, Vector3d<unsigned>(x, y, 4)));
  };
  const std::string cyan = "(0, 255, 255)";  // entry 5 of the label palette
  EXPECT_EQ(at(4, 8), cyan);                   // the left edge of the component
  EXPECT_EQ(at(8, 4), cyan);                   // its top edge
  EXPECT_NE(at(3, 8), cyan);                   // outside
  EXPECT_NE(at(8, 8), cyan);                   // inside: the image shows
  EXPECT_EQ(at(3, 8), at(8, 8));
}

TEST_F(OrvViewLabels, LabelsAreKeptWidenedOrRenumberedAsTheViewerNeeds) {
  const std::string image = Image();
  // Below 0x8000: 16-bit labels as they are.
  auto narrow = orvview::ReadLabelFile(Labels<int>("small.tif", {4, 4, 4}, 1, 0x7fff), false, bix::Resolution());
  ASSERT_TRUE(narrow.narrow);
  EXPECT_EQ(narrow.narrow->GetVoxel(1, 1, 1), 0x7fff);
  // Larger, over an 8-bit image: 32-bit labels.
  const std::string large = Labels<int>("large.tif", {4, 4, 4}, 1, 70000);
  auto wide = orvview::ReadLabelFile(large, true, bix::Resolution());
  ASSERT_TRUE(wide.wide);
  EXPECT_EQ(wide.wide->GetVoxel(1, 1, 1), 70000u);
  // Over another image: renumbered in their order, 0 kept as background.
  bix::Image3d<int> two(Vector3d<unsigned>(3, 1, 1));
  two.GetVoxel(0, 0, 0) = 90000;
  two.GetVoxel(2, 0, 0) = 40000;
  two.SaveImage(dir / "two.tif");
  const bix::Resolution image_res(Vector3d<float>(4, 4, 2));
  auto renumbered = orvview::ReadLabelFile(dir / "two.tif", false, image_res);
  ASSERT_TRUE(renumbered.narrow);
  EXPECT_EQ(renumbered.narrow->GetVoxel(0, 0, 0), 2);
  EXPECT_EQ(renumbered.narrow->GetVoxel(1, 0, 0), 0);
  EXPECT_EQ(renumbered.narrow->GetVoxel(2, 0, 0), 1);
  // A file without a voxel size takes the image's.
  EXPECT_EQ(renumbered.narrow->GetResolution(), image_res);
  EXPECT_EQ(renumbered.narrow->GetHighestLabel(), 2);
}

TEST_F(OrvViewLabels, FilesThatHoldNoLabelsAreRefusedByName) {
  const std::string image = Image();
  const std::string why = " voxels; a label image holds whole numbers (8, 16 or 32-bit integers, 0 for background)";
  const std::string f = Labels<float>("float.tif", {4, 4, 4}, 1, 2.5f);
  EXPECT_EQ(Refusal(image, f), "'" + f + "' holds 32-bit floating-point" + why);
  const std::string rgb = Labels("rgb.tif", {4, 4, 4}, 1, bix::RGB_generic<unsigned char>(1, 2, 3));
  EXPECT_EQ(Refusal(image, rgb), "'" + rgb + "' holds 8-bit RGB" + why);
  const std::string negative = Labels<int>("negative.tif", {4, 4, 4}, 1, -3);
  const std::string said = Refusal(image, negative);
  EXPECT_EQ(said.rfind("the label image cannot be read: ", 0), 0u) << said;
  EXPECT_NE(said.find(negative), std::string::npos) << said;
  EXPECT_NE(said.find("-3"), std::string::npos) << said;

  // 32768 different labels at or above 0x8000 fit no 16-bit label image.
  bix::Image3d<int> many(Vector3d<unsigned>(128, 128, 2));
  int label = 0x8000;
  for (int& v : many) v = label++;
  many.SaveImage(dir / "many.tif");
  EXPECT_EQ(Refusal(image, dir / "many.tif"),
            "'" + dir / "many.tif" + "' has 32768 labels (up to 65535); this viewer shows at most 32767 different labels");
}

TEST_F(OrvViewLabels, TheSampleComesWithItsNucleiUnlessAskedNot) {
  orvview::ViewerOptions options;
  orv::orv_OrthoscopeFrame* labeled = orvview::OpenViewer(options);
  EXPECT_EQ(labeled->GetMenuBar()->GetMenuLabel(2), "&Overlaying");
  auto* module = orvview::FindModule<orv::orv_OverlayingModule<unsigned short, bool>>(labeled);
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(module->GetOverlaying());
  EXPECT_EQ(module->GetTransparency(), 1.0f);
  options.noLabels = true;
  orv::orv_OrthoscopeFrame* plain = orvview::OpenViewer(options);
  EXPECT_EQ(plain->GetMenuBar()->GetMenuCount(), 3u);  // "&View", "&Mapping", "&Help"
  EXPECT_EQ(plain->GetMenuBar()->FindMenu("Overlaying"), wxNOT_FOUND);

  // Every nucleus's voxels are labelled where the nucleus is brightest: the
  // labels mark exactly the bright voxels' objects.
  const auto image = orvview::MakeSampleVolume();
  const auto nuclei = orvview::MakeSampleLabels();
  ASSERT_EQ(nuclei->GetSize(), image->GetSize());
  EXPECT_EQ(nuclei->GetResolution(), image->GetResolution());
  EXPECT_GT(nuclei->GetComponents().size(), 250u);
  double inside = 0, outside = 0;
  std::size_t in = 0, out = 0;
  for (std::size_t i = 0; i < image->GetVoxelCount(); ++i)
    (nuclei->begin()[i] ? (inside += image->begin()[i], ++in) : (outside += image->begin()[i], ++out));
  EXPECT_GT(inside / in, 3 * outside / out);
}

TEST_F(OrvViewLabels, PointFilesOpenWithTheImageOrAreCreatedOnTheFirstSave) {
  orvview::ViewerOptions options;
  options.image = Image();
  options.points = dir / "new.txt";
  orv::orv_OrthoscopeFrame* frame = orvview::OpenViewer(options);
  ASSERT_EQ(frame->GetMenuBar()->GetMenuLabel(2), "&Points");
  auto* module = orvview::FindModule<orv::orv_PointSetModule<unsigned short>>(frame);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->GetFileName(), wxString::FromUTF8(options.points));
  auto* canvas = dynamic_cast<orv::orv_PointOrthoscopeCanvas<unsigned short>*>(frame->GetCanvas());
  canvas->AddPoint(Vector3d<float>(3, 4, 5));
  wxCommandEvent save(wxEVT_MENU, module->GetMenuId(orv::orv_PointSetModule<unsigned short>::MENU_SAVE));
  frame->GetEventHandler()->ProcessEvent(save);
  EXPECT_EQ(iotest::FileBytes(options.points), "Gravity(1)\tGravity(2)\tGravity(3)\n3\t4\t5\n");
  // Opened again, the file is loaded.
  orv::orv_OrthoscopeFrame* again = orvview::OpenViewer(options);
  auto* reloaded = dynamic_cast<orv::orv_PointOrthoscopeCanvas<unsigned short>*>(again->GetCanvas());
  ASSERT_EQ(reloaded->GetPoints().GetCount(), 1u);
  EXPECT_EQ(reloaded->GetPoints()[0], Vector3d<float>(3, 4, 5));
  // A folder is no point file to create.
  options.points = dir.Path();
  try {
    orvview::OpenViewer(options);
    ADD_FAILURE() << "a folder was taken for a point file";
  } catch (const orvview::OptionError& e) {
    EXPECT_EQ(std::string(e.what()), "--points: '" + dir.Path() + "' is a folder, not a point file");
  }
}

// Reload reads the label file again; a file that changed size is refused
// and the old labels stay. The menu shows the outlines chosen on opening.
TEST_F(OrvViewLabels, ReloadReadsTheLabelFileAgainAndTheMenuShowsBoundaries) {
  const std::string labels = Labels<unsigned short>("labels.tif", Vector3d<unsigned>(20, 16, 8), 1, 7);
  orv::orv_OrthoscopeFrame* frame = Open(Image(), labels);
  using Module = orv::orv_OverlayingModule<unsigned short, bool>;
  auto* module = orvview::FindModule<Module>(frame);
  auto* canvas = dynamic_cast<orv::orv_LabeledImageOrthoscopeCanvas<unsigned short, unsigned short, bool>*>(
      frame->GetCanvas());
  ASSERT_TRUE(module && canvas);
  for (int offset : {Module::MENU_COMPONENTS, Module::MENU_BOUNDARY}) {
    wxUpdateUIEvent update(module->GetMenuId(offset));
    frame->GetEventHandler()->ProcessEvent(update);
    EXPECT_EQ(update.GetChecked(), offset == Module::MENU_BOUNDARY) << offset;
  }
  // The labels the overlay paints, through its protected accessor.
  struct Peek : orv::orv_Overlayer<unsigned short, bool> {
    static auto Accessor() { return &Peek::GetLabeledImage; }
  };
  auto shown = [&] { return (canvas->GetOverlayer().*Peek::Accessor())(false, false); };
  auto reload = [&] {
    wxCommandEvent command(wxEVT_MENU, module->GetMenuId(Module::MENU_RELOAD));
    command.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(command);
  };
  EXPECT_EQ(shown()->GetHighestLabel(), 7u);
  Labels<unsigned short>("labels.tif", Vector3d<unsigned>(20, 16, 8), 1, 9);
  reload();
  EXPECT_EQ(shown()->GetHighestLabel(), 9u);
  EXPECT_EQ(shown()->GetVoxel(1, 1, 1), 9);
  Labels<unsigned short>("labels.tif", Vector3d<unsigned>(10, 16, 8), 1, 4);
  wxTEST_DIALOG(reload(), orvtest::ExpectMessageBox("'" + labels + "' is now 10 x 16 x 8 voxels; the viewer shows "
                                                    "labels of 20 x 16 x 8 voxels.", "Error"));
  EXPECT_EQ(shown()->GetVoxel(1, 1, 1), 9);
}

// --labels and --points together: the outlines and the markers in one
// viewer, each menu acting on its own part.
TEST_F(OrvViewLabels, LabelsAndPointsShowTogetherWithBothMenus) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned short> cells(Vector3d<unsigned>(20, 16, 8), nullptr, &res);
  for (unsigned z = 0; z < 8; ++z)
    for (unsigned y = 4; y <= 11; ++y)
      for (unsigned x = 4; x <= 11; ++x) cells.GetVoxel(x, y, z) = 2;
  cells.SaveImage(dir / "cells.tif");
  iotest::WriteBytes(dir / "p.txt", "x0\ty0\tz0\n15\t8\t4\n");
  orvview::ViewerOptions options;
  options.image = Image();
  options.labels = dir / "cells.tif";
  options.points = dir / "p.txt";
  orv::orv_OrthoscopeFrame* frame = orvview::OpenViewer(options);
  using Canvas = orv::orv_LabeledPointOrthoscopeCanvas<unsigned short, unsigned short, bool>;
  auto* canvas = dynamic_cast<Canvas*>(frame->GetCanvas());
  ASSERT_NE(canvas, nullptr);
  ASSERT_EQ(canvas->GetPoints().GetCount(), 1u);
  using Overlay = orv::orv_OverlayingModule<unsigned short, bool>;
  auto* overlay = orvview::FindModule<Overlay>(frame);
  auto* points = orvview::FindModule<orv::orv_PointSetModule<unsigned short>>(frame);
  ASSERT_TRUE(overlay && points);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  auto colours = [&] {
    orvtest::PaintNow(canvas->GetDrWin(orv::PROJ_XY));
    const wxImage xy = canvas->GetDrWin(orv::PROJ_XY)->GetBitmapImage();
    const unsigned z = unsigned(canvas->GetCut().z);
    return std::vector<std::string>{orvtest::Rgb(orvtest::ColourAtVoxel(*canvas, xy, orv::PROJ_XY, {4, 8, z})),
                                    orvtest::Rgb(orvtest::ColourAtVoxel(*canvas, xy, orv::PROJ_XY, {8, 8, z})),
                                    orvtest::Rgb(orvtest::ColourAtVoxel(*canvas, xy, orv::PROJ_XY, {15, 8, z}))};
  };
  // Label 2's outline in green, its inside the image, the point's marker yellow.
  const std::vector<std::string> both = colours();
  EXPECT_EQ(both[0], "(0, 255, 0)");
  EXPECT_EQ(both[1], colours()[1]);
  EXPECT_EQ(both[2], "(255, 255, 0)");
  auto command = [&](int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
  };
  command(overlay->GetMenuId(Overlay::MENU_ENABLE));
  const std::vector<std::string> noOutlines = colours();
  EXPECT_EQ(noOutlines[0], both[1]) << "the outline went with the overlay";
  EXPECT_EQ(noOutlines[2], "(255, 255, 0)") << "the marker stays";
  command(points->GetMenuId(orv::orv_PointSetModule<unsigned short>::MENU_SAVE));
  EXPECT_EQ(iotest::FileBytes(dir / "p.txt"), "Gravity(1)\tGravity(2)\tGravity(3)\n15\t8\t4\n");
}
