#include "gui_test.h"

#include <cstring>

#include <wx/evtloop.h>
#include <wx/glcanvas.h>

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>

namespace orvtest {

void Pump() {
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  for (int round = 0; round < 2; ++round) {
    if (loop)
      while (loop->Pending()) loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
  }
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return done();
    Pump();
    if (!done()) wxMilliSleep(1);
  }
  return true;
}

bool ShowAndActivate(wxTopLevelWindow* window) {
  window->Show();
  window->Raise();
  return PumpUntil([window] { return window->IsShownOnScreen() && window->IsActive(); });
}

bool FocusAndWait(wxWindow* window) {
  window->SetFocus();
  return PumpUntil([window] { return wxWindow::FindFocus() == window; });
}

void PaintNow(wxWindow* window) {
  window->Refresh(false);
  window->Update();
}

wxImage GrabClientArea(wxWindow* window) {
  Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  gdk_display_sync(gdk_display_get_default());
  XSync(display, False);
  const wxPoint origin = window->ClientToScreen(wxPoint(0, 0));
  const wxSize size = window->GetClientSize();
  wxImage image(size.x, size.y);
  if (size.x <= 0 || size.y <= 0) return image;
  XImage* x = XGetImage(display, DefaultRootWindow(display), origin.x, origin.y, size.x, size.y,
                        AllPlanes, ZPixmap);
  if (!x) return wxImage();
  auto channel = [](unsigned long pixel, unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
      mask >>= 1;
      ++shift;
    }
    return static_cast<unsigned char>(((pixel >> shift) & mask) * 255 / (mask ? mask : 1));
  };
  for (int j = 0; j < size.y; ++j) {
    for (int i = 0; i < size.x; ++i) {
      const unsigned long p = XGetPixel(x, i, j);
      image.SetRGB(i, j, channel(p, x->red_mask), channel(p, x->green_mask), channel(p, x->blue_mask));
    }
  }
  XDestroyImage(x);
  return image;
}

