#ifndef ORV_VIEW_SNAPSHOT_H
#define ORV_VIEW_SNAPSHOT_H

#include <orv/orv_canvas.h>

namespace orvview {

// Saves what the canvas shows as a PNG: black background, each shown cut
// window's painted picture at its place. False when the file cannot be written.
bool SaveCanvasSnapshot(orv::orv_OrthoscopeCanvas* canvas, const wxString& path);

}  // namespace orvview

#endif
