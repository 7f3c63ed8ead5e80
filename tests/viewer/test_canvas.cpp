// The cut viewer canvas on real windows: layout, painted pixels, reversal,
// pointer, keys, mouse, caching, pixel queries and the frame icon.

#include "gui_test.h"
#include "info_frame.h"

#include <orv/orv_imagecanvas.h>
#include <orv/orv_voxel.h>

#include <wx/uiaction.h>

#include <memory>

using bix::Vector3d;
using orv::PROJ_ALL;
using orv::PROJ_XY;
using orv::PROJ_XZ;
using orv::PROJ_YZ;
using RGB8 = bix::RGB_generic<unsigned char>;

namespace {

// Octant volume: 80 x 60 x 40 voxels of 1 micron; the value is 1 + (x >= 40)
// + 2 (y >= 30) + 4 (z >= 20), and each value maps to red = 30 * value.
std::unique_ptr<bix::Image3d<unsigned char>> Octants(Vector3d<unsigned> n = {80, 60, 40}) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  auto image = std::make_unique<bix::Image3d<unsigned char>>(n, nullptr, &res);
  for (unsigned z = 0; z < n.z; ++z)
    for (unsigned y = 0; y < n.y; ++y)
      for (unsigned x = 0; x < n.x; ++x)
        image->GetVoxel(x, y, z) =
            static_cast<unsigned char>(1 + (x >= n.x / 2) + 2 * (y >= n.y / 2) + 4 * (z >= n.z / 2));
  return image;
}

int OctantValue(unsigned x, unsigned y, unsigned z) { return 1 + (x >= 40) + 2 * (y >= 30) + 4 * (z >= 20); }

class CountingMapper : public orv::orv_Mapper<unsigned char> {
public:
  void Map(const unsigned char* v, orv::Buffer2d<RGB8>& out) const override {
    ++calls;
    const std::size_t n = static_cast<std::size_t>(out.width) * out.height;
    for (std::size_t i = 0; i < n; ++i) out.data[i] = RGB8(static_cast<unsigned char>(30 * v[i]), 0, 0);
  }
  mutable int calls = 0;
};

// The canvas with its protected queries opened for the tests.
class TestCanvas : public orv::orv_ImageOrthoscopeCanvas<unsigned char> {
public:
  using orv_ImageOrthoscopeCanvas::orv_ImageOrthoscopeCanvas;
  using orv_ImageOrthoscopeCanvas::CreateIcon;
  using orv_ImageOrthoscopeCanvas::GetBuffer;
  using orv_ImageOrthoscopeCanvas::GetColourInfo;
  using orv_ImageOrthoscopeCanvas::GetImageTypeName;
};

class CanvasTest : public ::testing::Test {
protected:
  void Open(std::unique_ptr<bix::Image3d<unsigned char>> image, wxSize client = wxSize(400, 400)) {
    frame = new wxFrame(nullptr, wxID_ANY, "canvas");
    frame->SetClientSize(client);
    image_ = image.get();
    canvas = new TestCanvas(frame, mapper, image.release(), true);
    canvas->SetSize(frame->GetClientSize());
    orv::orv_CutPointerStyle none;
    none.style = orv::POINTER_NONE;
    canvas->SetPointerStyle(none);
    ASSERT_TRUE(orvtest::ShowAndActivate(frame));
    ASSERT_TRUE(orvtest::PumpUntil([&] { return canvas->GetDrWin(PROJ_XY)->IsShownOnScreen(); }));
  }
  void TearDown() override {
    // The windows use the mapper: they must go before the fixture does.
    if (frame) frame->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  orv::orv_DrWin3d* Win(orv::orv_ProjectionType w) { return canvas->GetDrWin(w); }
  wxImage Paint(orv::orv_ProjectionType w) {
    orvtest::PaintNow(Win(w));
    return Win(w)->GetBitmapImage();
  }
  void PaintAll() {
    for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) orvtest::PaintNow(Win(w));
  }
  // The voxel that window pixel (c, r) must show at zoom level 0 with the
  // visible box at the image corner, given the reversed axes.
  Vector3d<unsigned> VoxelAt(orv::orv_ProjectionType w, int c, int r, wxSize size) {
    auto flip = [&](int v, int n, unsigned axis) { return canvas->IsAxisReversed(axis) ? n - 1 - v : v; };
    const Vector3d<float> cut = canvas->GetCut();
    switch (w) {
      case PROJ_XY: return {unsigned(flip(c, size.x, 0)), unsigned(flip(r, size.y, 1)), unsigned(cut.z)};
      case PROJ_XZ: return {unsigned(flip(c, size.x, 0)), unsigned(cut.y), unsigned(flip(r, size.y, 2))};
      default: return {unsigned(cut.x), unsigned(flip(r, size.y, 1)), unsigned(flip(c, size.x, 2))};
    }
  }
  void ExpectPicturesMatchVolume(const char* what) {
    for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) {
      const wxImage picture = Paint(w);
      const wxSize size(picture.GetWidth(), picture.GetHeight());
      int wrong = 0;
      for (int r = 0; r < size.y; ++r)
        for (int c = 0; c < size.x; ++c) {
          const Vector3d<unsigned> v = VoxelAt(w, c, r, size);
          wrong += picture.GetRed(c, r) != 30 * OctantValue(v.x, v.y, v.z);
        }
      EXPECT_EQ(wrong, 0) << what << ", window " << w;
    }
  }

  CountingMapper mapper;
  wxFrame* frame = nullptr;
  TestCanvas* canvas = nullptr;
  bix::Image3d<unsigned char>* image_ = nullptr;
};

}  // namespace

