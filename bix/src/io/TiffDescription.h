#ifndef BIX_IO_TIFFDESCRIPTION_H
#define BIX_IO_TIFFDESCRIPTION_H

#include <bix/Resolution.h>
#include <bix/Vector3d.h>

#include <bix/ImageIO.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bix::io {

// The keys of an ImageJ ImageDescription ("ImageJ=1.53t\nimages=20\n...")
// that tell geometry. Counts are 0 and numbers NaN when absent.
struct ImageJDescription {
  bool present = false;
  unsigned long images = 0, channels = 0, slices = 0, frames = 0;
  std::string unit;
  double spacing;  // z spacing in `unit`
  Vector3d<double> origin;  // "xorigin" etc.: the pixel position of the coordinate origin
  // "cf": ImageJ's calibration function (0 a straight line value = c0 + c1 *
  // sample), -1 when absent; "c0", "c1"...: its coefficients (NaN when absent).
  int calibration = -1;
  double coefficients[10];
  ImageJDescription();
};
ImageJDescription ParseImageJDescription(const std::string& text);

// The description we write: ImageJ's keys, so that ImageJ, Fiji and our
// reader agree on the z spacing, the unit and the offset.
std::string ComposeImageJDescription(unsigned pages, const Resolution& resolution,
                                     const Vector3d<float>& offset);

// PhysicalSizeX/Y/Z of the Pixels element of an OME-XML description,
// converted to microns by PhysicalSizeXUnit etc. (default µm); NaN where
// absent or in a unit that is no length. `present` is false for any text
// that is no OME-XML.
// SizeC, SizeT and SizeZ of the same element are 0 where absent;
// DimensionOrder ("XYZCT"...) is empty where absent.
// Its Channel elements give each channel's Name and Color (a signed 32-bit
// RGBA number); its TiffData elements map planes to pages: the IFD of the
// plane at (FirstZ, FirstC, FirstT) and of the PlaneCount - 1 planes after
// it in the dimension order.
struct OmeTiffData {
  std::uint64_t ifd = 0, firstZ = 0, firstC = 0, firstT = 0;
  std::uint64_t planeCount = 0;  // 0: every plane from the first (no attributes at all), else 1 when absent
};
struct OmeDescription {
  bool present = false;
  Vector3d<double> voxelMicrons;
  unsigned long sizeC = 0, sizeT = 0, sizeZ = 0;
  std::string dimensionOrder;
  std::vector<ChannelFacts> channels;
  std::vector<OmeTiffData> tiffData;
  OmeDescription();
};
OmeDescription ParseOmeDescription(const std::string& text);

}  // namespace bix::io

#endif
