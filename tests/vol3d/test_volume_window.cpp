// The volume window on Mesa's llvmpipe: start-up messages, menus, keys and
// the status bar, pictures read back from the GL back buffer, the clipping
// plane, preset views, view files, hiding and showing again.

#include "gui_test.h"
#include "../support/test_mappers.h"
#include "volume_texture.h"
#include "volume_view.h"
#include "volume_window.h"

#include <orv/vol3d_canvas.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

using namespace orv;
using bix::Vector3d;
using RGB8 = bix::RGB_generic<unsigned char>;

namespace {

using orvtest::GrayMapper;

using orvtest::RecordingLog;

// n^3 voxels of 1 micron, value `outside`, with the box [lo, hi]^3 at `inside`.
bix::Image3d<unsigned char> Cube(unsigned n, unsigned lo, unsigned hi, unsigned char inside, unsigned char outside = 0) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned char> image(Vector3d<unsigned>(n, n, n), nullptr, &res);
  for (unsigned z = 0; z < n; ++z)
    for (unsigned y = 0; y < n; ++y)
      for (unsigned x = 0; x < n; ++x) {
        const bool in = x >= lo && x <= hi && y >= lo && y <= hi && z >= lo && z <= hi;
        image.GetVoxel(x, y, z) = in ? inside : outside;
      }
  return image;
}

bool IsBlack(const wxColour& c) { return c.Red() == 0 && c.Green() == 0 && c.Blue() == 0; }
bool IsBright(const wxColour& c) { return c.Red() > 60 && c.Green() > 60 && c.Blue() > 60; }

class VolumeWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    frame = new vol3D_VolVisFrame(nullptr, wxID_ANY, "Volume visualization", wxDefaultPosition, wxSize(240, 240));
    canvas = frame->GetCanvas();
    ASSERT_TRUE(canvas->Init());
    ASSERT_TRUE(orvtest::PumpUntil([this] { return canvas->IsShownOnScreen(); }));
  }
  void TearDown() override {
    if (frame) frame->Destroy();
    orvtest::Pump();
  }

  void Upload(const bix::Image3d<unsigned char>& image) {
    VolumeTexture texture;
    ASSERT_TRUE(BuildVolumeTexture(image, GrayMapper(), 1, texture));
    canvas->SetVolumeData(texture.rgba.get(), texture.size, texture.scale, texture.factor);
    ASSERT_TRUE(canvas->IsTextureValid());
  }
  wxImage Picture() { return vol3D_RenderImage(frame); }
  wxColour Centre(const wxImage& image) { return orvtest::PixelAt(image, image.GetWidth() / 2, image.GetHeight() / 2); }
  // Where model point p appears in the start view (distance -5, no rotation).
  wxPoint ScreenOf(float x, float y, float z) {
    const wxSize size = canvas->GetClientSize();
    const auto proj = VolumeProjection(size.x, size.y);
    const double ez = z - 5.0;
    const double nx = proj[0] * x / -ez, ny = proj[5] * y / -ez;
    return wxPoint(static_cast<int>((nx + 1) / 2 * size.x), static_cast<int>((1 - ny) / 2 * size.y));
  }
  bool Key(int code) {
    wxKeyEvent event(wxEVT_CHAR);
    event.m_keyCode = code;
    event.SetEventObject(canvas);
    const bool handled = canvas->GetEventHandler()->ProcessEvent(event);
    Picture();  // a repaint writes the status bar
    return handled;
  }
  wxString Status(int field) { return frame->GetStatusBar()->GetStatusText(field); }

  vol3D_VolVisFrame* frame = nullptr;
  vol3D_VolVisCanvas* canvas = nullptr;
};

}  // namespace

TEST(VolumeWindowStart, InitLogsTheDriverVerboselyAndTheCanvasIsNamed) {
  auto* log = new RecordingLog;
  wxLog* previous = wxLog::SetActiveTarget(log);
  // Not in the user's way: nothing unless the log is verbose.
  auto* quiet = new vol3D_VolVisFrame(nullptr, wxID_ANY, "Volume visualization");
  ASSERT_TRUE(quiet->GetCanvas()->Init());
  quiet->Destroy();
  wxLog::FlushActive();
  EXPECT_TRUE(log->records.empty());
  wxLog::SetVerbose(true);
  auto* frame = new vol3D_VolVisFrame(nullptr, wxID_ANY, "Volume visualization");
  const bool ok = frame->GetCanvas()->Init();
  wxLog::FlushActive();
  wxLog::SetVerbose(false);
  const auto records = log->records;
  delete wxLog::SetActiveTarget(previous);
  ASSERT_TRUE(ok);
  const wxString vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
  const wxString renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const wxString version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].second, "Starting OpenGL window");
  EXPECT_EQ(records[1].second, "Vendor: " + vendor);
  EXPECT_EQ(records[2].second, "Renderer: " + renderer);
  EXPECT_EQ(records[3].second, "Version: " + version);
  for (const auto& r : records) EXPECT_EQ(r.first, wxLOG_Info);
  EXPECT_TRUE(frame->IsShown());
  EXPECT_EQ(frame->GetCanvas()->GetName(), "VolGLCanvas");
  EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 3);
  EXPECT_GE(frame->GetCanvas()->GetMax3dTextureSize(), 256);
  frame->Destroy();
  orvtest::Pump();
}