TEST_F(CanvasTest, TakesGeometryFromTheImage) {
  Open(Octants());
  EXPECT_EQ(canvas->GetImageBox().size, Vector3d<float>(80, 60, 40));
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(40.5f, 30.5f, 20.5f));
  EXPECT_EQ(canvas->GetBaseZoom(), Vector3d<float>(1, 1, 1));
  EXPECT_EQ(canvas->GetVoxelStep(), Vector3d<float>(1, 1, 1));
  EXPECT_EQ(Win(PROJ_XY)->GetClientSize(), wxSize(80, 60));
  EXPECT_EQ(Win(PROJ_XZ)->GetClientSize(), wxSize(80, 40));
  EXPECT_EQ(Win(PROJ_YZ)->GetClientSize(), wxSize(40, 60));
  EXPECT_EQ(canvas->GetImageTypeName(), "GRAY8");
  const int b = canvas->GetBorder();
  EXPECT_EQ(canvas->GetOptimalSize(), wxSize(80 + 6 + 40 + 6, 60 + 6 + 40 + 6));
  EXPECT_EQ(Win(PROJ_XZ)->GetPosition(), wxPoint(1, 60 + b + 1));
}

TEST_F(CanvasTest, EachWindowShowsItsCutForEveryReversal) {
  Open(Octants());
  ExpectPicturesMatchVolume("no axis reversed");
  // YZ: z grows to the right, so the left column shows the smallest z.
  const wxImage yz = Paint(PROJ_YZ);
  EXPECT_EQ(yz.GetRed(0, 0), 30 * OctantValue(40, 0, 0));
  EXPECT_EQ(yz.GetRed(39, 0), 30 * OctantValue(40, 0, 39));

  const wxImage before[3] = {Paint(PROJ_XY), Paint(PROJ_XZ), Paint(PROJ_YZ)};
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_TRUE(canvas->ToggleAxisReverse(axis));
    ExpectPicturesMatchVolume(axis == 0 ? "x reversed" : axis == 1 ? "x, y reversed" : "all reversed");
  }
  for (int axis = 0; axis < 3; ++axis) EXPECT_FALSE(canvas->ToggleAxisReverse(axis));
  const orv::orv_ProjectionType windows[3] = {PROJ_XY, PROJ_XZ, PROJ_YZ};
  for (int i = 0; i < 3; ++i) {
    const wxImage after = Paint(windows[i]);
    EXPECT_EQ(0, memcmp(after.GetData(), before[i].GetData(), after.GetWidth() * after.GetHeight() * 3));
  }
  EXPECT_FALSE(canvas->ToggleAxisReverse(3));
  EXPECT_FALSE(canvas->ToggleAxisReverse(-1));
}

TEST_F(CanvasTest, ReorientedPicturesMatchRebuiltOnes) {
  Open(Octants());
  PaintAll();
  canvas->ToggleAxisReverse(2);
  const wxImage mirrored = Paint(PROJ_YZ);  // the mapped buffer oriented again
  canvas->OnCutChange(PROJ_ALL);  // forces a rebuild with the reversed flag
  const wxImage rebuilt = Paint(PROJ_YZ);
  EXPECT_EQ(0, memcmp(mirrored.GetData(), rebuilt.GetData(), 40 * 60 * 3));
}

TEST_F(CanvasTest, TheScreenShowsThePaintedPicture) {
  Open(Octants());
  const wxImage painted = Paint(PROJ_XZ);
  const wxImage screen = orvtest::GrabClientArea(Win(PROJ_XZ));
  ASSERT_EQ(screen.GetWidth(), painted.GetWidth());
  // The theme rounds the sunken border's corners over the picture's corner
  // pixels; everything inside a 4-pixel margin must be exactly what was painted.
  int wrong = 0;
  for (int y = 4; y < painted.GetHeight() - 4; ++y)
    for (int x = 4; x < painted.GetWidth() - 4; ++x)
      wrong += orvtest::PixelAt(screen, x, y) != orvtest::PixelAt(painted, x, y);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(orvtest::PixelAt(screen, 60, 30), wxColour(30 * OctantValue(60, 30, 30), 0, 0));
}

