// OME-Zarr in the image library: images written and read back exactly
// through SaveImage and ReadImage, the pyramid's levels, stores that are
// damaged or lie about themselves refused with the file and the key, and the
// chunk cache and workers behind every chunked image.

#include "io_test_support.h"
#include "tiff_test_files.h"

#include <bix/ChunkedImage.h>
#include <bix/MappedImage.h>
#include <bix/OmeZarr.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <type_traits>

using namespace iotest;
using bix::Image3d;

namespace {

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}

template <class T>
class ZarrRoundTrip : public ::testing::Test {};
using VoxelTypes = ::testing::Types<unsigned char, unsigned short, int, float, bix::RGB_generic<unsigned char>,
                                    bix::RGB_generic<unsigned short>>;
TYPED_TEST_SUITE(ZarrRoundTrip, VoxelTypes);

}  // namespace

TYPED_TEST(ZarrRoundTrip, SavedImagesReadBackExactlyWithTheirPlaceInMicrons) {
  ScratchDir dir;
  const bix::Resolution res(Vector3d<float>(4, 2, 0.5f));
  const auto image = MakeImage<TypeParam>(Vector3d<unsigned>(70, 65, 9), Vector3d<float>(-3, 1.5f, 20), res);
  image.SaveImage(dir / "a.zarr");
  EXPECT_EQ(bix::ReadImageType(dir / "a.zarr"), bix::ReadImageType(dir / "a.zarr/.zattrs"));
  Image3d<TypeParam> back;
  bix::ReadImage(dir / "a.zarr", back);
  EXPECT_TRUE(SameVoxels(back, image));
  for (unsigned a = 0; a < 3; ++a) {
    EXPECT_NEAR(back.GetOffset()[a], image.GetOffset()[a], 1e-5) << a;
    EXPECT_FLOAT_EQ(back.GetResolution().GetRes()[a], res.GetRes()[a]) << a;
  }
  // A region of it, and a store written again in place of the first.
  const bix::VOI<float> region(Vector3d<float>(0, 2, 22), Vector3d<float>(2, 3, 8));
  image.SaveImage(dir / "a.zarr", bix::FORMAT_AUTO, true, &region);
  bix::ReadImage(dir / "a.zarr", back);
  EXPECT_EQ(back.GetSize(), Vector3d<unsigned>(8, 6, 4));
  EXPECT_EQ(std::memcmp(&back.GetVoxel(0, 0, 0), &image.GetVoxel(12, 1, 1), sizeof(TypeParam)), 0);
  EXPECT_EQ(dir.List(), std::vector<std::string>{"a.zarr"}) << "nothing is left beside the store";
  if constexpr (!std::is_arithmetic_v<TypeParam>) {
    // RGB is a channel axis: one channel reads as gray.
    EXPECT_EQ(bix::OpenOmeZarr(dir / "a.zarr")->Channels(), 3u);
    bix::ReadOptions green;
    green.channels = {2};
    Image3d<typename TypeParam::component_type> channel;
    bix::ReadImage(dir / "a.zarr", channel, bix::ProgressCallback(), green);
    EXPECT_EQ(channel.GetVoxel(3, 2, 1), back.GetVoxel(3, 2, 1).green);
  }
}

