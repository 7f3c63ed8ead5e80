#ifndef ORV_TESTS_VOXEL_PIXELS_H
#define ORV_TESTS_VOXEL_PIXELS_H

// Where a cut window shows a voxel, found through the microns the window's
// orientation gives each pixel (the one rule the display follows).

#include "view_model.h"

#include <orv/orv_canvas.h>

#include <gtest/gtest.h>

#include <wx/image.h>

#include <string>

namespace orvtest {

inline std::string Rgb(const wxColour& c) {
  return "(" + std::to_string(c.Red()) + ", " + std::to_string(c.Green()) + ", " + std::to_string(c.Blue()) + ")";
}

// The colour of the first (top left) pixel of window `w`'s picture that
// shows voxel `v` (image order) of an image of 1-micron voxels at offset 0.
inline wxColour ColourAtVoxel(const orv::orv_OrthoscopeCanvas& canvas, const wxImage& picture,
                              orv::orv_ProjectionType w, bix::Vector3d<unsigned> v) {
  const int i = orv::WindowIndex(w);
  const orv::CutAxes& axes = orv::kCutAxes[i];
  const orv::CutOrientation o = canvas.View().Orientation(i);
  auto find = [&](auto micronsAt, int n, unsigned voxel) {
    for (int p = 0; p < n; ++p)
      if (static_cast<unsigned>(micronsAt(p, n)) == voxel) return p;
    return -1;
  };
  const int x = find([&](int p, int n) { return o.MicronsAcross(p, n); }, picture.GetWidth(), v[axes.h]);
  const int y = find([&](int p, int n) { return o.MicronsDown(p, n); }, picture.GetHeight(), v[axes.v]);
  EXPECT_TRUE(x >= 0 && y >= 0) << "voxel not shown in window " << w;
  if (x < 0 || y < 0) return wxColour();
  return wxColour(picture.GetRed(x, y), picture.GetGreen(x, y), picture.GetBlue(x, y));
}

}  // namespace orvtest

#endif