TEST_F(CanvasTest, PointerStylesMarkTheCutPoint) {
  Open(Octants());
  const wxColour green(0, 255, 0);
  // Cut (40.5, 30.5) at zoom 1 and offset 0 is pixel (41, 31) in XY.
  const int px = 41, py = 31;
  auto isPointer = [&](const wxImage& p, int x, int y) { return orvtest::PixelAt(p, x, y) == green; };
  orv::orv_CutPointerStyle pointer;
  pointer.colour = green;

  pointer.style = orv::POINTER_ON_SIDES;
  canvas->SetPointerStyle(pointer);
  wxImage p = Paint(PROJ_XY);
  EXPECT_TRUE(isPointer(p, 0, py) && isPointer(p, 9, py) && isPointer(p, 79, py));
  EXPECT_TRUE(isPointer(p, px, 0) && isPointer(p, px, 59));
  EXPECT_FALSE(isPointer(p, 40, py));
  EXPECT_FALSE(isPointer(p, px, 30));

  pointer.style = orv::POINTER_SOLID_CROSS;
  canvas->SetPointerStyle(pointer);
  p = Paint(PROJ_XY);
  for (int x = 0; x < 80; ++x) EXPECT_TRUE(isPointer(p, x, py)) << x;
  for (int y = 0; y < 60; ++y) EXPECT_TRUE(isPointer(p, px, y)) << y;

  for (int style : {orv::POINTER_DOTTED_CROSS, orv::POINTER_DASHED_CROSS}) {
    pointer.style = style;
    canvas->SetPointerStyle(pointer);
    p = Paint(PROJ_XY);
    int on = 0;
    for (int x = 0; x < 80; ++x) on += isPointer(p, x, py);
    EXPECT_GT(on, 10) << style;
    EXPECT_LT(on, 80) << style;
  }

  pointer.style = orv::POINTER_ON_SIDES_CIRCLE;
  canvas->SetPointerStyle(pointer);
  p = Paint(PROJ_XY);
  int ring = 0;  // the circle crosses the row py + 1 ten pixels right of px + 1
  for (int x = px + 10; x <= px + 12; ++x) ring += isPointer(p, x, py + 1);
  EXPECT_GT(ring, 0);
  EXPECT_FALSE(isPointer(p, px + 1, py + 1));

  pointer.style = orv::POINTER_NONE;
  canvas->SetPointerStyle(pointer);
  p = Paint(PROJ_XY);
  EXPECT_FALSE(isPointer(p, px, py));

  // Reversing x moves the pointer to the mirrored column.
  pointer.style = orv::POINTER_SOLID_CROSS;
  canvas->SetPointerStyle(pointer);
  canvas->ToggleAxisReverse(0);
  p = Paint(PROJ_XY);
  EXPECT_TRUE(isPointer(p, 79 - px, 5));
}

TEST_F(CanvasTest, ArrowsScrollAndClampAtTheImageBox) {
  Open(Octants(), wxSize(200, 200));
  canvas->ZoomIn();
  canvas->ZoomIn();  // 3 px per micron: the image no longer fits
  const bix::VOI<float> visible = canvas->GetVisibleBox();
  ASSERT_LT(visible.size.x, 80.f);
  for (int i = 0; i < 50; ++i) orvtest::SendKeyDown(Win(PROJ_XY), WXK_LEFT);
  EXPECT_EQ(canvas->GetVisibleBox().offset.x, 0.f);
  for (int i = 0; i < 50; ++i) orvtest::SendKeyDown(Win(PROJ_XY), WXK_RIGHT);
  EXPECT_FLOAT_EQ(canvas->GetVisibleBox().offset.x, 80.f - visible.size.x);
  for (int i = 0; i < 50; ++i) orvtest::SendKeyDown(Win(PROJ_YZ), WXK_UP);
  EXPECT_EQ(canvas->GetVisibleBox().offset.y, 0.f);
  for (int i = 0; i < 50; ++i) orvtest::SendKeyDown(Win(PROJ_XZ), WXK_DOWN);
  EXPECT_FLOAT_EQ(canvas->GetVisibleBox().offset.z, 40.f - canvas->GetVisibleBox().size.z);
  // One step moves by a fifth of the visible size.
  orvtest::SendKeyDown(Win(PROJ_XY), WXK_LEFT);
  EXPECT_FLOAT_EQ(canvas->GetVisibleBox().offset.x, 80.f - visible.size.x * 1.2f);
}

