#ifndef BIX_IO_UNITS_H
#define BIX_IO_UNITS_H

#include <bix/Resolution.h>
#include <bix/Vector3d.h>

#include <functional>
#include <string>

namespace bix::io {

// Microns in one `unit` as file headers spell it: ImageJ ("micron",
// "\u00B5m"), OME ("µm", "nm"), ICS ("micrometer"), and the usual metric and
// inch names. 0 for names that are no length ("pixel", "undefined", unknown).
double MicronsPerUnit(const std::string& unit);

// The resolution of voxels `spacing` microns apart along x, y and z, or an
// undefined resolution when a spacing is not positive and finite.
Resolution ResolutionFromSpacing(double sx, double sy, double sz);

// The shortest decimal text ("%.Ng", N from 1 up to 17) of `value` whose
// parsed number satisfies `readsBack`: what a user typed (0.3) is written as
// such, not as the single-precision value's long expansion (0.300000012).
std::string ShortestDecimal(double value, const std::function<bool(double)>& readsBack);

// The shortest decimal voxel size (microns) whose resolution, read as
// float(1 / size), is `pixelsPerMicron` again.
std::string VoxelSizeText(float pixelsPerMicron);

}  // namespace bix::io

#endif
