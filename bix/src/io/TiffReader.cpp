// TIFF stacks: one page per z slice, every page of one size and sample type;
// each page is read with its own layout (strips or tiles, their sizes, planar
// configuration, codec), which may differ from page to page.
// Reduced-resolution pages (thumbnails) are skipped. ImageJ's stacks over
// 4 GiB (one page, the planes stored one after another behind it) are read
// as the stack they are. Strips and tiles, contiguous and separate planes,
// either byte order and every codec libtiff has are read; libtiff undoes
// predictors and byte order. Uncompressed strips are read straight into the
// image's memory.

#include "ByteOrder.h"
#include "ImageJMetadata.h"
#include "ImageReader.h"
#include "IOError.h"
#include "PosixFile.h"
#include "TiffDescription.h"
#include "TiffFile.h"
#include "Units.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

namespace bix::io {

namespace {

struct PageLayout {
  std::uint32_t width = 0, height = 0;
  std::uint16_t samples = 1, bits = 1, format = SAMPLEFORMAT_UINT, photometric = PHOTOMETRIC_MINISBLACK;
  std::uint16_t planar = PLANARCONFIG_CONTIG, compression = COMPRESSION_NONE;
  bool tiled = false;
  std::uint32_t tileWidth = 0, tileHeight = 0, rowsPerStrip = 0;
  std::uint64_t storedBytes = 0;  // the page's strip or tile byte counts summed
  float xres = 0, yres = 0;        // 0 when absent
  std::uint16_t resolutionUnit = RESUNIT_INCH;  // the TIFF default when the tag is absent
};

// Tiles up to this size are taken whatever the page size.
constexpr std::uint64_t kMaxTileBytes = 64 << 20;

std::string PageText(std::size_t index) { return "page " + std::to_string(index + 1); }

// "1 channel", "3 channels".
// The colours of an ImageJ hyperstack's channels from the current page's
// IJMetadata (libtiff keeps the unknown tags as anonymous fields); empty
// when there are none.
std::vector<std::array<std::uint8_t, 3>> ReadImageJLutColours(TIFF* tif) {
  std::uint32_t entries = 0, bytes = 0;
  std::uint32_t* counts = nullptr;
  std::uint8_t* data = nullptr;
  const TIFFField* countsField = TIFFFindField(tif, kImageJByteCountsTag, TIFF_ANY);
  const TIFFField* dataField = TIFFFindField(tif, kImageJMetadataTag, TIFF_ANY);
  if (!countsField || !dataField || TIFFFieldDataType(countsField) != TIFF_LONG ||
      (TIFFFieldDataType(dataField) != TIFF_BYTE && TIFFFieldDataType(dataField) != TIFF_UNDEFINED))
    return {};
  if (!TIFFGetField(tif, kImageJByteCountsTag, &entries, &counts) ||
      !TIFFGetField(tif, kImageJMetadataTag, &bytes, &data))
    return {};
  return ParseImageJLutColours(data, bytes, counts, entries);
}

std::string Counted(unsigned long n, const std::string& what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// A photometric interpretation as tiffinfo names it.
std::string PhotometricText(std::uint16_t photometric) {
  switch (photometric) {
    case PHOTOMETRIC_MINISWHITE: return "min-is-white";
    case PHOTOMETRIC_MINISBLACK: return "min-is-black";
    case PHOTOMETRIC_RGB: return "RGB";
    case PHOTOMETRIC_PALETTE: return "palette colour";
    case PHOTOMETRIC_MASK: return "transparency mask";
    case PHOTOMETRIC_SEPARATED: return "separated (CMYK)";
    case PHOTOMETRIC_YCBCR: return "YCbCr";
    case PHOTOMETRIC_CIELAB: return "CIE L*a*b*";
    case PHOTOMETRIC_ICCLAB: return "ICC L*a*b*";
    case PHOTOMETRIC_ITULAB: return "ITU L*a*b*";
    case PHOTOMETRIC_LOGL: return "LogL";
    case PHOTOMETRIC_LOGLUV: return "LogLuv";
    default: return "photometric interpretation " + std::to_string(photometric);
  }
}

// How far the page's codec can expand its data, bounding what a header may
// claim before memory is taken for it.
std::uint64_t MaxRatio(std::uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_ADOBE_DEFLATE: case COMPRESSION_DEFLATE: return kDeflateRatio;
    case COMPRESSION_PACKBITS: return 64;
    case COMPRESSION_LZW: return 4096;  // one 12-bit code stands for at most 4096 bytes
    default: return 1 << 16;
  }
}

// Checks that the file starts a page at all: libtiff's own message for a
// zero first-page offset says nothing a user can act on.
void CheckHasPages(const std::string& name) {
  unsigned char h[16] = {};
  std::ifstream file(name, std::ios::binary);
  file.read(reinterpret_cast<char*>(h), sizeof h);
  const bool little = h[0] == 'I';
  auto load = [&](int at, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t(h[at + i]) << (8 * (little ? i : bytes - 1 - i));
    return v;
  };
  const bool big = load(2, 2) == 43;
  if (file.gcount() < (big ? 16 : 8)) Fail(name, "is truncated: its TIFF header is incomplete");
  if ((big ? load(8, 8) : load(4, 4)) == 0) Fail(name, "holds no pages");
}

class TiffReader : public ImageReader {
public:
  TiffReader(const std::string& name, const ReadOptions& options);
  void ReadPlane(unsigned char* destination) override;
  void ReadChannelPlane(const ChannelPlane& plane, unsigned char* destination) override;

private:
  // Reads the next plane as the file stores it.
  void ReadStoredPlane(unsigned char* destination);
  // ImageJ's straight-line calibration (signed 16-bit stacks are unsigned
  // ones calibrated by -32768): the values read are c0 + c1 * sample.
  void ApplyCalibration(const ImageJDescription& ij);

private:
  PageLayout ReadLayout(std::size_t index);
  void CheckSameAsFirst(const PageLayout& page, std::size_t index) const;
  StoredType TypeOf(const PageLayout& page, std::size_t index) const;
  void ReadGeometry(const PageLayout& first, const ImageJDescription& ij, const std::string& description);
  // The pages' channels, z slices and time points, from an ImageJ or OME
  // description; the planes `options` choose among them.
  void ChoosePlanes(const PageLayout& first, const ImageJDescription& ij, const OmeDescription& ome,
                    const ReadOptions& options);
  // Puts the chosen planes on the pages the OME TiffData elements name
  // (planes are otherwise the pages in the dimension order).
  void MapPlanesToPages(const std::vector<PlaneDimension>& dimensions, const std::vector<OmeTiffData>& tiffData);
  void GoToPage(std::size_t index);
  // "N pages of w x h voxels": what the file claims, counting its directories
  // (or an ImageJ description's images).
  std::string ClaimedPagesText(const PageLayout& page, const ImageJDescription& ij) const;
  bool FindPlanesBehindFirstPage(unsigned long images, std::uint64_t fileBytes);
  // Reads sample plane `sample` (0 for contiguous pixels) of the current page,
  // laid out as `p`, into `out`, `samples` samples per pixel.
  void ReadChunks(const PageLayout& p, unsigned sample, unsigned samples, unsigned char* out);

