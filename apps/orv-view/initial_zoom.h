#ifndef ORV_VIEW_INITIAL_ZOOM_H
#define ORV_VIEW_INITIAL_ZOOM_H

#include <bix/Vector3d.h>

#include <wx/gdicmn.h>

namespace orvview {

// What the first zoom level is chosen from.
struct ZoomChoice {
  bix::Vector3d<float> extent;    // the image box's size, microns
  bix::Vector3d<float> baseZoom;  // the canvas's pixels per micron at level 0
  wxSize available;               // the display's client area
  wxSize decoration;              // the frame's size around its client area
  int smallestSide = 400;         // pixels the XY window should reach
};

// The size of a frame fitted to its canvas at zoom `level` with all three
// windows shown: each window's extent in whole pixels, 6 pixels per row and
// column (as the canvas's GetOptimalSize), plus the decoration.
wxSize FrameSizeAt(const ZoomChoice& choice, int level);
// The XY window's larger side in pixels at zoom `level`.
int XYSideAt(const ZoomChoice& choice, int level);

// The zoom level a viewer opens at: 0 when the frame fits the display and
// the XY window reaches the smallest side; otherwise the largest level
// below 0 that fits, or the smallest level above 0 whose XY window reaches
// the smallest side, as long as the frame still fits.
int ChooseInitialZoomLevel(const ZoomChoice& choice);

}  // namespace orvview

#endif
