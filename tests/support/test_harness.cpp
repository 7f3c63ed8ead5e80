// Proves each piece of the GUI harness on the real X server.

#include "gui_test.h"

#include <gtest/gtest-spi.h>

#include <wx/glcanvas.h>
#include <wx/uiaction.h>

#include <vector>

namespace {

// A frame whose client area paints a blue background with a red square at
// (10, 10)-(29, 29), and records the keys and mouse clicks it receives.
class ProbeFrame : public wxFrame {
public:
  ProbeFrame() : wxFrame(nullptr, wxID_ANY, "probe") {
    m_panel = new wxWindow(this, wxID_ANY);
    m_panel->SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_panel->Bind(wxEVT_PAINT, &ProbeFrame::OnPaint, this);
    m_panel->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) { keys.push_back(e.GetKeyCode()); });
    m_panel->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) { clicks.push_back(e.GetPosition()); });
    SetClientSize(120, 80);
  }
  wxWindow* panel() const { return m_panel; }
  std::vector<int> keys;
  std::vector<wxPoint> clicks;
  int paints = 0;

private:
  void OnPaint(wxPaintEvent&) {
    wxPaintDC dc(m_panel);
    dc.SetBackground(wxBrush(wxColour(0, 0, 255)));
    dc.Clear();
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxColour(255, 0, 0)));
    dc.DrawRectangle(10, 10, 20, 20);
    ++paints;
  }
  wxWindow* m_panel;
};

}  // namespace

TEST(Harness, PaintNowRunsThePaintHandlerAndTheScreenShowsIt) {
  auto* frame = new ProbeFrame;
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  const int before = frame->paints;
  orvtest::PaintNow(frame->panel());
  EXPECT_GT(frame->paints, before);
  const wxImage shot = orvtest::GrabClientArea(frame->panel());
  ASSERT_TRUE(shot.IsOk());
  EXPECT_EQ(orvtest::PixelAt(shot, 10, 10), wxColour(255, 0, 0));
  EXPECT_EQ(orvtest::PixelAt(shot, 29, 29), wxColour(255, 0, 0));
  EXPECT_EQ(orvtest::PixelAt(shot, 30, 30), wxColour(0, 0, 255));
  EXPECT_EQ(orvtest::PixelAt(shot, 9, 20), wxColour(0, 0, 255));
}

TEST(Harness, SynthesisedKeysAndMouseEventsReachTheWindow) {
  auto* frame = new ProbeFrame;
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  orvtest::SendKeyDown(frame->panel(), WXK_PAGEDOWN, wxMOD_ALT);
  orvtest::SendMouse(frame->panel(), wxEVT_LEFT_DOWN, wxPoint(7, 9));
  EXPECT_EQ(frame->keys, std::vector<int>{WXK_PAGEDOWN});
  ASSERT_EQ(frame->clicks.size(), 1u);
  EXPECT_EQ(frame->clicks[0], wxPoint(7, 9));
}

TEST(Harness, SimulatedInputTravelsThroughTheXServer) {
  auto* frame = new ProbeFrame;
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  ASSERT_TRUE(orvtest::FocusAndWait(frame->panel()));
  wxUIActionSimulator simulator;
  simulator.Char('c');
  EXPECT_TRUE(orvtest::PumpUntil([&] { return !frame->keys.empty(); }));
  EXPECT_EQ(frame->keys, std::vector<int>{'C'});

  simulator.MouseMove(frame->panel()->ClientToScreen(wxPoint(40, 30)));
  simulator.MouseClick();
  ASSERT_TRUE(orvtest::PumpUntil([&] { return !frame->clicks.empty(); }));
  EXPECT_EQ(frame->clicks[0], wxPoint(40, 30));
}

TEST(Harness, MessageBoxesAreAnsweredWithTheirExactTexts) {
  int answer = 0;
  wxTEST_DIALOG(answer = wxMessageBox("Min value must be less than max value.", "Error"),
                orvtest::ExpectMessageBox("Min value must be less than max value.", "Error"));
  EXPECT_EQ(answer, wxOK);
  wxTEST_DIALOG(answer = wxMessageBox("Discard?", "Question", wxYES_NO),
                orvtest::ExpectMessageBox("Discard?", "Question", wxID_NO));
  EXPECT_EQ(answer, wxNO);
}

TEST(Harness, AnUnexpectedDialogIsCancelledAndFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(wxMessageBox("surprise", "Error"), "unexpected modal dialog");
}

TEST(Harness, AssertionsFailTheTestUnlessCaptured) {
  {
    orvtest::AssertCapture capture;
    wxFAIL_MSG("lbl_idx < m_label_names.GetCount()");
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_NE(capture.Messages()[0].find("lbl_idx < m_label_names.GetCount()"), std::string::npos);
  }
  EXPECT_NONFATAL_FAILURE(wxFAIL_MSG("reported"), "wx assertion");
}

TEST(Harness, OpenGLRendersUnderXvfb) {
  orvtest::GLTestWindow gl(wxSize(64, 48));
  ASSERT_TRUE(gl.ok()) << gl.error();
  int major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  EXPECT_GE(major * 10 + minor, 20) << "OpenGL 2.0 is the floor the volume window needs";
  EXPECT_TRUE(GLEW_VERSION_1_2) << "glTexImage3D";
  GLint max3d = 0;
  glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &max3d);
  EXPECT_GE(max3d, 256);

  glViewport(0, 0, 64, 48);
  glClearColor(0.f, 0.5f, 1.f, 1.f);
  glClear(GL_COLOR_BUFFER_BIT);
  unsigned char pixel[4] = {};
  glReadBuffer(GL_BACK);
  glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(pixel[0], 0);
  EXPECT_NEAR(pixel[1], 128, 1);
  EXPECT_EQ(pixel[2], 255);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