TEST(ZarrPyramid, LevelsHalveUntilOneChunkHoldsThemAveragingIntensitiesAndSamplingLabels) {
  ScratchDir dir;
  // 600 x 520 x 300 microns of 1 x 1 x 2-micron voxels: x and y halve
  // first; z joins once the voxels are as deep as wide.
  const bix::Resolution res(Vector3d<float>(1, 1, 0.5f));
  Image3d<unsigned short> image(Vector3d<unsigned>(600, 520, 150), nullptr, &res);
  unsigned i = 0;
  for (unsigned short& v : image) v = static_cast<unsigned short>(i++ % 1000);
  bix::WriteOmeZarr(image, dir / "p.zarr");
  const auto pyramid = bix::OpenOmeZarr(dir / "p.zarr");
  ASSERT_EQ(pyramid->Levels(), 3u);
  EXPECT_EQ(pyramid->Level(1).size, Vector3d<unsigned>(300, 260, 150));
  EXPECT_EQ(pyramid->Level(1).voxelSize, Vector3d<float>(2, 2, 2));
  EXPECT_EQ(pyramid->Level(2).size, Vector3d<unsigned>(150, 130, 75));
  EXPECT_EQ(pyramid->Level(2).chunk, Vector3d<unsigned>(64, 64, 64));
  // Every level's first voxel starts where the image does.
  EXPECT_EQ(pyramid->Level(2).offset, Vector3d<float>(0, 0, 0));
  Image3d<unsigned short> level1;
  pyramid->ReadBox(1, 0, 0, Vector3d<unsigned>(5, 7, 3), Vector3d<unsigned>(1, 1, 1), level1);
  const double mean = (image.GetVoxel(10, 14, 3) + image.GetVoxel(11, 14, 3) + image.GetVoxel(10, 15, 3) +
                       image.GetVoxel(11, 15, 3)) / 4.0;
  EXPECT_EQ(level1.GetVoxel(0, 0, 0), std::lround(mean));
  EXPECT_EQ(level1.GetOffset(), Vector3d<float>(10, 14, 6));

  Image3d<unsigned> labels(Vector3d<unsigned>(300, 20, 3));
  for (unsigned x = 0; x < 300; ++x) labels.GetVoxel(x, 0, 0) = x % 2 ? 7 : 100000;
  bix::OmeZarrWriteOptions asLabels;
  asLabels.labels = true;
  bix::WriteOmeZarr(labels, dir / "l.zarr", asLabels);
  Image3d<unsigned> sampled;
  bix::OpenOmeZarr(dir / "l.zarr")->ReadBox(1, 0, 0, Vector3d<unsigned>(0, 0, 0), Vector3d<unsigned>(4, 1, 1),
                                            sampled);
  for (unsigned x = 0; x < 4; ++x) EXPECT_EQ(sampled.GetVoxel(x, 0, 0), 100000u) << "no label is mixed";
}

