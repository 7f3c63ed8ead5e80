// OME-Zarr on a 1024 x 1024 x 1024 16-bit stack (2 GiB) in chunks of 64^3
// voxels, blosc-zstd: decoding and assembling the whole box on the chunk
// workers, against decompressing the same chunks alone (as many threads, no
// assembly) and one streaming pass over the decompressed bytes; and writing
// the pyramid of a 1024 x 1024 x 512 stack (1 GiB). zarr-python's figures
// for the same arrays come from bench/zarr_baseline.py, run on the stores
// this program leaves when ORV_ZARR_BENCH_DIR names a folder:
//   ORV_ZARR_BENCH_DIR=/tmp/zb build-release/bench/orv_zarr_bench
//   /usr/bin/python3 bench/zarr_baseline.py /tmp/zb

#include <bix/ChunkedImage.h>
#include <bix/OmeZarr.h>
#include <bix/bix.h>

#include "bench_stacks.h"

#include <benchmark/benchmark.h>

#include <blosc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Stack = bix::Image3d<unsigned short>;

Stack MakeStack(unsigned slices) { return MicroscopeLikeStack(slices, 5); }

// Where the stores go: ORV_ZARR_BENCH_DIR (kept), or a temporary folder
// removed at exit.
struct Folder {
  fs::path path;
  bool keep = false;
  Folder() {
    const char* given = std::getenv("ORV_ZARR_BENCH_DIR");
    keep = given && *given;
    path = keep ? fs::path(given) : fs::temp_directory_path() / ("orv-zarr-bench-" + std::to_string(::getpid()));
    fs::create_directories(path);
  }
  ~Folder() {
    if (!keep) fs::remove_all(path);
  }
};
Folder& TheFolder() {
  static Folder folder;
  return folder;
}

// The 1024^3 store, written once.
const std::string& CubeStore() {
  static const std::string path = [] {
    const std::string p = (TheFolder().path / "cube.zarr").string();
    if (!fs::exists(p + "/.zattrs")) bix::WriteOmeZarr(MakeStack(1024), p);
    return p;
  }();
  return path;
}

void BM_ZarrReadBox1024(benchmark::State& state) {
  const auto image = bix::OpenOmeZarr(CubeStore());
  // The box's memory is touched once before timing: the first touch of 2 GiB
  // costs seconds on this virtual machine whoever asks (see the note of
  // zarr_baseline.py), and reading a series of boxes reuses it.
  Stack box;
  image->ReadBox(0, 0, 0, bix::Vector3d<unsigned>(0, 0, 0), bix::Vector3d<unsigned>(1024, 1024, 1024), box);
  for (auto _ : state) {
    // Nothing cached: every chunk is read and decoded.
    bix::SharedChunkCache().Forget(image->Id());
    image->ReadBox(0, 0, 0, bix::Vector3d<unsigned>(0, 0, 0), bix::Vector3d<unsigned>(1024, 1024, 1024), box);
    benchmark::DoNotOptimize(box.GetFirstVoxelAddr());
  }
  bix::SharedChunkCache().Forget(image->Id());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (2ll << 30));
  state.counters["workers"] = bix::ChunkWorkerCount();
}
BENCHMARK(BM_ZarrReadBox1024)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The compressed chunks in memory, decompressed by as many threads as there
// are workers into a chunk buffer each: the decoding alone.
void BM_ZarrDecompressOnly1024(benchmark::State& state) {
  std::vector<std::vector<char>> chunks;
  for (const auto& entry : fs::recursive_directory_iterator(CubeStore() + "/0"))
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
      std::ifstream in(entry.path(), std::ios::binary);
      chunks.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  const unsigned threads = bix::ChunkWorkerCount();
  for (auto _ : state) {
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
      pool.emplace_back([&, t] {
        std::vector<unsigned char> out(64 * 64 * 64 * 2);
        for (std::size_t i = t; i < chunks.size(); i += threads)
          blosc_decompress_ctx(chunks[i].data(), out.data(), out.size(), 1);
        benchmark::DoNotOptimize(out.data());
      });
    for (std::thread& t : pool) t.join();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (2ll << 30));
  state.counters["chunks"] = static_cast<double>(chunks.size());
}
BENCHMARK(BM_ZarrDecompressOnly1024)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// One streaming pass over 2 GiB of decompressed voxels.
void BM_StreamPass2GiB(benchmark::State& state) {
  std::vector<std::uint64_t> data((2ull << 30) / 8, 3);
  for (auto _ : state) {
    std::uint64_t sum = 0;
    for (std::uint64_t v : data) sum += v;
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (2ll << 30));
}
BENCHMARK(BM_StreamPass2GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The whole pyramid of a 1 GiB stack, written to the folder.
void BM_ZarrWritePyramid1GiB(benchmark::State& state) {
  static const Stack stack = MakeStack(512);
  const std::string path = (TheFolder().path / "pyramid.zarr").string();
  for (auto _ : state) bix::WriteOmeZarr(stack, path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1ll << 30));
}
BENCHMARK(BM_ZarrWritePyramid1GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The limit of writing: compressing the 64^3 chunks of the 1 GiB stack
// with blosc-zstd (clevel 5, byte shuffle) on as many threads as there are
// workers, without files or reductions.
void BM_ZarrCompressOnly1GiB(benchmark::State& state) {
  static const Stack stack = MakeStack(512);
  const unsigned threads = bix::ChunkWorkerCount();
  const unsigned chunks = 16 * 16 * 8;
  for (auto _ : state) {
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
      pool.emplace_back([&, t] {
        std::vector<unsigned short> block(64 * 64 * 64);
        std::vector<unsigned char> out(block.size() * 2 + BLOSC_MAX_OVERHEAD);
        for (unsigned n = t; n < chunks; n += threads) {
          const unsigned i = n % 16, j = n / 16 % 16, k = n / 256;
          for (unsigned z = 0; z < 64; ++z)
            for (unsigned y = 0; y < 64; ++y)
              std::memcpy(&block[(z * 64 + y) * 64], &stack.GetVoxel(i * 64, j * 64 + y, k * 64 + z), 128);
          benchmark::DoNotOptimize(blosc_compress_ctx(5, 1, 2, block.size() * 2, block.data(), out.data(), out.size(),
                                                      "zstd", 0, 1));
        }
      });
    for (std::thread& t : pool) t.join();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1ll << 30));
}
BENCHMARK(BM_ZarrCompressOnly1GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