TEST_F(VolumeWindowTest, TheMenusAreExactlyTheTable) {
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 2u);
  EXPECT_EQ(bar->GetMenuLabel(0), "&View");
  EXPECT_EQ(bar->GetMenuLabel(1), "&Help");
  const wxMenuItemList& help = bar->GetMenu(1)->GetMenuItems();
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0]->GetId(), 5006);
  EXPECT_EQ(help[0]->GetItemLabel(), "&Help\tCtrl-H");
  EXPECT_EQ(help[0]->GetHelp(), "Shows this window's help");
  struct Row {
    int id;
    const char* label;
    wxItemKind kind;
    const char* help;
  };
  const Row rows[] = {
      {5007, "x+", wxITEM_NORMAL, "View along positive x axis"},
      {5008, "x-", wxITEM_NORMAL, "View along negative x axis"},
      {5009, "y+", wxITEM_NORMAL, "View along positive y axis"},
      {5010, "y-", wxITEM_NORMAL, "View along negative y axis"},
      {5011, "z+", wxITEM_NORMAL, "View along positive z axis"},
      {5012, "z-", wxITEM_NORMAL, "View along negative z axis"},
      {wxID_SEPARATOR, "", wxITEM_SEPARATOR, ""},
      {10002, "&White background", wxITEM_CHECK, "Draw white background instead of black"},
      {10003, "Hide &clipping plane", wxITEM_CHECK, "Hide the clipping plane"},
      {10004, "Hide &box", wxITEM_CHECK, "Hide the view box"},
      {wxID_SEPARATOR, "", wxITEM_SEPARATOR, ""},
      {10007, "&Compositing", wxITEM_RADIO, "Blend the volume's samples back to front"},
      {10008, "Maximum &intensity", wxITEM_RADIO, "Show the brightest sample along each ray (maximum-intensity projection)"},
      {wxID_SEPARATOR, "", wxITEM_SEPARATOR, ""},
      {10009, "S&mooth surfaces", wxITEM_CHECK, "Smooth the surfaces of labelled objects, keeping their volume"},
      {wxID_SEPARATOR, "", wxITEM_SEPARATOR, ""},
      {10005, "&Save view", wxITEM_NORMAL, "Save current view to a file"},
      {10006, "&Load view", wxITEM_NORMAL, "Load view from a file"},
  };
  const wxMenuItemList& view = bar->GetMenu(0)->GetMenuItems();
  ASSERT_EQ(view.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(view[i]->GetKind(), rows[i].kind) << i;
    if (rows[i].kind == wxITEM_SEPARATOR) continue;
    EXPECT_EQ(view[i]->GetId(), rows[i].id);
    EXPECT_EQ(view[i]->GetItemLabel(), rows[i].label);
    EXPECT_EQ(view[i]->GetHelp(), rows[i].help);
  }
}

