// OME-Zarr between orv and Debian's python3-zarr: every dtype, compressor
// and chunk-key separator zarr-python writes reads voxel for voxel, with the
// multiscales metadata's voxel sizes, offsets, channels, time points and
// labels; what orv writes zarr-python reads voxel for voxel, and its
// metadata keeps NGFF 0.4's rules (checked by the script beside this file).

#include "io_test_support.h"

#include <bix/ChunkedImage.h>
#include <bix/OmeZarr.h>

#include <cmath>
#include <sstream>

using namespace iotest;
using bix::Image3d;

namespace {

const std::string kScripts = INTEROP_SCRIPTS_DIR;
const char* const kPython = "/usr/bin/python3";

bool HaveZarr(std::string& why) {
  bool ok = false;
  RunCommand(std::string(kPython) + " -c 'import zarr, numcodecs' 2>&1", &ok);
  if (!ok) why = "zarr is not installed (Debian package python3-zarr; scripts/install-deps installs it)";
  return ok;
}

// The value make_zarr.py stores at (x, y, z) for a dtype's kind.
double Expected(char kind, unsigned bytes, unsigned x, unsigned y, unsigned z) {
  double v = x + 9.0 * y + 63.0 * z;
  if (kind == 'u' && bytes == 1) v = std::fmod(v, 256);
  if (kind == 'i') v -= 150;
  if (kind == 'f') v = (v - 150) / 2;
  return v;
}

template <class T>
void ExpectCase(const bix::ChunkedImage& image, char kind, unsigned bytes) {
  Image3d<T> box;
  image.ReadBox(0, 0, 0, Vector3d<unsigned>(0, 0, 0), Vector3d<unsigned>(9, 7, 5), box);
  unsigned wrong = 0;
  for (unsigned z = 0; z < 5; ++z)
    for (unsigned y = 0; y < 7; ++y)
      for (unsigned x = 0; x < 9; ++x)
        if (double(box.GetVoxel(x, y, z)) != Expected(kind, bytes, x, y, z)) ++wrong;
  EXPECT_EQ(wrong, 0u);
}

std::map<std::string, std::string> Lines(const std::string& output, const std::string& tag) {
  std::map<std::string, std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(tag + " ", 0) == 0) {
      const std::string rest = line.substr(tag.size() + 1);
      const std::size_t space = rest.find(' ');
      lines[rest.substr(0, space)] = space == std::string::npos ? "" : rest.substr(space + 1);
    }
  return lines;
}

}  // namespace

TEST(ZarrTools, EveryDtypeCompressorAndSeparatorOfZarrPythonReadsVoxelForVoxel) {
  std::string why;
  if (!HaveZarr(why)) GTEST_SKIP() << why;
  ScratchDir dir;
  bool ok = false;
  const std::string output = RunCommand(std::string(kPython) + " " + kScripts + "/make_zarr.py " + dir.Path(), &ok);
  ASSERT_TRUE(ok) << output;
  unsigned cases = 0;
  for (const auto& [store, rest] : Lines(output, "STORE")) {
    if (store.rfind("case_", 0) != 0) continue;
    SCOPED_TRACE(store);
    ++cases;
    const std::shared_ptr<bix::ChunkedImage> image = bix::OpenOmeZarr(dir / store);
    ASSERT_EQ(image->Levels(), 1u);
    const bix::ChunkLevel& l = image->Level(0);
    EXPECT_EQ(l.size, Vector3d<unsigned>(9, 7, 5));
    EXPECT_EQ(l.chunk, Vector3d<unsigned>(4, 3, 2));
    // Scale (z, y, x) 0.5, 0.25, 0.2 and voxel centres at 1, 2, 3 microns.
    EXPECT_EQ(l.voxelSize, Vector3d<float>(0.2f, 0.25f, 0.5f));
    EXPECT_EQ(l.offset, Vector3d<float>(2.9f, 1.875f, 0.75f));
    // "case_<dtype>_..." with le/be/none before the kind and size.
    const std::string dtype = store.substr(5, store.find('_', 5) - 5);
    const char kind = dtype[dtype.size() - 2];
    const unsigned bytes = unsigned(dtype.back() - '0');
    switch (image->Type()) {
      case bix::VOXEL_UCHAR: ExpectCase<unsigned char>(*image, kind, bytes); break;
      case bix::VOXEL_USHORT: ExpectCase<unsigned short>(*image, kind, bytes); break;
      case bix::VOXEL_INT: ExpectCase<int>(*image, kind, bytes); break;
      case bix::VOXEL_FLOAT: ExpectCase<float>(*image, kind, bytes); break;
      default: ADD_FAILURE() << "an RGB type";
    }
    const bix::VoxelType expected = kind == 'f' ? bix::VOXEL_FLOAT
                                    : dtype == "u1" ? bix::VOXEL_UCHAR
                                    : kind == 'u' && bytes == 2 ? bix::VOXEL_USHORT
                                                                : bix::VOXEL_INT;
    EXPECT_EQ(image->Type(), expected) << dtype;
  }
  EXPECT_EQ(cases, 9u * 9u + 9u * 2u);

  // Channels, time points, nanometers, two levels; a chunk never stored
  // holds the fill value.
  const auto tczyx = bix::OpenOmeZarr(dir / "tczyx.zarr");
  EXPECT_EQ(tczyx->TimePoints(), 2u);
  EXPECT_EQ(tczyx->Channels(), 3u);
  ASSERT_EQ(tczyx->Levels(), 2u);
  EXPECT_EQ(tczyx->Level(0).voxelSize, Vector3d<float>(0.2f, 0.25f, 0.5f));
  EXPECT_EQ(tczyx->Level(1).size, Vector3d<unsigned>(5, 4, 5));
  Image3d<unsigned short> box;
  tczyx->ReadBox(0, 1, 1, Vector3d<unsigned>(0, 0, 0), Vector3d<unsigned>(9, 7, 5), box);
  EXPECT_EQ(box.GetVoxel(3, 2, 1), 3 + 18 + 63 + 4000);
  tczyx->ReadBox(0, 1, 2, Vector3d<unsigned>(8, 6, 4), Vector3d<unsigned>(1, 1, 1), box);
  EXPECT_EQ(box.GetVoxel(0, 0, 0), 7);
  // Through the library's reader: one channel at a chosen time point.
  bix::ReadOptions options;
  options.channels = {3};
  options.timePoint = 2;
  Image3d<unsigned short> read;
  bix::ReadImage(dir / "tczyx.zarr", read, bix::ProgressCallback(), options);
  EXPECT_EQ(read.GetVoxel(3, 2, 1), 3 + 18 + 63 + 5000);

  // Labels, with their colours, read as a label image.
  EXPECT_EQ(bix::OmeZarrLabelNames(dir / "with_labels.zarr"), std::vector<std::string>{"cells"});
  const auto colours = bix::OmeZarrLabelColours(dir / "with_labels.zarr/labels/cells");
  ASSERT_EQ(colours.size(), 1u);
  EXPECT_EQ(colours[0].label, 3u);
  EXPECT_EQ(colours[0].rgba, (std::array<unsigned char, 4>{255, 0, 0, 255}));
  Image3d<unsigned> cells;
  bix::ReadImage(dir / "with_labels.zarr/labels/cells", cells);
  EXPECT_EQ(cells.GetVoxel(3, 2, 1), 3u);
  EXPECT_EQ(cells.GetVoxel(0, 0, 0), 0u);
}

