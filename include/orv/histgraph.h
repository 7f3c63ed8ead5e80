#ifndef ORV_HISTGRAPH_H
#define ORV_HISTGRAPH_H

#include <orv/histogram.h>
#include <orv/orv_export.h>

#include <wx/panel.h>

namespace orv {

// Draws a histogram as bars over a framed grid, linearly or logarithmically,
// double-buffered.
template <class T>
class ORV_EXPORT HistGraph : public wxPanel {
public:
  enum { LOGARITHMIC = 0, LINEAR = 1 };

  HistGraph(wxWindow* parent, wxWindowID id, const Histogram<T>* histogram, const wxPoint& pos = wxDefaultPosition,
            const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL);

  void SetHistogram(const Histogram<T>* histogram) { m_histogram = histogram; }
  void SetType(int type) { m_type = type; }
  int GetType() const { return m_type; }
  void SetBarColour(const wxColour& colour) { m_barColour = colour; }
  void SetDivisions(int vertical, int horizontal) {
    m_verticalDivisions = vertical;
    m_horizontalDivisions = horizontal;
  }
  // Draws the graph for a client area of `size` into `dc`.
  void Render(wxDC& dc, const wxSize& size) const;

private:
  void OnPaint(wxPaintEvent& event);

  const Histogram<T>* m_histogram;
  wxColour m_background{255, 255, 255};
  wxColour m_barColour{255, 0, 0};
  wxColour m_frameColour{158, 154, 145};
  int m_type = LOGARITHMIC;
  int m_verticalDivisions = 10;
  int m_horizontalDivisions = 5;
  int m_hMargin = 4;
  int m_vMargin = 4;
};

// A horizontal stripe showing how a lower/upper limit pair (with gamma) maps
// values: one colour below, one above, the ramp between.
class ORV_EXPORT GradStripe : public wxPanel {
public:
  GradStripe(wxWindow* parent, wxWindowID id, bool gradient, const wxColour& below, const wxColour& above,
             const wxColour& ramp, const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(256, 6));

  void SetSteps(int steps);
  void SetLower(int position) { m_lower = position; }
  void SetUpper(int position) { m_upper = position; }
  void SetGamma(double gamma) { m_gamma = gamma; }
  int GetLower() const { return m_lower; }
  int GetUpper() const { return m_upper; }
  void Render(wxDC& dc, const wxSize& size) const;

private:
  void OnPaint(wxPaintEvent& event);

  bool m_gradient;
  wxColour m_below, m_above, m_ramp;
  double m_gamma = 1.0;
  int m_steps = 256;
  int m_lower = 0;
  int m_upper = 255;
};

}  // namespace orv

#endif