TEST_F(VolumeWindowTest, KeysChangeTheStatusBarWithinTheirLimitsAndOthersPassOn) {
  Upload(Cube(8, 2, 5, 255));
  Picture();
  EXPECT_EQ(Status(0), "Mode: Moving Object");
  EXPECT_EQ(Status(1), "# slices: 100, intensity: 0.50, threshold: 0.50");
  EXPECT_TRUE(Key(WXK_SPACE));
  EXPECT_EQ(Status(0), "Mode: Moving Plane");
  EXPECT_TRUE(Key('+'));
  EXPECT_EQ(Status(1), "# slices: 110, intensity: 0.50, threshold: 0.50");
  for (int i = 0; i < 11; ++i) EXPECT_TRUE(Key('-'));
  EXPECT_EQ(Status(1), "# slices: 0, intensity: 0.50, threshold: 0.50");
  EXPECT_TRUE(Key('-'));
  EXPECT_EQ(Status(1), "# slices: 0, intensity: 0.50, threshold: 0.50");
  EXPECT_TRUE(Key(WXK_UP));
  EXPECT_TRUE(Key(WXK_LEFT));
  EXPECT_EQ(Status(1), "# slices: 0, intensity: 0.53, threshold: 0.47");
  for (int i = 0; i < 20; ++i) Key(WXK_UP), Key(WXK_RIGHT);
  EXPECT_EQ(Status(1), "# slices: 0, intensity: 1.00, threshold: 1.00");
  for (int i = 0; i < 40; ++i) Key(WXK_DOWN), Key(WXK_LEFT);
  EXPECT_EQ(Status(1), "# slices: 0, intensity: 0.00, threshold: 0.00");
  EXPECT_FALSE(Key('a'));
  EXPECT_FALSE(Key(WXK_F5));
  EXPECT_EQ(Status(0), "Mode: Moving Plane");
  // ESC asks the frame to close: it hides.
  EXPECT_TRUE(Key(WXK_ESCAPE));
  EXPECT_FALSE(frame->IsShown());
}

TEST_F(VolumeWindowTest, AnAllBlackVolumeDrawsOnlyBackgroundBoxAndPlaneOutline) {
  Upload(Cube(16, 0, 0, 0));
  const wxImage picture = Picture();
  int blue = 0, red = 0, other = 0;
  for (int y = 0; y < picture.GetHeight(); ++y)
    for (int x = 0; x < picture.GetWidth(); ++x) {
      const wxColour c = orvtest::PixelAt(picture, x, y);
      if (IsBlack(c)) continue;
      if (c.Red() == 0 && c.Green() == 0 && (c.Blue() == 178 || c.Blue() == 179))
        ++blue;
      else if (c.Red() == 255 && c.Green() == 0 && c.Blue() == 0)
        ++red;
      else
        ++other;
    }
  EXPECT_GT(blue, 100);
  EXPECT_GT(red, 0);
  EXPECT_EQ(other, 0);
  // Without box and plane: nothing at all.
  canvas->SetDrawBox(false);
  canvas->SetDrawPlane(false);
  const wxImage empty = Picture();
  for (int y = 0; y < empty.GetHeight(); ++y)
    for (int x = 0; x < empty.GetWidth(); ++x) ASSERT_TRUE(IsBlack(orvtest::PixelAt(empty, x, y))) << x << ',' << y;
}

TEST_F(VolumeWindowTest, ABrightCubeShowsAtTheCentreAndVanishesAtIntensityZeroAndThresholdOne) {
  Upload(Cube(16, 4, 11, 255));
  wxImage picture = Picture();
  EXPECT_TRUE(IsBright(Centre(picture))) << Centre(picture).GetAsString().ToStdString();
  EXPECT_TRUE(IsBlack(orvtest::PixelAt(picture, 3, 3)));
  const wxPoint outside = ScreenOf(0.75f, 0, 0);  // inside the box, outside the cube
  EXPECT_TRUE(IsBlack(orvtest::PixelAt(picture, outside.x, outside.y)));
  for (int i = 0; i < 16; ++i) Key(WXK_DOWN);
  EXPECT_TRUE(IsBlack(Centre(Picture())));
  canvas->ResetView();
  EXPECT_TRUE(IsBright(Centre(Picture())));
  for (int i = 0; i < 16; ++i) Key(WXK_RIGHT);
  EXPECT_TRUE(IsBlack(Centre(Picture())));
}

TEST_F(VolumeWindowTest, TheClippingPlaneRemovesTheHalfBeyondItAfterARotation) {
  Upload(Cube(16, 0, 15, 255));
  canvas->SetDrawPlane(false);
  const wxPoint left = ScreenOf(-0.5f, 0, 0), right = ScreenOf(0.5f, 0, 0), up = ScreenOf(0, 0.5f, 0),
                down = ScreenOf(0, -0.5f, 0);
  wxImage picture = Picture();
  for (const wxPoint& p : {left, right, up, down}) EXPECT_TRUE(IsBright(orvtest::PixelAt(picture, p.x, p.y)));
  // Through the centre with normal +x: the half x > 0 goes.
  canvas->ViewState().planeOffset = 0;
  picture = Picture();
  EXPECT_TRUE(IsBright(orvtest::PixelAt(picture, left.x, left.y)));
  EXPECT_TRUE(IsBlack(orvtest::PixelAt(picture, right.x, right.y)));
  // Turned by 90 degrees about z the normal points up: the upper half goes.
  canvas->ViewState().plane = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  picture = Picture();
  EXPECT_TRUE(IsBright(orvtest::PixelAt(picture, down.x, down.y)));
  EXPECT_TRUE(IsBlack(orvtest::PixelAt(picture, up.x, up.y)));
  const wxPoint lowerRight = ScreenOf(0.5f, -0.3f, 0);
  EXPECT_TRUE(IsBright(orvtest::PixelAt(picture, lowerRight.x, lowerRight.y)));
}

