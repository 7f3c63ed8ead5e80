// Cuts through chunked images that never wait: what is at hand is shown at
// once, the missing chunks are named, and a cut whose chunks are all cached
// equals the cut of the same level in memory, voxel for voxel.

#include "io_test_support.h"

#include <bix/Algorithms.h>
#include <bix/ChunkedCut.h>
#include <bix/OmeZarr.h>

using namespace iotest;
using bix::Image3d;

namespace {

// A cut of `size` voxels (one deep along the depth axis) at `offset`, `zoom` pixels per micron.
Image3d<unsigned short> CutGrid(const Vector3d<unsigned>& size, const Vector3d<float>& offset, float zoom) {
  Image3d<unsigned short> slice(size);
  slice.SetOffset(offset);
  slice.SetResolution(bix::Resolution(Vector3d<float>(zoom, zoom, zoom)));
  return slice;
}

struct Store {
  ScratchDir dir;
  Image3d<unsigned short> image;
  std::shared_ptr<bix::ChunkedImage> chunked;
  Image3d<unsigned short> held;  // the coarsest level, in memory
  unsigned heldLevel = 0;
  Store() : image(Vector3d<unsigned>(520, 300, 60)) {
    image.SetResolution(bix::Resolution(Vector3d<float>(1, 1, 0.5f)));
    image.SetOffset(Vector3d<float>(-20, 5, 3));
    unsigned n = 0;
    for (unsigned short& v : image) v = static_cast<unsigned short>(1 + (n++ * 37) % 60000);
    bix::OmeZarrWriteOptions options;
    options.chunk = 32;
    bix::WriteOmeZarr(image, dir / "c.zarr", options);
    chunked = bix::OpenOmeZarr(dir / "c.zarr");
    heldLevel = chunked->Levels() - 1;
    const auto& l = chunked->Level(heldLevel);
    chunked->ReadBox(heldLevel, 0, 0, Vector3d<unsigned>(0, 0, 0), l.size, held);
    bix::SharedChunkCache().Forget(chunked->Id());
  }
  Image3d<unsigned short> Level(unsigned level) const {
    Image3d<unsigned short> whole;
    chunked->ReadBoxHere(level, 0, 0, Vector3d<unsigned>(0, 0, 0), chunked->Level(level).size, whole);
    return whole;
  }
};

}  // namespace

TEST(ChunkedCut, LevelsAreChosenByZoomAndTheHeldOneByItsVoxelCount) {
  Store s;
  ASSERT_EQ(s.chunked->Levels(), 3u);  // 1 x 1 x 2 microns, then 2 x 2 x 2, then 4 x 4 x 4
  struct Case {
    float zoom;
    unsigned h, v, level;
  } cases[] = {{4, 0, 1, 0}, {1, 0, 1, 0}, {0.99f, 0, 1, 1}, {0.5f, 0, 1, 1}, {0.3f, 0, 1, 2},
               {0.01f, 0, 1, 2}, {1, 0, 2, 0}, {0.5f, 1, 2, 1}, {0.26f, 0, 2, 2}};
  for (const Case& c : cases)
    EXPECT_EQ(bix::LevelForCut(*s.chunked, Vector3d<float>(c.zoom, c.zoom, c.zoom), c.h, c.v), c.level)
        << c.zoom << " " << c.h << c.v;
  // The level of a pyramid that matches a voxel of another.
  const std::pair<Vector3d<float>, unsigned> voxels[] = {
      {{1, 1, 2}, 0}, {{0.5f, 1, 1}, 0}, {{1.5f, 1, 1}, 1}, {{2, 2, 2}, 1}, {{2, 2, 2.5f}, 2}, {{9, 9, 9}, 2}};
  for (const auto& [voxel, level] : voxels) EXPECT_EQ(bix::LevelForVoxel(*s.chunked, voxel), level) << voxel.x;
  EXPECT_EQ(bix::LevelToHold(*s.chunked, 1), 2u);
  EXPECT_EQ(bix::LevelToHold(*s.chunked, 260 * 150 * 60), 1u);
  EXPECT_EQ(bix::LevelToHold(*s.chunked, 260 * 150 * 60 + 1), 0u);
  EXPECT_EQ(bix::LevelToHold(*s.chunked), 0u) << "a small image is held whole";
}

