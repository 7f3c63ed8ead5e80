// The histogram graph and the gradient stripe: geometry by hand, then the
// painted pixels.

#include "gui_test.h"

#include "histgraph_geometry.h"

#include <orv/histgraph.h>

#include <algorithm>
#include <vector>

using orv::HistogramBars;

namespace {

// Bins of a hand-made histogram: the last bin (100) does not set the scale.
const unsigned kCounts[5] = {2, 4, 0, 1, 100};

template <class Widget>
wxImage Rendered(const Widget& widget, wxSize size) {
  wxBitmap bitmap(size.x, size.y, 24);
  {
    wxMemoryDC dc(bitmap);
    widget.Render(dc, size);
  }
  return bitmap.ConvertToImage();
}

// Height of the run of `colour` pixels ending at row `base` in column x.
int RunAbove(const wxImage& image, int x, int base, const wxColour& colour) {
  int h = 0;
  while (base - h >= 0 && orvtest::PixelAt(image, x, base - h) == colour) ++h;
  return h;
}

}  // namespace

TEST(HistGraphGeometry, LinearAndLogarithmicBarsByHand) {
  // W 104, H 54, margins 4: s = 100 / 4 = 25; room 50; the scale is 4.
  const auto linear = HistogramBars(kCounts, 5, 104, 54, 4, 4, false);
  ASSERT_EQ(linear.size(), 5u);
  EXPECT_EQ(linear[0].x, 2);
  EXPECT_EQ(linear[3].x, 77);
  EXPECT_EQ(linear[0].width, 25);
  EXPECT_EQ(linear[0].height, 25);
  EXPECT_EQ(linear[1].height, 50);
  EXPECT_EQ(linear[2].height, 0);
  EXPECT_EQ(linear[3].height, 13);  // 12.5 rounds away from zero
  EXPECT_EQ(linear[4].height, 50);  // never above the frame

  const auto log = HistogramBars(kCounts, 5, 104, 54, 4, 4, true);
  EXPECT_EQ(log[0].height, 25);  // log 2 / log 4 of 50
  EXPECT_EQ(log[1].height, 50);
  EXPECT_EQ(log[3].height, 1);  // log 1 = 0, but a non-zero count shows
  EXPECT_EQ(log[4].height, 50);

  // A largest count of 1 must not divide by log 1 = 0.
  const unsigned ones[4] = {1, 0, 1, 1};
  const auto flat = HistogramBars(ones, 4, 34, 24, 4, 4, true);
  EXPECT_EQ(flat[0].height, 20);
  EXPECT_EQ(flat[1].height, 0);
  EXPECT_EQ(orv::GridStep(102, 8), 13);  // 12.75

  // Far more bins than pixels: one bar per column, the tallest of its bins.
  std::vector<unsigned> many(1000000, 1);
  many[500000] = 40;
  const auto columns = HistogramBars(many.data(), unsigned(many.size()), 104, 54, 4, 4, false);
  EXPECT_LE(columns.size(), 101u);
  for (std::size_t i = 1; i < columns.size(); ++i) ASSERT_GT(columns[i].x, columns[i - 1].x);
  const auto tallest = std::max_element(columns.begin(), columns.end(),
                                        [](const auto& a, const auto& b) { return a.height < b.height; });
  EXPECT_EQ(tallest->height, 50);
  EXPECT_EQ(tallest->x, 52);  // floor(500000 * 100 / 999999) + 2
  EXPECT_EQ(columns.front().height, 1);
  EXPECT_EQ(orv::GridStep(100, 8), 13);  // 12.5 away from zero
}

TEST(HistGraph, PaintsFrameGridAndBars) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "graph");
  orv::Histogram<unsigned char> h;
  h.Init(0, 4, 5);
  for (unsigned i = 0; i < 5; ++i) h[i] = kCounts[i];
  auto* graph = new orv::HistGraph<unsigned char>(frame, wxID_ANY, &h, wxDefaultPosition, wxSize(104, 54));
  graph->SetBarColour(*wxBLACK);
  graph->SetType(orv::HistGraph<unsigned char>::LINEAR);
  graph->SetDivisions(8, 4);
  const wxImage linear = Rendered(*graph, wxSize(104, 54));
  const wxColour frameColour(158, 154, 145), white(255, 255, 255);
  // Frame at (1, 1) size 102 x 52; the base line of the bars is row 52.
  EXPECT_EQ(orvtest::PixelAt(linear, 1, 20), frameColour);
  EXPECT_EQ(orvtest::PixelAt(linear, 0, 20), white);
  EXPECT_EQ(orvtest::PixelAt(linear, 60, 1), frameColour);
  // Vertical grid every 13 pixels from x 1: x = 14, 27, ...; horizontal every 13 from y 1.
  EXPECT_EQ(orvtest::PixelAt(linear, 66, 10), frameColour);  // 1 + 5 * 13
  EXPECT_EQ(orvtest::PixelAt(linear, 67, 10), white);
  EXPECT_EQ(orvtest::PixelAt(linear, 90, 14), frameColour);  // 1 + 13
  // Bar columns at their centres: 25, 50, none, 13 pixels.
  EXPECT_EQ(RunAbove(linear, 10, 51, *wxBLACK), 25);
  EXPECT_EQ(RunAbove(linear, 36, 51, *wxBLACK), 50);
  EXPECT_EQ(RunAbove(linear, 60, 51, *wxBLACK), 0);
  EXPECT_EQ(RunAbove(linear, 85, 51, *wxBLACK), 13);

  graph->SetType(orv::HistGraph<unsigned char>::LOGARITHMIC);
  const wxImage log = Rendered(*graph, wxSize(104, 54));
  EXPECT_EQ(RunAbove(log, 10, 51, *wxBLACK), 25);
  EXPECT_EQ(RunAbove(log, 85, 51, *wxBLACK), 1);

  // The window shows what Render draws.
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  graph->SetSize(104, 54);
  orvtest::PaintNow(graph);
  const wxImage screen = orvtest::GrabClientArea(graph);
  EXPECT_EQ(RunAbove(screen, 36, 51, *wxBLACK), 50);
  // The graph does not own the histogram: it must go before `h` does.
  frame->Destroy();
  orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
}

