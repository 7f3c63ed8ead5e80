#include "volume_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace orv {

namespace {

constexpr float kKeyStep = 0.03125f;

std::array<float, 3> Cross(const std::array<float, 3>& a, const std::array<float, 3>& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

}  // namespace

void ApplyVolumeKey(VolumeKey key, VolumeViewState& view) {
  switch (key) {
    case VolumeKey::MoreSlices: view.slices += 10; break;
    case VolumeKey::FewerSlices: view.slices = std::max(0, view.slices - 10); break;
    case VolumeKey::Brighter: view.intensity = std::min(1.0f, view.intensity + kKeyStep); break;
    case VolumeKey::Darker: view.intensity = std::max(0.0f, view.intensity - kKeyStep); break;
    case VolumeKey::HigherThreshold: view.threshold = std::min(1.0f, view.threshold + kKeyStep); break;
    case VolumeKey::LowerThreshold: view.threshold = std::max(0.0f, view.threshold - kKeyStep); break;
    case VolumeKey::ToggleMode: view.movingPlane = !view.movingPlane; break;
  }
}

std::string VolumeModeText(const VolumeViewState& view) {
  return view.movingPlane ? "Mode: Moving Plane" : "Mode: Moving Object";
}

std::string VolumeParameterText(const VolumeViewState& view) {
  char text[160];
  std::snprintf(text, sizeof text, "# slices: %d, intensity: %.2f, threshold: %.2f", view.slices,
                static_cast<double>(view.intensity), static_cast<double>(view.threshold));
  return text;
}

std::string VolumeReductionText(unsigned factor) {
  return factor > 1 ? "downsampled " + std::to_string(factor) + "x" : std::string();
}

void PreRotate(Matrix4f& m, float angle, const std::array<float, 3>& axis) {
  const double length = std::sqrt(double(axis[0]) * axis[0] + double(axis[1]) * axis[1] + double(axis[2]) * axis[2]);
  if (!(length > 0)) return;
  const double x = axis[0] / length, y = axis[1] / length, z = axis[2] / length;
  const double radians = angle * M_PI / 180, c = std::cos(radians), s = std::sin(radians), t = 1 - c;
  const double r[3][3] = {{x * x * t + c, x * y * t - z * s, x * z * t + y * s},
                          {y * x * t + z * s, y * y * t + c, y * z * t - x * s},
                          {x * z * t - y * s, y * z * t + x * s, z * z * t + c}};
  const Matrix4f old = m;
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 3; ++row)
      m[col * 4 + row] = static_cast<float>(r[row][0] * old[col * 4] + r[row][1] * old[col * 4 + 1] +
                                            r[row][2] * old[col * 4 + 2]);
}

void ApplyDragStep(VolumeViewState& view, const VolumeRotationStep& step) {
  if (!view.movingPlane) {
    PreRotate(view.model, step.angle, step.axis);
    return;
  }
  // The screen axis in model space: the model rotation's transpose applied.
  const Matrix4f& m = view.model;
  std::array<float, 3> modelAxis{};
  for (int r = 0; r < 3; ++r)
    modelAxis[r] = m[r * 4] * step.axis[0] + m[r * 4 + 1] * step.axis[1] + m[r * 4 + 2] * step.axis[2];
  PreRotate(view.plane, step.angle, modelAxis);
}

std::array<float, 3> TrackballVector(float x, float y, float w, float h) {
  const float px = (2 * x - w) / w, py = (h - 2 * y) / h;
  const float d = std::min(std::sqrt(px * px + py * py), 1.0f);
  const float pz = std::cos(static_cast<float>(M_PI) / 2 * d);
  const float length = std::sqrt(px * px + py * py + pz * pz);
  return {px / length, py / length, pz / length};
}

VolumeRotationStep TrackballStep(const std::array<float, 3>& t0, const std::array<float, 3>& t1) {
  const float dx = t1[0] - t0[0], dy = t1[1] - t0[1], dz = t1[2] - t0[2];
  VolumeRotationStep step;
  step.angle = 90 * std::sqrt(dx * dx + dy * dy + dz * dz);
  step.axis = Cross(t0, t1);
  return step;
}