TEST(ChunkedCut, ShowsTheCoarseLevelAtOnceNamesWhatIsMissingAndFillsInAsChunksArrive) {
  Store s;
  const Image3d<unsigned short> level0 = s.Level(0);
  // XY, XZ and YZ cuts at zoom 1 and 1.5, one reaching past the image's end.
  struct Case {
    Vector3d<unsigned> size;
    Vector3d<float> offset;
    float zoom;
    unsigned depth;
  } cases[] = {{{120, 90, 1}, {-20, 5, 40.2f}, 1, 2},
               {{200, 1, 150}, {-33.5f, 100, 3}, 1.5f, 1},
               {{1, 170, 90}, {7, 120, -1}, 1, 0}};
  const Image3d<unsigned short> level1 = s.Level(1);
  for (const Case& c : cases) {
    bix::SharedChunkCache().Forget(s.chunked->Id());
    Image3d<unsigned short> cut = CutGrid(c.size, c.offset, c.zoom), coarse = cut, middle = cut, fine = cut;
    bix::CopyToImage(s.held, coarse);
    bix::CopyToImage(level1, middle);
    bix::CopyToImage(level0, fine);
    auto sample = [&](unsigned level) {
      return bix::SampleCut(*s.chunked, 0, 0, level, s.held, s.heldLevel, c.depth, cut);
    };
    // Each pixel inside level 0 shows the voxel `from` has there, the others nothing.
    auto shows = [&](const Image3d<unsigned short>& from) {
      for (std::size_t n = 0; n < cut.GetVoxelCount(); ++n)
        if (cut.GetFirstVoxelAddr()[n] != (fine.GetFirstVoxelAddr()[n] ? from.GetFirstVoxelAddr()[n] : 0))
          return false;
      return true;
    };
    const bix::CutChunks first = sample(0);
    ASSERT_FALSE(first.Complete());
    EXPECT_FALSE(first.nearby.empty());
    EXPECT_TRUE(shows(coarse)) << "nothing cached: the held level";
    // One chunk arrives: its pixels become level 0's, the others stay coarse.
    s.chunked->Chunk(first.missing.front());
    EXPECT_EQ(sample(0).missing.size(), first.missing.size() - 1);
    EXPECT_FALSE(shows(coarse));
    EXPECT_FALSE(shows(fine));
    // Level 1 cached and level 0 not: the finer level at hand.
    bix::SharedChunkCache().Forget(s.chunked->Id());
    for (const bix::ChunkKey& key : sample(1).missing) s.chunked->Chunk(key);
    EXPECT_EQ(sample(0).missing.size(), first.missing.size());
    EXPECT_TRUE(shows(middle));
    // Everything there: the cut of level 0 in memory, exactly.
    for (const bix::ChunkKey& key : sample(0).missing) s.chunked->Chunk(key);
    EXPECT_TRUE(sample(0).Complete());
    EXPECT_TRUE(SameVoxels(cut, fine));
  }
  // A level not finer than the held one is the held one; the wrong type is refused.
  Image3d<unsigned short> cut = CutGrid({50, 50, 1}, {0, 0, 10}, 0.25f);
  EXPECT_TRUE(bix::SampleCut(*s.chunked, 0, 0, 2, s.held, s.heldLevel, 2, cut).Complete());
  Image3d<float> wrongHeld, wrongCut(Vector3d<unsigned>(2, 2, 1));
  EXPECT_THROW(bix::SampleCut(*s.chunked, 0, 0, 0, wrongHeld, s.heldLevel, 2, wrongCut), bix::LibException);
}

TEST(ChunkedCut, LabelCutsTakeAnyIntegerStoreAndMakeBackgroundOfWhatTheLabelsCannotHold) {
  ScratchDir dir;
  Image3d<int> image(Vector3d<unsigned>(300, 70, 20));
  int n = 0;
  for (int& v : image) v = n % 3 == 0 ? -5 : n % 3 == 1 ? 70000 + n : n % 1000, ++n;
  bix::OmeZarrWriteOptions options;
  options.chunk = 16;
  bix::WriteOmeZarr(image, dir / "l.zarr", options);
  const auto chunked = bix::OpenOmeZarr(dir / "l.zarr");
  const unsigned heldLevel = chunked->Levels() - 1;
  ASSERT_GT(heldLevel, 0u);
  auto check = [&](auto label) {
    using L = decltype(label);
    auto asLabels = [](const Image3d<int>& from, Image3d<L>& to) {
      to.MakeRoomUninitialized(from.GetSize());
      to.SetOffset(from.GetOffset());
      to.SetResolution(from.GetResolution());
      std::transform(from.begin(), from.end(), to.begin(), [](int v) {
        return v < 0 || static_cast<unsigned>(v) > std::numeric_limits<L>::max() ? L(0) : static_cast<L>(v);
      });
    };
    Image3d<int> stored;
    chunked->ReadBoxHere(heldLevel, 0, 0, Vector3d<unsigned>(0, 0, 0), chunked->Level(heldLevel).size, stored);
    Image3d<L> held, full;
    asLabels(stored, held);
    asLabels(image, full);
    Image3d<L> cut(Vector3d<unsigned>(280, 1, 20)), expected;
    cut.SetOffset(Vector3d<float>(3, 33, 0));
    expected = cut;
    bix::CopyToImage(full, expected);
    bix::SharedChunkCache().Forget(chunked->Id());
    for (const bix::ChunkKey& key : bix::SampleLabelCut(*chunked, 0, 0, 0, held, heldLevel, 1, cut).missing)
      chunked->Chunk(key);
    EXPECT_TRUE(bix::SampleLabelCut(*chunked, 0, 0, 0, held, heldLevel, 1, cut).Complete());
    EXPECT_TRUE(SameVoxels(cut, expected)) << sizeof(L);
  };
  check((unsigned short)0);
  check(0u);
  // Floating-point voxels are no labels.
  Image3d<float> floats(Vector3d<unsigned>(40, 40, 40));
  bix::WriteOmeZarr(floats, dir / "f.zarr", options);
  Image3d<unsigned short> none, cut(Vector3d<unsigned>(2, 2, 1));
  EXPECT_THROW(bix::SampleLabelCut(*bix::OpenOmeZarr(dir / "f.zarr"), 0, 0, 0, none, 1, 2, cut), bix::LibException);
}
