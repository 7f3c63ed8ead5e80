#include <orv/triangles.h>

#include "level_markers.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include <algorithm>

namespace orv {

wxDEFINE_EVENT(orv_EVT_TRIANGLE, orv_TriangleEvent);

Triangles::Triangles(wxWindow* parent, wxWindowID id, wxEvtHandler* target, bool hasGamma, bool mayCross,
                     const wxColour& fill, const wxPoint& pos, const wxSize& size)
    : wxPanel(parent, id, pos, size),
      m_target(target),
      m_hasGamma(hasGamma),
      m_mayCross(mayCross),
      m_fill(fill),
      m_dragged(MARKER_NONE) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &Triangles::OnPaint, this);
  for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_MOTION, wxEVT_RIGHT_DOWN, wxEVT_MIDDLE_DOWN})
    Bind(wxEventTypeTag<wxMouseEvent>(type), &Triangles::OnMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_dragged = MARKER_NONE; });
}

void Triangles::SetSteps(int steps) {
  m_steps = std::max(steps, 1);
  m_lower = 0;
  m_upper = m_steps - 1;
  SetGamma(1.0);
}

void Triangles::SetLower(int position) {
  m_lower = position;
  m_gammaPosition = GammaMarkerPosition(m_lower, m_upper, m_gamma);
  Refresh(false);
}

void Triangles::SetUpper(int position) {
  m_upper = position;
  m_gammaPosition = GammaMarkerPosition(m_lower, m_upper, m_gamma);
  Refresh(false);
}

void Triangles::SetGamma(double gamma) {
  m_gamma = gamma;
  m_gammaPosition = GammaMarkerPosition(m_lower, m_upper, m_gamma);
  Refresh(false);
}

void Triangles::Render(wxDC& dc, const wxSize& size) const {
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  auto triangle = [&](int position, const wxBrush& brush) {
    const int x = MarkerPixel(position, size.x, m_steps) + 2;  // the apex
    const wxPoint corners[3] = {wxPoint(x, 0), wxPoint(x - 2, size.y - 1), wxPoint(x + 2, size.y - 1)};
    dc.SetBrush(brush);
    dc.DrawPolygon(3, corners);
  };
  dc.SetPen(*wxBLACK_PEN);
  triangle(m_lower, wxBrush(m_fill));
  triangle(m_upper, wxBrush(m_fill));
  if (m_hasGamma) triangle(m_gammaPosition, *wxWHITE_BRUSH);
}

void Triangles::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  Render(dc, GetClientSize());
}

void Triangles::OnMouse(wxMouseEvent& event) {
  const int q = PointerStep(event.GetX(), GetClientSize().x, m_steps);
  if (!event.ButtonIsDown(wxMOUSE_BTN_ANY) && !event.ButtonDown()) {
    m_dragged = MARKER_NONE;
    if (HasCapture()) ReleaseMouse();
    return;
  }
  if (event.ButtonDown()) {
    if (!HasCapture()) CaptureMouse();
    m_dragged = NearestMarker(q, m_lower, m_upper, m_hasGamma, m_gammaPosition);
    return;
  }
  if (event.Dragging()) Drag(q);
}

void Triangles::Drag(int position) {
  switch (m_dragged) {
    case MARKER_UPPER:
      if (!m_mayCross) position = std::max(position, m_lower);
      if (position != m_upper) Send(MARKER_UPPER, position);
      break;
    case MARKER_LOWER:
      if (!m_mayCross) position = std::min(position, m_upper);
      if (position != m_lower) Send(MARKER_LOWER, position);
      break;
    case MARKER_GAMMA:
      if (position > std::min(m_lower, m_upper) && position < std::max(m_lower, m_upper) &&
          position != m_gammaPosition)
        Send(MARKER_GAMMA, position);
      break;
    default:
      break;
  }
}

void Triangles::Send(int marker, int position) {
  orv_TriangleEvent event(marker, position);
  event.SetEventObject(this);
  if (m_target) m_target->ProcessEvent(event);
}

}  // namespace orv
