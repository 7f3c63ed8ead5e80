// The surfaces of labelled objects in the volume window of a real labeled
// viewer: built when the window opens, in the overlay's colours, following
// the overlay switch and colour changes without a rebuild, rebuilt on
// Reload, and drawn where the volume shows the labelled voxels.

#include "gui_test.h"
#include "isosurface_builder.h"
#include "label_surfaces.h"
#include "volume_view.h"

#include <orv/basic_overlaying.h>
#include <orv/orv_factory.h>
#include <orv/orv_ids.h>
#include <orv/orv_labeledcanvas.h>
#include <orv/orv_palette.h>
#include <orv/vol3d_canvas.h>
#include <orv/vol3d_window.h>

#include <wx/colordlg.h>
#include <wx/progdlg.h>
#include <wx/timer.h>

#include <chrono>
#include <thread>

using namespace orv;
using bix::Vector3d;
using Labels = bix::LabeledImage3d<unsigned short, bool>;
using Module = orv_OverlayingModule<unsigned short, bool>;
using RGB8 = bix::RGB_generic<unsigned char>;

namespace {

// 40 x 30 x 20 voxels of 1 micron: label 1 over x 15..24 (centred) and
// label 2 over x 28..37, both over y 4..15 and z 4..13; the image is bright
// only under label 1.
constexpr unsigned kX = 40, kY = 30, kZ = 20;
bool InBox(unsigned x, unsigned y, unsigned z, unsigned x0) {
  return x >= x0 && x <= x0 + 9 && y >= 4 && y <= 15 && z >= 4 && z <= 13;
}

class LabelSurfacesTest : public ::testing::Test {
protected:
  void SetUp() override {
    const bix::Resolution res(Vector3d<float>(1, 1, 1));
    auto* image = new bix::Image3d<unsigned char>(Vector3d<unsigned>(kX, kY, kZ), nullptr, &res);
    labels = new Labels(Vector3d<unsigned>(kX, kY, kZ), nullptr, &res);
    for (unsigned z = 0; z < kZ; ++z)
      for (unsigned y = 0; y < kY; ++y)
        for (unsigned x = 0; x < kX; ++x) {
          image->GetVoxel(x, y, z) = InBox(x, y, z, 15) ? 255 : 0;
          labels->GetVoxel(x, y, z) = InBox(x, y, z, 15) ? 1 : InBox(x, y, z, 28) ? 2 : 0;
        }
    labels->UpdateComponents();
    frame = orv_CreateLabeledImage3dFrame<unsigned char, unsigned short, bool>(image, labels, true, true, nullptr,
                                                                               wxID_ANY, "surfaces");
    ASSERT_TRUE(orvtest::ShowAndActivate(frame));
    auto* canvas = dynamic_cast<orv_LabeledImageOrthoscopeCanvas<unsigned char, unsigned short, bool>*>(
        frame->GetCanvas());
    module = dynamic_cast<Module*>(&canvas->GetOverlayer());
    ASSERT_NE(module, nullptr);
  }
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  vol3D_VolVisCanvas* OpenVolume() {
    frame->ProcessCommand(ID_VOLUME_VISUALIZATION);
    auto* volume = dynamic_cast<vol3D_VolVisFrame*>(frame->GetCanvas()->GetVolumeFrame());
    return volume ? volume->GetCanvas() : nullptr;
  }
  void Overlay(int offset) {
    wxCommandEvent event(wxEVT_MENU, module->GetMenuId(offset));
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
  }

  orv_OrthoscopeFrame* frame = nullptr;
  Labels* labels = nullptr;
  Module* module = nullptr;
};

// The mean position of the pixels that pass `test`, and how many there are.
template <class Test>
wxRealPoint Centroid(const wxImage& image, Test test, int& count) {
  double sx = 0, sy = 0;
  count = 0;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x)
      if (test(orvtest::PixelAt(image, x, y))) sx += x, sy += y, ++count;
  return count ? wxRealPoint(sx / count, sy / count) : wxRealPoint();
}

}  // namespace

