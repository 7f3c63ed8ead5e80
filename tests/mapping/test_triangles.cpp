// The level markers driven with the mouse: which marker a press takes, what a
// drag reports, the crossing rule, and the end of a drag.

#include "gui_test.h"

#include "level_markers.h"

#include <orv/triangles.h>

#include <utility>
#include <vector>

namespace {

struct MarkerFixture {
  MarkerFixture(bool hasGamma, bool mayCross) {
    frame = new wxFrame(nullptr, wxID_ANY, "markers");
    // Inside a panel: a frame's only child would be stretched to fill it.
    auto* panel = new wxPanel(frame);
    markers = new orv::Triangles(panel, wxID_ANY, &target, hasGamma, mayCross, *wxBLACK);
    target.Bind(orv::orv_EVT_TRIANGLE, [this](orv::orv_TriangleEvent& e) { sent.emplace_back(e.GetId(), e.GetPosition()); });
    orvtest::ShowAndActivate(frame);
  }
  ~MarkerFixture() {
    if (markers->HasCapture()) markers->ReleaseMouse();
    frame->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  void Mouse(wxEventType type, int x, bool leftDown) {
    wxMouseEvent e(type);
    e.SetEventObject(markers);
    e.m_x = x;
    e.m_y = 4;
    e.m_leftDown = leftDown;
    markers->GetEventHandler()->ProcessEvent(e);
  }
  void Press(int x) { Mouse(wxEVT_LEFT_DOWN, x, true); }
  void DragTo(int x) { Mouse(wxEVT_MOTION, x, true); }
  void Release(int x) { Mouse(wxEVT_LEFT_UP, x, false); }
  // The pixel column of a step position, as the markers draw it.
  int At(int position) { return orv::MarkerPixel(position, 260, 256) + 2; }

  wxEvtHandler target;
  wxFrame* frame;
  orv::Triangles* markers;
  std::vector<std::pair<int, int>> sent;
};

}  // namespace

TEST(Triangles, DraggingALimitReportsItsNewPosition) {
  MarkerFixture f(false, false);
  f.markers->SetSteps(256);
  f.markers->SetUpper(150);
  f.Press(f.At(0));
  EXPECT_EQ(f.markers->GetDragged(), orv::MARKER_LOWER);
  f.DragTo(f.At(100));
  ASSERT_EQ(f.sent.size(), 1u);
  EXPECT_EQ(f.sent[0], std::make_pair(1, 100));
  f.markers->SetLower(100);  // the owner accepts the value
  f.DragTo(f.At(100));       // no change: nothing sent
  EXPECT_EQ(f.sent.size(), 1u);
  f.DragTo(f.At(240));  // the lower limit stops at the upper one
  EXPECT_EQ(f.sent.back(), std::make_pair(1, 150));
  f.Release(f.At(240));
  EXPECT_EQ(f.markers->GetDragged(), orv::MARKER_NONE);
  f.Mouse(wxEVT_MOTION, f.At(20), false);
  EXPECT_EQ(f.sent.size(), 2u);

  f.Press(f.At(160));  // nearer the upper marker
  EXPECT_EQ(f.markers->GetDragged(), orv::MARKER_UPPER);
  f.DragTo(f.At(10));  // the upper limit stops at the lower one
  EXPECT_EQ(f.sent.back(), std::make_pair(0, 100));
  f.Release(f.At(10));
}

TEST(Triangles, AnOutputControlLetsTheLimitsCross) {
  MarkerFixture f(false, true);
  f.markers->SetSteps(256);
  f.markers->SetUpper(150);
  f.Press(f.At(0));
  f.DragTo(f.At(200));
  EXPECT_EQ(f.sent.back(), std::make_pair(1, 200));
  f.Release(f.At(200));
}

TEST(Triangles, TheGammaMarkerMovesOnlyBetweenTheLimits) {
  MarkerFixture f(true, false);
  f.markers->SetSteps(256);
  f.markers->SetUpper(200);
  EXPECT_EQ(f.markers->GetGammaPosition(), 100);
  f.Press(f.At(101));
  EXPECT_EQ(f.markers->GetDragged(), orv::MARKER_GAMMA);
  f.DragTo(f.At(230));  // beyond the upper limit: not sent
  EXPECT_TRUE(f.sent.empty());
  f.DragTo(f.At(150));
  EXPECT_EQ(f.sent.back(), std::make_pair(2, 150));
  f.Release(f.At(150));
  f.markers->SetGamma(10.0);
  EXPECT_EQ(f.markers->GetGammaPosition(), 0);
}

TEST(Triangles, MarkersArePaintedAtTheirPositions) {
  MarkerFixture f(true, false);
  f.markers->SetSteps(256);
  f.markers->SetLower(51);
  wxBitmap bitmap(260, 8, 24);
  {
    wxMemoryDC dc(bitmap);
    f.markers->Render(dc, wxSize(260, 8));
  }
  const wxImage image = bitmap.ConvertToImage();
  auto dark = [&](int x, int y) { return image.GetRed(x, y) < 100; };
  EXPECT_TRUE(dark(f.At(51), 5));   // the lower marker's body
  EXPECT_TRUE(dark(f.At(255), 5));  // the upper one
  EXPECT_FALSE(dark(f.At(51) + 20, 5));
}
