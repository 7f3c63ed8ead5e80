#include "Units.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace bix::io {

double MicronsPerUnit(const std::string& unit) {
  std::string u;
  for (char c : unit)
    if (!std::isspace(static_cast<unsigned char>(c))) u += char(std::tolower(static_cast<unsigned char>(c)));
  // The micro sign in UTF-8, in Latin-1, as ImageJ escapes it, and the Greek mu.
  for (const char* micro : {"\xc2\xb5", "\xb5", "\\u00b5", "\xce\xbc"})
    if (u.rfind(micro, 0) == 0) u = "u" + u.substr(std::string(micro).size());
  struct Name { const char* name; double microns; };
  static const Name names[] = {
      {"um", 1}, {"micron", 1}, {"microns", 1}, {"micrometer", 1}, {"micrometers", 1},
      {"micrometre", 1}, {"micrometres", 1},
      {"nm", 1e-3}, {"nanometer", 1e-3}, {"nanometers", 1e-3}, {"nanometre", 1e-3},
      {"nanometres", 1e-3}, {"pm", 1e-6}, {"picometer", 1e-6}, {"a", 1e-4}, {"angstrom", 1e-4},
      {"\xc3\xa5", 1e-4}, {"\xc3\x85", 1e-4},
      {"mm", 1e3}, {"millimeter", 1e3}, {"millimeters", 1e3}, {"millimetre", 1e3},
      {"millimetres", 1e3}, {"cm", 1e4}, {"centimeter", 1e4}, {"centimeters", 1e4},
      {"centimetre", 1e4}, {"centimetres", 1e4}, {"m", 1e6}, {"meter", 1e6}, {"meters", 1e6},
      {"metre", 1e6}, {"metres", 1e6}, {"inch", 25400}, {"inches", 25400}, {"in", 25400},
  };
  const auto it = std::find_if(std::begin(names), std::end(names),
                               [&](const Name& n) { return u == n.name; });
  return it == std::end(names) ? 0.0 : it->microns;
}

Resolution ResolutionFromSpacing(double sx, double sy, double sz) {
  for (double s : {sx, sy, sz})
    if (!(s > 0) || !std::isfinite(s) || !std::isfinite(float(1 / s)) || !(float(1 / s) > 0))
      return Resolution();
  return Resolution(Vector3d<float>(float(1 / sx), float(1 / sy), float(1 / sz)));
}

std::string ShortestDecimal(double value, const std::function<bool(double)>& readsBack) {
  char text[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (readsBack(std::strtod(text, nullptr))) return text;
  }
  return text;
}

std::string VoxelSizeText(float pixelsPerMicron) {
  return ShortestDecimal(1.0 / pixelsPerMicron, [&](double size) { return float(1.0 / size) == pixelsPerMicron; });
}

}  // namespace bix::io