TEST_F(VolumeWindowTest, LeftDragsTurnTheModelOrInPlaneModeThePlane) {
  Upload(Cube(8, 2, 5, 255));
  const wxSize size = canvas->GetClientSize();
  const wxPoint centre(size.x / 2, size.y / 2);
  auto drag = [&] {
    orvtest::SendMouse(canvas, wxEVT_LEFT_DOWN, centre);
    // Motion carries the button state: build the event by hand.
    wxMouseEvent move(wxEVT_MOTION);
    move.m_x = centre.x + size.x / 4;
    move.m_y = centre.y;
    move.m_leftDown = true;
    canvas->GetEventHandler()->ProcessEvent(move);
    Picture();
    orvtest::SendMouse(canvas, wxEVT_LEFT_UP, centre + wxPoint(size.x / 4, 0));
    Picture();
  };
  drag();
  EXPECT_NE(canvas->GetViewState().model, kIdentity4f);
  EXPECT_EQ(canvas->GetViewState().plane, kIdentity4f);
  EXPECT_TRUE(IsRotationMatrix(canvas->GetViewState().model));
  const Matrix4f model = canvas->GetViewState().model;
  Key(WXK_SPACE);
  drag();
  EXPECT_EQ(canvas->GetViewState().model, model);
  EXPECT_NE(canvas->GetViewState().plane, kIdentity4f);
  // Released: further repaints turn nothing.
  const Matrix4f plane = canvas->GetViewState().plane;
  Picture();
  EXPECT_EQ(canvas->GetViewState().plane, plane);

  // Each motion turns the model as it happens: repaints between the motions
  // (or none) change nothing.
  Key(WXK_SPACE);
  auto turn = [&](int paints) {
    canvas->SetViewAlong(-5, Vector3d<float>(0, 0, -1), Vector3d<float>(0, 1, 0));
    orvtest::SendMouse(canvas, wxEVT_LEFT_DOWN, centre);
    for (int k = 1; k <= 3; ++k) {
      wxMouseEvent move(wxEVT_MOTION);
      move.m_x = centre.x + k * size.x / 12;
      move.m_y = centre.y + k * size.y / 20;
      move.m_leftDown = true;
      canvas->GetEventHandler()->ProcessEvent(move);
      for (int p = 0; p < paints; ++p) Picture();
    }
    orvtest::SendMouse(canvas, wxEVT_LEFT_UP, centre);
    return canvas->GetViewState().model;
  };
  const Matrix4f unpainted = turn(0);
  EXPECT_TRUE(IsRotationMatrix(unpainted));
  EXPECT_EQ(turn(1), unpainted);
  EXPECT_EQ(turn(3), unpainted);
}

TEST_F(VolumeWindowTest, RightDragsMoveTheModelOrThePlane) {
  Upload(Cube(8, 2, 5, 255));
  orvtest::SendMouse(canvas, wxEVT_RIGHT_DOWN, wxPoint(50, 50));
  wxMouseEvent move(wxEVT_MOTION);
  move.m_x = 50;
  move.m_y = 70;
  move.m_rightDown = true;
  canvas->GetEventHandler()->ProcessEvent(move);
  EXPECT_FLOAT_EQ(canvas->GetViewState().distance, -4.8f);
  Key(WXK_SPACE);
  move.m_y = 40;
  canvas->GetEventHandler()->ProcessEvent(move);
  EXPECT_NEAR(canvas->GetViewState().planeOffset, 1.3, 1e-6);
  orvtest::SendMouse(canvas, wxEVT_RIGHT_UP, wxPoint(50, 40));
  move.m_y = 0;
  canvas->GetEventHandler()->ProcessEvent(move);
  EXPECT_NEAR(canvas->GetViewState().planeOffset, 1.3, 1e-6);
}

