// orv-view: the host application. Opens the viewer on the built-in sample
// stack; with --snapshot FILE.png it paints the window, saves exactly what
// the cut windows show and exits.

#include "gray_mapper.h"
#include "sample_volume.h"

#include <orv/orv_frame.h>
#include <orv/orv_imagecanvas.h>

#include <wx/wx.h>

#include <memory>

namespace {

using Canvas = orv::orv_ImageOrthoscopeCanvas<unsigned short>;

class ViewerApp : public wxApp {
public:
  bool OnInit() override;
  int OnRun() override;

private:
  void TakeSnapshotWhenShown();
  bool SaveSnapshot();

  std::unique_ptr<orvview::LinearGrayMapper> m_mapper;
  orv::orv_OrthoscopeFrame* m_frame = nullptr;
  Canvas* m_canvas = nullptr;
  wxString m_snapshot;
  bool m_failed = false;
};

bool ViewerApp::OnInit() {
  for (int i = 1; i < argc; ++i) {
    const wxString arg = argv[i];
    if (arg == "--snapshot" && i + 1 < argc) {
      m_snapshot = argv[++i];
    } else {
      wxFprintf(stderr, "usage: orv-view [--snapshot FILE.png]\n");
      return false;
    }
  }
  wxInitAllImageHandlers();
  std::unique_ptr<bix::Image3d<unsigned short>> image = orvview::MakeSampleVolume();
  m_mapper = std::make_unique<orvview::LinearGrayMapper>(*image);
  m_frame = new orv::orv_OrthoscopeFrame(nullptr, wxID_ANY,
                                         "orv-view: sample stack (256 x 256 x 64, 0.2 x 0.2 x 0.5 um)");
  m_canvas = new Canvas(m_frame, *m_mapper, image.release(), true);
  m_frame->SetCanvas(m_canvas);
  m_canvas->ZoomIn();  // the sample is small: show it at twice its pixel size
  m_frame->ResizeFrameIfRequired();
  m_frame->Show();
  if (!m_snapshot.empty()) CallAfter(&ViewerApp::TakeSnapshotWhenShown);
  return true;
}

int ViewerApp::OnRun() {
  const int rc = wxApp::OnRun();
  return m_failed ? 1 : rc;
}

void ViewerApp::TakeSnapshotWhenShown() {
  if (!m_frame->IsShownOnScreen() || !m_canvas->GetDrWin(orv::PROJ_XY)->IsShownOnScreen()) {
    wxMilliSleep(5);
    CallAfter(&ViewerApp::TakeSnapshotWhenShown);
    return;
  }
  m_failed = !SaveSnapshot();
  m_frame->Close(true);
}

// Composes the canvas as the screen shows it: black background, each shown
// cut window's painted picture at its place.
bool ViewerApp::SaveSnapshot() {
  const wxSize size = m_canvas->GetClientSize();
  wxImage picture(size.x, size.y, true);
  const wxPoint origin = m_canvas->ClientToScreen(wxPoint(0, 0));
  for (orv::orv_ProjectionType w : {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ}) {
    orv::orv_DrWin3d* window = m_canvas->GetDrWin(w);
    if (!window->IsShown()) continue;
    window->Refresh(false);
    window->Update();
    picture.Paste(window->GetBitmapImage(), window->ClientToScreen(wxPoint(0, 0)).x - origin.x,
                  window->ClientToScreen(wxPoint(0, 0)).y - origin.y);
  }
  if (!picture.SaveFile(m_snapshot, wxBITMAP_TYPE_PNG)) {
    wxFprintf(stderr, "orv-view: cannot write the snapshot %s\n", m_snapshot);
    return false;
  }
  wxPrintf("orv-view: snapshot of the three cuts saved to %s\n", m_snapshot);
  return true;
}

}  // namespace

wxIMPLEMENT_APP(ViewerApp);
