#include "point_set_layer.h"

#include <orv/orv_pointcanvas.h>

#include "point_file_text.h"
#include "point_markers.h"
#include "point_style_file.h"
#include "replace_file.h"
#include "view_model.h"

#include <bix/Exceptions.h>
#include <bix/Types.h>
#include <bix/WholeFiles.h>

#include <wx/dcclient.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/graphics.h>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace orv {

namespace {

constexpr unsigned kNone = static_cast<unsigned>(-1);

std::string FileBytes(const wxString& path) {
  try {
    return bix::ReadWholeFile(std::string(path.fn_str()));
  } catch (const bix::IOException&) {
    throw PointFileError("Cannot open file.");
  }
}

int MarkerKind(const wxString& word) {
  if (word == "circle") return MARKER_CIRCLE;
  if (word == "box") return MARKER_BOX;
  if (word == "plus") return MARKER_PLUS;
  if (word == "text") return MARKER_TEXT;
  return MARKER_CROSS;
}

}  // namespace

PointSetLayer::PointSetLayer(orv_OrthoscopeCanvas& canvas) : m_canvas(canvas), m_current(kNone), m_styleColumn(kNone) {
  ResetStyles();
}

void PointSetLayer::ResetStyles() {
  m_styles.assign(1, orv_PointStyle{m_pointColour, *wxTRANSPARENT_BRUSH, *wxNORMAL_FONT, MARKER_CROSS});
  m_styleColumn = kNone;
  m_pointStylesOf = ~0ul;
}

const std::vector<unsigned>& PointSetLayer::PointStyles() {
  if (m_pointStylesOf != m_points.GetChangeCount() || m_pointStyles.size() != m_points.GetCount()) {
    m_pointStyles.assign(m_points.GetCount(), 0);
    if (m_styleColumn < m_points.GetLabelNameCount())
      for (unsigned i = 0; i < m_points.GetCount(); ++i) m_pointStyles[i] = StyleOf(i);
    m_pointStylesOf = m_points.GetChangeCount();
  }
  return m_pointStyles;
}

void PointSetLayer::PointsChanged() {
  for (bool& stale : m_orderStale) stale = true;
}

const std::vector<unsigned>& PointSetLayer::Order(unsigned axis) {
  std::vector<unsigned>& order = m_order[axis];
  if (m_orderStale[axis]) {
    const std::vector<bix::Vector3d<float>>& p = m_points.GetCoords();
    order.resize(p.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](unsigned a, unsigned b) { return p[a][axis] < p[b][axis]; });
    m_orderStale[axis] = false;
  }
  return order;
}

void PointSetLayer::Load(const wxString& fileName) {
  m_points.Clear();
  PointsChanged();
  PointFileContents read;
  std::string failure;
  {
    const std::string text = DecodePointFileText(FileBytes(fileName));
    const orv_VoxelGrid image = m_canvas.GetImageGrid();
    failure = ParsePointText(text, image.offset, image.resolution, read);
  }
  // What was read before a failure stays, with the names of its columns.
  for (const std::string& name : read.labelNames) m_points.AddLabelName(wxString::FromUTF8(name));
  m_points.Assign(std::move(read.coords), std::move(read.labels), std::move(read.values));
  PointsChanged();
  m_canvas.Refresh(false);
  if (!failure.empty()) throw PointFileError(failure);
  ResetStyles();
  ReadStyles(fileName);
}

