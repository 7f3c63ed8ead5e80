#ifndef ORV_POINTCANVAS_H
#define ORV_POINTCANVAS_H

#include <orv/orv_imagecanvas.h>
#include <orv/orv_pointset.h>

#include <bix/Types.h>

#include <wx/brush.h>
#include <wx/colour.h>
#include <wx/font.h>
#include <wx/graphics.h>

#include <stdexcept>
#include <vector>

namespace orv {

// The point canvas's settings: the image canvas's, then the point display's.
struct ORV_EXPORT orv_PointCanvasSettings : orv_ImageCanvasSettings {
  wxColour pointColour = wxColour(255, 255, 0);
  wxColour selectedColour = wxColour(0, 255, 0);
  int fadingDepth = 3;
  int pickTolerance = 3;
  int markerSize = 3;
};

// How the points of one style are drawn.
enum orv_MarkerKind { MARKER_CROSS = 0, MARKER_CIRCLE = 1, MARKER_BOX = 2, MARKER_PLUS = 3, MARKER_TEXT = 4 };
struct ORV_EXPORT orv_PointStyle {
  wxColour colour;
  wxBrush brush;
  wxFont font;
  int marker = MARKER_CROSS;
};

// A point file or style file that cannot be read or written: the message
// says what went wrong ("Cannot open file.", ...).
struct ORV_EXPORT PointFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class PointSetLayer;

// The image canvas with a set of labelled points (a point layer): a marker
// for every point near each window's cut (fading with the distance in
// slices), a ring around the selected ones; a right click adds a point, a
// left click selects the nearest (Shift keeps the others); point files are
// read and written in voxels of the image.
template <class T>
class ORV_EXPORT orv_PointOrthoscopeCanvas : public orv_ImageOrthoscopeCanvas<T> {
public:
  orv_PointOrthoscopeCanvas(wxWindow* parent, const orv_Mapper<T>& mapper, bix::Image3d<T>* image, bool ownImage,
                            int id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                            const wxSize& size = wxDefaultSize);

  // Replaces the points and styles by those of a point file (and the
  // "points.sty" beside it); raises PointFileError. What was read before a
  // failure stays.
  virtual void Load(const wxString& fileName);
  // Writes the points beside the file and renames it over the old one, so
  // a failed write keeps the old file; raises PointFileError.
  virtual void Save(const wxString& fileName);
  virtual void DeleteSelected();
  virtual void ShowFirst();
  virtual void ShowPrevious();
  virtual void ShowNext();
  virtual void ShowLast();
  virtual void ShowCurrent();

  bool GetPointsShown() const;
  void SetPointsShown(bool shown);
  void GetSettings(orv_PointCanvasSettings& settings) const;
  void SetSettings(const orv_PointCanvasSettings& settings);

  const LabelledPointSet& GetPoints() const;
  // Point `index` becomes the current one (any value at or above the count: none).
  unsigned GetCurrentPoint() const;
  void SetCurrentPoint(unsigned index);
  const std::vector<orv_PointStyle>& GetStyles() const;
  unsigned GetStyleColumn() const;
  unsigned GetDisplayedLabelColumn() const;
  // The style index of point i: its number in the style column when that
  // names a style, else 0.
  unsigned StyleOf(unsigned i) const;
  // Adds a point with an empty label text (what a right click does).
  unsigned AddPoint(const bix::Vector3d<float>& p);

private:
  PointSetLayer* m_layer;  // owned by the canvas
};

}  // namespace orv

// The voxel types of point viewers: every voxel type but 32-bit integers.
#define ORV_FOR_EACH_POINT_VOXEL_TYPE(M) \
  M(unsigned char)                       \
  M(unsigned short)                      \
  M(float)                               \
  BIX_FOR_EACH_RGB_TYPE(M)

#endif
