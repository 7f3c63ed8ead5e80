#ifndef ORV_SRC_INFO_FRAME_H
#define ORV_SRC_INFO_FRAME_H

// The info window of a canvas: a floating tool window with the pages "Pixel
// info" (the voxel under the mouse), "Image info" and "View info". Everything
// about the window itself lives here; a canvas only supplies the numbers of
// its voxel type.

#include <orv/orv_canvas.h>

#include <bix/Resolution.h>
#include <bix/VOI.h>
#include <bix/Vector3d.h>

#include <wx/colour.h>
#include <wx/frame.h>
#include <wx/string.h>

namespace orv {

// Fits the info window around what its pages show now (also when that is
// less than before), as after adding a page or changing its texts.
void FitInfoFrame(wxFrame* frame);

// "[x, y, z]" with three decimals.
wxString FormatInfoPoint(const bix::Vector3d<double>& p);
inline wxString FormatInfoPoint(const bix::Vector3d<float>& p) { return FormatInfoPoint(bix::Vector3d<double>(p)); }
// "x x y x z" with three decimals.
wxString FormatInfoExtent(const bix::Vector3d<double>& s);
inline wxString FormatInfoExtent(const bix::Vector3d<float>& s) { return FormatInfoExtent(bix::Vector3d<double>(s)); }
// "[x, y, z]" of whole numbers.
wxString FormatInfoIndex(const bix::Vector3d<int>& v);
// "x x y x z" of counts, each at least three characters wide.
wxString FormatInfoCounts(const bix::Vector3d<unsigned>& n);
// Red, green and blue, each three characters wide.
wxString FormatInfoColour(const wxColour& c);

// The screen point of the mouse inside a cut window of a canvas.
struct InfoPointer {
  orv_DrWin3d* window = nullptr;
  wxPoint client;                 // in the window's client coordinates
  bix::Vector3d<float> position;  // image order (x, y, z), microns
};

// The voxel under the mouse as the "Pixel info" page shows it.
struct InfoPixel {
  bix::Vector3d<float> position;  // microns
  bix::Vector3d<int> voxel;
  wxString value;
  wxColour colour;
};

// The image as the "Image info" page (and the box rows of "View info") show it.
struct InfoImage {
  wxString type;
  bix::Vector3d<unsigned> size;  // voxels
  bix::Resolution resolution;
  bix::VOI<float> box;  // the canvas's image box, microns
};

// Creates the hidden info window of `canvas`, a child of it, with its pages.
wxFrame* CreateInfoFrame(orv_OrthoscopeCanvas* canvas);

// Finds the shown cut window of `canvas` whose client area holds the screen
// point and the image position there (the depth from the cut point). True
// only when that position lies inside the image box, lower faces included
// and upper faces excluded.
bool LocateInfoPointer(const orv_OrthoscopeCanvas& canvas, const wxPoint& screen, InfoPointer& pointer);
// The voxel at `position` of an image with this offset and pixels per
// micron: per axis (position - offset) * resolution, truncated toward zero
// after the same snap to a voxel boundary as the drawing, so that it names
// the voxel drawn under the position.
bix::Vector3d<int> InfoVoxelIndex(const bix::Vector3d<float>& position, const bix::Vector3d<float>& offset,
                                  const bix::Vector3d<float>& resolution);

// Whether the "Pixel info" page is the current one.
bool InfoFrameShowsPixelPage(const wxFrame* frame);
// Each writes its texts and then fits the window around its content. A null
// pixel (no voxel under the mouse) or one without a colour (no picture there
// yet) shows "---" and hides the colour swatch.
void ShowInfoPixel(wxFrame* frame, const InfoPixel* pixel);
void ShowInfoImage(wxFrame* frame, const InfoImage& image);
void ShowInfoView(wxFrame* frame, const bix::VOI<float>& visible, const bix::Vector3d<float>& cut);

}  // namespace orv

#endif