TEST_F(VolumeWindowTest, PresetViewsGiveLookAtMatricesAndKeepThePlane) {
  const struct {
    int id;
    std::array<float, 3> forward, up;
  } views[] = {{5007, {1, 0, 0}, {0, 1, 0}}, {5008, {-1, 0, 0}, {0, 1, 0}}, {5009, {0, 1, 0}, {0, 0, -1}}, {5010, {0, -1, 0}, {0, 0, -1}}, {5011, {0, 0, 1}, {0, 1, 0}}, {5012, {0, 0, -1}, {0, 1, 0}}};
  canvas->ViewState().plane = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  canvas->ViewState().planeOffset = 0.25;
  const Matrix4f plane = canvas->GetViewState().plane;
  for (const auto& v : views) {
    canvas->ViewState().distance = -2;
    wxCommandEvent command(wxEVT_MENU, v.id);
    frame->GetEventHandler()->ProcessEvent(command);
    EXPECT_EQ(canvas->GetViewState().model, LookAtRotation(v.forward, v.up)) << v.id;
    EXPECT_EQ(canvas->GetViewState().distance, -5.0f);
    EXPECT_EQ(canvas->GetViewState().plane, plane);
    EXPECT_EQ(canvas->GetViewState().planeOffset, 0.25);
  }
}

TEST_F(VolumeWindowTest, CheckItemsSwitchBackgroundPlaneAndBox) {
  Upload(Cube(8, 0, 0, 0));
  auto check = [&](int id, bool on) {
    frame->GetMenuBar()->Check(id, on);
    wxCommandEvent command(wxEVT_MENU, id);
    command.SetInt(on);
    frame->GetEventHandler()->ProcessEvent(command);
  };
  check(10002, true);
  EXPECT_EQ(orvtest::PixelAt(Picture(), 2, 2), *wxWHITE);
  check(10003, true);
  check(10004, true);
  EXPECT_FALSE(canvas->GetViewState().drawPlane);
  EXPECT_FALSE(canvas->GetViewState().drawBox);
  check(10002, false);
  check(10004, false);
  EXPECT_TRUE(IsBlack(orvtest::PixelAt(Picture(), 2, 2)));
  EXPECT_TRUE(canvas->GetViewState().drawBox);
}

TEST_F(VolumeWindowTest, ViewFilesRoundTripAndReportWhatFails) {
  const std::string path = testing::TempDir() + "view.orvview";
  VolumeViewState& v = canvas->ViewState();
  v.distance = -3.5f;
  v.model = LookAtRotation({0.6f, 0, 0.8f}, {0, 1, 0});
  v.planeOffset = 0.3125;
  v.plane = LookAtRotation({0, 0, 1}, {0, 1, 0});
  const VolumeViewState saved = v;
  ASSERT_TRUE(canvas->SaveViewTo(path));
  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, FormatViewFile(saved));
  EXPECT_EQ(text.rfind("-3.50000000000 ", 0), 0u) << text;
  canvas->ResetView();
  ASSERT_TRUE(canvas->LoadViewFrom(path));
  EXPECT_EQ(v.distance, saved.distance);
  EXPECT_EQ(v.model, saved.model);
  EXPECT_EQ(v.planeOffset, saved.planeOffset);
  EXPECT_EQ(v.plane, saved.plane);

  std::ofstream(path) << "-7.25";
  ASSERT_TRUE(canvas->LoadViewFrom(path));
  EXPECT_EQ(v.distance, -7.25f);
  EXPECT_EQ(v.model, saved.model);
  EXPECT_EQ(v.planeOffset, saved.planeOffset);

  wxTEST_DIALOG(EXPECT_FALSE(canvas->LoadViewFrom(testing::TempDir() + "missing.orvview")),
                orvtest::ExpectMessageBox("Unable to open file.", "Message"));
  EXPECT_EQ(v.distance, -7.25f);
  wxTEST_DIALOG(EXPECT_FALSE(canvas->SaveViewTo("/nonexistent-folder/view.orvview")),
                orvtest::ExpectMessageBox("Unable to create file: no new file can be made in its directory (No such "
                                          "file or directory).",
                                          "Message"));
  std::remove(path.c_str());
}