TEST_F(CanvasTest, PageKeysStopHalfAVoxelInsideTheImage) {
  Open(Octants());
  orvtest::SendKeyDown(Win(PROJ_XY), WXK_PAGEDOWN);
  EXPECT_FLOAT_EQ(canvas->GetCut().z, 21.5f);
  for (int i = 0; i < 30; ++i) orvtest::SendKeyDown(Win(PROJ_XY), WXK_PAGEDOWN);
  EXPECT_FLOAT_EQ(canvas->GetCut().z, 39.5f);
  for (int i = 0; i < 50; ++i) orvtest::SendKeyDown(Win(PROJ_XY), WXK_PAGEUP);
  EXPECT_FLOAT_EQ(canvas->GetCut().z, 0.5f);
  orvtest::SendKeyDown(Win(PROJ_YZ), WXK_PAGEUP);  // YZ cuts across x
  EXPECT_FLOAT_EQ(canvas->GetCut().x, 39.5f);
}

// Far from the origin (a z stage position of 10000 microns, 0.2 micron
// planes) paging visits every plane once, each time at its centre.
TEST_F(CanvasTest, PagingFarFromTheOriginVisitsEveryPlaneAtItsCentre) {
  const Vector3d<unsigned> n(4, 4, 2000);
  const Vector3d<float> offset(0, 0, 10000);
  const bix::Resolution res(Vector3d<float>(1, 1, 5));
  Open(std::make_unique<bix::Image3d<unsigned char>>(n, &offset, &res));
  for (int i = 0; i < 1100; ++i) orvtest::SendKeyDown(Win(PROJ_XY), WXK_PAGEUP);
  for (unsigned k = 0; k < n.z; ++k) {
    const double at = (static_cast<double>(canvas->GetCut().z) - offset.z) * 5;
    ASSERT_NEAR(at, k + 0.5, 0.01) << "plane " << k;
    orvtest::SendKeyDown(Win(PROJ_XY), WXK_PAGEDOWN);
  }
}

TEST_F(CanvasTest, SpaceMovesTheCutOnlyWithTheMouseInside) {
  Open(Octants());
  wxUIActionSimulator simulator;
  simulator.MouseMove(Win(PROJ_XY)->ClientToScreen(wxPoint(10, 20)));
  wxPoint at;
  ASSERT_TRUE(orvtest::PumpUntil([&] { return wxFindWindowAtPointer(at) == Win(PROJ_XY); }));
  orvtest::SendKeyDown(Win(PROJ_XY), WXK_SPACE);
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(10, 20, 20.5f));

  simulator.MouseMove(Win(PROJ_YZ)->ClientToScreen(wxPoint(5, 5)));
  ASSERT_TRUE(orvtest::PumpUntil([&] { return wxFindWindowAtPointer(at) == Win(PROJ_YZ); }));
  orvtest::SendKeyDown(Win(PROJ_XY), WXK_SPACE);
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(10, 20, 20.5f));
}

TEST_F(CanvasTest, CentringAndLabelKeys) {
  Open(Octants(), wxSize(200, 200));
  canvas->ZoomIn();
  canvas->ZoomIn();
  const float w = canvas->GetVisibleBox().size.x;
  wxUIActionSimulator simulator;
  simulator.MouseMove(Win(PROJ_XY)->ClientToScreen(wxPoint(90, 3)));
  wxPoint at;
  ASSERT_TRUE(orvtest::PumpUntil([&] { return wxFindWindowAtPointer(at) == Win(PROJ_XY); }));
  const float h = Win(PROJ_XY)->WindowToHorizontal(90);
  orvtest::SendKeyDown(Win(PROJ_XY), 'C');
  EXPECT_FLOAT_EQ(canvas->GetVisibleBox().offset.x, std::min(h - w / 2, 80.f - w));
  EXPECT_EQ(canvas->GetVisibleBox().offset.y, 0.f);  // clamped at the image start

  EXPECT_FALSE(orvtest::SendKeyDown(Win(PROJ_XY), 'c', wxMOD_CONTROL));  // skipped
  orvtest::SendKeyDown(Win(PROJ_XY), 'C', wxMOD_ALT);  // centre on the cut point
  EXPECT_FLOAT_EQ(canvas->GetVisibleBox().offset.x, 40.5f - w / 2);

  EXPECT_FALSE(canvas->GetInfoFlag());
  EXPECT_FALSE(orvtest::SendKeyDown(Win(PROJ_XY), '/'));
  EXPECT_FALSE(canvas->GetInfoFlag());
  orvtest::SendKeyDown(Win(PROJ_XY), '/', wxMOD_ALT);
  EXPECT_TRUE(canvas->GetInfoFlag());
  const wxImage labelled = Paint(PROJ_XY);
  int white = 0;
  for (int y = 5; y < 20; ++y)
    for (int x = 5; x < 25; ++x) white += orvtest::PixelAt(labelled, x, y) == *wxWHITE;
  EXPECT_GT(white, 5) << "the window name is drawn in white at (5, 5)";
}

