#ifndef BIX_MAPPEDIMAGE_H
#define BIX_MAPPEDIMAGE_H

#include <bix/ChunkedImage.h>
#include <bix/Export.h>

#include <memory>
#include <string>

namespace bix {

// Opens an uncompressed file lazily, as a one-level chunked image whose
// chunks are copied out of the file mapped into memory: TIFF and BigTIFF of
// gray 8/16/32-bit integer or float pages, each page's strips one after
// the other, and BIX files stored without compression. Opening costs the
// walk over the file's directories, not a read of its voxels; the system
// pages in what the chunks touch. Other files (compressed, tiled, RGB,
// pages of several sizes) are refused with a message saying why: they are
// read whole with ReadImage instead. Raises IOException.
BIX_EXPORT std::shared_ptr<ChunkedImage> OpenMappedImage(const std::string& path);

}  // namespace bix

#endif
