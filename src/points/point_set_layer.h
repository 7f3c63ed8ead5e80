#ifndef ORV_SRC_POINT_SET_LAYER_H
#define ORV_SRC_POINT_SET_LAYER_H

#include <orv/orv_canvas.h>
#include <orv/orv_layer.h>
#include <orv/orv_pointcanvas.h>
#include <orv/orv_pointset.h>

#include "point_markers.h"

#include <wx/graphics.h>

#include <vector>

namespace orv {

// A set of labelled points over every cut window of a canvas: a marker for
// every point near each window's cut (fading with the distance in slices), a
// ring around the selected ones; a right click adds a point, a left click
// selects the nearest (Shift keeps the others); point files are read and
// written in voxels of the canvas's image.
class PointSetLayer : public orv_CanvasLayer {
public:
  explicit PointSetLayer(orv_OrthoscopeCanvas& canvas);

  void Draw(wxDC& dc, orv_ProjectionType window) override;
  void OnMouse3d(orv_Mouse3dEvent& event) override;

  // Replaces the points and styles by those of a point file (and the
  // "points.sty" beside it); raises PointFileError. What was read before a
  // failure stays.
  void Load(const wxString& fileName);
  // Writes the points beside the file and renames it over the old one, so
  // a failed write keeps the old file; raises PointFileError.
  void Save(const wxString& fileName);
  void DeleteSelected();
  // Selects the current point and moves the cut to it, the view centred on it.
  void ShowCurrent();

  bool GetPointsShown() const { return m_pointsShown; }
  void SetPointsShown(bool shown);
  // The point display's part of the settings.
  void GetSettings(orv_PointCanvasSettings& settings) const;
  void SetSettings(const orv_PointCanvasSettings& settings);

  const LabelledPointSet& GetPoints() const { return m_points; }
  unsigned GetCurrentPoint() const { return m_current; }
  void SetCurrentPoint(unsigned index) { m_current = index; }
  const std::vector<orv_PointStyle>& GetStyles() const { return m_styles; }
  unsigned GetStyleColumn() const { return m_styleColumn; }
  unsigned GetDisplayedLabelColumn() const { return m_displayedLabel; }
  unsigned StyleOf(unsigned i) const;
  unsigned AddPoint(const bix::Vector3d<float>& p);

private:
  void ResetStyles();
  void ReadStyles(const wxString& pointFile);
  void PointsChanged();
  const std::vector<unsigned>& Order(unsigned axis);
  // Every point's style (StyleOf), kept until the points, their labels or
  // the styles change: a repaint of millions of markers reads no label.
  const std::vector<unsigned>& PointStyles();
  void DrawMarker(wxDC& dc, unsigned i, const orv_PointStyle& style, int x, int y, int r);

  orv_OrthoscopeCanvas& m_canvas;
  LabelledPointSet m_points;
  unsigned m_current;
  wxColour m_pointColour = wxColour(255, 255, 0);
  wxColour m_selectedColour = wxColour(0, 255, 0);
  bool m_pointsShown = true;
  int m_fadingDepth = 3;
  int m_pickTolerance = 3;
  int m_markerSize = 3;
  unsigned m_displayedLabel = 0;
  unsigned m_styleColumn;
  std::vector<orv_PointStyle> m_styles;
  // Point indices sorted by x, y and z, made when first needed after a
  // change, so a window visits only the points near its cut.
  std::vector<unsigned> m_order[3];
  bool m_orderStale[3] = {true, true, true};
  std::vector<unsigned> m_pointStyles;
  unsigned long m_pointStylesOf = ~0ul;  // the set's change count they were made at
  MarkerPixels m_marks;  // the crosses and pluses of the window being drawn
};

}  // namespace orv

#endif