// A view whose visible box is deeper than the image (a single plane seen
// zoomed out) stays on the image when centred.
TEST_F(CanvasTest, CentringKeepsAVisibleBoxLargerThanTheImageOnIt) {
  Open(Octants({80, 60, 1}), wxSize(200, 200));
  canvas->ZoomOut();
  ASSERT_GT(canvas->GetVisibleBox().size.z, 1.f);
  orvtest::SendKeyDown(Win(PROJ_XY), 'C', wxMOD_ALT);
  EXPECT_EQ(canvas->GetVisibleBox().offset.z, 0.f);
  EXPECT_EQ(canvas->GetVisibleBox().offset.x, 0.f);
}

// With the image far from the origin (a stage offset of 10000 microns,
// 0.325 micron voxels) every column's position names the voxel drawn there.
TEST_F(CanvasTest, PositionsFarFromTheOriginNameTheVoxelDrawn) {
  const Vector3d<unsigned> n(512, 8, 4);
  const Vector3d<float> offset(10000, 0, 0);
  const bix::Resolution res(Vector3d<float>(1 / 0.325f, 1 / 0.325f, 1 / 0.325f));
  auto image = std::make_unique<bix::Image3d<unsigned char>>(n, &offset, &res);
  for (unsigned z = 0; z < n.z; ++z)
    for (unsigned y = 0; y < n.y; ++y)
      for (unsigned x = 0; x < n.x; ++x) image->GetVoxel(x, y, z) = static_cast<unsigned char>(x % 256);
  Open(std::move(image), wxSize(1200, 300));
  PaintAll();
  int wrong = 0, columns = 0;
  for (int c = 0; c < Win(PROJ_XY)->GetClientSize().x; ++c) {
    wxString value;
    wxColour colour;
    canvas->GetColourInfo(PROJ_XY, c, 1, value, colour);
    if (value.empty()) continue;
    ++columns;
    const Vector3d<int> voxel = orv::InfoVoxelIndex(Vector3d<float>(Win(PROJ_XY)->WindowToHorizontal(c), 0, 0),
                                                    offset, res.GetRes());
    wrong += value != wxString::Format("%d", voxel.x % 256);
  }
  EXPECT_GT(columns, 300);
  EXPECT_EQ(wrong, 0);
}

TEST_F(CanvasTest, AFocusedCutWindowShowsTheCrossCursor) {
  Open(Octants());
  EXPECT_FALSE(Win(PROJ_XZ)->GetCursor().IsOk());
  ASSERT_TRUE(orvtest::FocusAndWait(Win(PROJ_XZ)));
  EXPECT_TRUE(Win(PROJ_XZ)->GetCursor().IsOk());
  ASSERT_TRUE(orvtest::FocusAndWait(Win(PROJ_YZ)));
  EXPECT_FALSE(Win(PROJ_XZ)->GetCursor().IsOk());
  EXPECT_TRUE(Win(PROJ_YZ)->GetCursor().IsOk());
}

TEST_F(CanvasTest, MouseEventsReachAHostAsMouse3dEvents) {
  Open(Octants());
  std::vector<std::pair<orv::orv_DrWin3d*, Vector3d<float>>> seen;
  canvas->Bind(orv::orv_EVT_MOUSE3D, [&](orv::orv_Mouse3dEvent& e) {
    seen.emplace_back(e.GetWindow(), e.GetPosition3d());
    EXPECT_EQ(e.GetMouseEvent().GetEventType(), wxEVT_LEFT_DOWN);
    e.Skip();
  });
  orvtest::SendMouse(Win(PROJ_XY), wxEVT_LEFT_DOWN, wxPoint(10, 20));
  orvtest::SendMouse(Win(PROJ_YZ), wxEVT_LEFT_DOWN, wxPoint(5, 7));
  orvtest::SendMouse(Win(PROJ_XZ), wxEVT_LEFT_DOWN, wxPoint(3, 9));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].first, Win(PROJ_XY));
  EXPECT_EQ(seen[0].second, Vector3d<float>(10, 20, 20.5f));
  EXPECT_EQ(seen[1].first, Win(PROJ_YZ));
  EXPECT_EQ(seen[1].second, Vector3d<float>(40.5f, 7, 5));
  EXPECT_EQ(seen[2].second, Vector3d<float>(3, 30.5f, 9));
  // A click moves nothing in the base canvas.
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(40.5f, 30.5f, 20.5f));
}