// "points.sty" beside the point file, when there is one: which label
// column picks a point's style, and each style's colour and marker.
void PointSetLayer::ReadStyles(const wxString& pointFile) {
  const wxFileName path(wxFileName(pointFile).GetPath(), "points.sty");
  if (!path.FileExists()) return;
  // Read here by its full name: handed a name, the configuration reader
  // would take a relative one as one in the home folder.
  PointStyleFile file;
  const std::string failure = ParsePointStyleText(DecodePointFileText(FileBytes(path.GetFullPath())), file);
  // (An empty column name names no column, as an absent one.)
  if (!file.styleColumn.empty()) m_styleColumn = m_points.FindLabelName(wxString::FromUTF8(file.styleColumn));
  if (file.hasDisplayedLabel) m_displayedLabel = m_points.FindLabelName(wxString::FromUTF8(file.displayedLabel));
  // The styles read before a missing group are kept (the default style
  // when none was).
  if (!file.styles.empty()) {
    m_styles.clear();
    for (const PointStyleEntry& entry : file.styles) {
      const wxColour colour(wxString::FromUTF8(entry.colour));
      m_styles.push_back({colour.IsOk() ? colour : m_pointColour, *wxTRANSPARENT_BRUSH, *wxNORMAL_FONT,
                          MarkerKind(wxString::FromUTF8(entry.marker))});
    }
  }
  m_pointStylesOf = ~0ul;
  if (!failure.empty()) throw PointFileError(failure);
}

void PointSetLayer::Save(const wxString& fileName) {
  const orv_VoxelGrid image = m_canvas.GetImageGrid();
  const bix::Vector3d<float> offset = image.offset, res = image.resolution;
  std::string text = "Gravity(1)\tGravity(2)\tGravity(3)";
  for (unsigned k = 0; k < m_points.GetLabelNameCount(); ++k) text += "\t" + m_points.GetLabelName(k).utf8_string();
  text += '\n';
  for (unsigned i = 0; i < m_points.GetCount(); ++i) {
    const bix::Vector3d<float>& p = m_points[i];
    const LabelledPointSet::FileValues& read = m_points.GetFileValues(i);
    for (unsigned a = 0; a < 3; ++a) {
      if (a) text += '\t';
      // A value read from a file goes back as it was read, as long as it
      // still gives the point's place (the image's geometry may have changed).
      if (FileToMicrons(read[a], offset[a], res[a]) == p[a])
        text += ShortestText(read[a]);
      else
        text += CoordinateText(p[a], offset[a], res[a]);
    }
    text += m_points.GetAllLabelsUtf8(i);
    text += '\n';
  }
  std::string why;
  if (!ReplaceFile(std::string(fileName.fn_str()), text, &why)) throw PointFileError("Cannot create file: " + why + ".");
}

unsigned PointSetLayer::StyleOf(unsigned i) const {
  if (m_styleColumn >= m_points.GetLabelNameCount()) return 0;
  const wxString text = m_points.GetLabel(i, m_styleColumn);
  unsigned long style = 0;
  std::size_t digits = 0;
  while (digits < text.length() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || !text.Left(digits).ToULong(&style) || style >= m_styles.size()) return 0;
  return static_cast<unsigned>(style);
}

// The new point goes into the sorted orders in place: sorting a million
// points again after every right click would stall the viewer.
unsigned PointSetLayer::AddPoint(const bix::Vector3d<float>& p) {
  const bool stylesFresh = m_pointStylesOf == m_points.GetChangeCount() && m_pointStyles.size() == m_points.GetCount();
  const unsigned i = m_points.AddPoint(p);
  if (i == m_points.GetCount()) return i;  // refused: not a finite place
  // The styles of the others stay: working them out again for a million
  // points would stall the next repaint after every right click.
  if (stylesFresh) {
    m_pointStyles.push_back(StyleOf(i));
    m_pointStylesOf = m_points.GetChangeCount();
  }
  const std::vector<bix::Vector3d<float>>& coords = m_points.GetCoords();
  for (unsigned axis = 0; axis < 3; ++axis) {
    if (m_orderStale[axis]) continue;
    std::vector<unsigned>& order = m_order[axis];
    // The largest index: after every point of the same coordinate, as the
    // stable sort places it.
    order.insert(std::upper_bound(order.begin(), order.end(), p[axis],
                                  [&](float value, unsigned k) { return value < coords[k][axis]; }),
                 i);
  }
  return i;
}

