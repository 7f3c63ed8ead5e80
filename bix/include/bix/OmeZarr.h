#ifndef BIX_OMEZARR_H
#define BIX_OMEZARR_H

#include <bix/ChunkedImage.h>
#include <bix/Export.h>
#include <bix/Image3d.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace bix {

// Whether `path` names an OME-Zarr image: a folder whose ".zattrs" holds
// "multiscales", or that ".zattrs" file itself.
BIX_EXPORT bool IsOmeZarr(const std::string& path);
// The folder of an OME-Zarr path (the path itself, or the folder of its ".zattrs").
BIX_EXPORT std::string OmeZarrFolder(const std::string& path);

// Opens an OME-Zarr image (NGFF 0.4 on Zarr v2): its levels from the first
// "multiscales" entry, their voxel sizes and offsets in microns from the
// datasets' "scale" and "translation" (voxel centres, as NGFF places them;
// nanometers, millimeters and other lengths convert, numbers without a known
// unit are taken as microns with a notice), and channel and time axes.
// Chunks decode with blosc, zlib, gzip, zstd or none; a missing chunk file
// holds the fill value. Raises IOException naming the file and the key at
// fault.
BIX_EXPORT std::shared_ptr<ChunkedImage> OpenOmeZarr(const std::string& path);

// What an OME-Zarr image's "omero" metadata say of its `channels` channels
// ("label", "color" as six hexadecimal digits): as many entries as channels,
// empty where nothing is said.
BIX_EXPORT std::vector<ChannelFacts> OmeZarrChannels(const std::string& path, unsigned channels);

// The label images an OME-Zarr image has ("labels/.zattrs"), by name.
BIX_EXPORT std::vector<std::string> OmeZarrLabelNames(const std::string& path);

// The colours an NGFF label image gives its labels ("image-label"/"colors").
struct OmeZarrLabelColour {
  unsigned label = 0;
  std::array<unsigned char, 4> rgba{};
};
BIX_EXPORT std::vector<OmeZarrLabelColour> OmeZarrLabelColours(const std::string& path);

// How an image is written as OME-Zarr.
struct OmeZarrWriteOptions {
  unsigned chunk = 64;        // voxels per chunk side
  std::string cname = "zstd"; // blosc's compressor
  int clevel = 5;
  bool labels = false;        // a label image: reduced by taking a voxel, "image-label" metadata
};

// Writes `image` as NGFF 0.4 OME-Zarr (RGB images with red, green and blue
// along a channel axis): level 0 as it is, then levels
// reduced by 2 in x and y (and in z once the voxels are about as deep as
// they are wide) until one fits in a 256-voxel cube, averaged for
// intensities and sampled for labels; chunks of options.chunk voxels,
// blosc-compressed; voxel size and offset in micrometers. The store is
// written beside `path` and put in its place when complete, so a failure
// leaves an earlier one as it was. Raises IOException.
template <class T>
void WriteOmeZarr(const Image3d<T>& image, const std::string& path,
                  const OmeZarrWriteOptions& options = OmeZarrWriteOptions());

// Writes time points and channels of gray stacks as one OME-Zarr image,
// `stacks[t][c]`, all of one size and placed as the first: "t" and "c"
// axes before z, y and x (an axis of one entry is left out), the pyramid
// WriteOmeZarr makes for each stack, and the channels' names and colours
// (`channels`, may be empty) in the "omero" metadata. Raises IOException.
template <class T>
void WriteOmeZarrSeries(const std::vector<std::vector<const Image3d<T>*>>& stacks,
                        const std::vector<ChannelFacts>& channels, const std::string& path,
                        const OmeZarrWriteOptions& options = OmeZarrWriteOptions());

// Converts an image file (TIFF, ICS, BIX) to OME-Zarr without holding it:
// its planes are read one chunk's depth at a time and written as the first
// level, and each further level is made from the one written before through
// the chunk cache. Memory stays within that slab of planes plus the cache's
// budget. Gray images only (RGB is refused); `options.labels` writes labels.
// `progress` is told the fraction of planes written and may cancel
// (ReadCancelled). Raises IOException.
BIX_EXPORT void ConvertToOmeZarr(const std::string& input, const std::string& path,
                                 const ReadOptions& read = ReadOptions(),
                                 const OmeZarrWriteOptions& options = OmeZarrWriteOptions(),
                                 const ProgressCallback& progress = ProgressCallback());

// Writes channel `c` at time point `t` of one level of a chunked image (a
// store being re-chunked, a mapped file) as OME-Zarr with the pyramid
// WriteOmeZarr makes, chunk by chunk: each chunk of the source is read once,
// past the cache, so memory stays within the workers' blocks and the cache's
// budget. Gray images only. `progress` is told the fraction written, on the
// calling thread, and may cancel (ReadCancelled; the store is not written).
// Raises IOException.
BIX_EXPORT void WriteOmeZarr(const ChunkedImage& source, unsigned level, unsigned t, unsigned c,
                             const std::string& path, const OmeZarrWriteOptions& options = OmeZarrWriteOptions(),
                             const ProgressCallback& progress = ProgressCallback());

#define BIX_DECLARE_WRITE_OMEZARR(T) \
  extern template BIX_EXPORT void WriteOmeZarr<T>(const Image3d<T>&, const std::string&, const OmeZarrWriteOptions&);
#define BIX_DECLARE_WRITE_SERIES(T)                                                                   \
  extern template BIX_EXPORT void WriteOmeZarrSeries<T>(const std::vector<std::vector<const Image3d<T>*>>&, \
                                                        const std::vector<ChannelFacts>&, const std::string&,  \
                                                        const OmeZarrWriteOptions&);
BIX_FOR_EACH_GRAY_TYPE(BIX_DECLARE_WRITE_SERIES)
#undef BIX_DECLARE_WRITE_SERIES
BIX_FOR_EACH_VOXEL_TYPE(BIX_DECLARE_WRITE_OMEZARR)
BIX_DECLARE_WRITE_OMEZARR(unsigned int)
#undef BIX_DECLARE_WRITE_OMEZARR

}  // namespace bix

#endif