TEST(ZarrDamage, BadStoresAreRefusedNamingTheFileAndTheKey) {
  ScratchDir dir;
  Image3d<unsigned short> image(Vector3d<unsigned>(20, 10, 5));
  image.SaveImage(dir / "good.zarr");
  const std::string zarray = dir / "good.zarr/0/.zarray";
  const std::string original = FileBytes(zarray);
  auto withArray = [&](const std::string& from, const std::string& to) {
    std::string text = original;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    WriteBytes(zarray, text.replace(at, from.size(), to));
  };
  auto read = [&] {
    Image3d<unsigned short> out;
    bix::ReadImage(dir / "good.zarr", out);
  };
  const struct {
    const char *from, *to, *message;
  } cases[] = {
      {"\"zarr_format\": 2", "\"zarr_format\": 2,", "not JSON"},
      {"\"shape\": [\n        5", "\"shape\": [\n        5000000000000", "\"shape\" holds 5000000000000, not a whole number"},
      {"\"chunks\": [\n        64", "\"chunks\": [\n        0", "\"chunks\" holds a size of 0"},
      {"\"id\": \"blosc\"", "\"id\": \"lzma\"", "\"compressor\": unknown codec 'lzma'"},
      {"\"dtype\": \"<u2\"", "\"dtype\": \"<i8\"", "\"dtype\" '<i8' has no voxel type"},
      {"\"order\": \"C\"", "\"order\": \"F\"", "\"order\" is \"F\": only C order"},
      {"\"chunks\": [\n        64,\n        64", "\"chunks\": [\n        64,\n        32", "decompresses to"},
      {"\"dimension_separator\": \"/\"", "\"dimension_separator\": \"-\"", "\"dimension_separator\" is \"-\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.to);
    withArray(c.from, c.to);
    const std::string error = ErrorOf(read);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_NE(error.find("good.zarr/0/"), std::string::npos) << error;
  }
  WriteBytes(zarray, original);
  // A chunk cut short, and one whose bytes are no compressed data.
  const std::string chunk = dir / "good.zarr/0/0/0/0";
  const std::string bytes = FileBytes(chunk);
  WriteBytes(chunk, bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(ErrorOf(read), "'" + chunk + "': the blosc chunk is truncated");
  WriteBytes(chunk, std::string(bytes.size(), 'x'));
  EXPECT_NE(ErrorOf(read).find("'" + chunk + "': "), std::string::npos);
  // The group's metadata.
  WriteBytes(dir / "good.zarr/.zattrs", "{\"multiscales\": [{\"axes\": [\"z\", \"q\", \"x\"], \"datasets\": []}]}");
  EXPECT_EQ(ErrorOf(read), "'" + (dir / "good.zarr/.zattrs") + "': \"axes\" names an axis 'q' (t, c, z, y and x are read)");
  WriteBytes(dir / "good.zarr/.zattrs",
             "{\"multiscales\": [{\"axes\": [\"y\", \"x\"], \"datasets\": [{\"path\": \"../../etc\"}]}]}");
  EXPECT_NE(ErrorOf(read).find("leaves the image's folder"), std::string::npos);
}

TEST(ChunkCache, TheLeastRecentlyUsedGoFirstOnceTheBudgetIsPassed) {
  bix::ChunkCache cache(300);
  auto chunk = [](unsigned char v) { return std::make_shared<const std::vector<unsigned char>>(100, v); };
  auto key = [](unsigned i) { return bix::ChunkKey{1, 0, 0, 0, i, 0, 0}; };
  for (unsigned i = 0; i < 3; ++i) cache.Insert(key(i), chunk(static_cast<unsigned char>(i)));
  ASSERT_NE(cache.Find(key(0)), nullptr);  // now the most recent
  cache.Insert(key(3), chunk(3));
  EXPECT_EQ(cache.Find(key(1)), nullptr);
  EXPECT_NE(cache.Find(key(0)), nullptr);
  EXPECT_EQ(cache.HeldBytes(), 300u);
  cache.SetBudget(100);
  EXPECT_EQ(cache.HeldBytes(), 100u);
  cache.Forget(1);
  EXPECT_EQ(cache.HeldBytes(), 0u);
  EXPECT_GT(bix::DefaultChunkCacheBudget(), 0u);
  EXPECT_LE(bix::DefaultChunkCacheBudget(), 4ull << 30);
}

TEST(ChunkRequests, AreServedByPriorityOnTheWorkersAndCanBeCancelled) {
  ScratchDir dir;
  Image3d<unsigned char> image(Vector3d<unsigned>(256, 64, 64));
  unsigned n = 0;
  for (unsigned char& v : image) v = static_cast<unsigned char>(n++ * 7 / 3);
  image.SaveImage(dir / "r.zarr");
  const auto source = bix::OpenOmeZarr(dir / "r.zarr");
  // Every worker is held; then one is let go to serve the queue alone, so
  // the order is the queue's: the higher priority first, the cancelled never.
  std::mutex mutex;
  std::condition_variable changed;
  unsigned held = 0, tokens = 0;
  const unsigned workers = bix::ChunkWorkerCount();
  for (unsigned w = 0; w < workers; ++w)
    bix::SubmitChunkTask(100, nullptr, [&] {
      std::unique_lock<std::mutex> lock(mutex);
      ++held;
      changed.notify_all();
      changed.wait(lock, [&] { return tokens > 0; });
      --tokens;
      --held;
      changed.notify_all();
    });
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [&] { return held == workers; });
  std::vector<unsigned> order;
  auto done = [&](const bix::ChunkKey& key, bix::ChunkData data, const std::string& error) {
    std::lock_guard<std::mutex> guard(mutex);
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_TRUE(data && data->size() == 64u * 64 * 64);
    order.push_back(key.i);
    changed.notify_all();
  };
  const std::uint64_t id = source->Id();
  const bix::ChunkTicket low = source->RequestChunk(bix::ChunkKey{id, 0, 0, 0, 1, 0, 0}, 1, done);
  const bix::ChunkTicket cancelled = source->RequestChunk(bix::ChunkKey{id, 0, 0, 0, 2, 0, 0}, 5, done);
  const bix::ChunkTicket high = source->RequestChunk(bix::ChunkKey{id, 0, 0, 0, 3, 0, 0}, 9, done);
  bix::CancelChunkRequest(cancelled);
  tokens = 1;
  changed.notify_all();
  EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), [&] { return order.size() == 2; }));
  EXPECT_EQ(order, (std::vector<unsigned>{3, 1}));
  // Every worker let go before the test's mutex and condition go.
  tokens = workers - 1;
  changed.notify_all();
  changed.wait(lock, [&] { return held == 0; });
  lock.unlock();
  // A chunk's voxels as stored: x fastest, the image's values.
  const bix::ChunkData data = source->Chunk(bix::ChunkKey{id, 0, 0, 0, 3, 0, 0});
  EXPECT_EQ((*data)[5 + 64 * (6 + 64 * 7)], image.GetVoxel(3 * 64 + 5, 6, 7));
  EXPECT_THROW(source->Chunk(bix::ChunkKey{id, 0, 0, 0, 4, 0, 0}), bix::LibException);
}