  TiffFile m_file;
  // The directories holding z planes: their number, where each starts in
  // the file, and how its data are stored.
  struct Page {
    tdir_t directory;
    std::uint64_t offset;
    PageLayout layout;
  };
  std::vector<Page> m_pages;
  std::size_t m_next = 0;
  tdir_t m_current = 0;
  std::vector<unsigned char> m_buffer;
  // A stack stored as ImageJ stores those over 4 GiB: m_planes planes from
  // byte m_planeOffset on, read directly (in the file's byte order).
  unsigned long m_planes = 0;
  std::uint64_t m_planeOffset = 0;
  bool m_swapped = false;
  std::unique_ptr<PosixFile> m_raw;
  StoredType m_storedType;  // m_info.type but for a calibrated file
  bool m_calibrated = false;
  double m_c0 = 0, m_c1 = 1;
  std::vector<unsigned char> m_storedPlane;
};

TiffReader::TiffReader(const std::string& name, const ReadOptions& options)
    // "m": read() straight into our memory rather than copy out of a mapping;
    // "c": a page stored as one strip is read as one (libtiff would split it
    // into strips of 8 KiB, a read and a seek each).
    : ImageReader(name), m_file((CheckHasPages(name), name), "rmc", name) {
  TIFF* tif = m_file.get();
  const std::uint64_t fileBytes = FileSize(name);
  std::string description;
  ImageJDescription ij;
  std::vector<std::array<std::uint8_t, 3>> lutColours;
  std::uint64_t maxRatio = 1;  // of any page's codec
  for (tdir_t dir = 0;; ++dir) {
    std::uint32_t subfile = 0;
    if (!TIFFGetField(tif, TIFFTAG_SUBFILETYPE, &subfile) || !(subfile & FILETYPE_REDUCEDIMAGE)) {
      const PageLayout page = ReadLayout(m_pages.size());
      if (m_pages.empty()) {
        m_info.type = TypeOf(page, 0);
        char* text = nullptr;
        if (TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &text) && text) description = text;
        ij = ParseImageJDescription(description);
        if (ij.present) lutColours = ReadImageJLutColours(tif);
      } else {
        CheckSameAsFirst(page, m_pages.size());
      }
      CheckDataFits(name, Vector3d<unsigned>(page.width, page.height, 1), m_info.type,
                    page.storedBytes, MaxRatio(page.compression));
      m_pages.push_back({dir, TIFFCurrentDirOffset(tif), page});
      maxRatio = std::max(maxRatio, MaxRatio(page.compression));
      // The pages so far must fit in the file as a whole (their byte counts
      // may claim more than it has): a file of directories claiming huge
      // pages is refused at the first page that cannot fit, not after all.
      const Vector3d<unsigned> sofar(page.width, page.height, unsigned(std::min<std::size_t>(m_pages.size(), 0xffffffffu)));
      if (!DataFits(sofar, m_info.type, fileBytes, maxRatio))
        CheckDataFits(name, sofar, m_info.type, fileBytes, maxRatio, ClaimedPagesText(page, ij));
    }
    if (TIFFLastDirectory(tif)) break;
    if (!TIFFReadDirectory(tif))
      m_file.Fail(PageText(m_pages.size()) + " (TIFF directory " + std::to_string(dir + 1) + ") cannot be read");
  }
  if (m_pages.empty()) Fail(name, "holds only reduced-resolution pages");
  if (m_pages.size() > 0xffffffffu) Fail(name, "holds more pages than an image can have slices");
  m_current = TIFFCurrentDirectory(tif);
  GoToPage(0);
  const PageLayout& first = m_pages.front().layout;
  const bool behind = m_pages.size() == 1 && ij.present && ij.images > 1 && FindPlanesBehindFirstPage(ij.images, fileBytes);
  m_info.size = Vector3d<unsigned>(first.width, first.height, unsigned(behind ? m_planes : m_pages.size()));
  // Pages may share data, so their byte counts can add up to more than the
  // file: the file's own size bounds the whole.
  CheckDataFits(name, m_info.size, m_info.type, fileBytes, maxRatio);
  m_storedType = m_info.type;
  ReadGeometry(first, ij, description);
  const OmeDescription ome = ParseOmeDescription(description);
  ChoosePlanes(first, ij, ome, options);
  // What the file says of its channels: OME's Channel elements, or the
  // colours of an ImageJ hyperstack's look-up tables.
  if (ij.present && ij.channels > 1) {
    for (const auto& rgb : lutColours) {
      ChannelFacts channel;
      channel.hasColour = true;
      channel.red = rgb[0], channel.green = rgb[1], channel.blue = rgb[2];
      m_info.channelFacts.push_back(channel);
    }
  } else if (ome.present) {
    m_info.channelFacts = ome.channels;
  }
  m_info.channelFacts.resize(m_info.fileChannels);
  ApplyCalibration(ij);
}

void TiffReader::ChoosePlanes(const PageLayout& first, const ImageJDescription& ij, const OmeDescription& ome,
                              const ReadOptions& options) {
  const std::uint64_t planes = m_info.size.z;
  const std::string pages = Counted(planes, "page");
  std::vector<PlaneDimension> dimensions = {{AXIS_Z, planes}};
  // Whether c x z x t planes are the file's (huge counts must not wrap).
  auto matches = [planes](std::uint64_t c, std::uint64_t z, std::uint64_t t) {
    return c <= planes && t <= planes / c && z == planes / (c * t) && planes % (c * t) == 0;
  };
  // The z slices of c channels and t time points, 0 when they do not divide the pages.
  auto slices = [planes](std::uint64_t c, std::uint64_t t) {
    return c <= planes && t <= planes / c ? planes / (c * t) : 0;
  };
  if (ij.present && (ij.channels > 1 || ij.frames > 1)) {
    // ImageJ orders a hyperstack's planes channel fastest, then slice, then
    // frame.
    if (first.samples != 1)
      Fail(m_name, "is an ImageJ hyperstack of " + Counted(std::max(ij.channels, 1ul), "channel") + " and " +
                       Counted(std::max(ij.frames, 1ul), "frame") + " in RGB pages; only grey channels are read");
    const std::uint64_t c = std::max(ij.channels, 1ul), t = std::max(ij.frames, 1ul);
    const std::uint64_t z = ij.slices ? ij.slices : slices(c, t);
    if (!matches(c, z, t))
      Fail(m_name, "its ImageJ description counts " + Counted(c, "channel") + ", " + Counted(z, "slice") + " and " +
                       Counted(t, "frame") + " but the file has " + pages);
    dimensions = {{AXIS_C, c}, {AXIS_Z, z}, {AXIS_T, t}};
  } else if (ome.present) {
    // An RGB page holds three of the channels in its samples.
    const std::uint64_t channels = ome.sizeC % first.samples == 0 ? ome.sizeC / first.samples : ome.sizeC;
    const std::uint64_t c = std::max<std::uint64_t>(channels, 1), t = std::max(ome.sizeT, 1ul);
    if (first.samples != 1 && (c > 1 || t > 1))
      Fail(m_name, "is an OME-TIFF of " + Counted(c, "channel") + " and " + Counted(t, "time point") +
                       " in RGB pages; only grey channels are read");
    // More pages: other series in the file; fewer: the rest in other files.
    const std::uint64_t z = ome.sizeZ ? ome.sizeZ : slices(c, t);
    if (!matches(c, z, t)) {
      if (c == 1 && t == 1)
        Fail(m_name, "its OME description promises " + std::to_string(z) + " z planes but the file has " + pages);
      Fail(m_name, "its OME description promises " + Counted(c, "channel") + ", " + Counted(z, "z plane") +
                       " and " + Counted(t, "time point") + " but the file has " + pages);
    }
    // DimensionOrder names the axes fastest first.
    const std::string& order = ome.dimensionOrder;
    const bool valid = order.size() == 5 && order.compare(0, 2, "XY") == 0 &&
                       order.find('Z') != std::string::npos && order.find('C') != std::string::npos &&
                       order.find('T') != std::string::npos;
    if (!valid && (c > 1 || t > 1))
      Fail(m_name, "has the OME dimension order \"" + order + "\"; XY followed by Z, C and T in any order is read");
    if (valid) {
      dimensions.clear();
      for (std::size_t i = 2; i < 5; ++i)
        dimensions.push_back(order[i] == 'Z' ? PlaneDimension{AXIS_Z, z}
                             : order[i] == 'C' ? PlaneDimension{AXIS_C, c}
                                               : PlaneDimension{AXIS_T, t});
    }
  }
  if (ChooseChannelPlanes(m_name, dimensions, options, m_info) && ome.present && !ome.tiffData.empty() &&
      !(ij.present && (ij.channels > 1 || ij.frames > 1)))
    MapPlanesToPages(dimensions, ome.tiffData);
  // A stack of one time point has only its z slices' spacing to check.
  if (!m_info.channelPlanes.empty()) m_info.zSpacingAssumed = m_info.zSpacingAssumed && m_info.size.z > 1;
}

void TiffReader::MapPlanesToPages(const std::vector<PlaneDimension>& dimensions,
                                  const std::vector<OmeTiffData>& tiffData) {
  std::uint64_t stride[3] = {0, 0, 0}, total = 1;
  for (const PlaneDimension& d : dimensions) {
    stride[d.axis] = total;
    total *= d.size;
  }
  // Planes no TiffData names stay on the page of their place in the order.
  std::vector<std::uint64_t> page(static_cast<std::size_t>(total));
  for (std::uint64_t p = 0; p < total; ++p) page[std::size_t(p)] = p;
  for (const OmeTiffData& data : tiffData) {
    const std::uint64_t first = data.firstZ * stride[AXIS_Z] + data.firstC * stride[AXIS_C] + data.firstT * stride[AXIS_T];
    if (first >= total) continue;
    const std::uint64_t count = data.planeCount ? data.planeCount : total - std::min(first, total);
    for (std::uint64_t k = 0; k < count && first + k < total; ++k) {
      if (data.ifd + k >= m_pages.size())
        Fail(m_name, "its OME TiffData places a plane on IFD " + std::to_string(data.ifd + k) + " but the file has " +
                         Counted(m_pages.size(), "page"));
      page[std::size_t(first + k)] = data.ifd + k;
    }
  }
  for (ChannelPlane& plane : m_info.channelPlanes) plane.index = page[std::size_t(plane.index)];
  std::stable_sort(m_info.channelPlanes.begin(), m_info.channelPlanes.end(),
                   [](const ChannelPlane& a, const ChannelPlane& b) { return a.index < b.index; });
}

void TiffReader::ReadChannelPlane(const ChannelPlane& plane, unsigned char* destination) {
  m_next = std::size_t(plane.index);
  ReadPlane(destination);
}

void TiffReader::ApplyCalibration(const ImageJDescription& ij) {
  if (!ij.present || ij.calibration < 0) return;
  if (ij.calibration != 0)
    Fail(m_name, "has ImageJ calibration function " + std::to_string(ij.calibration) +
                     "; only straight-line calibrations (cf=0) are read");
  const double c0 = ij.coefficients[0], c1 = ij.coefficients[1];
  if (!std::isfinite(c0) || !std::isfinite(c1) || c1 == 0)
    Fail(m_name, "has an ImageJ straight-line calibration without usable coefficients c0 and c1");
  if (c0 == 0 && c1 == 1) return;  // changes no value, whatever the voxels
  const StoredType t = m_info.type;
  if (t.channels != 1 || (t.numeric != NUM_U8 && t.numeric != NUM_U16))
    Fail(m_name, "has an ImageJ calibration on " + Describe(t) + " voxels; only 8- and 16-bit grey voxels are calibrated");
  const double top = t.numeric == NUM_U8 ? 255.0 : 65535.0;
  const double lo = std::min(c0, c0 + c1 * top), hi = std::max(c0, c0 + c1 * top);
  const bool integral = c0 == std::floor(c0) && c1 == std::floor(c1) && lo >= -2147483648.0 && hi <= 2147483647.0;
  m_info.type.numeric = integral ? NUM_S32 : NUM_F32;
  m_calibrated = true;
  m_c0 = c0;
  m_c1 = c1;
}

std::string TiffReader::ClaimedPagesText(const PageLayout& page, const ImageJDescription& ij) const {
  const std::uint64_t pages = std::max<std::uint64_t>({TIFFNumberOfDirectories(m_file.get()), m_pages.size(),
                                                       ij.present ? ij.images : 0});
  return std::to_string(pages) + (pages == 1 ? " page of " : " pages of ") + std::to_string(page.width) + " x " +
         std::to_string(page.height) + " voxels";
}

// ImageJ stores a stack over 4 GiB, which classic TIFF offsets cannot reach
// page by page, as one page whose description counts the images; the planes
// follow the first one's data, uncompressed. True when this file is laid
// out so and holds them all.
bool TiffReader::FindPlanesBehindFirstPage(unsigned long images, std::uint64_t fileBytes) {
  const PageLayout& p = m_pages.front().layout;
  if (p.compression != COMPRESSION_NONE || p.tiled || (p.samples > 1 && p.planar != PLANARCONFIG_CONTIG)) return false;
  TIFF* tif = m_file.get();
  const std::uint64_t planeBytes = std::uint64_t(p.width) * p.height * p.samples * (p.bits / 8);
  const std::uint32_t strips = TIFFNumberOfStrips(tif);
  int error = 0;
  const std::uint64_t start = TIFFGetStrileOffsetWithErr(tif, 0, &error);
  std::uint64_t end = start;
  for (std::uint32_t i = 0; i < strips && !error; ++i) {
    if (TIFFGetStrileOffsetWithErr(tif, i, &error) != end) return false;
    end += TIFFGetStrileByteCountWithErr(tif, i, &error);
  }
  if (error || end - start != planeBytes || start > fileBytes || images > (fileBytes - start) / planeBytes) return false;
  m_planes = images;
  m_planeOffset = start;
  m_swapped = TIFFIsByteSwapped(tif);
  return true;
}

PageLayout TiffReader::ReadLayout(std::size_t index) {
  TIFF* tif = m_file.get();
  PageLayout p;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p.width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p.height) ||
      p.width == 0 || p.height == 0)
    Fail(m_name, PageText(index) + " has no width or height");
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &p.samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &p.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &p.format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &p.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &p.compression);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.photometric))
    p.photometric = p.samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  std::uint32_t depth = 1;
  if (TIFFGetField(tif, TIFFTAG_IMAGEDEPTH, &depth) && depth > 1)
    Fail(m_name, PageText(index) + " is a volume of depth " + std::to_string(depth) +
                     "; only stacks of 2D pages are read");
  if (p.samples == 1) p.planar = PLANARCONFIG_CONTIG;
  p.tiled = TIFFIsTiled(tif);
  if (p.tiled) {
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &p.tileWidth);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &p.tileHeight);
    if (p.tileWidth == 0 || p.tileHeight == 0) Fail(m_name, PageText(index) + " has tiles of no size");
  } else {
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &p.rowsPerStrip);
    p.rowsPerStrip = std::min(std::max(p.rowsPerStrip, 1u), p.height);
  }
  if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &p.xres) || !TIFFGetField(tif, TIFFTAG_YRESOLUTION, &p.yres))
    p.xres = p.yres = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &p.resolutionUnit);
  if (!TIFFIsCODECConfigured(p.compression))
    Fail(m_name, PageText(index) + " uses compression " + std::to_string(p.compression) +
                     ", which this build of libtiff cannot decode");
  const std::uint32_t chunks = p.tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  for (std::uint32_t i = 0; i < chunks; ++i) {
    int error = 0;
    const std::uint64_t bytes = TIFFGetStrileByteCountWithErr(tif, i, &error);
    if (error) m_file.Fail(PageText(index) + " has no byte count for strip or tile " + std::to_string(i));
    p.storedBytes += bytes;
  }
  return p;
}