TEST_F(CanvasTest, OnlyWhatChangedIsRecomputed) {
  Open(Octants());
  PaintAll();
  const unsigned long extracted[3] = {canvas->GetExtractionCount(PROJ_XY), canvas->GetExtractionCount(PROJ_XZ),
                                      canvas->GetExtractionCount(PROJ_YZ)};
  for (unsigned long e : extracted) EXPECT_EQ(e, 1u);

  orv::orv_MappingEvent mapping(false);
  const int mapped = mapper.calls;
  canvas->MappingChanged(mapping);
  PaintAll();
  EXPECT_EQ(mapper.calls, mapped + 3);
  EXPECT_EQ(canvas->GetExtractionCount(PROJ_XY), 1u);
  EXPECT_EQ(canvas->GetExtractionCount(PROJ_YZ), 1u);

  wxUIActionSimulator simulator;
  simulator.MouseMove(Win(PROJ_XY)->ClientToScreen(wxPoint(12, 12)));
  wxPoint at;
  ASSERT_TRUE(orvtest::PumpUntil([&] { return wxFindWindowAtPointer(at) == Win(PROJ_XY); }));
  orvtest::SendKeyDown(Win(PROJ_XY), WXK_SPACE);
  PaintAll();
  EXPECT_EQ(canvas->GetExtractionCount(PROJ_XY), 1u);
  EXPECT_EQ(canvas->GetExtractionCount(PROJ_XZ), 2u);
  EXPECT_EQ(canvas->GetExtractionCount(PROJ_YZ), 2u);

  // Reversing an axis orients the mapped buffers again: no new mapping.
  const int beforeReverse = mapper.calls;
  canvas->ToggleAxisReverse(1);
  PaintAll();
  EXPECT_EQ(mapper.calls, beforeReverse);
}

TEST_F(CanvasTest, ACanvasNotificationRepaintsTheCutWindowsByItself) {
  Open(Octants());
  PaintAll();
  orvtest::Pump();
  const unsigned long before = canvas->GetExtractionCount(PROJ_YZ);
  canvas->ChangeCut(Vector3d<float>(10.5f, 30.5f, 20.5f));  // only the canvas is refreshed
  EXPECT_TRUE(orvtest::PumpUntil([&] { return canvas->GetExtractionCount(PROJ_YZ) > before; }));
  EXPECT_TRUE(orvtest::PumpUntil([&] {
    const wxImage yz = Win(PROJ_YZ)->GetBitmapImage();
    return yz.GetRed(1, 1) == 30 * OctantValue(10, 1, 1);
  }));
}

TEST_F(CanvasTest, AutofocusIsComputedOncePerDataChange) {
  Open(Octants());
  canvas->ChangeContent(orv::CONTENT_AUTOFOCUS, PROJ_XY);
  EXPECT_EQ(canvas->GetContent(PROJ_XY), orv::CONTENT_AUTOFOCUS);
  EXPECT_EQ(canvas->GetContent(PROJ_ALL), orv::CONTENT_CUT);
  PaintAll();
  canvas->ChangeContent(orv::CONTENT_AUTOFOCUS, PROJ_XY);
  PaintAll();
  EXPECT_EQ(canvas->GetProjectionCount(PROJ_XY), 1u);
  EXPECT_EQ(canvas->GetProjectionCount(PROJ_XZ), 0u);
  canvas->OnDataChange();
  PaintAll();
  EXPECT_EQ(canvas->GetProjectionCount(PROJ_XY), 2u);
  canvas->ChangeContent(orv::CONTENT_AUTOFOCUS, PROJ_ALL);
  EXPECT_EQ(canvas->GetContent(PROJ_ALL), orv::CONTENT_AUTOFOCUS);
}

TEST_F(CanvasTest, ColourInfoAgreesWithThePixelAndTheVoxel) {
  Open(Octants());
  canvas->ToggleAxisReverse(2);
  for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) {
    const wxImage picture = Paint(w);
    const wxSize size(picture.GetWidth(), picture.GetHeight());
    for (wxPoint p : {wxPoint(0, 0), wxPoint(size.x - 1, size.y - 1), wxPoint(size.x / 2 + 1, 3), wxPoint(2, size.y - 3)}) {
      wxString value;
      wxColour colour;
      canvas->GetColourInfo(w, p.x, p.y, value, colour);
      const Vector3d<unsigned> v = VoxelAt(w, p.x, p.y, size);
      EXPECT_EQ(value, orv::VoxelToStr<unsigned char>(static_cast<unsigned char>(OctantValue(v.x, v.y, v.z))))
          << "window " << w << " at " << p.x << "," << p.y;
      EXPECT_EQ(colour, orvtest::PixelAt(picture, p.x, p.y));
      EXPECT_EQ(colour.Alpha(), 255);
    }
  }
  wxString value = "kept";
  wxColour colour(1, 2, 3);
  canvas->GetColourInfo(PROJ_ALL, 1, 1, value, colour);
  EXPECT_EQ(value, "kept");
  EXPECT_EQ(colour, wxColour(1, 2, 3));
}

