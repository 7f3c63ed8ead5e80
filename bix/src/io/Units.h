#ifndef BIX_IO_UNITS_H
#define BIX_IO_UNITS_H

#include <bix/Resolution.h>
#include <bix/Vector3d.h>

#include <string>

namespace bix::io {

// Microns in one `unit` as file headers spell it: ImageJ ("micron",
// "\u00B5m"), OME ("µm", "nm"), ICS ("micrometer"), and the usual metric and
// inch names. 0 for names that are no length ("pixel", "undefined", unknown).
double MicronsPerUnit(const std::string& unit);

// The resolution of voxels `spacing` microns apart along x, y and z, or an
// undefined resolution when a spacing is not positive and finite.
Resolution ResolutionFromSpacing(double sx, double sy, double sz);

}  // namespace bix::io

#endif
