// OME-Zarr stores on a web server read as they read from disk: a chunk the
// server does not have is the fill value, connections are reused, and a
// server that fails is reported naming the URL and what it answered.

#include "http_test_server.h"
#include "io_test_support.h"

#include <bix/ChunkedImage.h>
#include <bix/OmeZarr.h>
#include <bix/WholeFiles.h>

#include <filesystem>

using namespace iotest;
using bix::Image3d;

TEST(ZarrOverHttp, ReadsAsFromDiskWithMissingChunksAsTheFillValueAndFailuresNamingTheUrl) {
  ScratchDir dir;
  const bix::Resolution res(Vector3d<float>(2, 2, 1));
  auto image = MakeImage<unsigned short>(Vector3d<unsigned>(70, 50, 20), Vector3d<float>(1, 2, 3), res);
  bix::OmeZarrWriteOptions options;
  options.chunk = 16;
  bix::WriteOmeZarr(image, dir / "s.zarr", options);
  Image3d<unsigned> cells(Vector3d<unsigned>(70, 50, 20), nullptr, &res);
  bix::OmeZarrWriteOptions asLabels;
  asLabels.labels = true;
  bix::WriteOmeZarr(cells, dir / "s.zarr/labels/cells", asLabels);
  bix::ReplaceWholeFile(dir / "s.zarr/labels/.zattrs", "{\"labels\": [\"cells\"]}");
  // A chunk never written: voxels 16..31 along x, 0..15 along y and z.
  std::filesystem::remove(dir / "s.zarr/0/0/0/1");
  for (unsigned z = 0; z < 16; ++z)
    for (unsigned y = 0; y < 16; ++y)
      for (unsigned x = 16; x < 32; ++x) image.GetVoxel(x, y, z) = 0;

  orvtest::HttpTestServer server(dir.Path());
  const std::string url = server.Url() + "/s.zarr";
  EXPECT_TRUE(bix::IsOmeZarr(url));
  Image3d<unsigned short> read;
  bix::ReadImage(url + "/", read);
  EXPECT_TRUE(SameVoxels(read, image));
  EXPECT_EQ(read.GetOffset(), image.GetOffset());
  EXPECT_EQ(bix::OmeZarrLabelNames(url), std::vector<std::string>{"cells"});
  const auto [requests, connections] = server.Stats();
  // Each thread keeps its connection (the server closes one after a 404).
  EXPECT_GT(requests, 40);
  EXPECT_LE(connections * 4, requests);

  const auto store = bix::OpenOmeZarr(url);
  server.Fail(true);
  const std::string error = IOErrorOf([&] { store->Chunk(bix::ChunkKey{store->Id(), 0, 0, 0, 2, 1, 0}); });
  EXPECT_EQ(error, "'" + url + "/0/0/1/2': the server answered 503");
  server.Fail(false);
  EXPECT_NE(store->Chunk(bix::ChunkKey{store->Id(), 0, 0, 0, 2, 1, 0}), nullptr);
  EXPECT_EQ(IOErrorOf([&] { bix::OpenOmeZarr(server.Url() + "/none.zarr"); }),
            "'" + server.Url() + "/none.zarr/.zattrs': not found on the server (404)");
  EXPECT_NE(IOErrorOf([&] { bix::OpenOmeZarr("http://127.0.0.1:1/s.zarr"); }).find("'http://127.0.0.1:1/s.zarr/.zattrs': "),
            std::string::npos);
}
