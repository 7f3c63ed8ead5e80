// The min/max control: fields, stripes and markers kept in step, the record
// it is attached to, the crossing rule, and what it tells its parent.

#include "gui_test.h"

#include "level_markers.h"

#include <orv/minmax_ctrl.h>

#include <cmath>

namespace {

template <class T>
struct ControlFrame {
  ControlFrame(bool hasGamma, bool mayCross) {
    frame = new wxFrame(nullptr, wxID_ANY, "min/max");
    panel = new wxPanel(frame);
    control = new orv::VariableMinMaxCtrl<T>(panel, wxID_ANY, hasGamma, mayCross, true, *wxBLACK, *wxWHITE,
                                             *wxWHITE);
    panel->Bind(orv::orv_EVT_MINMAXCTRL, [this](orv::orv_MinMaxCtrlEvent&) { ++changes; });
    frame->SetClientSize(control->GetSize() + wxSize(20, 20));
    orvtest::ShowAndActivate(frame);
  }
  ~ControlFrame() {
    if (control->GetMarkers()->HasCapture()) control->GetMarkers()->ReleaseMouse();
    frame->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  void Mouse(wxEventType type, int position, bool down) {
    orv::Triangles* markers = control->GetMarkers();
    wxMouseEvent e(type);
    e.SetEventObject(markers);
    e.m_x = orv::MarkerPixel(position, markers->GetClientSize().x, stepsForMouse) + 2;
    e.m_y = 4;
    e.m_leftDown = down;
    markers->GetEventHandler()->ProcessEvent(e);
  }
  // Presses at step position `from`, drags to `to` and releases.
  void Drag(int from, int to) {
    Mouse(wxEVT_LEFT_DOWN, from, true);
    Mouse(wxEVT_MOTION, to, true);
    Mouse(wxEVT_LEFT_UP, to, false);
  }

  wxFrame* frame;
  wxPanel* panel;
  orv::VariableMinMaxCtrl<T>* control;
  int changes = 0;
  int stepsForMouse = 256;  // the step count the control was attached with
};

struct Levels {
  unsigned char low = 20, high = 200;
  double gamma = 1.0;
};

}  // namespace

TEST(VariableMinMaxCtrl, AttachShowsTheRecordEverywhere) {
  ControlFrame<unsigned char> f(true, false);
  Levels levels;
  levels.gamma = 10.0;
  f.control->Attach(&levels.low, &levels.high, &levels.gamma, 0, 255, 256);
  EXPECT_EQ(f.control->GetLowerField()->GetValue(), "20");
  EXPECT_EQ(f.control->GetUpperField()->GetValue(), "200");
  EXPECT_EQ(f.control->GetGammaField()->GetValue(), "10.00");
  EXPECT_EQ(f.control->GetMappingStripe()->GetLower(), 20);
  EXPECT_EQ(f.control->GetMappingStripe()->GetUpper(), 200);
  EXPECT_EQ(f.control->GetMarkers()->GetLower(), 20);
  EXPECT_EQ(f.control->GetMarkers()->GetUpper(), 200);
  EXPECT_EQ(f.control->GetMarkers()->GetGammaPosition(), 20) << "gamma 10 sits on the lower marker";
  // The reference stripe always shows the whole range.
  EXPECT_EQ(f.control->GetReferenceStripe()->GetLower(), 0);
  EXPECT_EQ(f.control->GetReferenceStripe()->GetUpper(), 255);
  EXPECT_EQ(f.changes, 0) << "attaching is not an edit";
}

TEST(VariableMinMaxCtrl, TypedLimitsReachTheRecordAndTheParent) {
  ControlFrame<unsigned char> f(true, false);
  Levels levels;
  f.control->Attach(&levels.low, &levels.high, &levels.gamma, 0, 255, 256);

  orvtest::TypeAndEnter(f.control->GetLowerField(), "50");
  EXPECT_EQ(levels.low, 50);
  EXPECT_EQ(f.changes, 1);
  EXPECT_EQ(f.control->GetMarkers()->GetLower(), 50);
  EXPECT_EQ(f.control->GetMappingStripe()->GetLower(), 50);
  EXPECT_EQ(f.control->GetMarkers()->GetGammaPosition(), 125) << "gamma 1: halfway";

  // The lower limit cannot pass the upper one here.
  orvtest::TypeAndEnter(f.control->GetLowerField(), "240");
  EXPECT_EQ(levels.low, 200);
  EXPECT_EQ(f.control->GetLowerField()->GetValue(), "200");
  orvtest::TypeAndEnter(f.control->GetUpperField(), "10");
  EXPECT_EQ(levels.high, 200);
  orvtest::TypeAndEnter(f.control->GetLowerField(), "0");

  // 300 is no 8-bit value: the field shows the variable again, nothing changes.
  const int before = f.changes;
  orvtest::TypeAndEnter(f.control->GetUpperField(), "300");
  EXPECT_EQ(f.control->GetUpperField()->GetValue(), "200");
  EXPECT_EQ(levels.high, 200);
  EXPECT_EQ(f.changes, before);

  orvtest::TypeAndEnter(f.control->GetGammaField(), "0.1");
  EXPECT_DOUBLE_EQ(levels.gamma, 0.1);
  EXPECT_EQ(f.control->GetMarkers()->GetGammaPosition(), 200) << "gamma 0.1 sits on the upper marker";
}

TEST(VariableMinMaxCtrl, ArrowKeysStepAndStopAtTheLimits) {
  ControlFrame<unsigned char> f(false, false);
  unsigned char low = 1, high = 254;
  f.control->Attach(&low, &high, nullptr, 0, 255, 256);
  auto* lower = f.control->GetLowerField();
  orvtest::SendKeyDown(lower, WXK_DOWN);
  EXPECT_EQ(low, 0);
  orvtest::SendKeyDown(lower, WXK_DOWN);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(lower->GetValue(), "0");
  auto* upper = f.control->GetUpperField();
  orvtest::SendKeyDown(upper, WXK_UP);
  orvtest::SendKeyDown(upper, WXK_UP);
  EXPECT_EQ(high, 255);
  EXPECT_EQ(f.control->GetMarkers()->GetUpper(), 255);
}

TEST(VariableMinMaxCtrl, DraggedMarkersSetTheRecord) {
  ControlFrame<unsigned char> f(true, false);
  Levels levels;
  levels.low = 0;
  levels.high = 255;
  f.control->Attach(&levels.low, &levels.high, &levels.gamma, 0, 255, 256);
  f.Drag(0, 60);
  EXPECT_EQ(levels.low, 60);
  EXPECT_EQ(f.control->GetLowerField()->GetValue(), "60");
  f.Drag(255, 160);
  EXPECT_EQ(levels.high, 160);
  // The lower marker stops at the upper one.
  f.Drag(60, 250);
  EXPECT_EQ(levels.low, 160);
  f.Drag(160, 100);  // coinciding markers: the pointer's side (left) takes the lower one
  EXPECT_EQ(levels.low, 100);
  EXPECT_EQ(levels.high, 160);

  // The gamma marker maps back through the formula: h = 30, position 110
  // gives 10^((30 + 100 - 110) / 30).
  const int gammaAt = f.control->GetMarkers()->GetGammaPosition();
  ASSERT_EQ(gammaAt, 130);
  f.Drag(gammaAt, 110);
  EXPECT_NEAR(levels.gamma, std::pow(10.0, 20.0 / 30.0), 1e-9 + 0.005) << "through the 2-decimal field";
  EXPECT_EQ(f.control->GetGammaField()->GetValue(), wxString::Format("%2.2f", std::pow(10.0, 20.0 / 30.0)));
  EXPECT_EQ(f.changes, 5) << "one change per drag";
}

TEST(VariableMinMaxCtrl, AnOutputControlMayInvertTheRange) {
  ControlFrame<unsigned char> f(false, true);
  unsigned char low = 0, high = 255;
  f.control->Attach(&low, &high, nullptr, 0, 255, 256);
  f.Drag(255, 40);  // the upper marker taken past the lower one? it starts at 255, the lower at 0
  EXPECT_EQ(high, 40);
  f.Drag(0, 200);
  EXPECT_EQ(low, 200) << "the lower limit passes the upper one";
  orvtest::TypeAndEnter(f.control->GetUpperField(), "10");
  EXPECT_EQ(high, 10);
  EXPECT_GT(f.control->GetMappingStripe()->GetLower(), f.control->GetMappingStripe()->GetUpper());
}

TEST(VariableMinMaxCtrl, ResetAndReattaching) {
  ControlFrame<unsigned short> f(true, false);
  unsigned short lowA = 100, highA = 900, lowB = 5, highB = 6;
  double gammaA = 2.0, gammaB = 0.5;
  f.control->Attach(&lowA, &highA, &gammaA, 0, 1000, 1001);
  // A value typed but not entered belongs to the record shown when it was typed.
  f.control->GetLowerField()->ChangeValue("123");
  f.control->Attach(&lowB, &highB, &gammaB, 0, 1000, 1001);
  EXPECT_EQ(lowA, 123);
  EXPECT_EQ(f.control->GetLowerField()->GetValue(), "5");
  EXPECT_EQ(f.control->GetGammaField()->GetValue(), "0.50");

  f.control->Reset();
  EXPECT_EQ(lowB, 0);
  EXPECT_EQ(highB, 1000);
  EXPECT_DOUBLE_EQ(gammaB, 1.0);
  EXPECT_EQ(f.control->GetMarkers()->GetLower(), 0);
  EXPECT_EQ(f.control->GetMarkers()->GetUpper(), 1000);
  EXPECT_EQ(f.control->GetMarkers()->GetGammaPosition(), 500);
  EXPECT_EQ(lowA, 123) << "the previous record is left alone";
}

TEST(VariableMinMaxCtrl, WideIntegerAndFloatRangesKeepTheirValues) {
  {
    ControlFrame<int> f(false, false);
    int low = -70000, high = 1234567;
    f.control->Attach(&low, &high, nullptr, -70000, 1234567, 1234567 + 70000 + 1);
    EXPECT_EQ(f.control->GetLowerField()->GetValue(), "-70000");
    EXPECT_EQ(f.control->GetUpperField()->GetValue(), "1234567");
    orvtest::TypeAndEnter(f.control->GetLowerField(), "-12345");
    EXPECT_EQ(low, -12345);
    EXPECT_EQ(high, 1234567) << "the untouched field is written back whole";
    EXPECT_EQ(f.control->GetMarkers()->GetLower(), 70000 - 12345);
  }
  {
    // More values than steps (an int histogram has at most 2^24 bins): the
    // markers spread the range over the steps as the bin centres do, and the
    // last step is the highest value.
    ControlFrame<int> f(false, false);
    int low = 0, high = 100000000;
    const int steps = 1 << 24;
    f.control->Attach(&low, &high, nullptr, 0, 100000000, steps);
    EXPECT_EQ(f.control->GetMarkers()->GetUpper(), steps - 1);
    EXPECT_EQ(f.control->StepToValue(steps - 1), 100000000);
    EXPECT_EQ(f.control->ValueToStep(50000000), steps / 2);  // 0.5 x (2^24 - 1), rounded
    EXPECT_NEAR(f.control->StepToValue(steps / 2), 50000000, 6);
    for (int step : {1, 1000, steps / 3, steps - 2}) EXPECT_EQ(f.control->ValueToStep(f.control->StepToValue(step)), step);
  }
  {
    ControlFrame<float> f(false, false);
    float low = -1.5f, high = 2.5f;
    f.control->Attach(&low, &high, nullptr, -1.5f, 2.5f, 256);
    // Both ends of a floating-point range are positions of the markers.
    EXPECT_EQ(f.control->GetMarkers()->GetLower(), 0);
    EXPECT_EQ(f.control->GetMarkers()->GetUpper(), 255);
    EXPECT_EQ(f.control->ValueToStep(2.5f), 255);
    EXPECT_FLOAT_EQ(f.control->StepToValue(255), 2.5f);
    EXPECT_FLOAT_EQ(f.control->StepToValue(0), -1.5f);
    orvtest::TypeAndEnter(f.control->GetUpperField(), "0.5");
    EXPECT_FLOAT_EQ(high, 0.5f) << "floating-point values are not rounded to integers";
    EXPECT_EQ(f.control->GetMarkers()->GetUpper(), 128);  // (0.5 + 1.5) / 4 * 255 = 127.5
    f.Drag(0, 51);
    EXPECT_NEAR(low, -1.5f + 4.0f * 51 / 255, 1e-5);
  }
}