TEST(GradStripe, ColoursLeftBetweenAndRightOfTheMarkers) {
  const wxColour below(0, 0, 0), above(255, 255, 255), ramp(255, 0, 0);
  auto at = [&](int column, int lower, int upper, double gamma) {
    return orv::StripeColour(column, 256, 256, lower, upper, true, gamma, below, above, ramp);
  };
  EXPECT_EQ(at(10, 64, 191, 1.0), below);
  EXPECT_EQ(at(64, 64, 191, 1.0), wxColour(0, 0, 0));        // d = 0
  EXPECT_EQ(at(127, 64, 191, 1.0), wxColour(126, 0, 0));     // 255 * 63 / 128 = 125.5
  EXPECT_EQ(at(191, 64, 191, 1.0), wxColour(253, 0, 0));     // 255 * 127 / 128
  EXPECT_EQ(at(192, 64, 191, 1.0), above);
  EXPECT_EQ(at(96, 64, 191, 2.0), wxColour(128, 0, 0));      // 255 * (32 / 128)^(1/2) = 127.5
  EXPECT_EQ(at(255, 0, 255, 1.0), wxColour(254, 0, 0));      // no part above the last step
  // Crossed markers: the outer colours swap and the ramp runs right to left.
  EXPECT_EQ(at(10, 191, 64, 1.0), above);
  EXPECT_EQ(at(200, 191, 64, 1.0), below);
  EXPECT_EQ(at(191, 191, 64, 1.0), wxColour(0, 0, 0));
  EXPECT_EQ(at(64, 191, 64, 1.0), wxColour(253, 0, 0));
  // A flat stripe shows the ramp colour between the markers.
  EXPECT_EQ(orv::StripeColour(100, 256, 256, 64, 191, false, 1.0, below, above, ramp), ramp);
  // Fewer steps than pixels: position p starts at pixel p * 256 / 16.
  EXPECT_EQ(orv::StripeColour(63, 256, 16, 4, 11, true, 1.0, below, above, ramp), below);
  EXPECT_EQ(orv::StripeColour(64, 256, 16, 4, 11, true, 1.0, below, above, ramp), wxColour(0, 0, 0));
  EXPECT_EQ(orv::StripeColour(192, 256, 16, 4, 11, true, 1.0, below, above, ramp), above);
  // Millions of steps (an int image's histogram): the whole stripe lies
  // between markers at both ends.
  const int many = 10000000;
  for (int column : {0, 128, 255})
    EXPECT_EQ(orv::StripeColour(column, 256, many, 0, many - 1, false, 1.0, below, above, ramp), ramp) << column;
  EXPECT_EQ(orv::StripeColour(200, 256, many, 0, many / 2, false, 1.0, below, above, ramp), above);
}

TEST(GradStripe, PaintsTheComputedColours) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "stripe");
  auto* stripe = new orv::GradStripe(frame, wxID_ANY, true, *wxBLACK, *wxWHITE, wxColour(0, 255, 0));
  stripe->SetLower(64);
  stripe->SetUpper(191);
  stripe->SetGamma(2.0);
  const wxImage picture = Rendered(*stripe, wxSize(256, 6));
  EXPECT_EQ(orvtest::PixelAt(picture, 10, 3), *wxBLACK);
  EXPECT_EQ(orvtest::PixelAt(picture, 96, 3), wxColour(0, 128, 0));
  EXPECT_EQ(orvtest::PixelAt(picture, 250, 0), *wxWHITE);
  stripe->SetSteps(16);
  EXPECT_EQ(stripe->GetUpper(), 15);
  delete frame;
}