wxColour PixelAt(const wxImage& image, int x, int y) {
  return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

bool SamePixels(const wxImage& a, const wxImage& b) {
  return a.IsOk() && b.IsOk() && a.GetSize() == b.GetSize() &&
         std::memcmp(a.GetData(), b.GetData(), std::size_t(a.GetWidth()) * a.GetHeight() * 3) == 0;
}

bool SendKeyDown(wxWindow* window, int keyCode, int modifiers, wxPoint mouse) {
  wxKeyEvent event(wxEVT_KEY_DOWN);
  event.SetEventObject(window);
  event.SetId(window->GetId());
  event.m_keyCode = keyCode;
  event.m_controlDown = (modifiers & wxMOD_CONTROL) != 0;
  event.m_altDown = (modifiers & wxMOD_ALT) != 0;
  event.m_shiftDown = (modifiers & wxMOD_SHIFT) != 0;
  event.m_x = mouse.x;
  event.m_y = mouse.y;
  return window->GetEventHandler()->ProcessEvent(event);
}

bool SendMouse(wxWindow* window, wxEventType type, wxPoint at, int modifiers) {
  wxMouseEvent event(type);
  event.SetEventObject(window);
  event.SetId(window->GetId());
  event.m_x = at.x;
  event.m_y = at.y;
  event.m_controlDown = (modifiers & wxMOD_CONTROL) != 0;
  event.m_altDown = (modifiers & wxMOD_ALT) != 0;
  event.m_shiftDown = (modifiers & wxMOD_SHIFT) != 0;
  event.m_leftDown = type == wxEVT_LEFT_DOWN;
  return window->GetEventHandler()->ProcessEvent(event);
}

void TypeAndEnter(wxTextCtrl* field, const wxString& text) {
  field->ChangeValue(text);
  field->MarkDirty();
  wxCommandEvent enter(wxEVT_TEXT_ENTER, field->GetId());
  enter.SetEventObject(field);
  field->GetEventHandler()->ProcessEvent(enter);
}

void ClickButton(wxWindow* dialog, int id) {
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(dialog->FindWindow(id));
  dialog->ProcessWindowEvent(click);
}

TestModalHook::TestModalHook(const char* file, int line, const char* func)
    : wxTestingModalHook(file, line, func),
      m_where(std::string(file ? file : "?") + ":" + std::to_string(line)) {}

int TestModalHook::Enter(wxDialog* dialog) {
  const int answer = wxTestingModalHook::Enter(dialog);
  // An unexpected dialog was reported already; cancel it rather than run it.
  return answer == wxID_NONE ? wxID_CANCEL : answer;
}

void TestModalHook::ReportFailure(const wxString& message) {
  ADD_FAILURE() << m_where << ": " << message.utf8_string();
}

ExpectMessageBox::ExpectMessageBox(const wxString& message, const wxString& caption, int answer)
    : m_message(message), m_caption(caption), m_answer(answer) {
  m_description = "message box \"" + message + "\"";
}

int ExpectMessageBox::OnInvoked(wxMessageDialog* dialog) const {
  EXPECT_EQ(dialog->GetMessage().utf8_string(), m_message.utf8_string());
  EXPECT_EQ(dialog->GetCaption().utf8_string(), m_caption.utf8_string());
  return m_answer;
}

namespace {
AssertCapture* g_assertCapture = nullptr;
}

AssertCapture::AssertCapture() : m_previous(g_assertCapture) { g_assertCapture = this; }
AssertCapture::~AssertCapture() { g_assertCapture = m_previous; }
AssertCapture* AssertCapture::Active() { return g_assertCapture; }

GLTestWindow::GLTestWindow(wxSize size) {
  m_frame = new wxFrame(nullptr, wxID_ANY, "GL test");
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(24).EndList();
  if (!wxGLCanvas::IsDisplaySupported(attributes)) {
    m_error = "the display offers no RGBA double-buffered visual with a depth buffer";
    return;
  }
  m_canvas = new wxGLCanvas(m_frame, attributes, wxID_ANY, wxDefaultPosition, size);
  m_frame->SetClientSize(size);
  if (!ShowAndActivate(m_frame) || !PumpUntil([this] { return m_canvas->IsShownOnScreen(); })) {
    m_error = "the GL frame did not come on screen";
    return;
  }
  m_context = new wxGLContext(m_canvas);
  if (!m_context->IsOK() || !m_canvas->SetCurrent(*m_context)) {
    m_error = "no current OpenGL context";
    return;
  }
  glewExperimental = GL_TRUE;
  const GLenum glew = glewInit();
  if (glew != GLEW_OK) {
    m_error = std::string("glewInit: ") + reinterpret_cast<const char*>(glewGetErrorString(glew));
    return;
  }
  m_ok = true;
}

GLTestWindow::~GLTestWindow() {
  delete m_context;
  if (m_frame) m_frame->Destroy();
}

namespace {
// The colour dialog's own transfer into its widget, which is protected.
struct ColourDialogAccess : wxColourDialog {
  using wxColourDialog::ColourDataToDialog;
};
}  // namespace

ExpectDialog<wxColourDialog> AnswerColourDialog(std::function<void(wxColourData&)> choose, int answer) {
  return ExpectDialog<wxColourDialog>([choose, answer](wxColourDialog* d) {
    choose(d->GetColourData());
    (d->*(&ColourDialogAccess::ColourDataToDialog))();
    return answer;
  });
}

int AcceptDialog(wxDialog* dialog) {
  return dialog->Validate() && dialog->TransferDataFromWindow() ? int(wxID_OK) : int(wxID_CANCEL);
}

void ExpectMenuRows(const wxMenu* menu, int base, const std::vector<MenuRow>& rows) {
  const wxMenuItemList& items = menu->GetMenuItems();
  ASSERT_EQ(items.size(), rows.size());
  std::size_t k = 0;
  for (const wxMenuItem* item : items) {
    const MenuRow& row = rows[k++];
    EXPECT_EQ(item->GetKind(), row.kind) << "row " << k << ": " << row.text;
    if (row.offset < 0) continue;
    EXPECT_EQ(item->GetId(), base + row.offset) << row.text;
    EXPECT_EQ(item->GetItemLabel(), row.text);
    EXPECT_EQ(item->GetHelp(), row.help);
  }
}

}  // namespace orvtest
