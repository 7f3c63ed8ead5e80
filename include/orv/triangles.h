#ifndef ORV_TRIANGLES_H
#define ORV_TRIANGLES_H

#include <orv/orv_export.h>

#include <wx/event.h>
#include <wx/panel.h>

namespace orv {

class orv_TriangleEvent;
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_TRIANGLE, orv_TriangleEvent);

// A marker dragged to a new step position; the id says which marker
// (0 upper limit, 1 lower limit, 2 gamma).
class ORV_EXPORT orv_TriangleEvent : public wxEvent {
public:
  orv_TriangleEvent(int marker = 0, int position = 0) : wxEvent(marker, orv_EVT_TRIANGLE), m_position(position) {}
  int GetPosition() const { return m_position; }
  wxEvent* Clone() const override { return new orv_TriangleEvent(*this); }

private:
  int m_position;
};

// The draggable markers under a gradient stripe: a lower and an upper limit,
// and optionally a gamma marker between them. A drag reports the marker's
// new step position to `target`; the target moves the marker (SetLower,
// SetUpper, SetGamma) when it accepts the value.
class ORV_EXPORT Triangles : public wxPanel {
public:
  Triangles(wxWindow* parent, wxWindowID id, wxEvtHandler* target, bool hasGamma, bool mayCross,
            const wxColour& fill, const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(260, 8));

  // Resets the markers to 0 and steps - 1 with gamma 1.
  void SetSteps(int steps);
  void SetLower(int position);
  void SetUpper(int position);
  void SetGamma(double gamma);
  int GetLower() const { return m_lower; }
  int GetUpper() const { return m_upper; }
  int GetGammaPosition() const { return m_gammaPosition; }
  int GetDragged() const { return m_dragged; }
  void Render(wxDC& dc, const wxSize& size) const;

private:
  void OnPaint(wxPaintEvent& event);
  void OnMouse(wxMouseEvent& event);
  void Drag(int position);
  void Send(int marker, int position);

  wxEvtHandler* m_target;
  bool m_hasGamma, m_mayCross;
  wxColour m_fill;
  int m_steps = 256;
  int m_lower = 0, m_upper = 255;
  double m_gamma = 1.0;
  int m_gammaPosition = 128;
  int m_dragged;
};

}  // namespace orv

#endif