TEST_F(VolumeWindowTest, ImageRowZeroLiesAtTheHighEndOfModelYAsTheLabelMeshesPlaceIt) {
  // Bright voxels in image rows 0..3 (the top of the XY window), x and z 4..11.
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned char> image(Vector3d<unsigned>(16, 16, 16), nullptr, &res);
  for (unsigned z = 4; z <= 11; ++z)
    for (unsigned y = 0; y <= 3; ++y)
      for (unsigned x = 4; x <= 11; ++x) image.GetVoxel(x, y, z) = 255;
  Upload(image);
  canvas->SetDrawPlane(false);
  canvas->SetDrawBox(false);
  // The label mesh of that block as the isosurface builder places it:
  // voxel (x, y, z) at (x, 15 - y, z) * 2 / 16 + offset (-1, -1, -1); its
  // front face is enough here.
  const float s = 0.125f;
  const float x0 = 4 * s - 1, x1 = 11 * s - 1, y0 = (15 - 3) * s - 1, y1 = 15 * s - 1, zf = 11 * s - 1;
  const wxPoint top = ScreenOf((x0 + x1) / 2, (y0 + y1) / 2, 0), bottom = ScreenOf((x0 + x1) / 2, -(y0 + y1) / 2, 0);
  ASSERT_LT(top.y, bottom.y);
  wxImage picture = Picture();
  EXPECT_TRUE(IsBright(orvtest::PixelAt(picture, top.x, top.y)));
  EXPECT_TRUE(IsBlack(orvtest::PixelAt(picture, bottom.x, bottom.y)));

  vol3D_SurfaceMesh mesh;
  mesh.positions = {x0 + 1, y0 + 1, zf + 1, x1 + 1, y0 + 1, zf + 1, x1 + 1, y1 + 1, zf + 1, x0 + 1, y1 + 1, zf + 1};
  mesh.triangles = {0, 1, 2, 0, 2, 3};
  mesh.label = 1;
  canvas->SetIsosurfaceMeshes({mesh}, Vector3d<float>(-1, -1, -1));
  canvas->SetIsosurfaceDisplay(true, {RGB8(0, 0, 0), RGB8(255, 0, 0)});
  EXPECT_TRUE(canvas->IsIsosurfaceShown());
  Upload(Cube(16, 0, 0, 0));  // a transparent volume: the mesh alone
  picture = Picture();
  EXPECT_EQ(orvtest::PixelAt(picture, top.x, top.y), *wxRED);
  EXPECT_TRUE(IsBlack(orvtest::PixelAt(picture, bottom.x, bottom.y)));
}

TEST_F(VolumeWindowTest, AStackOverTheTextureLimitIsShownReduced) {
  const unsigned wide = static_cast<unsigned>(canvas->GetMax3dTextureSize()) + 40;
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned char> image(Vector3d<unsigned>(wide, 600, 48), nullptr, &res);
  for (unsigned z = 0; z < 48; ++z)
    for (unsigned y = 0; y < 600; ++y)
      for (unsigned x = wide / 2 - 200; x < wide / 2 + 200; ++x) image.GetVoxel(x, y, z) = 255;
  UpdateVolumeWindow(frame, image, GrayMapper());
  ASSERT_TRUE(canvas->IsTextureValid());
  const wxImage picture = Picture();
  EXPECT_TRUE(IsBright(Centre(picture)));
  EXPECT_EQ(Status(1), "# slices: 100, intensity: 0.50, threshold: 0.50");
  EXPECT_EQ(Status(2), "downsampled 2x");
}

TEST_F(VolumeWindowTest, ATextureOverTheDriverLimitIsRefusedWithTheMessage) {
  auto* log = new RecordingLog;
  wxLog* previous = wxLog::SetActiveTarget(log);
  const unsigned side = static_cast<unsigned>(canvas->GetMax3dTextureSize()) + 1;
  std::vector<unsigned char> data(std::size_t(side) * 4, 0);
  canvas->SetVolumeData(data.data(), Vector3d<unsigned>(side, 1, 1), Vector3d<float>(1, 1, 1));
  wxLog::FlushActive();
  const auto records = log->records;
  delete wxLog::SetActiveTarget(previous);
  EXPECT_FALSE(canvas->IsTextureValid());
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].first, wxLOG_Error);
  EXPECT_EQ(records[0].second, "Sorry. The data is too big and cannot be displayed");
}