TEST_F(LabelSurfacesTest, OpeningTheVolumeWindowBuildsOneSurfacePerObject) {
  vol3D_VolVisCanvas* volume = OpenVolume();
  ASSERT_NE(volume, nullptr);
  IsosurfaceBuilder builder;
  ASSERT_TRUE(builder.Build(labels->GetFirstVoxelAddr(), LabelIndexMap(labels->GetComponents()), kX, kY, kZ, 1, 1, 1));
  ASSERT_EQ(volume->GetIsosurfaceCount(), 2u);
  EXPECT_EQ(volume->GetIsosurfaceUploads(), 1u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(volume->GetIsosurfaceLabel(i), i + 1);
    EXPECT_EQ(volume->GetIsosurfaceTriangles(i), builder.GetMeshes()[i].TriangleCount());
    EXPECT_GT(volume->GetIsosurfaceTriangles(i), 0u);
  }
  EXPECT_EQ(volume->IsIsosurfaceShown(), module->GetOverlaying());
  EXPECT_EQ(volume->GetIsosurfaceColours(), MakePalette(3));
}

TEST_F(LabelSurfacesTest, SurfacesFollowTheOverlayWithoutARebuildAndReloadRebuildsThem) {
  vol3D_VolVisCanvas* volume = OpenVolume();
  ASSERT_NE(volume, nullptr);
  Overlay(Module::MENU_COMPONENTS);
  EXPECT_TRUE(volume->IsIsosurfaceShown());
  Overlay(Module::MENU_ENABLE);
  EXPECT_FALSE(volume->IsIsosurfaceShown());
  Overlay(Module::MENU_ENABLE);
  wxTEST_DIALOG(Overlay(Module::MENU_CHOOSE_COLOUR),
                orvtest::AnswerColourDialog([](wxColourData& data) { data.SetColour(wxColour(0, 0, 255)); }));
  EXPECT_EQ(volume->GetIsosurfaceColours(), std::vector<RGB8>{RGB8(0, 0, 255)});
  EXPECT_EQ(volume->GetIsosurfaceUploads(), 1u);

  // The host changes the labels in place and asks for a reload: label 2 is gone.
  for (unsigned short* v = labels->GetFirstVoxelAddr(); v != labels->GetFirstVoxelAddr() + labels->GetVoxelCount();
       ++v)
    if (*v == 2) *v = 0;
  labels->UpdateComponents();
  Overlay(Module::MENU_RELOAD);
  EXPECT_EQ(volume->GetIsosurfaceUploads(), 2u);
  EXPECT_EQ(volume->GetIsosurfaceCount(), 1u);

  // While the window is hidden a reload leaves the surfaces, not the colours.
  frame->GetCanvas()->GetVolumeFrame()->Hide();
  Overlay(Module::MENU_RELOAD);
  Overlay(Module::MENU_DEFAULT_PALETTE);
  EXPECT_EQ(volume->GetIsosurfaceUploads(), 2u);
  EXPECT_EQ(volume->GetIsosurfaceColours(), MakePalette(3));
}

// Drawn alone (the volume's threshold lets no voxel through), the surface of
// label 1 is red where the volume alone shows that object's bright voxels.
TEST_F(LabelSurfacesTest, SurfacesLieOnTheirVoxelsInTheLabelColour) {
  vol3D_VolVisCanvas* volume = OpenVolume();
  ASSERT_NE(volume, nullptr);
  wxFrame* window = frame->GetCanvas()->GetVolumeFrame();
  ASSERT_TRUE(orvtest::ShowAndActivate(dynamic_cast<wxTopLevelWindow*>(window)));
  volume->SetDrawBox(false);
  volume->SetDrawPlane(false);
  if (module->GetOverlaying()) Overlay(Module::MENU_ENABLE);
  ASSERT_FALSE(volume->IsIsosurfaceShown());
  int bright = 0, red = 0, green = 0;
  const wxRealPoint voxels = Centroid(
      vol3D_RenderImage(window), [](const wxColour& c) { return c.Red() > 60 && c.Red() == c.Green(); }, bright);
  ASSERT_GT(bright, 100);

  Overlay(Module::MENU_COMPONENTS);
  volume->ViewState().threshold = 1.0f;
  const wxImage surfaces = vol3D_RenderImage(window);
  // Lit: the light's highlight whitens the faces that look at the viewer.
  const wxRealPoint label1 = Centroid(
      surfaces, [](const wxColour& c) { return c.Red() > 150 && c.Red() > c.Green() + 60 && c.Green() == c.Blue(); },
      red);
  const wxRealPoint label2 = Centroid(
      surfaces, [](const wxColour& c) { return c.Green() > 150 && c.Green() > c.Red() + 60 && c.Red() == c.Blue(); },
      green);
  ASSERT_GT(red, 100);
  ASSERT_GT(green, 100);
  // A voxel is about 9.5 pixels wide here. Across x the object is centred,
  // so the volume's depth shows around the same middle as the surface;
  // along y perspective draws its far part a little nearer the window's
  // centre. A flipped y axis would be 57 pixels off.
  EXPECT_NEAR(label1.x, voxels.x, 1.0);
  EXPECT_NEAR(label1.y, voxels.y, 3.0);
  EXPECT_NEAR(label2.y, label1.y, 1.0);
  EXPECT_GT(label2.x, label1.x + 100);
  const wxColour middle = orvtest::PixelAt(surfaces, int(label1.x), int(label1.y));
  EXPECT_GE(middle.Red(), 230);
  EXPECT_LE(middle.Green(), middle.Red() - 80);
  EXPECT_EQ(middle.Green(), middle.Blue());
}

