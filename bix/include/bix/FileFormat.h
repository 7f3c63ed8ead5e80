#ifndef BIX_FILEFORMAT_H
#define BIX_FILEFORMAT_H

namespace bix {

// The file formats SaveImage writes. FORMAT_AUTO (value 0) chooses from the
// name: ".tif"/".tiff" give TIFF, ".ics" gives ICS version 2 (one file),
// ".bix" gives BIX, ".zarr" gives OME-Zarr; any other name is refused.
enum FileFormat {
  FORMAT_AUTO = 0,
  // One page per z slice, ImageJ-style description and resolution tags,
  // Adobe deflate when compressed, BigTIFF past 4 GiB.
  FORMAT_TIFF = 1,
  // ICS version 2: header and data in one .ics file, gzip when compressed.
  FORMAT_ICS = 2,
  // ICS version 1: header in name.ics, data in name.ids.
  FORMAT_ICS_V1 = 3,
  // Our own format; its layout is documented in bix/src/io/BixFormat.h.
  FORMAT_BIX = 4,
  // OME-Zarr (NGFF 0.4, Zarr v2): a folder with a pyramid of levels in
  // blosc-compressed chunks; gray images only.
  FORMAT_OME_ZARR = 5,
};

}  // namespace bix

#endif