TEST_F(CanvasTest, TheIconIsALetterBoxedThumbnailOfTheXYView) {
  Open(Octants({80, 40, 10}));
  PaintAll();
  wxIcon icon;
  canvas->CreateIcon(icon, 16, 16, wxBitmap(), canvas->GetBuffer(0));
  const wxBitmap bitmap(icon);
  const wxImage image = bitmap.ConvertToImage();
  ASSERT_TRUE(image.HasAlpha()) << "margins transparent by alpha (masked icons grow wxGTK's heap)";
  auto transparent = [&](int x, int y) { return image.GetAlpha(x, y) == wxIMAGE_ALPHA_TRANSPARENT; };
  for (int x = 0; x < 16; ++x) {
    for (int y : {0, 3, 12, 15}) EXPECT_TRUE(transparent(x, y)) << x << "," << y;
    for (int y : {4, 8, 11}) EXPECT_FALSE(transparent(x, y)) << x << "," << y;
  }
  // The XY cut lies at z 5: values 5 and 6 above y 20, 7 and 8 below.
  EXPECT_EQ(image.GetRed(2, 5), 30 * 5);  // thumbnail row 1 is view row 5 (y < 20)
  EXPECT_EQ(image.GetRed(13, 5), 30 * 6);
  EXPECT_EQ(image.GetRed(2, 10), 30 * 7);  // thumbnail row 6 is view row 30

  wxIconBundle bundle;
  canvas->GetIcons(bundle);
  EXPECT_EQ(bundle.GetIconCount(), 2u);
}

TEST_F(CanvasTest, ANullImageDrawsOnlyTheBackgroundAndPointer) {
  frame = new wxFrame(nullptr, wxID_ANY, "empty");
  frame->SetClientSize(300, 300);
  canvas = new TestCanvas(frame, mapper, nullptr, false);
  canvas->SetSize(frame->GetClientSize());
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  ASSERT_TRUE(orvtest::PumpUntil([&] { return Win(PROJ_XY)->IsShownOnScreen(); }));
  canvas->ChangeContent(orv::CONTENT_AUTOFOCUS, PROJ_ALL);
  orv::orv_MappingEvent mapping;
  canvas->MappingChanged(mapping);
  const wxImage picture = Paint(PROJ_XY);
  EXPECT_EQ(orvtest::PixelAt(picture, picture.GetWidth() / 3, picture.GetHeight() / 3), *wxBLACK);
  EXPECT_EQ(mapper.calls, 0);
}

TEST_F(CanvasTest, SettingsRoundTripAndABoundaryCutMovesToTheCentre) {
  Open(Octants());
  orv::orv_ImageCanvasSettings s;
  canvas->GetSettings(s);
  EXPECT_EQ(s.cut, canvas->GetCut());
  s.zoomLevel = -1;
  s.reversed[1] = true;
  s.cut = Vector3d<float>(0, 10, 10);  // on the boundary
  canvas->SetSettings(s);
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(40, 30, 20));
  EXPECT_EQ(canvas->GetZoom(), Vector3d<float>(0.5f, 0.5f, 0.5f));
  EXPECT_TRUE(canvas->IsAxisReversed(1));
  EXPECT_EQ(Win(PROJ_XY)->GetClientSize(), wxSize(40, 30));

  // A record never filled in has no base zoom: the canvas keeps its own
  // and still paints.
  const Vector3d<float> base = canvas->GetBaseZoom();
  orv::orv_ImageCanvasSettings blank;
  blank.baseZoom = Vector3d<float>(0, NAN, -1);
  canvas->SetSettings(blank);
  EXPECT_EQ(canvas->GetBaseZoom(), base);
  const wxImage painted = Paint(PROJ_XY);
  EXPECT_GT(painted.GetWidth(), 0);
  canvas->SetSettings(s);

  canvas->ChangeCut(Vector3d<float>(80, 1, 1));  // outside: ignored
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(40, 30, 20));
  canvas->ChangeCut(Vector3d<float>(79.5f, 1, 1));
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(79.5f, 1, 1));
}

// The host changes the data: a cut still inside stays where it is, one the
// smaller image no longer holds moves to the centre voxel.
TEST_F(CanvasTest, ADataChangeKeepsTheCutInsideTheImage) {
  Open(Octants());
  canvas->ChangeCut(Vector3d<float>(79.5f, 59.5f, 39.5f));
  image_->MakeRoom(100, 70, 50);
  canvas->OnDataChange();
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(79.5f, 59.5f, 39.5f));
  image_->MakeRoom(21, 20, 10);
  canvas->OnDataChange();
  EXPECT_EQ(canvas->GetCut(), Vector3d<float>(10.5f, 10.5f, 5.5f));
}