// Crosses and pluses, the markers of large point sets, are set pixel by
// pixel in a layer laid over the picture in one paint: stroking lines is
// what costs when thousands of points are near the cut. The other markers
// are drawn under them, rings on top.
void PointSetLayer::Draw(wxDC& dc, orv_ProjectionType window) {
  const int w = WindowIndex(window);
  if (!m_pointsShown || w < 0 || m_points.GetCount() == 0) return;
  const ViewModel& view = m_canvas.View();
  const wxSize size = m_canvas.GetDrWin(window)->GetClientSize();
  const MarkerView markers(view, w, size.x, size.y, m_fadingDepth, m_markerSize);
  const CutAxes& axes = kCutAxes[w];
  const bool projection = markers.projection;
  // Crisp one-pixel lines, as the cut pointer's.
  wxGraphicsContext* gc = dc.GetGraphicsContext();
  if (gc) gc->SetAntialiasMode(wxANTIALIAS_NONE);
  const unsigned axis = projection ? axes.h : axes.d;
  const float reach = projection ? view.visibleBox.size[axis] : m_fadingDepth * view.voxelStep[axis];
  const float from = projection ? view.visibleBox.offset[axis] : view.cut[axis] - reach;
  cairo_t* cr = gc ? static_cast<cairo_t*>(gc->GetNativeContext()) : nullptr;
  if (cr) m_marks.Reset(size.x, size.y);
  std::vector<MarkerPlace> rings;
  // A marker that would only repeat one drawn at its pixel is left out: the
  // repaint is bounded by the window's pixels, not by the points.
  MarkerSieve sieve(size.x, size.y);
  const std::vector<unsigned>& styles = PointStyles();
  // Each style's colour as the marker layer's pixels hold it.
  std::vector<std::uint32_t> argb(m_styles.size());
  for (std::size_t k = 0; k < m_styles.size(); ++k) {
    const wxColour& c = m_styles[k].colour;
    argb[k] = 0xFF000000u | std::uint32_t(c.Red()) << 16 | std::uint32_t(c.Green()) << 8 | c.Blue();
  }
  const bool anySelected = !m_points.GetSelection().empty();
  MarkerSieve ringSieve(anySelected ? size.x : 0, anySelected ? size.y : 0);
  // The points within reach on the window's depth axis, or on its
  // horizontal axis for a projection.
  const float to = projection ? from + reach : view.cut[axis] + reach;
  for (unsigned i : PointsBetween(m_points.GetCoords(), Order(axis), axis, from, to)) {
    const MarkerPlace place = PlaceMarker(markers, m_points[i]);
    if (!place.drawn) continue;
    if (anySelected && m_points.IsSelected(i) && ringSieve.Adds(place.x, place.y, 0, place.r)) rings.push_back(place);
    const unsigned style = styles[i];
    if (!sieve.Adds(place.x, place.y, style, place.r)) continue;
    const int kind = m_styles[style].marker;
    if (cr && (kind == MARKER_CROSS || kind == MARKER_PLUS)) {
      if (kind == MARKER_PLUS)
        m_marks.Plus(place.x, place.y, place.r, argb[style]);
      else
        m_marks.Cross(place.x, place.y, place.r, argb[style]);
    } else {
      DrawMarker(dc, i, m_styles[style], place.x, place.y, place.r);
    }
  }
  if (cr && m_marks.Any()) {
    cairo_surface_t* marks =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(m_marks.Data()), CAIRO_FORMAT_ARGB32,
                                            m_marks.Width(), m_marks.Height(), m_marks.Width() * 4);
    cairo_save(cr);
    cairo_set_source_surface(cr, marks, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(marks);
  }
  dc.SetPen(wxPen(m_selectedColour, 1, wxPENSTYLE_SOLID));
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  for (const MarkerPlace& ring : rings)
    dc.DrawEllipse(ring.x - ring.r - 4, ring.y - ring.r - 4, 2 * ring.r + 9, 2 * ring.r + 9);
}