StoredType TiffReader::TypeOf(const PageLayout& p, std::size_t index) const {
  const std::string page = PageText(index);
  if (p.bits != 8 && p.bits != 16 && p.bits != 32)
    Fail(m_name, page + " has " + std::to_string(p.bits) + (p.bits == 1 ? " bit" : " bits") +
                     " per sample; only 8, 16 and 32 bits are read");
  StoredType t;
  switch (p.format) {
    case SAMPLEFORMAT_UINT: case SAMPLEFORMAT_VOID:
      t.numeric = p.bits == 8 ? NUM_U8 : (p.bits == 16 ? NUM_U16 : NUM_U32);
      break;
    case SAMPLEFORMAT_INT:
      t.numeric = p.bits == 8 ? NUM_S8 : (p.bits == 16 ? NUM_S16 : NUM_S32);
      break;
    case SAMPLEFORMAT_IEEEFP:
      if (p.bits != 32)
        Fail(m_name, page + " holds " + std::to_string(p.bits) +
                         "-bit floating-point samples; only 32-bit floats are read");
      t.numeric = NUM_F32;
      break;
    default:
      Fail(m_name, page + " holds complex or unknown samples (sample format " +
                       std::to_string(p.format) + ")");
  }
  t.channels = p.samples;
  const bool grey = p.samples == 1 && p.photometric == PHOTOMETRIC_MINISBLACK;
  const bool rgb = p.samples == 3 && p.photometric == PHOTOMETRIC_RGB;
  if (p.samples != 1 && p.samples != 3)
    Fail(m_name, page + " has " + std::to_string(p.samples) +
                     " samples per pixel; only 1 (grey) and 3 (RGB) are read");
  if (!grey && !rgb)
    Fail(m_name, page + " has " + std::to_string(p.samples) + (p.samples == 1 ? " sample" : " samples") +
                     " per pixel, " + PhotometricText(p.photometric) +
                     "; only 1 sample min-is-black (grey) and 3 samples RGB are read");
  NaturalVoxelType(t, m_name);
  return t;
}

