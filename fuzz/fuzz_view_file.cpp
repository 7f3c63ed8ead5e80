// libFuzzer target: a volume window view file (".orvview"). Whatever it
// holds, reading must never crash or hang, and the view it leaves must be
// one the keys and the mouse can make: distance and plane offset in their
// ranges, both matrices rotations; written out and read again, it is the
// same view.

#include "volume_view.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

bool Near(float a, float b) { return std::fabs(a - b) <= 1e-6f * std::max(1.0f, std::fabs(a)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  orv::VolumeViewState view;
  orv::ParseViewFile(std::string(reinterpret_cast<const char*>(data), size), view);
  if (!(view.distance >= orv::kFarthestDistance && view.distance <= orv::kNearestDistance)) __builtin_trap();
  if (!(std::fabs(view.planeOffset) <= orv::kPlaneReach)) __builtin_trap();
  if (!orv::IsRotationMatrix(view.model) || !orv::IsRotationMatrix(view.plane)) __builtin_trap();
  orv::VolumeViewState again;
  if (orv::ParseViewFile(orv::FormatViewFile(view), again) != 34) __builtin_trap();
  if (!Near(again.distance, view.distance) || std::fabs(again.planeOffset - view.planeOffset) > 1e-9) __builtin_trap();
  for (int i = 0; i < 16; ++i)
    if (!Near(again.model[i], view.model[i]) || !Near(again.plane[i], view.plane[i])) __builtin_trap();
  return 0;
}
