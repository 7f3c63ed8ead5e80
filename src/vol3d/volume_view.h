#ifndef ORV_SRC_VOL3D_VOLUME_VIEW_H
#define ORV_SRC_VOL3D_VOLUME_VIEW_H

// The volume window's view as plain state with its arithmetic: keys,
// trackball, look-at rotations, the projection, the proxy slices, the status
// texts and the view-matrix file. Display-free; the GL canvas draws from it.

#include <array>
#include <string>

namespace orv {

using Matrix4f = std::array<float, 16>;  // OpenGL column order

constexpr Matrix4f kIdentity4f = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct VolumeRotationStep {
  float angle = 0;  // degrees
  std::array<float, 3> axis = {1, 0, 0};
};

// What the user changes: rendering parameters, mode, placement of model and
// clipping plane, display switches. Default-constructed = the start view.
struct VolumeViewState {
  int slices = 100;
  float intensity = 0.5f;
  float threshold = 0.5f;
  bool movingPlane = false;  // false: the mouse turns and moves the model
  float distance = -5.0f;    // z translation of the model in eye space
  Matrix4f model = kIdentity4f;
  Matrix4f plane = kIdentity4f;
  double planeOffset = 1.0;
  std::array<float, 3> background = {0, 0, 0};
  bool drawBox = true;
  bool drawPlane = true;
  // Maximum-intensity projection: each pixel the brightest sample along its
  // ray (per colour channel) instead of the samples composited back to front.
  bool maximumIntensity = false;
};

// The drag in progress: each motion turns the view at once (ApplyDragStep),
// so a repaint only draws.
struct VolumeDragState {
  bool left = false;
  bool right = false;
  std::array<float, 3> lastVector = {0, 0, 0};
  float lastY = 0;
};

enum class VolumeKey { MoreSlices,
                       FewerSlices,
                       Brighter,
                       Darker,
                       HigherThreshold,
                       LowerThreshold,
                       ToggleMode };

// Applies one key's effect with its clamp.
void ApplyVolumeKey(VolumeKey key, VolumeViewState& view);

// "Mode: Moving Object" or "Mode: Moving Plane".
std::string VolumeModeText(const VolumeViewState& view);
// "# slices: %d, intensity: %.2f, threshold: %.2f".
std::string VolumeParameterText(const VolumeViewState& view);
// "downsampled %ux" when the texture holds a stack reduced by `factor`,
// else empty: the status bar's field of its own, so it is always seen.
std::string VolumeReductionText(unsigned factor);

// The unit trackball vector of window point (x, y) in a w x h client area.
std::array<float, 3> TrackballVector(float x, float y, float w, float h);
// The rotation increment of a left drag from t0 to t1: angle 90 |t1 - t0|
// degrees about t0 x t1.
VolumeRotationStep TrackballStep(const std::array<float, 3>& t0, const std::array<float, 3>& t1);

// m := rotation(angle degrees about axis) x m, as glRotatef then
// glMultMatrixf compose it; a zero axis leaves m as it is.
void PreRotate(Matrix4f& m, float angle, const std::array<float, 3>& axis);
// One step of a left drag, composed into the view when the mouse moves: the
// model turns about the step's axis as the user sees it on screen, or, while
// the plane moves, the plane turns about that axis carried into the model's
// frame.
void ApplyDragStep(VolumeViewState& view, const VolumeRotationStep& step);

// Perspective projection: 40 degrees vertical field of view, aspect w / h,
// near 0.1, far 50.
std::array<double, 16> VolumeProjection(int w, int h);

// The 8 x 8 vertices (x, y, z) of the curved proxy slice, row by row.
using ProxyGrid = std::array<float, 8 * 8 * 3>;
ProxyGrid MakeProxyGrid();

// The rotation whose rows are right = forward x up, true up = right x
// forward and -forward: the eye looks along `forward` with `up` up.
Matrix4f LookAtRotation(const std::array<float, 3>& forward, const std::array<float, 3>& up);

// Where the model and the clipping plane may be so that something is drawn:
// the model's centre from 0.1 to 48 units in front of the eye (the far
// plane is at 50, the model reaches 1.8 from its centre), the plane within
// 2 units of the centre (beyond, all or nothing is clipped either way).
constexpr float kNearestDistance = -0.1f, kFarthestDistance = -48.0f;
constexpr double kPlaneReach = 2.0;
// Brings the distance and the plane offset into those ranges.
void ClampPlacement(VolumeViewState& view);

// The view-matrix file: 34 numbers written "%.11f " (distance, model
// rotation, plane offset, plane rotation), the placement clamped.
std::string FormatViewFile(const VolumeViewState& view);
// Reads what a view file holds soundly into `view`: the distance and the
// plane offset when they are finite numbers (clamped as ClampPlacement does), each rotation only when all
// its 16 numbers are there and form a rotation (a part read short or
// malformed would turn the picture into nothing). Reading stops at the first
// number that fails; what is not taken keeps its value. Returns the count
// of numbers read.
int ParseViewFile(const std::string& text, VolumeViewState& view);

// True for a rigid rotation matrix: orthonormal upper 3 x 3 with
// determinant +1 (within 1e-3), no translation or projection part.
bool IsRotationMatrix(const Matrix4f& m);

}  // namespace orv

#endif