void TiffReader::CheckSameAsFirst(const PageLayout& p, std::size_t index) const {
  const PageLayout& f = m_pages.front().layout;
  if (p.width != f.width || p.height != f.height)
    Fail(m_name, PageText(index) + " is " + std::to_string(p.width) + " x " + std::to_string(p.height) +
                     ", the first page is " + std::to_string(f.width) + " x " + std::to_string(f.height));
  const StoredType t = TypeOf(p, index);
  if (t != m_info.type)
    Fail(m_name, PageText(index) + " holds " + Describe(t) + " samples, the first page " +
                     Describe(m_info.type));
}

// Voxel size from, in order of trust: OME-XML physical sizes; the resolution
// tags (inch, centimetre, or ImageJ's unitless pixels per description unit)
// with ImageJ's z spacing; ImageJ's origins give the offset. Without a z
// spacing an ImageJ file has ImageJ's default of one unit, any other file
// square voxels.
void TiffReader::ReadGeometry(const PageLayout& first, const ImageJDescription& ij,
                              const std::string& description) {
  const OmeDescription ome = ParseOmeDescription(description);
  if (ij.present && ij.images != 0 && ij.images != m_info.size.z)
    Fail(m_name, "its description promises " + std::to_string(ij.images) +
                     " images but the file has " + std::to_string(m_pages.size()) +
                     (m_pages.size() == 1 ? " page" : " pages"));

  const std::uint16_t unit = first.resolutionUnit;
  const double descriptionUnit = ij.present ? MicronsPerUnit(ij.unit) : 0.0;
  const double tagUnit = unit == RESUNIT_INCH ? 25400.0
                         : unit == RESUNIT_CENTIMETER ? 10000.0
                         : descriptionUnit;
  Vector3d<double> voxel(NAN, NAN, NAN);
  if (first.xres > 0 && first.yres > 0 && tagUnit > 0) {
    voxel.x = tagUnit / first.xres;
    voxel.y = tagUnit / first.yres;
  }
  // ImageJ's spacing is in its calibration unit, which is the tags' unit
  // when the description names none.
  const double spacingUnit = descriptionUnit > 0 ? descriptionUnit : (unit != RESUNIT_NONE ? tagUnit : 0.0);
  if (ij.spacing > 0 && spacingUnit > 0) voxel.z = ij.spacing * spacingUnit;
  else if (ij.present && descriptionUnit > 0) voxel.z = descriptionUnit;
  else {
    voxel.z = voxel.x;
    m_info.zSpacingAssumed = !std::isnan(voxel.x);
  }
  for (unsigned a = 0; a < 3; ++a)
    if (ome.voxelMicrons[a] > 0) voxel[a] = ome.voxelMicrons[a];
  if (ome.present && ome.voxelMicrons.z > 0) m_info.zSpacingAssumed = false;
  if (ome.present && !(ome.voxelMicrons.z > 0) && ome.voxelMicrons.x > 0) {
    voxel.z = voxel.x;
    m_info.zSpacingAssumed = true;
  }
  m_info.zSpacingAssumed = m_info.zSpacingAssumed && m_info.size.z > 1;
  m_info.resolution = ResolutionFromSpacing(voxel.x, voxel.y, voxel.z);

  const Vector3d<float>& res = m_info.resolution.GetRes();
  for (unsigned a = 0; a < 3; ++a) {
    // Adding 0 turns the -0 of a zero origin into 0.
    const double offset = -ij.origin[a] / res[a] + 0.0;
    m_info.offset[a] = std::isfinite(float(offset)) ? float(offset) : 0.f;
  }
}

