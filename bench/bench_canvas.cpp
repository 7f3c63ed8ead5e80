// Interactive costs of the cut viewer: what one user action recomputes and
// repaints on three cut windows of about 700 x 700 pixels, for a 1024 x 1024
// x 256 and a 256^3 16-bit stack (the cost must follow the window area, not
// the stack size). Needs an X display: run it through scripts/bench.

#include "bench_viewer.h"

#include <orv/histogram.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using bench::MakeStack;
using bench::Stack;
using bench::Viewer;
using RGB8 = bix::RGB_generic<unsigned char>;

std::unique_ptr<Stack> StackFor(int which) { return which == 0 ? MakeStack(1024, 1024, 256) : MakeStack(256, 256, 256); }

void Report(benchmark::State& state, Viewer& v) {
  const wxSize xy = v.canvas->GetDrWin(orv::PROJ_XY)->GetClientSize();
  state.counters["window_px"] = xy.x * xy.y;
  state.counters["maps_per_action"] = static_cast<double>(v.mapper.calls - v.mapsBefore) / state.iterations();
  state.SetLabel(state.range(0) == 0 ? "1024x1024x256" : "256x256x256");
}

void BM_PageDownInXY(benchmark::State& state) {
  Viewer v(StackFor(static_cast<int>(state.range(0))));
  int i = 0;
  for (auto _ : state) {
    v.Key(orv::PROJ_XY, (i++ / 50) % 2 ? WXK_PAGEUP : WXK_PAGEDOWN);
    v.PaintAll();
  }
  Report(state, v);
}

void BM_ScrollInXY(benchmark::State& state) {
  Viewer v(StackFor(static_cast<int>(state.range(0))));
  int i = 0;
  for (auto _ : state) {
    v.Key(orv::PROJ_XY, (i++ % 2) ? WXK_LEFT : WXK_RIGHT);
    v.PaintAll();
  }
  Report(state, v);
}

void BM_MappingChange(benchmark::State& state) {
  Viewer v(StackFor(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    orv::orv_MappingEvent changed(false);
    v.canvas->MappingChanged(changed);
    v.PaintAll();
  }
  Report(state, v);
}

void BM_ZoomStep(benchmark::State& state) {
  Viewer v(StackFor(static_cast<int>(state.range(0))));
  int i = 0;
  for (auto _ : state) {
    if (i++ % 2)
      v.canvas->ZoomOut();
    else
      v.canvas->ZoomIn();
    v.PaintAll();
  }
  Report(state, v);
}

BENCHMARK(BM_PageDownInXY)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollInXY)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MappingChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

class BenchApp : public wxApp {
public:
  bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!wxGetEnv("DISPLAY", nullptr)) {
    fprintf(stderr, "orv_canvas_bench needs an X display: run scripts/bench\n");
    return 2;
  }
  wxApp::SetInstance(new BenchApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 2;
  // The volume window logs the driver's identity: to the terminal, not to a
  // message box that would wait for a click.
  delete wxLog::SetActiveTarget(new wxLogStderr);
  wxGUIEventLoop loop;
  wxEventLoopBase::SetActive(&loop);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  wxEventLoopBase::SetActive(nullptr);
  wxTheApp->OnExit();
  wxEntryCleanup();
  return 0;
}
namespace {
// The floor: repainting the three windows from their cached pictures.
void BM_RepaintOnly(benchmark::State& state) {
  Viewer v(StackFor(static_cast<int>(state.range(0))));
  for (auto _ : state) v.PaintAll();
  Report(state, v);
}
BENCHMARK(BM_RepaintOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
}  // namespace

namespace {
// Histogram sets (they show a busy notice, hence this GUI program).
void BM_HistogramSet16(benchmark::State& state) {
  const std::unique_ptr<Stack> stack = MakeStack(1024, 1024, 256);
  for (auto _ : state) {
    orv::HistogramSet<unsigned short> set(*stack);
    benchmark::DoNotOptimize(set.Get()[0]);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack->GetVoxelCount() * 2));
}
BENCHMARK(BM_HistogramSet16)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same size of stack with 12-bit values, as microscope cameras give them
// (uniformly random over 100..4195, the worst case of such data): the
// counts stay in the first level cache, where the values of the stack above,
// spread over all 65536, do not.
void BM_HistogramSet16Of12BitData(benchmark::State& state) {
  Stack stack(bix::Vector3d<unsigned>(1024, 1024, 256));
  std::uint32_t seed = 9;
  for (unsigned short& v : stack) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<unsigned short>((seed >> 20) + 100);
  }
  for (auto _ : state) {
    orv::HistogramSet<unsigned short> set(stack);
    benchmark::DoNotOptimize(set.Get()[0]);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * 2));
}
BENCHMARK(BM_HistogramSet16Of12BitData)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_HistogramSetRGB8(benchmark::State& state) {
  bix::Image3d<RGB8> stack(bix::Vector3d<unsigned>(1024, 1024, 64));
  std::uint32_t seed = 3;
  for (RGB8& v : stack) {
    seed = seed * 1664525u + 1013904223u;
    v = RGB8(static_cast<unsigned char>(seed >> 24), static_cast<unsigned char>(seed >> 16),
             static_cast<unsigned char>(seed >> 8));
  }
  for (auto _ : state) {
    orv::HistogramSet<RGB8> set(stack);
    benchmark::DoNotOptimize(set[0][0]);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * 3));
}
BENCHMARK(BM_HistogramSetRGB8)->Unit(benchmark::kMillisecond)->Iterations(3);

// The baselines of the histogram figures: one streaming pass (a sum) over
// the same voxels.
template <class T>
void StreamPass(benchmark::State& state, const bix::Image3d<T>& stack) {
  for (auto _ : state) benchmark::DoNotOptimize(bench::SumWords(stack.begin(), stack.GetVoxelCount() * sizeof(T)));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * sizeof(T)));
}

void BM_StreamPassRGB8(benchmark::State& state) {
  bix::Image3d<RGB8> stack(bix::Vector3d<unsigned>(1024, 1024, 64));
  stack.Fill(RGB8(1, 2, 3));
  StreamPass(state, stack);
}
BENCHMARK(BM_StreamPassRGB8)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StreamPass16(benchmark::State& state) {
  Stack stack(bix::Vector3d<unsigned>(1024, 1024, 256));
  stack.Fill(1);
  StreamPass(state, stack);
}
BENCHMARK(BM_StreamPass16)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StreamPass1GiB(benchmark::State& state) {
  bix::Image3d<float> stack(bix::Vector3d<unsigned>(1024, 1024, 256));
  stack.Fill(1.f);
  StreamPass(state, stack);
}
BENCHMARK(BM_StreamPass1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);
}  // namespace

namespace {
// Data-range histograms of int and float stacks (1024 x 1024 x 256, 1 GiB):
// one pass for the range, one to count.
template <class T>
void BM_HistogramSetDataRange(benchmark::State& state) {
  bix::Image3d<T> stack(bix::Vector3d<unsigned>(1024, 1024, 256));
  std::uint32_t seed = 11;
  for (T& v : stack) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<T>(seed >> 20) * static_cast<T>(3);  // 4096 levels over 0..12285
  }
  for (auto _ : state) {
    orv::HistogramSet<T> set(stack);
    benchmark::DoNotOptimize(set.Get()[0]);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * sizeof(T)));
}
BENCHMARK_TEMPLATE(BM_HistogramSetDataRange, int)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(BM_HistogramSetDataRange, float)->Unit(benchmark::kMillisecond)->Iterations(3);
}  // namespace
