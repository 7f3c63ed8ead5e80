// Writes the seed corpora of the image reader fuzz targets: tiny files of
// every format and the layouts each reader takes, made with our writers and,
// for the layouts we never write (tiles, separate planes, big-endian), with
// libtiff directly. Usage: fuzz_make_seeds <fuzz/corpus directory>

#include "tiff_test_files.h"

#include <bix/bix.h>

#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

template <class T>
bix::Image3d<T> Small(unsigned sx, unsigned sy, unsigned sz) {
  const bix::Resolution res(bix::Vector3d<float>(2, 2, 0.5f));
  const bix::Vector3d<float> offset(1, -1, 0.5f);
  bix::Image3d<T> image(bix::Vector3d<unsigned>(sx, sy, sz), &offset, &res);
  unsigned char* bytes = reinterpret_cast<unsigned char*>(image.GetFirstVoxelAddr());
  for (std::size_t i = 0; i < image.GetVoxelCount() * sizeof(T); ++i) bytes[i] = static_cast<unsigned char>(i * 37);
  return image;
}

// A 4 x 4 x 2 8-bit stack in a layout we do not write ourselves.
void WriteLibtiff(const std::string& path, const char* mode, bool tiled, bool separate) {
  TIFF* tif = TIFFOpen(path.c_str(), mode);
  if (!tif) return;
  for (int page = 0; page < 2; ++page) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 16);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, separate ? 3 : 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, separate ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
    std::vector<unsigned char> data(16 * 16, static_cast<unsigned char>(page * 9));
    const int planes = separate ? 3 : 1;
    if (tiled) {
      TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
      TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
      for (int p = 0; p < planes; ++p) TIFFWriteTile(tif, data.data(), 0, 0, 0, static_cast<uint16_t>(p));
    } else {
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8);
      for (int p = 0; p < planes; ++p)
        for (int s = 0; s < 2; ++s) TIFFWriteEncodedStrip(tif, p * 2 + s, data.data(), 16 * 8);
    }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// An OME-Zarr seed: the store's ".zattrs", its level's ".zarray" and first
// chunk, NUL between them (the input fuzz_read_zarr takes apart).
template <class T>
void WriteZarrSeed(const bix::Image3d<T>& image, const std::string& seed) {
  const std::string store = seed + ".store.zarr";
  image.SaveImage(store);
  std::ofstream(seed, std::ios::binary) << FileText(store + "/.zattrs") << '\0' << FileText(store + "/0/.zarray")
                                        << '\0' << FileText(store + "/0/0/0/0");
  std::filesystem::remove_all(store);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const std::string tif = dir + "/read_tiff/", ics = dir + "/read_ics/", bixdir = dir + "/read_bix/";
  for (bool compress : {false, true}) {
    const std::string c = compress ? "_z" : "";
    Small<unsigned char>(3, 2, 2).SaveImage(tif + "u8" + c + ".tif", bix::FORMAT_TIFF, compress);
    Small<unsigned short>(3, 2, 2).SaveImage(tif + "u16" + c + ".tif", bix::FORMAT_TIFF, compress);
    Small<float>(2, 2, 1).SaveImage(tif + "f32" + c + ".tif", bix::FORMAT_TIFF, compress);
    Small<bix::RGB_generic<unsigned char>>(2, 2, 2).SaveImage(tif + "rgb8" + c + ".tif", bix::FORMAT_TIFF, compress);
    Small<unsigned char>(3, 2, 2).SaveImage(ics + "u8" + c + ".ics", bix::FORMAT_ICS, compress);
    Small<int>(2, 2, 2).SaveImage(ics + "s32" + c + ".ics", bix::FORMAT_ICS, compress);
    Small<bix::RGB_generic<unsigned short>>(2, 1, 2).SaveImage(ics + "rgb16" + c + ".ics", bix::FORMAT_ICS, compress);
    Small<unsigned char>(3, 2, 2).SaveImage(bixdir + "u8" + c + ".bix", bix::FORMAT_BIX, compress);
    Small<unsigned short>(2, 2, 2).SaveImage(bixdir + "u16" + c + ".bix", bix::FORMAT_BIX, compress);
    Small<float>(2, 1, 2).SaveImage(bixdir + "f32" + c + ".bix", bix::FORMAT_BIX, compress);
    Small<bix::RGB_generic<unsigned char>>(1, 2, 2).SaveImage(bixdir + "rgb8" + c + ".bix", bix::FORMAT_BIX, compress);
  }
  const std::string zarr = dir + "/read_zarr/";
  std::filesystem::create_directories(zarr);
  WriteZarrSeed(Small<unsigned char>(3, 2, 2), zarr + "u8");
  WriteZarrSeed(Small<unsigned short>(3, 2, 2), zarr + "u16");
  WriteZarrSeed(Small<float>(2, 2, 1), zarr + "f32");
  WriteLibtiff(tif + "tiled.tif", "w", true, false);
  WriteLibtiff(tif + "planar.tif", "w", false, true);
  WriteLibtiff(tif + "bigendian.tif", "wb", false, false);
  WriteLibtiff(tif + "bigtiff.tif", "w8", true, true);
  // Directories claiming huge pages over a few kilobytes: refused at once.
  std::ofstream(tif + "many_huge_pages.tif", std::ios::binary) << iotest::DirectoriesClaimingHugePages(40, 4096, 1000000);
  std::ofstream(tif + "imagej_huge_claim.tif", std::ios::binary)
      << iotest::DirectoriesClaimingHugePages(1, 4096, 1000000, "ImageJ=1.53t\nimages=10000\nslices=10000\n");
  // The text formats: a few files as the viewer writes them and as users do.
  const std::vector<std::pair<std::string, std::string>> texts = {
      {"point_text/gravity.txt", "Gravity(1)\tGravity(2)\tGravity(3)\tkind\tname\n1\t2\t3\t1\tcell a\n30.5\t-4e-3\t7\t\t\n"},
      {"point_text/plain_crlf.txt", "x0\ty0\tz0\r\n1\t2\t3\r\n\r\n4\t5\t6"},
      {"point_text/utf16.txt", std::string("\xFF\xFEx\0" "0\0\t\0y\0" "0\0\t\0z\0" "0\0\n\0" "1\0\t\0" "2\0\t\0" "3\0", 30)},
      {"point_style/styles.sty", "StyleColumn=kind\nMaxStyle=1\nDisplayedLabel=name\n[Style_0]\nColour=red\nMarker=box\n"
                                 "[Style_1]\nColour=RGB(0,0,255)\nMarker=text\n"},
      {"point_style/comments.sty", "; styles\n# of cells\nStyleColumn = kind\nMaxStyle=0\n[Style_0]\nColour=#00ff00\n"},
      {"view_file/start.orvview", "-5.00000000000 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 1.00000000000 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 "},
      {"view_file/turned.orvview", "-12.5 0 1 0 0 -1 0 0 0 0 0 1 0 0 0 0 1 -0.75 0.6 0 -0.8 0 0 1 0 0 0.8 0 0.6 0 0 0 0 1"},
  };
  for (const auto& [name, text] : texts) {
    const std::filesystem::path path = std::filesystem::path(dir) / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  return 0;
}