void TiffReader::GoToPage(std::size_t index) {
  const tdir_t dir = m_pages[index].directory;
  TIFF* tif = m_file.get();
  // Reading on from the current directory is O(1); any other page (past a
  // thumbnail, as in LSM files, or back to the first) is reached by its
  // offset: setting a directory by number walks the chain from the start,
  // which made stacks with thumbnails quadratic.
  const bool ok = dir == m_current ? true
                  : dir == m_current + 1 ? TIFFReadDirectory(tif) != 0
                                          : TIFFSetSubDirectory(tif, m_pages[index].offset) != 0;
  if (!ok) m_file.Fail(PageText(index) + " cannot be read");
  m_current = dir;
}

template <class S>
void Calibrate(const unsigned char* stored, unsigned char* out, std::size_t count, double c0, double c1, Numeric to) {
  for (std::size_t i = 0; i < count; ++i) {
    S v;
    std::memcpy(&v, stored + i * sizeof(S), sizeof(S));
    const double value = c0 + c1 * v;
    if (to == NUM_S32) {
      const std::int32_t w = std::int32_t(value);
      std::memcpy(out + i * sizeof w, &w, sizeof w);
    } else {
      const float w = float(value);
      std::memcpy(out + i * sizeof w, &w, sizeof w);
    }
  }
}

