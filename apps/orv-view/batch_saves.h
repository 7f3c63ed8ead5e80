#ifndef ORV_VIEW_BATCH_SAVES_H
#define ORV_VIEW_BATCH_SAVES_H

#include "batch_options.h"

#include <orv/orv_frame.h>

namespace orvview {

// Runs the saves asked for on the command line on a shown viewer, in the
// order view, gallery, 3D data, without dialogs. The frame is first fitted
// to the whole image at the current zoom (also past the screen's edge), so
// that the pictures hold every voxel. Says on standard output what was
// saved; a gallery is made at zoom level 0, where its tiles of x by y
// pixels hold whole slices. Returns false when something could not be saved, after saying why
// on standard error.
bool RunBatchSaves(orv::orv_OrthoscopeFrame* frame, const BatchSaves& saves);

}  // namespace orvview

#endif