void PointSetLayer::DrawMarker(wxDC& dc, unsigned i, const orv_PointStyle& style, int x, int y,
                                               int r) {
  dc.SetPen(wxPen(style.colour, 1, wxPENSTYLE_SOLID));
  dc.SetBrush(style.brush);
  switch (style.marker) {
    case MARKER_CIRCLE: dc.DrawEllipse(x - r, y - r, 2 * r + 1, 2 * r + 1); break;
    case MARKER_BOX: dc.DrawRectangle(x - r, y - r, 2 * r + 1, 2 * r + 1); break;
    case MARKER_PLUS:
      dc.DrawLine(x, y - r, x, y + r + 1);
      dc.DrawLine(x - r, y, x + r + 1, y);
      break;
    case MARKER_TEXT: {
      wxFont font = style.font;
      font.SetPointSize(2 * r + 3);
      dc.SetFont(font);
      dc.SetTextForeground(style.colour);
      wxString text = m_points.GetLabel(i, m_displayedLabel);
      if (text.empty()) text = "none";
      const wxSize extent = dc.GetTextExtent(text);
      dc.DrawText(text, x - extent.x / 2, y - extent.y / 2);
      break;
    }
    default:
      dc.DrawLine(x - r, y - r, x + r + 1, y + r + 1);
      dc.DrawLine(x - r, y + r, x + r + 1, y - r - 1);
  }
}

void PointSetLayer::OnMouse3d(orv_Mouse3dEvent& event) {
  const wxMouseEvent& mouse = event.GetMouseEvent();
  const bix::Vector3d<float> p = event.GetPosition3d();
  if (mouse.RightDown()) {
    AddPoint(p);
    m_canvas.Refresh(false);
    return;
  }
  const bix::VOI<float>& box = m_canvas.View().visibleBox;
  if (!mouse.LeftDown() || !p.InCC(box.offset, box.offset + box.size)) return;
  const int w = WindowIndex(event.GetWindow()->GetProjectionType());
  if (w < 0) return;
  const wxSize size = event.GetWindow()->GetClientSize();
  const MarkerView markers(m_canvas.View(), w, size.x, size.y, m_fadingDepth, m_markerSize);
  const PickTolerance tolerance = PickToleranceFor(markers, m_pickTolerance);
  // The few points within the in-plane radius across the window (a point
  // straight beside the click is as near as one straight above it);
  // NearestPoint weighs the rest.
  const unsigned h = kCutAxes[w].h;
  const float radius = PickRadius(tolerance);
  const long nearest = NearestPoint(m_points.GetCoords(),
                                    PointsBetween(m_points.GetCoords(), Order(h), h, p[h] - radius, p[h] + radius),
                                    markers, tolerance, p);
  if (nearest < 0) return;
  const auto k = static_cast<unsigned>(nearest);
  m_points.Select(k, !m_points.IsSelected(k), !mouse.ShiftDown());
  m_current = k;
  m_canvas.Refresh(false);
}

void PointSetLayer::SetPointsShown(bool shown) {
  m_pointsShown = shown;
  m_canvas.Refresh(false);
}

void PointSetLayer::GetSettings(orv_PointCanvasSettings& settings) const {
  settings.pointColour = m_pointColour;
  settings.selectedColour = m_selectedColour;
  settings.fadingDepth = m_fadingDepth;
  settings.pickTolerance = m_pickTolerance;
  settings.markerSize = m_markerSize;
}

void PointSetLayer::SetSettings(const orv_PointCanvasSettings& settings) {
  m_pointColour = settings.pointColour;
  m_selectedColour = settings.selectedColour;
  m_fadingDepth = settings.fadingDepth;
  m_pickTolerance = settings.pickTolerance;
  m_markerSize = settings.markerSize;
  m_styles[0].colour = m_pointColour;
  m_canvas.Refresh(false);
}

void PointSetLayer::DeleteSelected() {
  m_points.DeleteSelected();
  PointsChanged();
  m_canvas.Refresh(false);
}

void PointSetLayer::ShowCurrent() {
  if (m_current >= m_points.GetCount()) return;
  // One change told once: the cut moves to the point and the view centres on it.
  orv_OrthoscopeCanvas::ViewAction action(m_canvas);
  m_points.Select(m_current, true, true);
  m_canvas.ChangeCut(m_points[m_current]);
  m_canvas.CenterView();
  m_canvas.AnnounceVisibleChange(PROJ_ALL);
}

}  // namespace orv
