// A host application built against the installed package: it includes the
// public headers, links orv::orv found by find_package and opens a viewer
// canvas type and the histogram of an image.
#include <orv/orv.h>

#include <cstdio>

int main() {
  bix::Image3d<unsigned short> image(bix::Vector3d<unsigned>(4, 4, 4));
  image.GetVoxel(1, 2, 3) = 7;
  orv::Histogram<unsigned short> h;
  h.Fill(0, 65535, 65536, image.begin(), image.end(), 1);
  const bool ok = h[7] == 1 && h[0] == 63 && orv::VoxelToStr<unsigned short>(7) == "7";
  std::printf("host: %s\n", ok ? "ok" : "wrong");
  return ok ? 0 : 1;
}
