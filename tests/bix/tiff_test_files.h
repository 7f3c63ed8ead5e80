// Hand-made TIFF files in other programs' styles, written with libtiff
// directly so that the reader is checked against files it did not write.

#ifndef ORV_TESTS_BIX_TIFF_TEST_FILES_H
#define ORV_TESTS_BIX_TIFF_TEST_FILES_H

#include <tiffio.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace iotest {

struct TiffPage {
  std::uint32_t width = 4, height = 3;
  std::uint16_t bits = 8, samples = 1, format = SAMPLEFORMAT_UINT;
  std::uint16_t planar = PLANARCONFIG_CONTIG, compression = COMPRESSION_NONE, predictor = 0;
  std::uint16_t photometric = kAuto;  // min-is-black for 1 sample, RGB for 3
  static constexpr std::uint16_t kAuto = 0xffff;
  std::uint32_t rowsPerStrip = 1;  // several strips per page unless changed
  std::uint32_t tile = 0;          // tiled with square tiles of this size when not 0
  std::uint32_t subfileType = 0;
  std::string description;         // on this page when not empty
  float xres = 0, yres = 0;        // resolution tags when positive
  std::uint16_t resolutionUnit = RESUNIT_NONE;
  // ImageJ's IJMetadataByteCounts and IJMetadata tags when not empty.
  std::vector<std::uint32_t> ijByteCounts;
  std::vector<std::uint8_t> ijMetadata;
};

// ImageJ's metadata of a hyperstack whose channels have look-up tables from
// black to each of `colours` (r, g, b), as ImageJ writes them (big-endian).
inline void SetImageJLuts(TiffPage& page, const std::vector<std::array<std::uint8_t, 3>>& colours) {
  auto put32 = [&](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) page.ijMetadata.push_back(std::uint8_t(v >> shift));
  };
  put32(0x494a494a);  // "IJIJ"
  put32(0x6c757473);  // "luts"
  put32(std::uint32_t(colours.size()));
  page.ijByteCounts = {12};
  for (const auto& rgb : colours) {
    for (unsigned c = 0; c < 3; ++c)
      for (unsigned i = 0; i < 256; ++i) page.ijMetadata.push_back(std::uint8_t(i * rgb[c] / 255));
    page.ijByteCounts.push_back(768);
  }
}

// A sample's value: page, x, y, sample index.
using SampleValue = std::function<std::uint64_t(unsigned, unsigned, unsigned, unsigned)>;

// The distinct value tests expect at each position, for any bit depth.
inline std::uint64_t DefaultValue(unsigned page, unsigned x, unsigned y, unsigned s) {
  return 1000003ull * page + 1009ull * y + 31ull * x + 7ull * s + 1;
}

