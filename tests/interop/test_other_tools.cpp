// Stacks move between orv, ImageJ/Fiji and Python's tifffile: what we write,
// compressed or not, they read voxel for voxel with the calibration we meant,
// and what ImageJ writes we read exactly. ImageJ runs headless in batch mode
// on the test X server; the scripts it and tifffile run sit beside this file.

#include "io_test_support.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

using namespace iotest;
using bix::Image3d;
using bix::Resolution;

namespace {

const std::string kScripts = INTEROP_SCRIPTS_DIR;
const char* const kImageJJar = "/usr/share/java/ij.jar";
const char* const kPython = "/usr/bin/python3";

using Fields = std::map<std::string, std::string>;

// The "RESULT <file> key=value ..." lines of a script's output, by file.
std::map<std::string, Fields> Results(const std::string& output) {
  std::map<std::string, Fields> results;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string tag, file, word;
    if (!(words >> tag >> file) || tag != "RESULT") continue;
    while (words >> word) {
      const std::size_t eq = word.find('=');
      if (eq != std::string::npos) results[file][word.substr(0, eq)] = word.substr(eq + 1);
    }
  }
  return results;
}

std::vector<double> Numbers(const std::string& text) {
  std::vector<double> numbers;
  std::istringstream in(text);
  for (std::string n; std::getline(in, n, ',');) numbers.push_back(std::strtod(n.c_str(), nullptr));
  return numbers;
}

bool HaveImageJ(std::string& why) {
  if (!std::getenv("DISPLAY")) why = "ImageJ needs an X display (scripts/test starts one)";
  else if (!HaveTool("java") || !std::filesystem::exists(kImageJJar))
    why = "ImageJ is not installed (Debian package imagej; scripts/install-deps installs it)";
  return why.empty();
}

bool HaveTifffile(std::string& why) {
  bool ok = false;
  RunCommand(std::string(kPython) + " -c 'import tifffile' 2>&1", &ok);
  if (!ok) why = "tifffile is not installed (Debian package python3-tifffile; scripts/install-deps installs it)";
  return ok;
}

std::string RunImageJ(const std::string& macro, const std::string& argument) {
  bool ok = false;
  const std::string output = RunCommand("java -Djava.awt.headless=false -jar " + std::string(kImageJJar) + " -batch '" +
                                            kScripts + "/" + macro + "' '" + argument + "' 2>&1",
                                        &ok);
  EXPECT_TRUE(ok) << output;
  return output;
}

// The pattern each voxel type is saved with: spread over the whole range
// (so that a predictor undone wrongly shows), negative where the type has
// signs, fractional for floats.
std::uint64_t Spread(unsigned x, unsigned y, unsigned z) { return 7919ull * x + 104729ull * y + 1299709ull * z; }
template <class T> T Pattern(unsigned x, unsigned y, unsigned z);
template <> unsigned char Pattern(unsigned x, unsigned y, unsigned z) { return Spread(x, y, z) % 256; }
template <> unsigned short Pattern(unsigned x, unsigned y, unsigned z) { return Spread(x, y, z) % 65536; }
template <> int Pattern(unsigned x, unsigned y, unsigned z) { return int(Spread(x, y, z) % 2000001) - 1000000; }
template <> float Pattern(unsigned x, unsigned y, unsigned z) { return float(Pattern<int>(x, y, z)) / 4; }
template <> RGB_generic<unsigned char> Pattern(unsigned x, unsigned y, unsigned z) {
  const std::uint64_t p = Spread(x, y, z);
  return {static_cast<unsigned char>(p % 256), static_cast<unsigned char>(p / 7 % 256),
          static_cast<unsigned char>(p / 13 % 256)};
}
template <> RGB_generic<unsigned short> Pattern(unsigned x, unsigned y, unsigned z) {
  const std::uint64_t p = Spread(x, y, z);
  return {static_cast<unsigned short>(p % 65536), static_cast<unsigned short>(p / 7 % 65536),
          static_cast<unsigned short>(p / 13 % 65536)};
}

// Planes larger than a TIFF directory: tifffile takes an ImageJ stack whose
// second directory lies within the first page's offset plus the whole
// stack's bytes for one contiguous block (as ImageJ writes), which holds only
// for planes larger than the directories between them.
const Vector3d<unsigned> kSize(40, 24, 3);
// What a user types: voxels of 0.3 x 0.35 x 1.5 microns, the first at
// (-2.25, 7.35, 3) microns.
const Resolution kResolution(Vector3d<float>(1 / 0.3f, 1 / 0.35f, 1 / 1.5f));
const Vector3d<float> kOffset(-2.25f, 7.35f, 3.0f);

