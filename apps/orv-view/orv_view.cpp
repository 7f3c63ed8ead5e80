// orv-view: the host application. Opens a viewer on an image file, or on the
// built-in sample stack; more open from the "&File" menu or by dropping
// files. With --snapshot FILE.png it paints the window, saves exactly what
// the cut windows show and exits; with --snapshot-3d FILE.png it does the same
// for the volume window; with --save-view, --save-gallery or --save-data it
// saves as the "&View" menu's commands do, without dialogs, and exits.

#include "assertion_log.h"
#include "batch_saves.h"
#include "open_image.h"
#include "options.h"
#include "snapshot.h"
#include "snapshot_3d.h"
#include "viewer_session.h"
#include "zarr_conversion.h"

#include <orv/orv_chunkedview.h>
#include <orv/vol3d_canvas.h>

#include <bix/ChunkCache.h>
#include <bix/Exceptions.h>

#include <wx/filename.h>
#include <wx/wx.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

orvview::ViewerOptions g_options;

// Verbose messages go to the terminal; all others where they went before
// (errors into boxes, for the user to see). Installs itself as the log.
class VerboseToTerminal : public wxLog {
public:
  VerboseToTerminal() : m_previous(wxLog::SetActiveTarget(this)) {}
  ~VerboseToTerminal() override { delete m_previous; }
  void Flush() override {
    if (m_previous) m_previous->Flush();
  }

protected:
  void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo& info) override {
    if (level == wxLOG_Info)
      std::fprintf(stderr, "%s\n", message.utf8_str().data());
    else if (m_previous)
      m_previous->LogRecord(level, message, info);
  }

private:
  wxLog* m_previous;
};

class ViewerApp : public wxApp {
public:
  bool OnInit() override;
  int OnRun() override;
  int OnExit() override;

private:
  void TakeSnapshotWhenShown();

  orv::orv_OrthoscopeFrame* m_frame = nullptr;
  std::unique_ptr<orvview::ViewerSession> m_session;
  bool m_failed = false;
  bool m_cancelled = false;  // the command line's file was not read: the sample shows
  wxDateTime m_failingSince;  // chunks of the snapshot's cuts fail since then
};

// How long a scripted snapshot waits for chunks that keep failing.
constexpr int kGiveUpFailingAfterSeconds = 30;

bool ViewerApp::OnInit() {
  // The library's debug messages (the levels a stretch chose) are for
  // developers: shown only when ORV_DEBUG is set.
  if (!wxGetEnv("ORV_DEBUG", nullptr)) wxLog::SetLogLevel(wxLOG_Info);
  if (g_options.verbose) {
    wxLog::SetVerbose(true);
    new VerboseToTerminal;
  }
#ifdef NDEBUG
  orvview::LogAssertionsInsteadOfAsking();
#endif
  wxInitAllImageHandlers();
  // Label surfaces are shown smoothed (the volume window's View menu turns it off).
  orv::vol3D_VolVisCanvas::SetSmoothSurfacesByDefault(true);
  // Nobody answers a message box in a scripted run: the log goes to the terminal.
  if (g_options.Scripted()) delete wxLog::SetActiveTarget(new wxLogStderr);
  try {
    m_frame = orvview::OpenStartViewer(g_options, m_cancelled);
  } catch (const orvview::OptionError& e) {
    m_failed = true;
    std::fprintf(stderr, "orv-view: %s\n", e.what());
    if (!g_options.Scripted()) wxMessageBox(wxString::FromUTF8(e.what()), "orv-view", wxOK | wxICON_ERROR);
    return true;
  } catch (const std::exception& e) {
    m_failed = true;
    std::fprintf(stderr, "orv-view: %s\n", e.what());
    if (!g_options.Scripted())
      wxMessageBox(wxString::Format("The image cannot be opened.\n\n%s", wxString::FromUTF8(e.what())), "orv-view",
                   wxOK | wxICON_ERROR);
    return true;  // OnRun reports the failure as the exit status
  }
  m_session = std::make_unique<orvview::ViewerSession>(g_options, orvview::DefaultConfigFile());
  m_session->Adopt(m_frame);
  // A snapshot is a script's run, not a file the user looked at.
  if (!g_options.Scripted() && !g_options.image.empty() && !m_cancelled)
    m_session->AddRecent(wxString::FromUTF8(g_options.image));
  m_frame->Show();
  if (g_options.Scripted()) CallAfter(&ViewerApp::TakeSnapshotWhenShown);
  return true;
}

