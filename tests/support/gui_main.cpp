// Test main of the GUI suites: starts wxWidgets on the X display named by
// DISPLAY, makes everything that could block (log windows, assertion dialogs,
// unexpected modal dialogs, X errors) report into the test instead, and
// destroys every top-level window after each test.

#include "gui_test.h"

#include <wx/evtloop.h>
#include <wx/modalhook.h>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

class TestApp : public wxApp {
public:
  // wxApp::OnInit would reject the arguments it does not know.
  bool OnInit() override { return true; }
};

void OnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
              const wxString& msg) {
  const std::string text = (cond + (msg.empty() ? wxString() : " (" + msg + ")")).utf8_string();
  if (orvtest::AssertCapture* capture = orvtest::AssertCapture::Active()) {
    capture->Record(text);
    return;
  }
  ADD_FAILURE_AT(file.utf8_string().c_str(), line)
      << "wx assertion in " << func.utf8_string() << ": " << text;
}

int OnXError(Display* display, XErrorEvent* error) {
  char text[256];
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "X error (ignored): %s, request %d\n", text, error->request_code);
  return 0;
}

// The last line of defence: a modal dialog that no wxTEST_DIALOG expects is
// cancelled and fails the test.
class UnexpectedDialogHook : public wxModalDialogHook {
protected:
  int Enter(wxDialog* dialog) override {
    ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_string() << "\"";
    return wxID_CANCEL;
  }
  void Exit(wxDialog*) override {}
};

class CloseWindowsAfterEachTest : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    for (wxWindow* window : wxTopLevelWindows) window->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
};

bool DisplayUsable() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    std::fprintf(stderr, "GUI tests need an X display: run scripts/test, which starts Xvfb\n");
    return false;
  }
  Display* display = XOpenDisplay(name);
  if (!display) {
    std::fprintf(stderr, "cannot open X display %s\n", name);
    return false;
  }
  const int depth = DefaultDepth(display, DefaultScreen(display));
  XCloseDisplay(display);
  if (depth < 24) {
    std::fprintf(stderr, "X display %s has depth %d; the GUI tests need 24\n", name, depth);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  // wxGLCanvas and GLEW are GLX-only in Debian's builds.
  setenv("GDK_BACKEND", "x11", 1);
  if (!DisplayUsable()) return 2;

  wxApp::SetInstance(new TestApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "wxWidgets failed to start\n");
    return 2;
  }
  delete wxLog::SetActiveTarget(new wxLogStderr);
  wxInitAllImageHandlers();
  wxSetAssertHandler(OnAssert);
  XSetErrorHandler(OnXError);
  UnexpectedDialogHook fallbackHook;
  fallbackHook.Register();
  wxGUIEventLoop loop;
  wxEventLoopBase::SetActive(&loop);

  ::testing::UnitTest::GetInstance()->listeners().Append(new CloseWindowsAfterEachTest);
  const int result = RUN_ALL_TESTS();

  fallbackHook.Unregister();
  wxEventLoopBase::SetActive(nullptr);
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