template <class T>
std::string SaveStack(const ScratchDir& dir, const std::string& name, bool compress) {
  Image3d<T> image(kSize, &kOffset, &kResolution);
  for (unsigned z = 0; z < kSize.z; ++z)
    for (unsigned y = 0; y < kSize.y; ++y)
      for (unsigned x = 0; x < kSize.x; ++x) image.GetVoxel(x, y, z) = Pattern<T>(x, y, z);
  const std::string file = name + (compress ? "-deflate.tif" : ".tif");
  image.SaveImage(dir / file, bix::FORMAT_TIFF, compress);
  return file;
}

// The values in memory order (x fastest, colours interleaved), and in the
// order ImageJ shows them: 16-bit RGB as three 16-bit slices per plane.
template <class T>
void Components(const T& v, std::vector<double>& out) {
  if constexpr (std::is_arithmetic_v<T>) out.push_back(double(v));
  else out.insert(out.end(), {double(v.red), double(v.green), double(v.blue)});
}
template <class T>
std::vector<double> MemoryOrder() {
  std::vector<double> values;
  for (unsigned z = 0; z < kSize.z; ++z)
    for (unsigned y = 0; y < kSize.y; ++y)
      for (unsigned x = 0; x < kSize.x; ++x) Components(Pattern<T>(x, y, z), values);
  return values;
}
std::vector<double> ImageJOrderOfRGB16() {
  std::vector<double> values;
  for (unsigned z = 0; z < kSize.z; ++z)
    for (unsigned c = 0; c < 3; ++c)
      for (unsigned y = 0; y < kSize.y; ++y)
        for (unsigned x = 0; x < kSize.x; ++x) values.push_back(Pattern<RGB_generic<unsigned short>>(x, y, z).GetComponent(c));
  return values;
}

struct Saved {
  std::string file;
  std::string imagejBits, imagejSize;  // what ImageJ reports
  std::vector<double> imagejValues;
  std::string numpyType, shape;  // what tifffile reports
  std::vector<double> memoryValues;
};

std::vector<Saved> SaveEveryType(const ScratchDir& dir) {
  std::vector<Saved> saved;
  for (bool compress : {false, true}) {
    saved.push_back({SaveStack<unsigned char>(dir, "u8", compress), "8", "40x24x3", MemoryOrder<unsigned char>(),
                     "uint8", "3x24x40", MemoryOrder<unsigned char>()});
    saved.push_back({SaveStack<unsigned short>(dir, "u16", compress), "16", "40x24x3", MemoryOrder<unsigned short>(),
                     "uint16", "3x24x40", MemoryOrder<unsigned short>()});
    saved.push_back({SaveStack<int>(dir, "int", compress), "32", "40x24x3", MemoryOrder<int>(), "int32", "3x24x40",
                     MemoryOrder<int>()});
    saved.push_back({SaveStack<float>(dir, "float", compress), "32", "40x24x3", MemoryOrder<float>(), "float32",
                     "3x24x40", MemoryOrder<float>()});
    saved.push_back({SaveStack<RGB_generic<unsigned char>>(dir, "rgb8", compress), "24", "40x24x3",
                     MemoryOrder<RGB_generic<unsigned char>>(), "uint8", "3x24x40x3",
                     MemoryOrder<RGB_generic<unsigned char>>()});
    saved.push_back({SaveStack<RGB_generic<unsigned short>>(dir, "rgb16", compress), "16", "40x24x9",
                     ImageJOrderOfRGB16(), "uint16", "3x24x40x3", MemoryOrder<RGB_generic<unsigned short>>()});
  }
  return saved;
}

// Each saved file with what the tool reported of it; a file it did not
// report fails the test.
std::vector<std::pair<Saved, Fields>> ResultsOf(const std::vector<Saved>& saved, const std::string& output) {
  const auto results = Results(output);
  std::vector<std::pair<Saved, Fields>> pairs;
  for (const Saved& s : saved) {
    const auto found = results.find(s.file);
    if (found == results.end()) ADD_FAILURE() << s.file << " not in\n" << output;
    else pairs.emplace_back(s, found->second);
  }
  return pairs;
}

TEST(OtherTools, ImageJReadsEveryTypeWeWriteWithItsCalibration) {
  std::string why;
  if (!HaveImageJ(why)) GTEST_SKIP() << why;
  ScratchDir dir;
  const std::vector<Saved> saved = SaveEveryType(dir);
  std::string paths;
  for (const Saved& s : saved) paths += (paths.empty() ? "" : ";") + (dir / s.file);
  const std::string output = RunImageJ("read_stacks.ijm", paths);
  for (const auto& [s, r] : ResultsOf(saved, output)) {
    EXPECT_EQ(r.at("bits"), s.imagejBits);
    EXPECT_EQ(r.at("size"), s.imagejSize);
    EXPECT_EQ(Numbers(r.at("values")), s.imagejValues);
    // x and y come from rational tags: exact to single precision; the z
    // spacing from the description: exactly what was typed.
    const std::vector<double> voxel = Numbers(r.at("voxel"));
    ASSERT_EQ(voxel.size(), 3u);
    EXPECT_EQ(float(voxel[0]), 0.3f);
    EXPECT_EQ(float(voxel[1]), 0.35f);
    EXPECT_EQ(voxel[2], 1.5);
    EXPECT_EQ(r.at("unit"), "microns");
    // ImageJ shows its origin, in pixels, to four decimals.
    const std::vector<double> origin = Numbers(r.at("origin"));
    ASSERT_EQ(origin.size(), 3u);
    EXPECT_NEAR(origin[0], 7.5, 5e-5);
    EXPECT_NEAR(origin[1], -21, 5e-5);
    EXPECT_NEAR(origin[2], -2, 5e-5);
  }
}