int ViewerApp::OnExit() {
  m_session.reset();
  return wxApp::OnExit();
}

int ViewerApp::OnRun() {
  if (!m_frame) return 1;
  const int rc = wxApp::OnRun();
  return m_failed ? 1 : rc;
}

void ViewerApp::TakeSnapshotWhenShown() {
  orv::orv_OrthoscopeCanvas* canvas = m_frame->GetCanvas();
  if (!m_frame->IsShownOnScreen() || !canvas->GetDrWin(orv::PROJ_XY)->IsShownOnScreen()) {
    wxMilliSleep(5);
    CallAfter(&ViewerApp::TakeSnapshotWhenShown);
    return;
  }
  // An image shown from its chunks is saved at rest, once every cut has
  // the detail its zoom asks for; chunks that keep failing end the wait.
  if (auto* chunked = canvas->GetChunkedView(); chunked && !orvview::CutsAtRest(*canvas)) {
    if (chunked->GetChunkFailure().empty()) {
      m_failingSince = wxDateTime();
    } else if (!m_failingSince.IsValid()) {
      m_failingSince = wxDateTime::UNow();
    } else if ((wxDateTime::UNow() - m_failingSince).GetSeconds() >= kGiveUpFailingAfterSeconds) {
      std::fprintf(stderr, "orv-view: %s\n", chunked->GetChunkFailure().utf8_string().c_str());
      m_failed = true;
      m_frame->Close(true);
      return;
    }
    wxMilliSleep(5);
    CallAfter(&ViewerApp::TakeSnapshotWhenShown);
    return;
  }
  if (!g_options.snapshot.empty()) {
    const wxString path = wxString::FromUTF8(g_options.snapshot);
    const std::string error = orvview::SaveCanvasSnapshot(canvas, path);
    if (error.empty()) {
      wxPrintf("orv-view: snapshot of the three cuts saved to %s\n", path);
    } else {
      std::fprintf(stderr, "orv-view: %s\n", error.c_str());
      m_failed = true;
    }
  }
  if (!g_options.snapshot3d.empty()) {
    const std::string error =
        orvview::SaveVolumeSnapshot(m_frame, orvview::ViewDirectionIndex(g_options.view3d),
                                    wxString::FromUTF8(g_options.snapshot3d), g_options.maximumIntensity);
    if (error.empty()) {
      wxPrintf("orv-view: snapshot of the volume window saved to %s\n", wxString::FromUTF8(g_options.snapshot3d));
    } else {
      std::fprintf(stderr, "orv-view: %s\n", error.c_str());
      m_failed = true;
    }
  }
  if (g_options.saves.Any() && !orvview::RunBatchSaves(m_frame, g_options.saves)) m_failed = true;
  m_frame->Close(true);
}

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(ViewerApp);

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string error = orvview::ParseOptions(args, g_options);
  if (!error.empty()) {
    std::fprintf(stderr, "orv-view: %s\n\n%s", error.c_str(), orvview::Usage().c_str());
    return 2;
  }
  if (g_options.help) {
    std::fputs(orvview::Usage().c_str(), stdout);
    return 0;
  }
  if (g_options.version) {
    std::printf("orv-view %s\n", ORV_VERSION);
    return 0;
  }
  if (g_options.cacheBytes) bix::SharedChunkCache().SetBudget(g_options.cacheBytes);
  // A conversion to OME-Zarr needs no viewer, no display and not the whole image in memory.
  if (orvview::IsZarrConversion(g_options)) return orvview::RunZarrConversion(g_options);
  // GTK would only say "Unable to initialize GTK+, is DISPLAY set properly?".
  if (!orvview::HasDisplay()) {
    std::fputs(orvview::NoDisplayMessage().c_str(), stderr);
    return 1;
  }
  // wxWidgets sees only the program name: the arguments are ours.
  int wxArgc = 1;
  return wxEntry(wxArgc, argv);
}
