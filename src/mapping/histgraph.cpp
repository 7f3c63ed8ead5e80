#include <orv/histgraph.h>

#include "histgraph_geometry.h"

#include <bix/Types.h>

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>

namespace orv {

namespace {

// Crisp one-pixel lines and exact rectangles on the GTK3 cairo DC.
void NoAntialiasing(wxDC& dc) {
  if (wxGraphicsContext* gc = dc.GetGraphicsContext()) gc->SetAntialiasMode(wxANTIALIAS_NONE);
}

// Paints through a bitmap of the client size, then copies it to the window.
template <class Renderer>
void PaintBuffered(wxWindow* window, const Renderer& render) {
  wxPaintDC screen(window);
  const wxSize size = window->GetClientSize();
  if (size.x <= 0 || size.y <= 0) return;
  wxBitmap bitmap(size.x, size.y);
  wxMemoryDC dc(bitmap);
  render(dc, size);
  screen.Blit(0, 0, size.x, size.y, &dc, 0, 0);
}

}  // namespace

template <class T>
HistGraph<T>::HistGraph(wxWindow* parent, wxWindowID id, const Histogram<T>* histogram, const wxPoint& pos,
                        const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style), m_histogram(histogram) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &HistGraph::OnPaint, this);
}

template <class T>
void HistGraph<T>::Render(wxDC& dc, const wxSize& size) const {
  const int W = size.x, H = size.y, mx = m_hMargin, my = m_vMargin;
  NoAntialiasing(dc);
  dc.SetBackground(wxBrush(m_background));
  dc.Clear();
  dc.SetPen(wxPen(m_frameColour));
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.DrawRectangle(mx / 4, my / 4, W - mx / 2, H - my / 2);
  const int stepX = GridStep(W - mx / 2, m_verticalDivisions);
  for (int k = 1; k < m_verticalDivisions; ++k)
    dc.DrawLine(mx / 4 + k * stepX, my / 4, mx / 4 + k * stepX, H - my / 4);
  const int stepY = GridStep(H - my / 2, m_horizontalDivisions);
  for (int k = 1; k < m_horizontalDivisions; ++k)
    dc.DrawLine(mx / 4, my / 4 + k * stepY, W - mx / 4, my / 4 + k * stepY);
  if (!m_histogram || m_histogram->empty()) return;
  dc.SetPen(wxPen(m_barColour));
  dc.SetBrush(wxBrush(m_barColour));
  const int base = H - my / 2;
  for (const HistogramBar& bar :
       HistogramBars(m_histogram->begin(), m_histogram->size(), W, H, mx, my, m_type == LOGARITHMIC))
    if (bar.height > 0) dc.DrawRectangle(bar.x, base - bar.height, bar.width, bar.height);
}

template <class T>
void HistGraph<T>::OnPaint(wxPaintEvent&) {
  PaintBuffered(this, [this](wxDC& dc, const wxSize& size) { Render(dc, size); });
}

GradStripe::GradStripe(wxWindow* parent, wxWindowID id, bool gradient, const wxColour& below,
                       const wxColour& above, const wxColour& ramp, const wxPoint& pos, const wxSize& size)
    : wxPanel(parent, id, pos, size), m_gradient(gradient), m_below(below), m_above(above), m_ramp(ramp) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &GradStripe::OnPaint, this);
}

void GradStripe::SetSteps(int steps) {
  m_steps = steps > 0 ? steps : 1;
  m_lower = 0;
  m_upper = m_steps - 1;
}

void GradStripe::Render(wxDC& dc, const wxSize& size) const {
  NoAntialiasing(dc);
  for (int x = 0; x < size.x; ++x) {
    const wxColour c =
        StripeColour(x, size.x, m_steps, m_lower, m_upper, m_gradient, m_gamma, m_below, m_above, m_ramp);
    dc.SetPen(wxPen(c));
    dc.DrawLine(x, 0, x, size.y);
  }
}

void GradStripe::OnPaint(wxPaintEvent&) {
  PaintBuffered(this, [this](wxDC& dc, const wxSize& size) { Render(dc, size); });
}

#define ORV_INSTANTIATE_HISTGRAPH(T) template class HistGraph<T>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_HISTGRAPH)

}  // namespace orv
