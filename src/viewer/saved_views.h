#ifndef ORV_SRC_SAVED_VIEWS_H
#define ORV_SRC_SAVED_VIEWS_H

// Saving what a canvas's cut windows show as one picture: a composite of the
// three windows for a publication figure, or a gallery of XY slices. The
// pictures are the windows' own (pointer and labels included), so what is
// saved is what the user sees. Write errors are reported in a message that
// names the file; any previous file of that name is then left as it was.

#include <orv/orv_canvas.h>

#include <string>

namespace orv {

// The windows in `windows` that are shown, laid out as ComputeCompositeLayout
// says, gaps and the free corner white; the corner carries a scale bar at
// the XZ window's horizontal zoom when it can hold one legibly. When none of
// the selected windows is shown, a message box says so and nothing is written.
void SaveCompositeView(orv_OrthoscopeCanvas& canvas, const std::string& path, int decoration,
                       orv_ProjectionType windows);

// The XY window's pictures of z slices start, start + step, ... end, each
// the image's x by y voxels, tiled as ComputeGalleryLayout says. The cut
// moves to the centre of each slice in turn and back to where it was.
// Slices outside the image are left out; a step or count below 1 is refused.
void SaveGalleryView(orv_OrthoscopeCanvas& canvas, const std::string& path, int start, int end, int step,
                     bool fixedRows, int count, int spacing);

}  // namespace orv

#endif