void TiffReader::ReadPlane(unsigned char* destination) {
  if (!m_calibrated) return ReadStoredPlane(destination);
  const std::size_t count = std::size_t(m_info.size.x) * m_info.size.y;
  m_storedPlane.resize(count * VoxelBytes(m_storedType));
  ReadStoredPlane(m_storedPlane.data());
  if (m_storedType.numeric == NUM_U8)
    Calibrate<std::uint8_t>(m_storedPlane.data(), destination, count, m_c0, m_c1, m_info.type.numeric);
  else
    Calibrate<std::uint16_t>(m_storedPlane.data(), destination, count, m_c0, m_c1, m_info.type.numeric);
}

void TiffReader::ReadStoredPlane(unsigned char* destination) {
  if (m_planes) {
    if (m_next >= m_planes) Fail(m_name, "has no more planes");
    const std::uint64_t bytes = std::uint64_t(m_info.size.x) * m_info.size.y * VoxelBytes(m_storedType);
    if (!m_raw) m_raw = std::make_unique<PosixFile>(m_name, PosixFile::READ, m_name);
    m_raw->Seek(m_planeOffset + m_next * bytes);
    m_raw->ReadExactly(destination, std::size_t(bytes));
    const unsigned sampleBytes = m_pages.front().layout.bits / 8;
    if (m_swapped) SwapSamples(destination, std::size_t(bytes) / sampleBytes, sampleBytes);
    ++m_next;
    return;
  }
  if (m_next >= m_pages.size()) Fail(m_name, "has no more pages");
  GoToPage(m_next);
  const PageLayout& layout = m_pages[m_next].layout;
  const unsigned sampleBytes = layout.bits / 8;
  if (layout.planar == PLANARCONFIG_CONTIG) {
    ReadChunks(layout, 0, layout.samples, destination);
  } else {
    // Separate planes: each colour is a plane of its own; interleave them.
    const std::size_t pixels = std::size_t(layout.width) * layout.height;
    std::vector<unsigned char> plane(pixels * sampleBytes);
    for (unsigned s = 0; s < layout.samples; ++s) {
      ReadChunks(layout, s, 1, plane.data());
      unsigned char* out = destination + s * sampleBytes;
      const std::size_t step = std::size_t(sampleBytes) * layout.samples;
      for (std::size_t i = 0; i < pixels; ++i, out += step)
        std::memcpy(out, plane.data() + i * sampleBytes, sampleBytes);
    }
  }
  ++m_next;
}

