#include "toolkit.h"

#include "assertion_log.h"
#include "options.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <pybind11/pybind11.h>

#include <atomic>
#include <cstdlib>
#include <thread>

namespace orvpy {

namespace {

namespace py = pybind11;

// The application object of a Python process: no command line of its own,
// and the first look at every close request (the viewer's point set must be
// taken before a module asks about unsaved points).
class PythonApp : public wxApp {
public:
  bool OnInit() override {
    wxInitAllImageHandlers();
    SetExitOnFrameDelete(false);
    return true;
  }
  int FilterEvent(wxEvent& event) override {
    if (event.GetEventType() == wxEVT_CLOSE_WINDOW && closing && event.GetEventObject() == closingFrame) closing();
    return Event_Skip;
  }
  std::function<void()> closing;
  wxObject* closingFrame = nullptr;
};

std::thread::id g_toolkitThread;
bool g_started = false;
// The viewer RunUntilClosed shows, for Drive (read on the toolkit's thread only).
orv::orv_OrthoscopeFrame* g_viewer = nullptr;
std::atomic<bool> g_viewerShown{false};

PythonApp& App() { return static_cast<PythonApp&>(*wxTheApp); }

}  // namespace

void StartToolkit() {
  if (g_started) {
    if (std::this_thread::get_id() != g_toolkitThread)
      throw std::runtime_error("orv shows its windows from one thread: the one that first called it");
    return;
  }
  if (!orvview::HasDisplay())
    throw std::runtime_error(
        "orv needs a display to open its windows, also for snapshot(), and DISPLAY is not set; "
        "without a screen, run Python under a virtual X server: xvfb-run -a python3 SCRIPT.py");
  wxApp::SetInstance(new PythonApp);
  static int argc = 1;
  static char name[] = "orv";
  static char* argv[] = {name, nullptr};
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
    throw std::runtime_error("orv cannot open its windows: the display refused the connection");
  // Library debug messages only when asked for; failed assertions are logged,
  // never asked about in a dialog nobody expects.
  if (!wxGetEnv("ORV_DEBUG", nullptr)) wxLog::SetLogLevel(wxLOG_Info);
  orvview::LogAssertionsInsteadOfAsking();
  g_toolkitThread = std::this_thread::get_id();
  g_started = true;
}

void RunUntilClosed(orv::orv_OrthoscopeFrame* frame, const std::function<void()>& onClose) {
  wxGUIEventLoop loop;
  App().closing = onClose;
  App().closingFrame = frame;
  g_viewer = frame;
  frame->Bind(wxEVT_DESTROY, [&, frame](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == frame) {
      g_viewer = nullptr;
      g_viewerShown = false;
      App().closing = nullptr;
      App().closingFrame = nullptr;
      loop.ScheduleExit();
    }
    event.Skip();
  });
  frame->Bind(wxEVT_IDLE, [frame](wxIdleEvent& event) {
    if (frame->GetCanvas() && frame->GetCanvas()->GetDrWin(orv::PROJ_XY)->IsShownOnScreen()) g_viewerShown = true;
    event.Skip();
  });
  frame->Show();
  frame->Raise();
  loop.Run();
}

std::string UseWhenShown(orv::orv_OrthoscopeFrame* frame, const std::function<std::string()>& use) {
  wxGUIEventLoop loop;
  std::string result;
  bool destroyed = false;
  frame->Bind(wxEVT_DESTROY, [&, frame](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == frame) {
      destroyed = true;
      loop.ScheduleExit();
    }
    event.Skip();
  });
  std::function<void()> attempt = [&] {
    if (!frame->IsShownOnScreen() || !frame->GetCanvas()->GetDrWin(orv::PROJ_XY)->IsShownOnScreen()) {
      wxMilliSleep(5);
      wxTheApp->CallAfter(attempt);
      return;
    }
    result = use();
    frame->Destroy();
  };
  frame->Show();
  wxTheApp->CallAfter(attempt);
  loop.Run();
  if (!destroyed) frame->Destroy();
  return result;
}

bool ViewerShown() { return g_viewerShown; }

void Drive(const std::string& action) {
  if (!g_started) throw std::runtime_error("no viewer is open");
  if (action != "right-click-xy" && action != "close") throw py::value_error("unknown action '" + action + "'");
  wxTheApp->CallAfter([action] {
    if (!g_viewer) return;
    if (action == "close") {
      g_viewer->Close();
      return;
    }
    orv::orv_DrWin3d* xy = g_viewer->GetCanvas()->GetDrWin(orv::PROJ_XY);
    const wxSize size = xy->GetClientSize();
    for (wxEventType type : {wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP}) {
      wxMouseEvent click(type);
      click.SetEventObject(xy);
      click.SetId(xy->GetId());
      click.m_x = size.x / 2;
      click.m_y = size.y / 2;
      click.m_rightDown = type == wxEVT_RIGHT_DOWN;
      xy->GetEventHandler()->ProcessEvent(click);
    }
  });
}

}  // namespace orvpy
