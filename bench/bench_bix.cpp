// The image library's hot paths on a 1024 x 1024 x 256 16-bit stack (512 MiB):
// cuts at zoom 1 and 0.5, look-up tables over a slice, autofocus projections.

#include <bix/bix.h>

#include <benchmark/benchmark.h>

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
      v[i] = static_cast<unsigned short>(state >> 16);
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

}  // namespace