TEST_F(VolumeWindowTest, TheViewMenuSavesAndLoadsThroughFileSelectors) {
  const wxString path = testing::TempDir() + "menu.orvview";
  auto choose = [&](const wxString& title, const wxString& wildcard, long style) {
    return orvtest::ExpectDialog<wxFileDialog>([=](wxFileDialog* d) {
      EXPECT_EQ(d->GetMessage(), title);
      EXPECT_EQ(d->GetWildcard(), wildcard);
      EXPECT_EQ(d->GetWindowStyle() & (wxFD_SAVE | wxFD_OPEN | wxFD_OVERWRITE_PROMPT | wxFD_FILE_MUST_EXIST), style);
      d->SetPath(path);
      EXPECT_TRUE(orvtest::PumpUntil([&] { return d->GetPath() == path; }));
      return int(wxID_OK);
    });
  };
  canvas->ViewState().distance = -4.5f;
  wxCommandEvent save(wxEVT_MENU, 10005);
  wxTEST_DIALOG(frame->GetEventHandler()->ProcessEvent(save),
                choose("Save view matrix as", "Orthoscope view matrix (*.orvview)|*.orvview",
                       wxFD_SAVE | wxFD_OVERWRITE_PROMPT));
  ASSERT_TRUE(wxFileExists(path));
  canvas->ResetView();
  wxCommandEvent load(wxEVT_MENU, 10006);
  wxTEST_DIALOG(frame->GetEventHandler()->ProcessEvent(load),
                choose("Choose a view to load", "Orthoscope view matrix (*.orvview)|*.orvview|All files (*.*) |*",
                       wxFD_OPEN | wxFD_FILE_MUST_EXIST));
  EXPECT_EQ(canvas->GetViewState().distance, -4.5f);
  wxRemoveFile(path);
}

namespace {

// 16^3 voxels: a dimmer slab (150) across most of x and y, 4 voxels deep in z,
// and a bright core (255) in the middle on the other side in z; `mirrored`
// swaps their sides.
bix::Image3d<unsigned char> SlabAndCore(bool mirrored) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned char> image(Vector3d<unsigned>(16, 16, 16), nullptr, &res);
  for (unsigned z = 0; z < 16; ++z)
    for (unsigned y = 0; y < 16; ++y)
      for (unsigned x = 0; x < 16; ++x) {
        const unsigned depth = mirrored ? 15 - z : z;
        const bool slab = x >= 1 && x <= 14 && y >= 1 && y <= 14 && depth >= 2 && depth <= 5;
        const bool core = x >= 6 && x <= 9 && y >= 6 && y <= 9 && depth >= 9 && depth <= 12;
        image.GetVoxel(x, y, z) = core ? 255 : slab ? 150 : 0;
      }
  return image;
}

}  // namespace

TEST_F(VolumeWindowTest, MaximumIntensityShowsTheBrightestSampleWhateverLiesInFront) {
  canvas->SetDrawPlane(false);
  canvas->SetDrawBox(false);
  auto render = [&](bool mirrored, int mode) {
    Upload(SlabAndCore(mirrored));
    frame->GetMenuBar()->Check(mode, true);
    wxCommandEvent command(wxEVT_MENU, mode);
    frame->GetEventHandler()->ProcessEvent(command);
    return Picture();
  };
  const wxImage composite = render(false, ID_VOL3D_RENDER_COMPOSITE);
  const wxImage compositeMirrored = render(true, ID_VOL3D_RENDER_COMPOSITE);
  const wxImage maximum = render(false, ID_VOL3D_RENDER_MAXIMUM);
  const wxImage maximumMirrored = render(true, ID_VOL3D_RENDER_MAXIMUM);
  // Compositing depends on what lies in front; the maximum does not, and it
  // is the core's value itself, and the slab's where only the slab is.
  EXPECT_NE(Centre(composite), Centre(compositeMirrored));
  EXPECT_EQ(Centre(maximum), Centre(maximumMirrored));
  EXPECT_EQ(Centre(maximum), wxColour(255, 255, 255));
  const wxPoint slabOnly = ScreenOf(0.6f, 0, 0);
  EXPECT_EQ(orvtest::PixelAt(maximum, slabOnly.x, slabOnly.y), wxColour(150, 150, 150));
  // Back to compositing: the picture as before.
  const wxImage again = render(false, ID_VOL3D_RENDER_COMPOSITE);
  EXPECT_EQ(0, std::memcmp(again.GetData(), composite.GetData(), 3ul * composite.GetWidth() * composite.GetHeight()));
}

