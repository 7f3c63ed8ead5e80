#include <orv/orv_canvas.h>

#include <orv/orv_keys.h>

#include "canvas_layout.h"
#include "cross_cursor.h"

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
  const orv_OrthoscopeCanvas& c = *m_canvas;
  return wxSize(static_cast<int>(c.m_zoom[m_h] * c.m_imageBox.size[m_h]),
                static_cast<int>(c.m_zoom[m_v] * c.m_imageBox.size[m_v]));
}

// The picture fills the client area, so mirroring uses the client size: with
// the outer size a reversed axis would report positions shifted by the border.
float orv_DrWin3d::WindowToHorizontal(int column) const {
  const orv_OrthoscopeCanvas& c = *m_canvas;
  const int col = c.m_reversed[m_h] ? GetClientSize().x - column - 1 : column;
  return col / c.m_zoom[m_h] + c.m_visibleBox.offset[m_h];
}

float orv_DrWin3d::WindowToVertical(int row) const {
  const orv_OrthoscopeCanvas& c = *m_canvas;
  const int r = c.m_reversed[m_v] ? GetClientSize().y - row - 1 : row;
  return r / c.m_zoom[m_v] + c.m_visibleBox.offset[m_v];
}

void orv_DrWin3d::SetCutAt(float h, float v) {
  orv_OrthoscopeCanvas& c = *m_canvas;
  const unsigned axes[2] = {m_h, m_v};
  const float values[2] = {h, v};
  for (int k = 0; k < 2; ++k) {
    const unsigned a = axes[k];
    float value = std::max(values[k], c.m_imageBox.offset[a]);
    value = std::min(value, c.m_imageBox.offset[a] + c.m_imageBox.size[a]);
    c.m_cut[a] = value;
  }
}

void orv_DrWin3d::CenterAt(float h, float v) {
  orv_OrthoscopeCanvas& c = *m_canvas;
  const unsigned axes[2] = {m_h, m_v};
  const float values[2] = {h, v};
  for (int k = 0; k < 2; ++k) {
    const unsigned a = axes[k];
    const float o = c.m_imageBox.offset[a], s = c.m_imageBox.size[a], w = c.m_visibleBox.size[a];
    // The upper end first: a visible box larger than the image starts at its offset.
    c.m_visibleBox.offset[a] = std::max(std::min(values[k] - w * 0.5f, o + s - w), o);
  }
}

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
  if (m_canvas->m_labels) DrawLabel(dc);
}

void orv_DrWin3d::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const wxSize size = GetClientSize();
  if (size.x <= 0 || size.y <= 0) return;
  Render(dc, size);
}

void orv_DrWin3d::OnEraseBackground(wxEraseEvent&) {}

void orv_DrWin3d::DrawPointer(wxDC& dc, const wxSize& size) const {
  const orv_OrthoscopeCanvas& c = *m_canvas;
  const orv_CutPointerStyle& pointer = c.m_pointer;
  if (pointer.style == POINTER_NONE) return;
  const PixelPoint p = PointerPixel(c.m_cut[m_h], c.m_cut[m_v], c.m_visibleBox.offset[m_h],
                                    c.m_visibleBox.offset[m_v], c.m_zoom[m_h], c.m_zoom[m_v],
                                    {size.x, size.y}, c.m_reversed[m_h], c.m_reversed[m_v]);
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

// The cut one voxel further in `direction`. A cut on a voxel centre (up to
// single-precision noise) moves to the next centre, computed from the offset
// in double precision: added step by step in single precision, far from the
// origin the roundings add up (0.5 voxel after 2000 steps of 0.2 at 10000
// microns) and paging would show a plane twice and skip another.
float PagedCut(float cut, float offset, float step, int direction) {
  const double centre = (static_cast<double>(cut) - offset) / step - 0.5;
  const double nearest = std::round(centre);
  const double from = std::abs(centre - nearest) < 0.01 ? nearest : centre;
  return static_cast<float>(offset + (from + direction + 0.5) * static_cast<double>(step));
}

}  // namespace

