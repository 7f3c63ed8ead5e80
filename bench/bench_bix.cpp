// The image library's hot paths on a 1024 x 1024 x 256 16-bit stack (512 MiB,
// levels 100..3611 as a 12-bit camera gives): cuts at zoom 1 and 0.5, look-up
// tables over a slice, autofocus projections. Each of the speed rows runs
// beside its streaming limit (BM_Limit_*): the least work memory allows for
// the same bytes, written as the plainest loop, so figures read as ratios.

#include <bix/bix.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

using Stack = bix::Image3d<unsigned short>;

const Stack& BigStack() {
  static const Stack stack = [] {
    const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
    Stack s(bix::Vector3d<unsigned>(1024, 1024, 256), nullptr, &res);
    unsigned short* v = s.GetFirstVoxelAddr();
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < s.GetVoxelCount(); ++i) {
      state = state * 1664525u + 1013904223u;  // deterministic noise
      v[i] = static_cast<unsigned short>(100 + (state >> 16) % 3512);
    }
    return s;
  }();
  return stack;
}

enum Cut { kXY, kXZ, kYZ };

// A cut through the middle of the stack at `zoom` pixels per micron, as a
// window of width x height pixels starting at the stack's corner.
Stack CutWindow(Cut cut, float zoom, unsigned width, unsigned height) {
  const bix::Resolution res(bix::Vector3d<float>(zoom, zoom, zoom));
  bix::Vector3d<float> offset(0, 0, 0);
  bix::Vector3d<unsigned> size;
  switch (cut) {
    case kXY: size = {width, height, 1}; offset.z = 128; break;
    case kXZ: size = {width, 1, height}; offset.y = 512; break;
    case kYZ: size = {1, height, width}; offset.x = 512; break;
  }
  return Stack(size, &offset, &res);
}

void BM_CopyToImage(benchmark::State& state, Cut cut, float zoom, unsigned width, unsigned height) {
  const Stack& stack = BigStack();
  Stack window = CutWindow(cut, zoom, width, height);
  for (auto _ : state) {
    bix::CopyToImage(stack, window);
    benchmark::DoNotOptimize(window.GetFirstVoxelAddr());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * window.GetVoxelCount() * 2));
}
// Windows the size of the stack's extent at each zoom, and 1024 x 1024
// windows (larger than the stack at zoom 0.5: the rest is filled with zero).
BENCHMARK_CAPTURE(BM_CopyToImage, XY_zoom1_1024x1024, kXY, 1.f, 1024, 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CopyToImage, XZ_zoom1_1024x256, kXZ, 1.f, 1024, 256)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CopyToImage, YZ_zoom1_256x1024, kYZ, 1.f, 256, 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CopyToImage, XY_zoom05_512x512, kXY, 0.5f, 512, 512)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CopyToImage, XZ_zoom05_512x128, kXZ, 0.5f, 512, 128)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CopyToImage, YZ_zoom05_128x512, kYZ, 0.5f, 128, 512)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CopyToImage, XY_zoom05_1024x1024, kXY, 0.5f, 1024, 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CopyToImage, XZ_zoom05_1024x1024, kXZ, 0.5f, 1024, 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CopyToImage, YZ_zoom05_1024x1024, kYZ, 0.5f, 1024, 1024)->Unit(benchmark::kMicrosecond);

template <class T>
void BM_LUTGet(benchmark::State& state) {
  constexpr long count = sizeof(T) == 1 ? 256 : 65536;
  bix::LUT<T, unsigned char> lut;
  lut.Init(count, 0, static_cast<T>(count - 1));
  lut.CreateGamma(10, static_cast<T>(count - 100), 1.f, 0, 255);
  std::vector<T> slice(1024 * 1024);
  const unsigned short* source = BigStack().GetFirstVoxelAddr();
  for (std::size_t i = 0; i < slice.size(); ++i) slice[i] = static_cast<T>(source[i]);
  std::vector<unsigned char> out(slice.size());
  for (auto _ : state) {
    for (std::size_t i = 0; i < slice.size(); ++i) out[i] = lut.Get(slice[i]);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * slice.size() * sizeof(T)));
}
BENCHMARK_TEMPLATE(BM_LUTGet, unsigned char)->Name("BM_LUTGet_8bit_1024x1024")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_LUTGet, unsigned short)->Name("BM_LUTGet_16bit_1024x1024")->Unit(benchmark::kMicrosecond);

void BM_Autofocus(benchmark::State& state, void (*project)(const Stack&, Stack&)) {
  const Stack& stack = BigStack();
  Stack out;
  for (auto _ : state) {
    project(stack, out);
    benchmark::DoNotOptimize(out.GetFirstVoxelAddr());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * 2));
}
BENCHMARK_CAPTURE(BM_Autofocus, XY, bix::Get_AF_XY<unsigned short>)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_Autofocus, XZ, bix::Get_AF_XZ<unsigned short>)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_Autofocus, YZ, bix::Get_AF_YZ<unsigned short>)->Unit(benchmark::kMillisecond)->Iterations(3);

