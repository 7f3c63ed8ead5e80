#ifndef BIX_IMAGEIO_H
#define BIX_IMAGEIO_H

#include <bix/Image3d.h>

#include <functional>
#include <string>

namespace bix {

// The voxel types a file can be read as; a host asks ReadImageType first,
// then instantiates its viewer for that type and calls ReadImage.
enum VoxelType {
  VOXEL_UCHAR,   // 8-bit unsigned
  VOXEL_USHORT,  // 16-bit unsigned
  VOXEL_INT,     // 32-bit signed; also 8/16-bit signed and 32-bit unsigned files
  VOXEL_FLOAT,   // 32-bit float
  VOXEL_RGB8,    // RGB_generic<unsigned char>
  VOXEL_RGB16,   // RGB_generic<unsigned short>
};

// "unsigned char", "unsigned short", "int", "float", "RGB_generic<unsigned char>",
// "RGB_generic<unsigned short>".
const char* VoxelTypeName(VoxelType type);

// Told the fraction of the data read so far (0 to 1) after each z slice;
// returning false cancels the read, which then raises IOException.
using ProgressCallback = std::function<bool(double fraction)>;

// The voxel type of a TIFF, ICS or BIX file, from its header alone. The
// format is recognised from the file's first bytes (TIFF, BIX) or its name
// (.ics, .ids). Raises IOException naming the file and the fault.
VoxelType ReadImageType(const std::string& name);

// Whether the file gives the x and y spacing of its planes but not the z
// spacing between them (a TIFF with resolution tags and no ImageJ or OME
// z spacing), so that reading takes the z spacing equal to x's. Raises
// IOException as ReadImageType does.
bool ZSpacingAssumed(const std::string& name);

// Reads a whole file into `out`: size, voxels, offset and resolution. Formats
// that store no offset (TIFF without ImageJ origins) give offset 0; files
// without a physical spacing give an undefined resolution. T must be the type
// ReadImageType reports, except that unsigned int (label images) reads any
// integer file whose values are not negative. Any failure, a cancel included,
// raises IOException and leaves `out` empty or as it was.
template <class T>
void ReadImage(const std::string& name, Image3d<T>& out,
               const ProgressCallback& progress = ProgressCallback());

#define BIX_DECLARE_READIMAGE(T) \
  extern template void ReadImage<T>(const std::string&, Image3d<T>&, const ProgressCallback&);
BIX_FOR_EACH_VOXEL_TYPE(BIX_DECLARE_READIMAGE)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_DECLARE_READIMAGE)
#undef BIX_DECLARE_READIMAGE

}  // namespace bix

#endif
