#ifndef BIX_IMAGEIO_H
#define BIX_IMAGEIO_H

#include <bix/Image3d.h>

#include <functional>
#include <string>
#include <vector>

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
// returning false cancels the read, which then raises ReadCancelled (an
// IOException).
using ProgressCallback = std::function<bool(double fraction)>;

// Which part of a file of several channels or time points is read. Files
// keep them as planes of their own: ImageJ hyperstacks, OME-TIFF, ICS with
// a channel or time dimension after x and y. Up to three channels of 8- or
// 16-bit unsigned samples read as one RGB voxel (the first chosen channel
// red, the second green, the third blue; two channels leave blue 0); one
// channel reads as grey. The default reads every channel, up to three, at
// the first time point, and reads files of one channel as they are.
struct ReadOptions {
  // Channel numbers counted from 1, in the order red, green, blue; empty:
  // all of the file's channels when it has up to three.
  std::vector<unsigned> channels;
  // The time point, counted from 1.
  unsigned timePoint = 1;
};

// The voxel type of a TIFF, ICS or BIX file, from its header alone. The
// format is recognised from the file's first bytes (TIFF, BIX) or its name
// (.ics, .ids). Raises IOException naming the file and the fault, among them
// a choice of channels or time point the file cannot give.
VoxelType ReadImageType(const std::string& name, const ReadOptions& options = ReadOptions());

// Whether the file gives the x and y spacing of its planes but not the z
// spacing between them (a TIFF with resolution tags and no ImageJ or OME
// z spacing), so that reading takes the z spacing equal to x's. Raises
// IOException as ReadImageType does.
bool ZSpacingAssumed(const std::string& name, const ReadOptions& options = ReadOptions());

// Both of the above from one reading of the file's header (a TIFF of
// thousands of pages reads every page's directory).
struct ImageFileFacts {
  VoxelType type;
  bool zSpacingAssumed;
};
ImageFileFacts ReadImageFacts(const std::string& name, const ReadOptions& options = ReadOptions());

// What a file says of one of its channels.
struct ChannelFacts {
  std::string name;        // empty when the file names none
  bool hasColour = false;  // the file gives the colour the channel is shown in
  unsigned char red = 0, green = 0, blue = 0;
};

// The channels and time points of a file (or an OME-Zarr image), each
// channel read on its own with ReadOptions{{c}, t}: the voxel type one
// channel reads as, and what the file says of each channel (as many
// entries as channels). A file of one channel has one, also when its
// voxels are RGB (then channelType is RGB). Raises IOException as
// ReadImageType does.
struct ImageLayout {
  VoxelType channelType = VOXEL_UCHAR;
  unsigned channels = 1, timePoints = 1;
  std::vector<ChannelFacts> channelFacts;
  bool zSpacingAssumed = false;
};
ImageLayout ReadImageLayout(const std::string& name);

// Writes time points and channels of gray stacks (`stacks[t][c]`, all of
// one size) as one OME-TIFF: a page per plane, z fastest, then channel, then
// time point (DimensionOrder "XYZCT"), deflate-compressed, with the OME-XML
// (voxel size, each channel's name and colour from `channels`, which may be
// empty) in the first page's description. Written to a temporary file that
// takes the place of `path` once complete; raises IOException.
template <class T>
void SaveOmeTiff(const std::vector<std::vector<const Image3d<T>*>>& stacks, const std::vector<ChannelFacts>& channels,
                 const std::string& path);

// Reads a whole file into `out`: size, voxels, offset and resolution. Formats
// that store no offset (TIFF without ImageJ origins) give offset 0; files
// without a physical spacing give an undefined resolution. T must be the type
// ReadImageType reports, except that unsigned int (label images) reads any
// integer file whose values are not negative. Any failure, a cancel included,
// raises IOException and leaves `out` empty or as it was. `options` choose
// channels and time point as for ReadImageType.
template <class T>
void ReadImage(const std::string& name, Image3d<T>& out,
               const ProgressCallback& progress = ProgressCallback(),
               const ReadOptions& options = ReadOptions());

#define BIX_DECLARE_READIMAGE(T) \
  extern template void ReadImage<T>(const std::string&, Image3d<T>&, const ProgressCallback&, const ReadOptions&);
BIX_FOR_EACH_VOXEL_TYPE(BIX_DECLARE_READIMAGE)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(BIX_DECLARE_READIMAGE)
#undef BIX_DECLARE_READIMAGE
#define BIX_DECLARE_SAVE_OME_TIFF(T)                                                                          \
  extern template void SaveOmeTiff<T>(const std::vector<std::vector<const Image3d<T>*>>&,                   \
                                      const std::vector<ChannelFacts>&, const std::string&);
BIX_FOR_EACH_GRAY_TYPE(BIX_DECLARE_SAVE_OME_TIFF)
#undef BIX_DECLARE_SAVE_OME_TIFF

}  // namespace bix

#endif
