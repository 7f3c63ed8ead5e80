#include <orv/orv_canvas.h>

#include <orv/orv_keys.h>

#include "cross_cursor.h"
#include "view_model.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/utils.h>

#include <algorithm>
#include <cmath>

namespace orv {

wxDEFINE_EVENT(orv_EVT_MOUSE3D, orv_Mouse3dEvent);

orv_Mouse3dEvent::orv_Mouse3dEvent(orv_DrWin3d* window, const wxMouseEvent& mouse)
    : wxEvent(mouse.GetId(), orv_EVT_MOUSE3D), m_window(window), m_mouse(mouse) {
  SetEventObject(window);
}

bix::Vector3d<float> orv_Mouse3dEvent::GetPosition3d() const {
  const bix::Vector3d<float> inWindowOrder(m_window->WindowToHorizontal(m_mouse.GetX()),
                                           m_window->WindowToVertical(m_mouse.GetY()),
                                           m_window->GetCanvas()->GetCut()[m_window->DepthAxis()]);
  return m_window->PermuteAxes(inWindowOrder);
}

orv_DrWin3d::orv_DrWin3d(orv_OrthoscopeCanvas* canvas, unsigned h, unsigned v, unsigned d)
    : wxWindow(canvas, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN),
      m_canvas(canvas),
      m_h(h),
      m_v(v),
      m_d(d) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &orv_DrWin3d::OnPaint, this);
  Bind(wxEVT_ERASE_BACKGROUND, &orv_DrWin3d::OnEraseBackground, this);
  Bind(wxEVT_KEY_DOWN, &orv_DrWin3d::OnKeyDown, this);
  Bind(wxEVT_SET_FOCUS, &orv_DrWin3d::OnSetFocus, this);
  Bind(wxEVT_KILL_FOCUS, &orv_DrWin3d::OnKillFocus, this);
  for (wxEventType type :
       {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP,
        wxEVT_MIDDLE_DCLICK, wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP, wxEVT_RIGHT_DCLICK, wxEVT_AUX1_DOWN,
        wxEVT_AUX1_UP, wxEVT_AUX1_DCLICK, wxEVT_AUX2_DOWN, wxEVT_AUX2_UP, wxEVT_AUX2_DCLICK,
        wxEVT_MOTION, wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW, wxEVT_MOUSEWHEEL})
    Bind(wxEventTypeTag<wxMouseEvent>(type), &orv_DrWin3d::OnMouse, this);
}

wxSize orv_DrWin3d::GetOptimalSize() const {
  const ViewModel& view = m_canvas->View();
  return wxSize(static_cast<int>(view.zoom[m_h] * view.imageBox.size[m_h]),
                static_cast<int>(view.zoom[m_v] * view.imageBox.size[m_v]));
}

// The picture fills the client area, so mirroring uses the client size: with
// the outer size a reversed axis would report positions shifted by the border.
float orv_DrWin3d::WindowToHorizontal(int column) const {
  return m_canvas->View().Orientation(WindowIndex(GetProjectionType())).MicronsAcross(column, GetClientSize().x);
}

float orv_DrWin3d::WindowToVertical(int row) const {
  return m_canvas->View().Orientation(WindowIndex(GetProjectionType())).MicronsDown(row, GetClientSize().y);
}

void orv_DrWin3d::SetCutAt(float h, float v) { m_canvas->View().SetCutAt(WindowIndex(GetProjectionType()), h, v); }

void orv_DrWin3d::CenterAt(float h, float v) { m_canvas->View().CenterAt(WindowIndex(GetProjectionType()), h, v); }

bool orv_DrWin3d::IsInside(const wxPoint& p) const {
  const wxSize s = GetClientSize();
  return p.x >= 0 && p.x < s.x && p.y >= 0 && p.y < s.y;
}

// The picture is painted straight onto the window (GTK double-buffers the
// paint already); the same drawing into a bitmap gives what the window shows.
wxImage orv_DrWin3d::GetBitmapImage() const {
  const wxSize size = GetClientSize();
  if (size.x <= 0 || size.y <= 0) return wxImage();
  wxBitmap bitmap(size.x, size.y, wxBITMAP_SCREEN_DEPTH);
  {
    wxMemoryDC dc(bitmap);
    Render(dc, size);
  }
  return bitmap.ConvertToImage();
}

void orv_DrWin3d::Render(wxDC& dc, const wxSize& size) const {
  dc.SetBackground(*wxBLACK_BRUSH);
  dc.Clear();
  m_canvas->Draw(dc, GetProjectionType());
  DrawPointer(dc, size);
  if (m_canvas->GetInfoFlag()) DrawLabel(dc);
}

void orv_DrWin3d::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const wxSize size = GetClientSize();
  if (size.x <= 0 || size.y <= 0) return;
  Render(dc, size);
}

void orv_DrWin3d::OnEraseBackground(wxEraseEvent&) {}

