#ifndef ORV_VIEW_SNAPSHOT_3D_H
#define ORV_VIEW_SNAPSHOT_3D_H

#include <orv/orv_frame.h>

#include <string>

namespace orvview {

// Opens the viewer's volume window, turns it to preset view `view` (0 to 5
// for x+ to z-; -1 keeps the start view) and saves what it shows as a PNG.
// Returns what went wrong, or an empty string.
// With `maximumIntensity`, the window shows the maximum-intensity projection.
std::string SaveVolumeSnapshot(orv::orv_OrthoscopeFrame* viewer, int view, const wxString& path,
                               bool maximumIntensity = false);

}  // namespace orvview

#endif
