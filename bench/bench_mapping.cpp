// The mapping modules' Map over a 1024 x 1024 slice for each voxel type,
// against a memcpy of the 3 MiB RGB output it writes; and the time from the
// factory call to a first painted viewer of a 1024 x 1024 x 256 16-bit stack
// (histogram, module, canvas, three cut windows), against one streaming pass
// over the stack. Part of the GUI bench program (modules need wxWidgets).

#include <orv/orv_factory.h>
#include <orv/orv_imagecanvas.h>

#include <benchmark/benchmark.h>

#include <wx/evtloop.h>
#include <wx/wx.h>

#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

namespace {

using RGB8 = bix::RGB_generic<unsigned char>;
constexpr unsigned kSide = 1024;

template <class T>
T Sample(std::uint32_t r) {
  if constexpr (std::is_same_v<T, RGB8>)
    return RGB8(r >> 24, r >> 16, r >> 8);
  else if constexpr (std::is_same_v<T, bix::RGB_generic<unsigned short>>)
    return T(r >> 16, r >> 8, r & 0xffff);
  else if constexpr (std::is_same_v<T, unsigned char>)
    return static_cast<T>(r >> 24);
  else if constexpr (std::is_same_v<T, unsigned short>)
    return static_cast<T>(r >> 16);
  else if constexpr (std::is_same_v<T, int>)
    return static_cast<int>(r >> 12) - 100000;  // about a million levels
  else
    return static_cast<float>(r >> 8) * 1e-3f;
}

template <class T>
void BM_Map(benchmark::State& state) {
  bix::Image3d<T> slice(bix::Vector3d<unsigned>(kSide, kSide, 1));
  std::uint32_t r = 5;
  for (T& v : slice) {
    r = r * 1664525u + 1013904223u;
    v = Sample<T>(r);
  }
  std::unique_ptr<orv::orv_MappingModule<T>> module(orv::orv_CreateMapperForType<T>(nullptr, slice));
  module->SetLinearStretch();
  orv::Buffer2d<RGB8> out(kSide, kSide);
  for (auto _ : state) {
    module->Map(slice.GetFirstVoxelAddr(), out);
    benchmark::DoNotOptimize(out.data);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSide * kSide * 3);
}
BENCHMARK_TEMPLATE(BM_Map, unsigned char)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Map, unsigned short)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Map, int)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Map, float)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Map, RGB8)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Map, bix::RGB_generic<unsigned short>)->Unit(benchmark::kMicrosecond);

// The baseline of the Map figures: copying the 3 MiB of output.
void BM_MemcpyMapOutput(benchmark::State& state) {
  std::vector<RGB8> from(kSide * kSide), to(kSide * kSide);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size() * sizeof(RGB8));
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSide * kSide * 3);
}
BENCHMARK(BM_MemcpyMapOutput)->Unit(benchmark::kMicrosecond);

std::unique_ptr<bix::Image3d<unsigned short>> LargeStack() {
  const bix::Resolution res(bix::Vector3d<float>(5, 5, 2));
  auto stack = std::make_unique<bix::Image3d<unsigned short>>(bix::Vector3d<unsigned>(kSide, kSide, 256), nullptr, &res);
  std::uint32_t r = 9;
  for (unsigned short& v : *stack) {
    r = r * 1664525u + 1013904223u;
    v = static_cast<unsigned short>((r >> 20) + 100);  // 12-bit data, as microscopes give
  }
  return stack;
}

void PumpEvents() {
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  while (loop->Pending()) loop->Dispatch();
  wxTheApp->ProcessPendingEvents();
  wxTheApp->ProcessIdle();
}

void BM_FactoryToFirstPaint(benchmark::State& state) {
  const std::unique_ptr<bix::Image3d<unsigned short>> stack = LargeStack();
  for (auto _ : state) {
    orv::orv_OrthoscopeFrame* frame = orv::orv_CreateImage3dFrame(stack.get(), false, nullptr, wxID_ANY, "bench");
    frame->Show();
    auto* canvas = frame->GetCanvas();
    for (int i = 0; i < 400 && !canvas->GetDrWin(orv::PROJ_XY)->IsShownOnScreen(); ++i) {
      PumpEvents();
      wxMilliSleep(1);
    }
    for (auto w : {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ}) {
      canvas->GetDrWin(w)->Refresh(false);
      canvas->GetDrWin(w)->Update();
    }
    state.PauseTiming();
    frame->Destroy();
    for (int i = 0; i < 10; ++i) PumpEvents();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack->GetVoxelCount() * 2));
}
BENCHMARK(BM_FactoryToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

// Its baseline: one streaming pass (a sum) over the same 512 MiB.
void BM_StreamPassLargeStack(benchmark::State& state) {
  const std::unique_ptr<bix::Image3d<unsigned short>> stack = LargeStack();
  for (auto _ : state) {
    const unsigned long long sum = std::accumulate(stack->begin(), stack->end(), 0ULL);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack->GetVoxelCount() * 2));
}
BENCHMARK(BM_StreamPassLargeStack)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