void orv_DrWin3d::DrawPointer(wxDC& dc, const wxSize& size) const {
  const orv_CutPointerStyle pointer = m_canvas->GetPointerStyle();
  if (pointer.style == POINTER_NONE) return;
  const ViewModel& view = m_canvas->View();
  const PixelPoint p =
      view.Orientation(WindowIndex(GetProjectionType())).PixelOf(view.cut[m_h], view.cut[m_v], size.x, size.y);
  const int w = size.x, h = size.y;
  wxPenStyle penStyle = wxPENSTYLE_SOLID;
  if (pointer.style == POINTER_DOTTED_CROSS) penStyle = wxPENSTYLE_DOT;
  if (pointer.style == POINTER_DASHED_CROSS) penStyle = wxPENSTYLE_SHORT_DASH;
  // Crisp one-pixel lines: antialiasing would blend the line ends into the picture.
  if (wxGraphicsContext* gc = dc.GetGraphicsContext()) gc->SetAntialiasMode(wxANTIALIAS_NONE);
  dc.SetPen(wxPen(pointer.colour, 1, penStyle));
  switch (pointer.style) {
    case POINTER_ON_SIDES_CIRCLE:
      dc.SetBrush(*wxTRANSPARENT_BRUSH);
      dc.DrawCircle(p.x + 1, p.y + 1, 10);
      [[fallthrough]];
    case POINTER_ON_SIDES:
      dc.DrawLine(0, p.y, 10, p.y);
      dc.DrawLine(w - 10, p.y, w, p.y);
      dc.DrawLine(p.x, 0, p.x, 10);
      dc.DrawLine(p.x, h - 10, p.x, h);
      break;
    case POINTER_DOTTED_CROSS:
    case POINTER_DASHED_CROSS:
    case POINTER_SOLID_CROSS:
      dc.DrawLine(0, p.y, w, p.y);
      dc.DrawLine(p.x, 0, p.x, h);
      break;
    default:
      break;
  }
  dc.SetPen(wxNullPen);
  dc.SetBrush(wxNullBrush);
}

void orv_DrWin3d::DrawLabel(wxDC& dc) const {
  static const char* const kNames[3] = {"XY", "XZ", "YZ"};
  dc.SetFont(wxFontInfo(10).Family(wxFONTFAMILY_SWISS).Bold());
  dc.SetTextForeground(*wxWHITE);
  dc.DrawText(kNames[WindowIndex(GetProjectionType())], 5, 5);
}

namespace {

// What each cut key does to the view, and which kind of change it makes: a
// moved cut point (other planes are shown) or a moved visible box. Keys that
// act at the mouse do nothing while it is outside the window.
struct CutCommand {
  orv_CutKeyAction action;
  bool movesCut;
  bool atMouse;
  unsigned (*run)(ViewModel& view, int window, float h, float v);
};

const CutCommand kCutCommands[] = {
    {CUTKEY_SCROLL_LEFT, false, false, [](ViewModel& m, int w, float, float) { return m.ScrollAcross(w, -1); }},
    {CUTKEY_SCROLL_RIGHT, false, false, [](ViewModel& m, int w, float, float) { return m.ScrollAcross(w, +1); }},
    {CUTKEY_SCROLL_UP, false, false, [](ViewModel& m, int w, float, float) { return m.ScrollDown(w, -1); }},
    {CUTKEY_SCROLL_DOWN, false, false, [](ViewModel& m, int w, float, float) { return m.ScrollDown(w, +1); }},
    {CUTKEY_PREVIOUS_SLICE, true, false, [](ViewModel& m, int w, float, float) { return m.Page(w, -1); }},
    {CUTKEY_NEXT_SLICE, true, false, [](ViewModel& m, int w, float, float) { return m.Page(w, +1); }},
    {CUTKEY_CUT_AT_MOUSE, true, true, [](ViewModel& m, int w, float h, float v) { return m.SetCutAt(w, h, v); }},
    {CUTKEY_CENTER_ON_CUT, false, false,
     [](ViewModel& m, int, float, float) {
       m.CenterOnCut();
       return 7u;
     }},
    {CUTKEY_CENTER_AT_MOUSE, false, true,
     [](ViewModel& m, int w, float h, float v) {
       m.CenterAt(w, h, v);
       return 7u;
     }},
};

}  // namespace

void orv_DrWin3d::OnKeyDown(wxKeyEvent& event) {
  const orv_CutKey* key = FindCutKey(event.GetKeyCode(), event.GetModifiers());
  if (!key) {
    event.Skip();
    return;
  }
  if (key->action == CUTKEY_TOGGLE_LABELS) {
    m_canvas->ToggleInfoFlag();
    m_canvas->Refresh(false);
    return;
  }
  const CutCommand* command = std::find_if(std::begin(kCutCommands), std::end(kCutCommands),
                                           [&](const CutCommand& c) { return c.action == key->action; });
  if (command == std::end(kCutCommands)) return;
  wxPoint mouse(-1, -1), screen;
  if (wxFindWindowAtPointer(screen) == this) mouse = ScreenToClient(screen);
  if (command->atMouse && !(mouse.x >= 0 && IsInside(mouse))) return;
  const float h = command->atMouse ? WindowToHorizontal(mouse.x) : 0.f;
  const float v = command->atMouse ? WindowToVertical(mouse.y) : 0.f;
  const unsigned changed = command->run(m_canvas->View(), WindowIndex(GetProjectionType()), h, v);
  if (!changed) return;
  const auto windows = static_cast<orv_ProjectionType>(changed);
  if (command->movesCut) m_canvas->AnnounceCutChange(windows);
  else m_canvas->AnnounceVisibleChange(windows);
}

// Whatever the canvas and its listeners change for one mouse event is told
// once, when all have had it.
void orv_DrWin3d::OnMouse(wxMouseEvent& event) {
  orv_OrthoscopeCanvas::ViewAction action(*m_canvas);
  orv_Mouse3dEvent event3d(this, event);
  m_canvas->GetEventHandler()->ProcessEvent(event3d);
  event.Skip();
}

void orv_DrWin3d::OnSetFocus(wxFocusEvent& event) {
  // Made on first use: a cursor outliving the toolkit (a static) would be
  // released after the display is gone.
  if (!m_crossCursor.IsOk()) m_crossCursor = wxCursor(CrossCursorImage());
  SetCursor(m_crossCursor);
  event.Skip();
}

void orv_DrWin3d::OnKillFocus(wxFocusEvent& event) {
  SetCursor(wxNullCursor);
  event.Skip();
}

}  // namespace orv
