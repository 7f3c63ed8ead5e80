#ifndef BIX_IO_OMEZARRFILES_H
#define BIX_IO_OMEZARRFILES_H

// OME-Zarr stores read and written whole, for ReadImage and SaveImage.

#include <bix/ImageIO.h>
#include <bix/VOI.h>

#include <string>

namespace bix::io {

// The voxel type of an OME-Zarr store's images.
ImageFileFacts OmeZarrFacts(const std::string& name, const ReadOptions& options);

// The channels and time points of an OME-Zarr store (see ReadImageLayout).
ImageLayout OmeZarrLayout(const std::string& name);

// Reads the finest level of an OME-Zarr store whose voxels fit in the chunk
// cache's budget (saying which level in a notice when it is not the first),
// at the chosen time point: one channel as it is, two or three 8/16-bit
// channels as RGB, chosen as the file readers choose them. Raises IOException.
template <class T>
void ReadOmeZarrImage(const std::string& name, Image3d<T>& out, const ProgressCallback& progress,
                      const ReadOptions& options);

// Writes an image (or its part in `region`) as OME-Zarr.
template <class T>
void SaveOmeZarrImage(const Image3d<T>& image, const std::string& name, const VOI<float>* region);

}  // namespace bix::io

#endif