TEST(ZarrTools, ZarrPythonReadsWhatWeWriteAndTheMetadataKeepsNgffRules) {
  std::string why;
  if (!HaveZarr(why)) GTEST_SKIP() << why;
  ScratchDir dir;
  // 300 x 280 x 40 voxels of 0.2 x 0.2 x 1 microns: x and y halve once,
  // z (five times deeper than wide) stays.
  const bix::Resolution res(Vector3d<float>(5, 5, 1));
  const Vector3d<float> offset(10, -4, 2.5f);
  Image3d<unsigned short> image(Vector3d<unsigned>(300, 280, 40), &offset, &res);
  unsigned i = 0;
  for (unsigned short& v : image) v = static_cast<unsigned short>((i++ * 2654435761u) >> 16);
  image.SaveImage(dir / "out.zarr");
  bool ok = false;
  const std::string output = RunCommand(std::string(kPython) + " " + kScripts + "/check_zarr.py " + (dir / "out.zarr"), &ok);
  ASSERT_TRUE(ok) << output;
  EXPECT_EQ(output.find("PROBLEM"), std::string::npos) << output;
  const auto levels = Lines(output, "LEVEL");
  ASSERT_EQ(levels.size(), 2u) << output;
  double sum = 0;
  for (unsigned short v : image) sum += v;
  char expected[200];
  std::snprintf(expected, sizeof expected, "shape=40,280,300 dtype=<u2 scale=1,0.2,0.2 translation=3,-3.9,10.1 sum=%.0f", sum);
  EXPECT_EQ(levels.at("0"), expected);
  // The reduced level as we read it back, and as zarr-python does.
  const auto back = bix::OpenOmeZarr(dir / "out.zarr");
  Image3d<unsigned short> reduced;
  back->ReadBox(1, 0, 0, Vector3d<unsigned>(0, 0, 0), back->Level(1).size, reduced);
  EXPECT_EQ(reduced.GetVoxel(7, 5, 3),
            std::lround((image.GetVoxel(14, 10, 3) + image.GetVoxel(15, 10, 3) + image.GetVoxel(14, 11, 3) +
                         image.GetVoxel(15, 11, 3)) / 4.0));
  double reducedSum = 0;
  for (unsigned short v : reduced) reducedSum += v;
  std::snprintf(expected, sizeof expected, "shape=40,140,150 dtype=<u2 scale=1,0.4,0.4 translation=3,-3.8,10.2 sum=%.0f",
                reducedSum);
  EXPECT_EQ(levels.at("1"), expected);
  const auto voxels = Lines(output, "VOXEL");
  EXPECT_EQ(voxels.at("3"), "2 1 " + std::to_string(image.GetVoxel(3, 2, 1)));
}
