#ifndef ORV_VIEW_SNAPSHOT_H
#define ORV_VIEW_SNAPSHOT_H

#include <orv/orv_canvas.h>

#include <wx/image.h>

#include <string>

namespace orvview {

// Saves what the canvas shows as a PNG: black background, each shown cut
// window's painted picture at its place. Returns what went wrong, or an
// empty string.
std::string SaveCanvasSnapshot(orv::orv_OrthoscopeCanvas* canvas, const wxString& path);

// Whether every shown cut window of a canvas over a chunked image has all
// the chunks its zoom asks for (always true for an image in memory).
bool CutsAtRest(orv::orv_OrthoscopeCanvas& canvas);

// Writes a snapshot as a PNG. Returns "cannot write the snapshot PATH: WHY"
// (the system's reason, such as "Permission denied"), or an empty string.
std::string SaveSnapshotPng(const wxImage& picture, const wxString& path);

}  // namespace orvview

#endif