// "Smooth surfaces" reshapes the surfaces shown (a cube's corners round off)
// and, switched off again, shows them exactly as given.
TEST_F(VolumeWindowTest, SurfacesShowSmoothedOnRequestAndAsGivenAgainAfter) {
  canvas->SetDrawPlane(false);
  canvas->SetDrawBox(false);
  Upload(Cube(16, 0, 0, 0));
  vol3D_SurfaceMesh cube;
  cube.positions = {0.5f, 0.5f, 0.5f, 1.5f, 0.5f, 0.5f, 1.5f, 1.5f, 0.5f, 0.5f, 1.5f, 0.5f,
                    0.5f, 0.5f, 1.5f, 1.5f, 0.5f, 1.5f, 1.5f, 1.5f, 1.5f, 0.5f, 1.5f, 1.5f};
  cube.triangles = {0, 2, 1, 0, 3, 2, 4, 5, 6, 4, 6, 7, 0, 1, 5, 0, 5, 4,
                    2, 3, 7, 2, 7, 6, 1, 2, 6, 1, 6, 5, 0, 4, 7, 0, 7, 3};
  cube.label = 1;
  canvas->SetIsosurfaceMeshes({cube}, Vector3d<float>(-1, -1, -1));
  canvas->SetIsosurfaceDisplay(true, {RGB8(0, 0, 0), RGB8(255, 0, 0)});
  auto smooth = [&](bool on) {
    frame->GetMenuBar()->Check(ID_VOL3D_SMOOTH_SURFACES, on);
    wxCommandEvent command(wxEVT_MENU, ID_VOL3D_SMOOTH_SURFACES);
    command.SetInt(on);
    frame->GetEventHandler()->ProcessEvent(command);
    return Picture();
  };
  EXPECT_FALSE(canvas->GetSmoothSurfaces()) << "off in the library";
  const wxImage given = Picture();
  const std::size_t bytes = 3ul * given.GetWidth() * given.GetHeight();
  EXPECT_NE(0, std::memcmp(smooth(true).GetData(), given.GetData(), bytes));
  EXPECT_EQ(0, std::memcmp(smooth(false).GetData(), given.GetData(), bytes));
}

// A texture uploaded slab by slab holds what the whole one holds; the next
// update of the same size reuses its room and leaves nothing of the last.
TEST_F(VolumeWindowTest, TexturesUploadedBySlabsHoldEveryPlane) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  bix::Image3d<unsigned char> image(Vector3d<unsigned>(700, 700, 12), nullptr, &res);
  auto uploaded = [&] {
    canvas->MakeCurrent();
    std::vector<unsigned char> texels(std::size_t(702) * 702 * 14 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_3D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
  };
  for (unsigned char shift : {0, 101}) {
    for (unsigned z = 0; z < 12; ++z)
      for (unsigned y = 0; y < 700; ++y)
        for (unsigned x = 0; x < 700; ++x) image.GetVoxel(x, y, z) = static_cast<unsigned char>(x + 3 * y + 17 * z + shift);
    UpdateVolumeWindow(frame, image, GrayMapper());
    ASSERT_TRUE(canvas->IsTextureValid());
    VolumeTexture whole;
    ASSERT_TRUE(BuildVolumeTexture(image, GrayMapper(), 1, whole));
    EXPECT_EQ(0, std::memcmp(uploaded().data(), whole.rgba.get(), std::size_t(702) * 702 * 14 * 4)) << int(shift);
  }
}

// While a drag turns the model the frame is drawn reduced (blurred, not the
// full picture); once the motion pauses, or the button is released, the
// frame is the full one, exactly what the same view shows without a drag.
TEST_F(VolumeWindowTest, TurningDrawsReducedFramesAndTheFrameAtRestIsTheFullOne) {
  Upload(Cube(16, 4, 11, 255));
  const wxPoint centre(120, 120);
  orvtest::SendMouse(canvas, wxEVT_LEFT_DOWN, centre);
  auto drag = [&](int dx) {
    wxMouseEvent move(wxEVT_MOTION);
    move.m_x = centre.x + dx;
    move.m_y = centre.y + dx / 2;
    move.m_leftDown = true;
    canvas->GetEventHandler()->ProcessEvent(move);
  };
  auto same = [](const wxImage& a, const wxImage& b) {
    return a.GetSize() == b.GetSize() && std::memcmp(a.GetData(), b.GetData(), 3ul * a.GetWidth() * a.GetHeight()) == 0;
  };
  drag(30);
  ASSERT_TRUE(canvas->IsTurning());
  const wxImage reduced = Picture();
  // The button still held: the motion pauses, the full frame comes.
  ASSERT_TRUE(orvtest::PumpUntil([&] { return !canvas->IsTurning(); }, 5000));
  const wxImage rest = Picture();
  EXPECT_FALSE(same(reduced, rest));
  const VolumeViewState turned = canvas->GetViewState();
  canvas->ResetView();
  canvas->ViewState() = turned;
  EXPECT_TRUE(same(Picture(), rest)) << "the frame at rest is the full frame of the view";
  orvtest::SendMouse(canvas, wxEVT_LEFT_DOWN, centre);
  drag(45);
  EXPECT_TRUE(canvas->IsTurning());
  orvtest::SendMouse(canvas, wxEVT_LEFT_UP, centre);
  EXPECT_FALSE(canvas->IsTurning()) << "released: the full frame at once";
}