std::array<double, 16> VolumeProjection(int w, int h) {
  const double nearZ = 0.1, farZ = 50.0;
  const double f = 1.0 / std::tan(20.0 * M_PI / 180.0);
  const double aspect = h > 0 ? static_cast<double>(w) / h : 1.0;
  std::array<double, 16> m{};
  m[0] = f / aspect;
  m[5] = f;
  m[10] = -(farZ + nearZ) / (farZ - nearZ);
  m[11] = -1;
  m[14] = -2 * farZ * nearZ / (farZ - nearZ);
  return m;
}

ProxyGrid MakeProxyGrid() {
  ProxyGrid grid{};
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j) {
      const float a = j / 7.0f - 0.5f, b = i / 7.0f - 0.5f;
      const float k = 1 / std::sqrt(a * a + b * b + 0.25f);
      float* v = &grid[(i * 8 + j) * 3];
      v[0] = 2 * a * k;
      v[1] = 2 * b * k;
      v[2] = 1 - 0.5f * k;
    }
  return grid;
}

Matrix4f LookAtRotation(const std::array<float, 3>& forward, const std::array<float, 3>& up) {
  const std::array<float, 3> right = Cross(forward, up), trueUp = Cross(right, forward);
  Matrix4f m = kIdentity4f;
  for (int c = 0; c < 3; ++c) {
    m[c * 4 + 0] = right[c];
    m[c * 4 + 1] = trueUp[c];
    m[c * 4 + 2] = -forward[c];
  }
  return m;
}

void ClampPlacement(VolumeViewState& view) {
  view.distance = std::clamp(view.distance, kFarthestDistance, kNearestDistance);
  view.planeOffset = std::clamp(view.planeOffset, -kPlaneReach, kPlaneReach);
}

std::string FormatViewFile(const VolumeViewState& shown) {
  VolumeViewState view = shown;
  ClampPlacement(view);
  std::string text;
  char number[64];
  auto add = [&](double v) {
    std::snprintf(number, sizeof number, "%.11f ", v);
    text += number;
  };
  add(view.distance);
  for (float v : view.model) add(v);
  add(view.planeOffset);
  for (float v : view.plane) add(v);
  return text;
}

bool IsRotationMatrix(const Matrix4f& m) {
  const float eps = 1e-3f;
  for (int i = 0; i < 3; ++i)
    if (std::fabs(m[3 + 4 * i]) > eps || std::fabs(m[12 + i]) > eps) return false;
  if (std::fabs(m[15] - 1) > eps) return false;
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) {
      double dot = 0;
      for (int k = 0; k < 3; ++k) dot += double(m[a * 4 + k]) * m[b * 4 + k];
      if (!(std::fabs(dot - (a == b ? 1 : 0)) <= eps)) return false;
    }
  const std::array<float, 3> c0 = {m[0], m[1], m[2]}, c1 = {m[4], m[5], m[6]};
  const std::array<float, 3> c2 = Cross(c0, c1);
  return std::fabs(c2[0] - m[8]) + std::fabs(c2[1] - m[9]) + std::fabs(c2[2] - m[10]) <= 3 * eps;
}

int ParseViewFile(const std::string& text, VolumeViewState& view) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  int count = 0;
  auto next = [&](double& v) {
    if (!(in >> v) || !std::isfinite(v)) return false;
    ++count;
    return true;
  };
  auto matrix = [&](Matrix4f& target) {
    Matrix4f m;
    for (float& e : m) {
      double v;
      if (!next(v)) return false;
      e = static_cast<float>(v);
    }
    if (IsRotationMatrix(m)) target = m;
    return true;
  };
  double v;
  if (!next(v)) return count;
  view.distance = static_cast<float>(std::clamp<double>(v, kFarthestDistance, kNearestDistance));
  if (!matrix(view.model) || !next(v)) return count;
  view.planeOffset = std::clamp(v, -kPlaneReach, kPlaneReach);
  matrix(view.plane);
  return count;
}

}  // namespace orv