// The rows of the speed comparison, each beside its limit. Cut positions move
// on every call (by a step prime to the extent), as when a user drags the cut.
constexpr unsigned kStep = 37;

void BM_Limit_StackRead(benchmark::State& state) {
  const Stack& stack = BigStack();
  const unsigned short* v = stack.GetFirstVoxelAddr();
  for (auto _ : state)
    benchmark::DoNotOptimize(std::accumulate(v, v + stack.GetVoxelCount(), std::uint64_t(0)));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * 2));
}
BENCHMARK(BM_Limit_StackRead)->Unit(benchmark::kMillisecond);

// A 1024 x 256 cut (YZ: one voxel wide at a moving x; XZ: one row per plane
// at a moving y) through CopyToImage.
void BM_MovingCut(benchmark::State& state, Cut cut) {
  const Stack& stack = BigStack();
  Stack window = cut == kYZ ? CutWindow(cut, 1.f, 256, 1024) : CutWindow(cut, 1.f, 1024, 256);
  unsigned at = 0;
  for (auto _ : state) {
    at = (at + kStep) % 1024;
    bix::Vector3d<float> offset(0, 0, 0);
    offset[cut == kYZ ? 0 : 1] = static_cast<float>(at);
    window.SetOffset(offset);
    bix::CopyToImage(stack, window);
    benchmark::DoNotOptimize(window.GetFirstVoxelAddr());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * window.GetVoxelCount() * 2));
}
BENCHMARK_CAPTURE(BM_MovingCut, YZ_1024x256, kYZ)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MovingCut, XZ_1024x256, kXZ)->Unit(benchmark::kMicrosecond);

// The same cuts as the plainest copy loops: a strided read per voxel (YZ) and
// a memcpy per row (XZ), no geometry at all.
void BM_Limit_Cut(benchmark::State& state, Cut cut) {
  const Stack& stack = BigStack();
  const unsigned short* v = stack.GetFirstVoxelAddr();
  std::vector<unsigned short> out(1024 * 256);
  unsigned at = 0;
  for (auto _ : state) {
    at = (at + kStep) % 1024;
    for (std::size_t z = 0; z < 256; ++z) {
      const unsigned short* plane = v + z * 1024 * 1024;
      if (cut == kYZ)
        for (std::size_t y = 0; y < 1024; ++y) out[z * 1024 + y] = plane[y * 1024 + at];
      else
        std::memcpy(&out[z * 1024], plane + std::size_t(at) * 1024, 1024 * 2);
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out.size() * 2));
}
BENCHMARK_CAPTURE(BM_Limit_Cut, YZ_1024x256, kYZ)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Limit_Cut, XZ_1024x256, kXZ)->Unit(benchmark::kMicrosecond);

// A 16-bit slice to 8 bits through a 65536-entry table: LUT::Get per voxel in
// the host's own loop, the block path GetMany, and a streaming read of the slice.
struct SliceTable {
  bix::LUT<unsigned short, unsigned char> lut;
  std::vector<unsigned short> slice;
  std::vector<unsigned char> out;
  SliceTable() : slice(1024 * 1024), out(slice.size()) {
    lut.Init(65536, 0, 65535);
    lut.CreateGamma(100, 3611, 1.f, 0, 255);
    const unsigned short* source = BigStack().GetFirstVoxelAddr() + 128 * slice.size();
    std::copy(source, source + slice.size(), slice.begin());
  }
};

void BM_TableSlice_Get(benchmark::State& state) {
  SliceTable t;
  // The host's loop as hosts write it: through plain pointers.
  const unsigned short* in = t.slice.data();
  unsigned char* out = t.out.data();
  const std::size_t n = t.slice.size();
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) out[i] = t.lut.Get(in[i]);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * t.slice.size() * 2));
}
BENCHMARK(BM_TableSlice_Get)->Unit(benchmark::kMicrosecond);

void BM_TableSlice_GetMany(benchmark::State& state) {
  SliceTable t;
  for (auto _ : state) {
    t.lut.GetMany(t.slice.data(), t.slice.size(), t.out.data());
    benchmark::DoNotOptimize(t.out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * t.slice.size() * 2));
}
BENCHMARK(BM_TableSlice_GetMany)->Unit(benchmark::kMicrosecond);

void BM_Limit_SliceRead(benchmark::State& state) {
  SliceTable t;
  for (auto _ : state)
    benchmark::DoNotOptimize(std::accumulate(t.slice.begin(), t.slice.end(), std::uint64_t(0)));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * t.slice.size() * 2));
}
BENCHMARK(BM_Limit_SliceRead)->Unit(benchmark::kMicrosecond);

}  // namespace