TEST(ZarrConvert, AFileConvertedPlaneByPlaneGivesTheStoreAnImageInMemoryGives) {
  ScratchDir dir;
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  const auto image = MakeImage<unsigned short>(Vector3d<unsigned>(300, 200, 70), Vector3d<float>(5, 6, 7), res);
  image.SaveImage(dir / "in.tif");
  bix::OmeZarrWriteOptions small;
  small.chunk = 32;
  bix::ConvertToOmeZarr(dir / "in.tif", dir / "streamed.zarr", bix::ReadOptions(), small);
  bix::WriteOmeZarr(image, dir / "memory.zarr", small);
  const auto streamed = bix::OpenOmeZarr(dir / "streamed.zarr"), memory = bix::OpenOmeZarr(dir / "memory.zarr");
  ASSERT_EQ(streamed->Levels(), 2u);
  ASSERT_EQ(memory->Levels(), 2u);
  for (unsigned l = 0; l < 2; ++l) {
    EXPECT_EQ(streamed->Level(l).offset, memory->Level(l).offset);
    EXPECT_EQ(streamed->Level(l).voxelSize, memory->Level(l).voxelSize);
    Image3d<unsigned short> a, b;
    streamed->ReadBox(l, 0, 0, Vector3d<unsigned>(0, 0, 0), streamed->Level(l).size, a);
    memory->ReadBox(l, 0, 0, Vector3d<unsigned>(0, 0, 0), memory->Level(l).size, b);
    EXPECT_TRUE(SameVoxels(a, b)) << "level " << l;
  }
  // A level of a store written again as a store of its own, chunk by chunk,
  // telling its progress.
  std::vector<double> told;
  bix::WriteOmeZarr(*memory, 1, 0, 0, dir / "level1.zarr", small, [&](double done) {
    told.push_back(done);
    return true;
  });
  EXPECT_FALSE(told.empty());
  EXPECT_TRUE(std::is_sorted(told.begin(), told.end()) && told.back() <= 1.0);
  const auto level1 = bix::OpenOmeZarr(dir / "level1.zarr");
  EXPECT_EQ(level1->Level(0).size, memory->Level(1).size);
  EXPECT_EQ(level1->Level(0).offset, memory->Level(1).offset);
  Image3d<unsigned short> a, b;
  level1->ReadBox(0, 0, 0, Vector3d<unsigned>(0, 0, 0), level1->Level(0).size, a);
  memory->ReadBox(1, 0, 0, Vector3d<unsigned>(0, 0, 0), memory->Level(1).size, b);
  EXPECT_TRUE(SameVoxels(a, b));
  std::filesystem::remove_all(dir / "level1.zarr");
  // Cancelled half way: nothing is left of the new store.
  unsigned calls = 0;
  EXPECT_THROW(bix::ConvertToOmeZarr(dir / "in.tif", dir / "cancelled.zarr", bix::ReadOptions(), small,
                                     [&](double) { return ++calls < 2; }),
               bix::ReadCancelled);
  EXPECT_THROW(bix::WriteOmeZarr(*memory, 0, 0, 0, dir / "cancelled.zarr", small, [](double) { return false; }),
               bix::ReadCancelled);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.tif", "memory.zarr", "streamed.zarr"}));
}

