// Writes TIFF stacks the way ImageJ does, so that ImageJ, Fiji and libtiff's
// tools read our geometry back: one page per z slice; resolution tags in
// pixels per micron with ResolutionUnit NONE and "unit=micron" in an ImageJ
// description that also carries the z spacing and the offset (as ImageJ's
// pixel origins). BigTIFF when the data pass 4 GiB; Adobe deflate when
// compressed, without a predictor: ImageJ does not undo the horizontal
// predictor on 16-bit samples (it shows wrong values without a warning), and
// it reads no compressed 16-bit RGB stack past the first page, so those are
// always stored uncompressed.

#include "IOError.h"
#include "ImageWriters.h"
#include "TiffDescription.h"
#include "TiffFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace bix::io {

namespace {

// Strips of about 1 MiB: few enough calls for fast reading, small enough for
// any reader's memory.
constexpr std::size_t kStripBytes = 1 << 20;

// Classic TIFF addresses 4 GiB; the margin covers the page directories and
// deflate's worst-case growth.
constexpr std::uint64_t kClassicLimit = (std::uint64_t(4) << 30) - (std::uint64_t(64) << 20);

std::uint16_t SampleFormat(Numeric n) {
  if (n == NUM_F32) return SAMPLEFORMAT_IEEEFP;
  return IsSigned(n) ? SAMPLEFORMAT_INT : SAMPLEFORMAT_UINT;
}

void SetPageTags(TiffFile& file, const VoxelBox& box, std::uint32_t rowsPerStrip, bool compress,
                 const std::string* description) {
  TIFF* tif = file.get();
  const StoredType& t = box.type;
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, box.size.x) &&
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, box.size.y) &&
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, unsigned(8 * SampleBytes(t.numeric))) &&
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, t.channels) &&
            TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SampleFormat(t.numeric)) &&
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, t.channels == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK) &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip) &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, compress ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
  if (ok && compress) ok = TIFFSetField(tif, TIFFTAG_ZIPQUALITY, kDeflateLevel);
  if (ok && box.resolution.IsDefined()) {
    const Vector3d<float>& res = box.resolution.GetRes();
    ok = TIFFSetField(tif, TIFFTAG_XRESOLUTION, double(res.x)) &&
         TIFFSetField(tif, TIFFTAG_YRESOLUTION, double(res.y)) &&
         TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_NONE);
  }
  if (ok && description) ok = TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, description->c_str());
  if (!ok) file.Fail("cannot be written: a page tag was refused");
}

}  // namespace

void WriteTiffPages(TiffFile& file, const VoxelBox& box, bool compressAsked, const std::string* description,
                    std::uint64_t firstPage) {
  const bool compress = compressAsked && !(box.type.channels == 3 && box.type.numeric == NUM_U16);
  const std::size_t rowBytes = box.RowBytes();
  const std::uint32_t rowsPerStrip =
      std::uint32_t(std::clamp<std::size_t>(kStripBytes / rowBytes, 1, box.size.y));
  const std::uint32_t strips = (box.size.y + rowsPerStrip - 1) / rowsPerStrip;
  std::vector<unsigned char> strip;
  for (unsigned z = 0; z < box.size.z; ++z) {
    const std::string page = std::to_string(firstPage + z + 1);
    SetPageTags(file, box, rowsPerStrip, compress, z == 0 ? description : nullptr);
    for (std::uint32_t s = 0; s < strips; ++s) {
      const std::uint32_t first = s * rowsPerStrip, rows = std::min(rowsPerStrip, box.size.y - first);
      const tmsize_t bytes = tmsize_t(rows * rowBytes);
      const unsigned char* data = box.Row(first, z);
      if (!box.PlaneIsContiguous()) {
        strip.resize(std::size_t(bytes));
        for (std::uint32_t r = 0; r < rows; ++r)
          std::memcpy(strip.data() + r * rowBytes, box.Row(first + r, z), rowBytes);
        data = strip.data();
      }
      // libtiff takes non-const buffers but only reads them here.
      void* buffer = const_cast<unsigned char*>(data);
      errno = 0;
      const tmsize_t written = compress ? TIFFWriteEncodedStrip(file.get(), s, buffer, bytes)
                                        : TIFFWriteRawStrip(file.get(), s, buffer, bytes);
      if (written < 0) file.Fail("cannot be written: page " + page + " failed");
    }
    errno = 0;
    if (!TIFFWriteDirectory(file.get())) file.Fail("cannot be written: page " + page + " failed");
  }
}

bool NeedsBigTiff(std::uint64_t bytes) { return bytes > kClassicLimit; }

void WriteTiff(const std::string& path, const std::string& name, const VoxelBox& box, bool compressAsked) {
  const std::uint64_t total = std::uint64_t(box.PlaneBytes()) * box.size.z;
  TiffFile file(path, NeedsBigTiff(total) ? "w8" : "w", name);
  const std::string description = ComposeImageJDescription(box.size.z, box.resolution, box.offset);
  WriteTiffPages(file, box, compressAsked, &description, 0);
  file.Close();
}

}  // namespace bix::io
