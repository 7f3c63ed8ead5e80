#ifndef ORV_VIEW_ZARR_CONVERSION_H
#define ORV_VIEW_ZARR_CONVERSION_H

#include "options.h"

namespace orvview {

// Whether the command line asks only to save a gray image's data as
// OME-Zarr ("orv-view IN --save-data OUT.zarr" and nothing else, IN a file
// or a store): that is a conversion, done without a viewer, a display or the
// whole image in memory.
bool IsZarrConversion(const ViewerOptions& options);

// Converts the image plane by plane (bix::ConvertToOmeZarr), saying on
// standard output what was written and on standard error what failed.
// Returns the exit status.
int RunZarrConversion(const ViewerOptions& options);

}  // namespace orvview

#endif