void orv_DrWin3d::OnKeyDown(wxKeyEvent& event) {
  orv_OrthoscopeCanvas& c = *m_canvas;
  wxPoint mouse(-1, -1);
  wxPoint screen;
  if (wxFindWindowAtPointer(screen) == this) mouse = ScreenToClient(screen);
  const bool inside = mouse.x >= 0 && IsInside(mouse);
  float& visH = c.m_visibleBox.offset[m_h];
  float& visV = c.m_visibleBox.offset[m_v];
  const float lowH = c.m_imageBox.offset[m_h], lowV = c.m_imageBox.offset[m_v];
  const float highH = lowH + c.m_imageBox.size[m_h] - c.m_visibleBox.size[m_h];
  const float highV = lowV + c.m_imageBox.size[m_v] - c.m_visibleBox.size[m_v];
  float& cutD = c.m_cut[m_d];
  const float halfVoxel = 0.5f * c.m_voxelStep[m_d];
  const float firstD = c.m_imageBox.offset[m_d] + halfVoxel;
  const float lastD = c.m_imageBox.offset[m_d] + c.m_imageBox.size[m_d] - halfVoxel;

  const orv_CutKey* key = FindCutKey(event.GetKeyCode(), event.GetModifiers());
  if (!key) {
    event.Skip();
    return;
  }
  switch (key->action) {
    case CUTKEY_SCROLL_LEFT:
      if (visH > lowH) {
        visH = std::max(visH - c.m_scrollStep[m_h], lowH);
        c.OnVis3dChange(GetHorizontalAxisMask());
      }
      break;
    case CUTKEY_SCROLL_RIGHT:
      if (visH < highH) {
        visH = std::min(visH + c.m_scrollStep[m_h], highH);
        c.OnVis3dChange(GetHorizontalAxisMask());
      }
      break;
    case CUTKEY_SCROLL_UP:
      if (visV > lowV) {
        visV = std::max(visV - c.m_scrollStep[m_v], lowV);
        c.OnVis3dChange(GetVerticalAxisMask());
      }
      break;
    case CUTKEY_SCROLL_DOWN:
      if (visV < highV) {
        visV = std::min(visV + c.m_scrollStep[m_v], highV);
        c.OnVis3dChange(GetVerticalAxisMask());
      }
      break;
    case CUTKEY_PREVIOUS_SLICE:
      if (cutD > firstD) {
        cutD = std::max(PagedCut(cutD, c.m_imageBox.offset[m_d], c.m_voxelStep[m_d], -1), firstD);
        c.OnCutChange(GetProjectionType());
      }
      break;
    case CUTKEY_NEXT_SLICE:
      if (cutD < lastD) {
        cutD = std::min(PagedCut(cutD, c.m_imageBox.offset[m_d], c.m_voxelStep[m_d], +1), lastD);
        c.OnCutChange(GetProjectionType());
      }
      break;
    case CUTKEY_CUT_AT_MOUSE:
      if (inside) {
        SetCutAt(WindowToHorizontal(mouse.x), WindowToVertical(mouse.y));
        c.OnCutChange(GetDepthAxisMask());
      }
      break;
    case CUTKEY_TOGGLE_LABELS:
      c.m_labels = !c.m_labels;
      c.Refresh(false);
      break;
    case CUTKEY_CENTER_ON_CUT:
      c.CenterView();
      c.OnVis3dChange(PROJ_ALL);
      break;
    case CUTKEY_CENTER_AT_MOUSE:
      if (inside) {
        CenterAt(WindowToHorizontal(mouse.x), WindowToVertical(mouse.y));
        c.OnVis3dChange(PROJ_ALL);
      }
      break;
  }
}

void orv_DrWin3d::OnMouse(wxMouseEvent& event) {
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