// A label image whose list of objects misses a label it holds: that label
// gets no surface, the others do, and the log says so.
TEST_F(LabelSurfacesTest, LabelsMissingFromTheObjectListAreLeftOutAndLogged) {
  labels->SetComponents({2});
  auto* log = new orvtest::RecordingLog;
  wxLog* previous = wxLog::SetActiveTarget(log);
  vol3D_VolVisCanvas* volume = OpenVolume();
  wxLog::FlushActive();
  const auto records = log->records;
  delete wxLog::SetActiveTarget(previous);
  ASSERT_NE(volume, nullptr);
  ASSERT_EQ(volume->GetIsosurfaceCount(), 1u);
  EXPECT_EQ(volume->GetIsosurfaceLabel(0), 2u);
  EXPECT_GT(volume->GetIsosurfaceTriangles(0), 0u);
  const auto warning = std::find_if(records.begin(), records.end(), [](const auto& r) { return r.first == wxLOG_Warning; });
  ASSERT_NE(warning, records.end());
  EXPECT_EQ(warning->second, "The label image holds labels that are not in its list of objects (the smallest is 1); "
                             "their voxels get no surface.");
}

// 32-bit labels beyond the 16-bit range get their surfaces as well.
TEST(LabelSurfaces32, WideLabelsGetTheirSurfaces) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  auto* image = new bix::Image3d<unsigned char>(Vector3d<unsigned>(12, 10, 8), nullptr, &res);
  auto* labels = new bix::LabeledImage3d<unsigned int, unsigned char>(Vector3d<unsigned>(12, 10, 8), nullptr, &res);
  for (unsigned z = 2; z < 6; ++z)
    for (unsigned y = 2; y < 7; ++y)
      for (unsigned x = 3; x < 9; ++x) labels->GetVoxel(x, y, z) = 70000;
  labels->UpdateComponents();
  orv_OrthoscopeFrame* frame = orv_CreateLabeledImage3dFrame<unsigned char, unsigned int, unsigned char>(
      image, labels, true, true, nullptr, wxID_ANY, "wide labels");
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  frame->ProcessCommand(ID_VOLUME_VISUALIZATION);
  auto* volume = dynamic_cast<vol3D_VolVisFrame*>(frame->GetCanvas()->GetVolumeFrame());
  ASSERT_NE(volume, nullptr);
  ASSERT_EQ(volume->GetCanvas()->GetIsosurfaceCount(), 1u);
  EXPECT_EQ(volume->GetCanvas()->GetIsosurfaceLabel(0), 70000u);
  EXPECT_GT(volume->GetCanvas()->GetIsosurfaceTriangles(0), 0u);
  EXPECT_EQ(volume->GetCanvas()->GetIsosurfaceColours().size(), 14u);
  for (wxWindow* w : wxTopLevelWindows) w->Destroy();
  orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
}

// A build that outlasts the delay shows its progress; Cancel asks it to
// stop, and the call returns once it has.
TEST(SurfaceProgress, ALongBuildShowsItsProgressAndCancelStopsIt) {
  SetSurfaceProgressDelay(0);
  IsosurfaceBuilder::Progress progress;
  wxString said;
  wxTimer timer;
  timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* dialog = dynamic_cast<wxGenericProgressDialog*>(w); dialog && progress.layers > 3) {
        said = dialog->GetMessage();
        wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
        dialog->ProcessWindowEvent(cancel);
      }
  });
  timer.Start(20);
  int steps = 0;
  BuildUnderProgress(
      nullptr,
      [&] {
        for (; steps < 2000 && !progress.cancel; ++steps) {
          ++progress.layers;
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
      },
      progress, 2000, 7);
  timer.Stop();
  SetSurfaceProgressDelay(1000);
  EXPECT_TRUE(progress.cancel);
  EXPECT_LT(steps, 2000) << "the build ran to its end";
  EXPECT_EQ(said, "Building the surfaces of 7 objects...");
  orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
}
