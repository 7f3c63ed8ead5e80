#ifndef ORV_SRC_LEVEL_MARKERS_H
#define ORV_SRC_LEVEL_MARKERS_H

// The arithmetic of the level markers (lower and upper limit and gamma) that
// the min/max controls draw and drag, as plain functions.

namespace orv {

enum orv_MarkerId { MARKER_UPPER = 0, MARKER_LOWER = 1, MARKER_GAMMA = 2, MARKER_NONE = 1000 };

// The gamma marker between the limit markers: in the middle for gamma 1, at
// the lower marker for 10, at the upper one for 0.1 (rounded half away from
// zero).
int GammaMarkerPosition(int lower, int upper, double gamma);
// The gamma a marker dragged to `position` stands for, at most `maxGamma`
// (1 when the limit markers coincide).
double GammaFromMarker(int lower, int upper, int position, double maxGamma);
// The step position under pixel column x of a marker strip `width` pixels
// wide (2-pixel inset on each side), clamped to 0 .. steps - 1; and back.
int PointerStep(int x, int width, int steps);
int MarkerPixel(int position, int width, int steps);
// The marker a press at step position q takes: the lower one when it is at
// least as close as the upper one; the gamma marker when it is strictly
// closer than the lower one and not farther than the upper one. Markers at
// the same position are split by the side the pointer lies on.
int NearestMarker(int q, int lower, int upper, bool hasGamma, int gammaPosition);

}  // namespace orv

#endif