// Writes `pages` with libtiff; `mode` is "w", "wb" (big-endian) or "w8" (BigTIFF).
inline bool WriteTiffFile(const std::string& path, const char* mode, const std::vector<TiffPage>& pages,
                          const SampleValue& value = DefaultValue) {
  TIFF* tif = TIFFOpen(path.c_str(), mode);
  if (!tif) return false;
  static const TIFFFieldInfo kImageJTags[] = {
      {50838, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_LONG, FIELD_CUSTOM, 1, 1, const_cast<char*>("IJMetadataByteCounts")},
      {50839, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_BYTE, FIELD_CUSTOM, 1, 1, const_cast<char*>("IJMetadata")}};
  TIFFMergeFieldInfo(tif, kImageJTags, 2);
  bool ok = true;
  for (unsigned p = 0; p < pages.size() && ok; ++p) {
    const TiffPage& g = pages[p];
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, g.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, g.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, g.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, g.samples);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, g.format);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, g.planar);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, g.compression);
    if (g.predictor) TIFFSetField(tif, TIFFTAG_PREDICTOR, g.predictor);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 g.photometric != TiffPage::kAuto ? g.photometric : (g.samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK));
    if (g.subfileType) TIFFSetField(tif, TIFFTAG_SUBFILETYPE, g.subfileType);
    if (!g.description.empty()) TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, g.description.c_str());
    if (!g.ijByteCounts.empty()) {
      TIFFSetField(tif, 50838, std::uint32_t(g.ijByteCounts.size()), g.ijByteCounts.data());
      TIFFSetField(tif, 50839, std::uint32_t(g.ijMetadata.size()), g.ijMetadata.data());
    }
    if (g.xres > 0) {
      TIFFSetField(tif, TIFFTAG_XRESOLUTION, g.xres);
      TIFFSetField(tif, TIFFTAG_YRESOLUTION, g.yres);
      TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, g.resolutionUnit);
    }
    if (g.tile) {
      TIFFSetField(tif, TIFFTAG_TILEWIDTH, g.tile);
      TIFFSetField(tif, TIFFTAG_TILELENGTH, g.tile);
    } else {
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, g.rowsPerStrip);
    }
    const unsigned bytes = g.bits / 8 ? g.bits / 8 : 1;
    const bool separate = g.planar == PLANARCONFIG_SEPARATE;
    const unsigned planes = separate ? g.samples : 1, perPixel = separate ? 1 : g.samples;
    // The samples of one chunk (strip or tile) at block (x0, y0) of size w x h.
    auto chunk = [&](unsigned plane, unsigned x0, unsigned y0, unsigned w, unsigned h) {
      std::vector<unsigned char> data(std::size_t(w) * h * perPixel * bytes);
      for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x)
          for (unsigned s = 0; s < perPixel; ++s) {
            const bool inside = x0 + x < g.width && y0 + y < g.height;
            const std::uint64_t v = inside ? value(p, x0 + x, y0 + y, separate ? plane : s) : 0;
            const std::size_t at = ((std::size_t(y) * w + x) * perPixel + s) * bytes;
            if (g.format == SAMPLEFORMAT_IEEEFP && bytes == 4) {
              const float f = float(std::int64_t(v)) * 0.25f;
              std::memcpy(&data[at], &f, 4);
            } else if (g.format == SAMPLEFORMAT_IEEEFP && bytes == 8) {
              const double d = double(v);
              std::memcpy(&data[at], &d, 8);
            } else {
              std::memcpy(&data[at], &v, bytes);  // the low bytes on this little-endian host
            }
          }
      return data;
    };
    for (unsigned plane = 0; plane < planes && ok; ++plane) {
      if (g.tile) {
        for (unsigned y = 0; y < g.height; y += g.tile)
          for (unsigned x = 0; x < g.width; x += g.tile) {
            std::vector<unsigned char> data = chunk(plane, x, y, g.tile, g.tile);
            ok &= TIFFWriteTile(tif, data.data(), x, y, 0, std::uint16_t(plane)) >= 0;
          }
      } else {
        const unsigned strips = (g.height + g.rowsPerStrip - 1) / g.rowsPerStrip;
        for (unsigned s = 0; s < strips; ++s) {
          const unsigned rows = std::min(g.rowsPerStrip, g.height - s * g.rowsPerStrip);
          std::vector<unsigned char> data = chunk(plane, 0, s * g.rowsPerStrip, g.width, rows);
          ok &= TIFFWriteEncodedStrip(tif, plane * strips + s, data.data(), tmsize_t(data.size())) >= 0;
        }
      }
    }
    ok &= TIFFWriteDirectory(tif) != 0;
  }
  TIFFClose(tif);
  return ok;
}

inline std::vector<TiffPage> Pages(unsigned count, const TiffPage& page) {
  return std::vector<TiffPage>(count, page);
}

// The bytes of a little-endian TIFF made of directories only: `pages`
// directories, each claiming an uncompressed 8-bit page of width x height in
// one strip that starts right after the header (and runs far past the end).
// The first page carries `description` when it is not empty (stored in the
// file after the directories).
inline std::string DirectoriesClaimingHugePages(unsigned pages, std::uint32_t width, std::uint32_t height,
                                                const std::string& description = {}) {
  const bool described = !description.empty();
  const std::uint32_t firstEntries = described ? 10 : 9, entryBytes = 12;
  std::string out("II*\0", 4);
  auto put = [&out](std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
  };
  std::uint32_t next = 8;
  std::vector<std::uint32_t> starts;
  for (unsigned p = 0; p < pages; ++p) {
    starts.push_back(next);
    next += 2 + (p == 0 ? firstEntries : 9) * entryBytes + 4;
  }
  const std::uint32_t textAt = next;
  put(8, 4);
  for (unsigned p = 0; p < pages; ++p) {
    put(p == 0 ? firstEntries : 9, 2);
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
      put(tag, 2);
      put(type, 2);
      put(count, 4);
      put(value, 4);
    };
    constexpr std::uint16_t kShort = 3, kLong = 4, kAscii = 2;
    entry(TIFFTAG_IMAGEWIDTH, kLong, 1, width);
    entry(TIFFTAG_IMAGELENGTH, kLong, 1, height);
    entry(TIFFTAG_BITSPERSAMPLE, kShort, 1, 8);
    entry(TIFFTAG_COMPRESSION, kShort, 1, COMPRESSION_NONE);
    entry(TIFFTAG_PHOTOMETRIC, kShort, 1, PHOTOMETRIC_MINISBLACK);
    if (p == 0 && described) entry(TIFFTAG_IMAGEDESCRIPTION, kAscii, std::uint32_t(description.size() + 1), textAt);
    entry(TIFFTAG_STRIPOFFSETS, kLong, 1, 8);
    entry(TIFFTAG_SAMPLESPERPIXEL, kShort, 1, 1);
    entry(TIFFTAG_ROWSPERSTRIP, kLong, 1, height);
    entry(TIFFTAG_STRIPBYTECOUNTS, kLong, 1, std::uint32_t(std::uint64_t(width) * height));
    put(p + 1 < pages ? starts[p + 1] : 0, 4);
  }
  if (described) out += description + '\0';
  return out;
}

}  // namespace iotest

#endif
