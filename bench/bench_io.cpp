// Image file reading and writing on a 1024 x 1024 x 512 16-bit stack (1 GiB),
// against the baselines of the same bytes through plain read() and write()
// calls (what `cat file > /dev/null` and `cat > file` cost). The files live in
// the temporary directory and are read from the page cache: each reading
// benchmark reads its file once before timing.

#include <bix/bix.h>

#include "bench_stacks.h"

#include <benchmark/benchmark.h>

#include <tiffio.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Stack = bix::Image3d<unsigned short>;

constexpr unsigned kSlices = 512;

const Stack& BigStack() {
  static const Stack stack = MicroscopeLikeStack(kSlices, 1);
  return stack;
}

std::string TempPath(const std::string& file) {
  return (std::filesystem::temp_directory_path() / ("orv-bench-" + std::to_string(::getpid()) + "-" + file)).string();
}

// A file of the whole stack in `format`, written once and removed at exit.
// The stack as tifffile and many microscope programs write it: one strip
// per page (which libtiff splits into 8 KiB strips unless told not to).
void WriteOneStripTiff(const Stack& stack, const std::string& path) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  const bix::Vector3d<unsigned> n = stack.GetSize();
  for (unsigned z = 0; z < n.z; ++z) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, n.x);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, n.y);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, n.y);
    TIFFWriteEncodedStrip(tif, 0, const_cast<unsigned short*>(&stack.GetVoxel(0, 0, z)),
                          tmsize_t(n.x) * n.y * 2);
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
}

// FORMAT_AUTO: a one-strip-per-page TIFF.
const std::string& StackFile(const std::string& file, bix::FileFormat format, bool compress) {
  struct Files {
    std::map<std::string, std::string> paths;  // file -> path
    ~Files() {
      for (const auto& p : paths) std::filesystem::remove(p.second);
    }
  };
  static Files files;
  auto it = files.paths.find(file);
  if (it == files.paths.end()) {
    const std::string path = TempPath(file);
    if (format == bix::FORMAT_AUTO)
      WriteOneStripTiff(BigStack(), path);
    else
      BigStack().SaveImage(path, format, compress);
    it = files.paths.emplace(file, path).first;
  }
  return it->second;
}

// Reads the whole file with read() into a reused 1 MiB buffer, as cat does.
std::uint64_t ReadLoop(const std::string& path, std::vector<char>& buffer) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  std::uint64_t total = 0;
  for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;) total += std::uint64_t(n);
  ::close(fd);
  return total;
}

void BM_ReadLoopBaseline(benchmark::State& state) {
  const std::string& path = StackFile("raw.tif", bix::FORMAT_TIFF, false);
  std::vector<char> buffer(1 << 20);
  std::uint64_t bytes = ReadLoop(path, buffer);
  for (auto _ : state) benchmark::DoNotOptimize(bytes = ReadLoop(path, buffer));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadLoopBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// read() of the whole file into one buffer the size of the image, allocated
// anew each time from the image allocator: the floor for any reader that
// fills fresh memory (the kernel zeroes every new page before the copy).
void BM_ReadIntoNewBufferBaseline(benchmark::State& state) {
  const std::string& path = StackFile("raw.tif", bix::FORMAT_TIFF, false);
  const std::size_t bytes = BigStack().GetVoxelCount() * 2;
  for (auto _ : state) {
    std::vector<unsigned short, bix::ImageAllocator<unsigned short>> image;
    image.reserve(bytes / 2);
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::size_t done = 0;
    for (ssize_t n; done < bytes && (n = ::read(fd, reinterpret_cast<char*>(image.data()) + done,
                                                std::min<std::size_t>(bytes - done, 1 << 30))) > 0;)
      done += std::size_t(n);
    ::close(fd);
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadIntoNewBufferBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadImage(benchmark::State& state, const char* file, bix::FileFormat format, bool compress) {
  const std::string& path = StackFile(file, format, compress);
  std::vector<char> buffer(1 << 20);
  ReadLoop(path, buffer);  // into the page cache
  for (auto _ : state) {
    Stack image;
    bix::ReadImage(path, image);
    benchmark::DoNotOptimize(image.GetFirstVoxelAddr());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * BigStack().GetVoxelCount() * 2));
}
BENCHMARK_CAPTURE(BM_ReadImage, tiff, "raw.tif", bix::FORMAT_TIFF, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadImage, tiff_one_strip, "strip.tif", bix::FORMAT_AUTO, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadImage, bix, "raw.bix", bix::FORMAT_BIX, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadImage, ics, "raw.ics", bix::FORMAT_ICS, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadImage, tiff_deflate, "z.tif", bix::FORMAT_TIFF, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_ReadImage, bix_zlib, "z.bix", bix::FORMAT_BIX, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// write() of the image's bytes in 1 MiB pieces and fsync, as SaveImage
// flushes its file before renaming it.
void BM_WriteLoopBaseline(benchmark::State& state) {
  const std::string path = TempPath("loop.raw");
  const char* data = reinterpret_cast<const char*>(BigStack().GetFirstVoxelAddr());
  const std::size_t bytes = BigStack().GetVoxelCount() * 2;
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (std::size_t done = 0; done < bytes;) done += std::size_t(::write(fd, data + done, std::min<std::size_t>(bytes - done, 1 << 20)));
    ::fsync(fd);
    ::close(fd);
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteLoopBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_SaveImage(benchmark::State& state, const char* file, bool compress) {
  const std::string path = TempPath(file);
  for (auto _ : state) BigStack().SaveImage(path, bix::FORMAT_AUTO, compress);
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * BigStack().GetVoxelCount() * 2));
}
BENCHMARK_CAPTURE(BM_SaveImage, tiff, "w.tif", false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_SaveImage, bix, "w.bix", false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_SaveImage, ics, "w.ics", false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_SaveImage, tiff_deflate, "wz.tif", true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_SaveImage, bix_zlib, "wz.bix", true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