TEST(MappedImages, UncompressedTiffAndBixOpenLazilyAndOthersAreRefusedSayingWhy) {
  ScratchDir dir;
  const bix::Resolution res(Vector3d<float>(2, 2, 0.5f));
  const auto image = MakeImage<unsigned short>(Vector3d<unsigned>(300, 270, 20), Vector3d<float>(1, 2, 3), res);
  image.SaveImage(dir / "plain.tif", bix::FORMAT_TIFF, false);
  image.SaveImage(dir / "plain.bix", bix::FORMAT_BIX, false);
  for (const char* file : {"plain.tif", "plain.bix"}) {
    SCOPED_TRACE(file);
    const auto mapped = bix::OpenMappedImage(dir / file);
    ASSERT_EQ(mapped->Levels(), 1u);
    EXPECT_EQ(mapped->Type(), bix::VOXEL_USHORT);
    EXPECT_EQ(mapped->Level(0).chunk, Vector3d<unsigned>(256, 256, 16));
    EXPECT_EQ(mapped->Level(0).voxelSize, Vector3d<float>(0.5f, 0.5f, 2));
    Image3d<unsigned short> whole, box;
    mapped->ReadBox(0, 0, 0, Vector3d<unsigned>(0, 0, 0), Vector3d<unsigned>(300, 270, 20), whole);
    EXPECT_TRUE(SameVoxels(whole, image));
    EXPECT_EQ(whole.GetOffset(), image.GetOffset());
    mapped->ReadBox(0, 0, 0, Vector3d<unsigned>(250, 260, 15), Vector3d<unsigned>(50, 10, 5), box);
    EXPECT_EQ(box.GetVoxel(7, 3, 2), image.GetVoxel(257, 263, 17));
  }
  // A BigTIFF written by libtiff, several strips a page, one after another.
  iotest::TiffPage page;
  page.width = 40;
  page.height = 30;
  page.bits = 16;
  page.rowsPerStrip = 7;
  ASSERT_TRUE(iotest::WriteTiffFile(dir / "big.tif", "w8", iotest::Pages(3, page)));
  const auto big = bix::OpenMappedImage(dir / "big.tif");
  Image3d<unsigned short> corner;
  big->ReadBox(0, 0, 0, Vector3d<unsigned>(39, 29, 2), Vector3d<unsigned>(1, 1, 1), corner);
  EXPECT_EQ(corner.GetVoxel(0, 0, 0), static_cast<unsigned short>(iotest::DefaultValue(2, 39, 29, 0)));
  image.SaveImage(dir / "packed.tif", bix::FORMAT_TIFF, true);
  EXPECT_EQ(ErrorOf([&] { bix::OpenMappedImage(dir / "packed.tif"); }),
            "'" + (dir / "packed.tif") + "': cannot be mapped: its pages are compressed");
  image.SaveImage(dir / "packed.bix", bix::FORMAT_BIX, true);
  EXPECT_EQ(ErrorOf([&] { bix::OpenMappedImage(dir / "packed.bix"); }),
            "'" + (dir / "packed.bix") + "': cannot be mapped: its voxels are compressed");
  MakeImage<bix::RGB_generic<unsigned char>>(Vector3d<unsigned>(4, 4, 2), {}, res).SaveImage(dir / "rgb.tif",
                                                                                          bix::FORMAT_TIFF, false);
  EXPECT_EQ(ErrorOf([&] { bix::OpenMappedImage(dir / "rgb.tif"); }),
            "'" + (dir / "rgb.tif") + "': cannot be mapped: only gray images of one channel are");
}