TEST_F(CanvasTest, HidingWindowsRelaysTheCanvasOut) {
  Open(Octants());
  EXPECT_TRUE(canvas->IsDrWinShown(static_cast<orv::orv_ProjectionType>(0)));
  canvas->ShowDrWin(static_cast<orv::orv_ProjectionType>(PROJ_XZ | PROJ_YZ), false);
  EXPECT_FALSE(canvas->IsDrWinShown(PROJ_XZ));
  EXPECT_TRUE(canvas->IsDrWinShown(PROJ_XY));
  EXPECT_FALSE(Win(PROJ_YZ)->IsShown());
  EXPECT_EQ(canvas->GetOptimalSize(), wxSize(86, 66));
  canvas->ToggleAxisReverse(2);  // while YZ is hidden
  canvas->ShowDrWin(PROJ_ALL, true);
  ExpectPicturesMatchVolume("z reversed while hidden");
}

namespace {

// A host's layer: it writes down what it is handed, and paints so that the
// order of the layers shows in the picture. The log lives as long as the
// layer: the canvas may paint until the frame is gone.
using SharedLog = std::shared_ptr<std::vector<std::string>>;
class RecordingLayer : public orv::orv_CanvasLayer {
public:
  RecordingLayer(SharedLog log, std::string name) : m_log(std::move(log)), m_name(std::move(name)) {}
  void CutExtracted(int index, const orv::orv_VoxelGrid& slice, bool projection) override {
    m_log->push_back(m_name + " cut " + std::to_string(index) + (projection ? " projection" : ""));
    slices[index] = slice;
  }
  void PaintOver(int index, RGBBuffer& picture) override {
    m_log->push_back(m_name + " paint " + std::to_string(index));
    RGB8& corner = picture.At(0, 0);
    // The first layer sets green; the second copies it to blue, so blue is
    // set only when the first painted before it.
    if (m_name == "first") corner.green = 200;
    else corner.blue = corner.green;
  }
  void Draw(wxDC& dc, orv::orv_ProjectionType) override {
    dc.SetPen(m_name == "first" ? *wxBLACK_PEN : *wxWHITE_PEN);
    dc.DrawPoint(5, 5);
  }
  void OnMouse3d(orv::orv_Mouse3dEvent& event) override {
    m_log->push_back(m_name + " mouse " + std::to_string(orv::WindowIndex(event.GetWindow()->GetProjectionType())));
  }
  orv::orv_VoxelGrid slices[3];

private:
  SharedLog m_log;
  std::string m_name;
};

std::vector<std::string> Only(const std::vector<std::string>& log, const std::string& word) {
  std::vector<std::string> kept;
  for (const std::string& line : log)
    if (line.find(word) != std::string::npos) kept.push_back(line);
  return kept;
}

}  // namespace

TEST_F(CanvasTest, LayersTakePartInEveryStageInTheOrderTheyWereAdded) {
  Open(Octants());
  const auto shared = std::make_shared<std::vector<std::string>>();
  std::vector<std::string>& log = *shared;
  auto& first = static_cast<RecordingLayer&>(canvas->AddLayer(std::make_unique<RecordingLayer>(shared, "first")));
  canvas->AddLayer(std::make_unique<RecordingLayer>(shared, "second"));
  const wxImage xy = Paint(PROJ_XY);
  using Log = std::vector<std::string>;
  // Windows extracted before the layers came take their cut again for them.
  EXPECT_EQ(Only(log, " 0"), (Log{"first cut 0", "second cut 0", "first paint 0", "second paint 0"}));
  // Painted over in order on the mapped picture; drawn on the window after it, in order.
  EXPECT_EQ(orvtest::PixelAt(xy, 0, 0), wxColour(30 * OctantValue(0, 0, 20), 200, 200));
  EXPECT_EQ(orvtest::PixelAt(xy, 5, 5), *wxWHITE);
  // The XY slice lies at the cut's depth, one voxel per pixel at zoom 1.
  EXPECT_EQ(first.slices[0].size, Vector3d<unsigned>(80, 60, 1));
  EXPECT_EQ(first.slices[0].offset.z, 20.5f);

  // A new mapping paints over again without resampling; a repaint only draws.
  PaintAll();
  log.clear();
  orv::orv_MappingEvent mapping(false);
  canvas->MappingChanged(mapping);
  PaintAll();
  EXPECT_TRUE(Only(log, "cut").empty());
  EXPECT_EQ(Only(log, "paint").size(), 6u);

  // An autofocus window hands the layers its projection's slice.
  canvas->ChangeContent(orv::CONTENT_AUTOFOCUS, PROJ_XZ);
  log.clear();
  Paint(PROJ_XZ);
  EXPECT_EQ(Only(log, "cut"), (Log{"first cut 1 projection", "second cut 1 projection"}));

  log.clear();
  orvtest::SendMouse(Win(PROJ_YZ), wxEVT_LEFT_DOWN, wxPoint(5, 7));
  EXPECT_EQ(log, (Log{"first mouse 2", "second mouse 2"}));
}