TEST(OtherTools, TifffileReadsEveryTypeWeWriteWithItsCalibration) {
  std::string why;
  if (!HaveTifffile(why)) GTEST_SKIP() << why;
  ScratchDir dir;
  const std::vector<Saved> saved = SaveEveryType(dir);
  std::string command = std::string(kPython) + " '" + kScripts + "/read_stacks.py'";
  for (const Saved& s : saved) command += " '" + (dir / s.file) + "'";
  bool ok = false;
  const std::string output = RunCommand(command + " 2>&1", &ok);
  ASSERT_TRUE(ok) << output;
  for (const auto& [s, r] : ResultsOf(saved, output)) {
    EXPECT_EQ(r.at("dtype"), s.numpyType);
    EXPECT_EQ(r.at("shape"), s.shape);
    EXPECT_EQ(Numbers(r.at("values")), s.memoryValues);
    auto fraction = [](const std::string& text) {
      const std::size_t slash = text.find('/');
      return std::strtod(text.substr(0, slash).c_str(), nullptr) / std::strtod(text.substr(slash + 1).c_str(), nullptr);
    };
    EXPECT_EQ(float(fraction(r.at("xres"))), 1 / 0.3f);
    EXPECT_EQ(float(fraction(r.at("yres"))), 1 / 0.35f);
    EXPECT_EQ(r.at("spacing"), "1.5");
    EXPECT_EQ(r.at("unit"), "micron");
    EXPECT_EQ(r.at("origin"), "7.5,-21,-2");
  }
}

// The stacks make_stacks.ijm writes: value(x, y, z) as it computes them.
double ImageJValue(const std::string& type, unsigned x, unsigned y, unsigned z) {
  const double v = 1 + x + 10 * y + 50 * (z + 1);
  if (type == "16-bit") return v * 331;
  if (type == "32-bit") return v * 1000 - 70000.25;
  if (type == "signed") return -2000 + v * 13;
  return v;
}

template <class T>
void ExpectImageJStack(const std::string& path, const std::string& type, bix::VoxelType expected) {
  SCOPED_TRACE(type);
  EXPECT_EQ(bix::ReadImageType(path), expected);
  Image3d<T> image;
  bix::ReadImage(path, image);
  ASSERT_EQ(image.GetSize(), Vector3d<unsigned>(5, 4, 3));
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 4; ++y)
      for (unsigned x = 0; x < 5; ++x) {
        const double v = ImageJValue(type, x, y, z);
        if constexpr (std::is_arithmetic_v<T>) {
          EXPECT_EQ(double(image.GetVoxel(x, y, z)), v) << x << "," << y << "," << z;
        } else {
          EXPECT_EQ(image.GetVoxel(x, y, z), T(v, v + 1, v + 2)) << x << "," << y << "," << z;
        }
      }
  // ImageJ writes x and y as pixels per micron to six decimals, z as typed.
  const Vector3d<float>& res = image.GetResolution().GetRes();
  EXPECT_TRUE(image.GetResolution().IsDefined());
  EXPECT_EQ(res.x, float(3333333 / 1e6));
  EXPECT_EQ(res.y, float(2857142 / 1e6));
  EXPECT_EQ(res.z, float(1 / 1.5));
  EXPECT_EQ(image.GetOffset(), Vector3d<float>(0, 0, 0));
}

TEST(OtherTools, WeReadWhatImageJWrites) {
  std::string why;
  if (!HaveImageJ(why)) GTEST_SKIP() << why;
  ScratchDir dir;
  RunImageJ("make_stacks.ijm", dir.Path());
  ExpectImageJStack<unsigned char>(dir / "imagej-8-bit.tif", "8-bit", bix::VOXEL_UCHAR);
  ExpectImageJStack<unsigned short>(dir / "imagej-16-bit.tif", "16-bit", bix::VOXEL_USHORT);
  ExpectImageJStack<float>(dir / "imagej-32-bit.tif", "32-bit", bix::VOXEL_FLOAT);
  ExpectImageJStack<RGB_generic<unsigned char>>(dir / "imagej-RGB.tif", "RGB", bix::VOXEL_RGB8);
  ExpectImageJStack<int>(dir / "imagej-signed.tif", "signed", bix::VOXEL_INT);
}

}  // namespace
