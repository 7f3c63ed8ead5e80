#ifndef ORV_VIEW_OPEN_IMAGE_H
#define ORV_VIEW_OPEN_IMAGE_H

#include "options.h"

#include <orv/orv_frame.h>

namespace orvview {

// A complete viewer, not yet shown, on the image the options name (the
// built-in sample without one), read with its own voxel type and shown
// through the chosen stretch. Large files are read under a progress dialog.
// Raises bix::IOException, naming the file, when it cannot be read.
orv::orv_OrthoscopeFrame* OpenViewer(const ViewerOptions& options);

// Chooses a stretch of the viewer's "&Mapping" menu, as a user would.
void ApplyStretch(orv::orv_OrthoscopeFrame* frame, const std::string& stretch);

}  // namespace orvview

#endif
