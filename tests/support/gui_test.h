#ifndef ORV_TESTS_GUI_TEST_H
#define ORV_TESTS_GUI_TEST_H

// The GUI test harness: event pumping, painting, reading screen pixels,
// simulated input, modal dialogs answered by the test and an OpenGL context,
// all on the private X server that scripts/test starts.

#include <GL/glew.h>

#include <gtest/gtest.h>

#include <wx/log.h>
#include <wx/colordlg.h>
#include <wx/glcanvas.h>
#include <wx/wx.h>

#include <functional>
#include <string>
#include <vector>

namespace orvtest {
class TestModalHook;
}
// wxTEST_DIALOG then uses our hook, which cancels unexpected dialogs instead
// of letting them run (a hang) and reports them as test failures.
#define wxTEST_DIALOG_HOOK_CLASS orvtest::TestModalHook
#include <wx/testing.h>

namespace orvtest {

// Processes every pending event and idle handler (which also destroys
// windows whose deletion is pending).
void Pump();
// Pumps until `done` holds or `timeoutMs` elapsed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);

// Shows and raises a top-level window and waits until it is on screen and
// active (without a window manager Show() alone never activates a frame).
bool ShowAndActivate(wxTopLevelWindow* window);
// Gives `window` the keyboard focus and waits until it has it.
bool FocusAndWait(wxWindow* window);

// Runs the paint handler of `window` now (GTK paints asynchronously otherwise).
void PaintNow(wxWindow* window);
// What the X server shows in the client area of `window` (it must be unobscured).
wxImage GrabClientArea(wxWindow* window);
// The colour of one pixel of an image, for compact comparisons.
wxColour PixelAt(const wxImage& image, int x, int y);
// Whether two pictures have the same size and the same RGB pixels.
bool SamePixels(const wxImage& a, const wxImage& b);

// Hands a synthesised key-down event to `window`'s handler. Returns whether a
// handler processed it without skipping.
bool SendKeyDown(wxWindow* window, int keyCode, int modifiers = wxMOD_NONE, wxPoint mouse = wxPoint(-1, -1));
// Hands a synthesised mouse event at client position `at` to `window`'s handler.
bool SendMouse(wxWindow* window, wxEventType type, wxPoint at, int modifiers = wxMOD_NONE);

// Hook used by wxTEST_DIALOG (see above).
class TestModalHook : public wxTestingModalHook {
public:
  TestModalHook(const char* file, int line, const char* func);

protected:
  int Enter(wxDialog* dialog) override;
  void ReportFailure(const wxString& message) override;

private:
  std::string m_where;
};

// Expects a message box with exactly this message and caption and answers it.
class ExpectMessageBox : public wxExpectModalBase<wxMessageDialog, ExpectMessageBox> {
public:
  ExpectMessageBox(const wxString& message, const wxString& caption, int answer = wxID_OK);

protected:
  int OnInvoked(wxMessageDialog* dialog) const override;

private:
  wxString m_message;
  wxString m_caption;
  int m_answer;
};

// Expects a modal dialog of type D and lets `answer` drive it; its result is
// what ShowModal returns. The dialog is never shown: call InitDialog() to fill
// its fields from the bound variables.
template <class D>
class ExpectDialog : public wxExpectModalBase<D, ExpectDialog<D>> {
public:
  explicit ExpectDialog(std::function<int(D*)> answer) : m_answer(std::move(answer)) {}

protected:
  int OnInvoked(D* dialog) const override { return m_answer(dialog); }

private:
  std::function<int(D*)> m_answer;
};

// Answers a colour dialog as its user would: `choose` edits the dialog's
// colour data (the colour, custom colours), which is pushed into GTK's
// widget (GTK reads the colour back from it when the dialog ends); the
// dialog then ends with `answer`.
ExpectDialog<wxColourDialog> AnswerColourDialog(std::function<void(wxColourData&)> choose, int answer = wxID_OK);

// Ends a hooked dialog as its OK button would: validated and transferred,
// wxID_CANCEL when validation fails.
int AcceptDialog(wxDialog* dialog);

// A log target that keeps every record, for tests that check messages.
class RecordingLog : public wxLog {
public:
  std::vector<std::pair<wxLogLevel, wxString>> records;

protected:
  void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override {
    records.emplace_back(level, text);
  }
};

// One row of a menu as a user reads it; offset -1 is a separator.
struct MenuRow {
  int offset;
  wxItemKind kind;
  const char* text;  // with its accelerator
  const char* help;
};
// Expects `menu` to hold exactly these rows, each item's id at base + offset.
void ExpectMenuRows(const wxMenu* menu, int base, const std::vector<MenuRow>& rows);

// Clicks a button of a dialog by sending the command its handler receives.
void ClickButton(wxWindow* dialog, int id);
// Replaces a text field's text as typing would (marking it edited) and
// presses Enter in it.
void TypeAndEnter(wxTextCtrl* field, const wxString& text);

// While alive, wx assertions are recorded here instead of failing the test.
class AssertCapture {
public:
  AssertCapture();
  ~AssertCapture();
  const std::vector<std::string>& Messages() const { return m_messages; }

  static AssertCapture* Active();
  void Record(const std::string& message) { m_messages.push_back(message); }

private:
  AssertCapture* m_previous;
  std::vector<std::string> m_messages;
};

// A shown frame holding an OpenGL canvas with a current context and GLEW
// initialised. ok() tells whether all of that succeeded.
class GLTestWindow {
public:
  explicit GLTestWindow(wxSize size = wxSize(64, 48));
  ~GLTestWindow();
  bool ok() const { return m_ok; }
  wxFrame* frame() const { return m_frame; }
  wxGLCanvas* canvas() const { return m_canvas; }
  const std::string& error() const { return m_error; }

private:
  wxFrame* m_frame = nullptr;
  wxGLCanvas* m_canvas = nullptr;
  wxGLContext* m_context = nullptr;
  bool m_ok = false;
  std::string m_error;
};

}  // namespace orvtest

#endif