void TiffReader::ReadChunks(const PageLayout& p, unsigned sample, unsigned samples, unsigned char* out) {
  TIFF* tif = m_file.get();
  const std::size_t pixelBytes = std::size_t(samples) * (p.bits / 8);
  const std::size_t rowBytes = pixelBytes * p.width;
  const std::string page = PageText(m_next);
  if (!p.tiled) {
    const std::uint32_t strips = (p.height + p.rowsPerStrip - 1) / p.rowsPerStrip;
    for (std::uint32_t i = 0; i < strips; ++i) {
      const std::uint32_t first = i * p.rowsPerStrip;
      const tmsize_t bytes = tmsize_t(std::min(p.rowsPerStrip, p.height - first) * rowBytes);
      if (TIFFReadEncodedStrip(tif, sample * strips + i, out + first * rowBytes, bytes) != bytes)
        m_file.Fail(page + ", strip " + std::to_string(i + 1) + " cannot be read");
    }
    return;
  }
  const tmsize_t tileBytes = TIFFTileSize(tif);
  const std::size_t tileRowBytes = pixelBytes * p.tileWidth;
  if (tileBytes <= 0 || std::size_t(tileBytes) < tileRowBytes * p.tileHeight)
    m_file.Fail(page + " has tiles of an impossible size");
  // Tiles may overhang the page, but a tile far larger than the page it
  // covers only claims memory.
  if (std::uint64_t(tileBytes) > std::max<std::uint64_t>(kMaxTileBytes, 2 * rowBytes * p.height))
    Fail(m_name, page + " has tiles of " + std::to_string(p.tileWidth) + " x " + std::to_string(p.tileHeight) +
                     " pixels, far larger than the page");
  m_buffer.resize(std::size_t(tileBytes));
  for (std::uint32_t y = 0; y < p.height; y += p.tileHeight) {
    for (std::uint32_t x = 0; x < p.width; x += p.tileWidth) {
      const ttile_t tile = TIFFComputeTile(tif, x, y, 0, std::uint16_t(sample));
      if (TIFFReadEncodedTile(tif, tile, m_buffer.data(), tileBytes) != tileBytes)
        m_file.Fail(page + ", tile " + std::to_string(tile + 1) + " cannot be read");
      const std::size_t copy = pixelBytes * std::min(p.tileWidth, p.width - x);
      const std::uint32_t rows = std::min(p.tileHeight, p.height - y);
      for (std::uint32_t r = 0; r < rows; ++r)
        std::memcpy(out + (y + r) * rowBytes + x * pixelBytes, m_buffer.data() + r * tileRowBytes, copy);
    }
  }
}

}  // namespace

std::unique_ptr<ImageReader> OpenTiff(const std::string& name, const ReadOptions& options) {
  return std::make_unique<TiffReader>(name, options);
}

}  // namespace bix::io
