// A million points over a 1024 x 1024 x 256 16-bit stack in three ~700 x 700
// windows: the repaint after a cut move (beside BM_PageDownInXY/0 without
// points), picking the nearest point with a click, and loading the point
// file beside reading its bytes and parsing its numbers with from_chars.
// Ten million points repainted over a small stack, where every window is
// covered with markers, and over a large one.

#include "bench_viewer.h"

#include <orv/orv_pointcanvas.h>

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstring>
#include <unistd.h>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace {

using PointCanvas = orv::orv_PointOrthoscopeCanvas<unsigned short>;
constexpr unsigned kPoints = 1000000;

// One file of a million points with a label column, written once.
const std::string& PointFile() {
  static const std::string path = [] {
    std::string name = "/tmp/orv-bench-points-" + std::to_string(::getpid()) + ".txt";
    std::mt19937 random(3);
    std::uniform_real_distribution<float> x(0, 1024), z(0, 256);
    std::ostringstream text;
    text << "x0\ty0\tz0\tcell\n";
    for (unsigned i = 0; i < kPoints; ++i) text << x(random) << '\t' << x(random) << '\t' << z(random) << "\tc" << i % 7 << '\n';
    std::ofstream(name) << text.str();
    return name;
  }();
  return path;
}

struct PointViewer {
  PointViewer()
      : viewer(bench::MakeStack(1024, 1024, 256),
               [this](wxFrame* frame, const orv::orv_Mapper<unsigned short>& mapper, bench::Stack* stack) {
                 canvas = new PointCanvas(frame, mapper, stack, true);
                 canvas->Load(PointFile());
                 return canvas;
               }) {}
  PointCanvas* canvas = nullptr;
  bench::Viewer viewer;
};

void BM_PointsPageDownInXY(benchmark::State& state) {
  PointViewer v;
  int i = 0;
  for (auto _ : state) {
    v.viewer.Key(orv::PROJ_XY, (i++ / 50) % 2 ? WXK_PAGEUP : WXK_PAGEDOWN);
    v.viewer.PaintAll();
  }
  state.counters["points"] = v.canvas->GetPoints().GetCount();
}
BENCHMARK(BM_PointsPageDownInXY)->Unit(benchmark::kMillisecond);

void BM_PickNearestPoint(benchmark::State& state) {
  PointViewer v;
  orv::orv_DrWin3d* xy = v.canvas->GetDrWin(orv::PROJ_XY);
  int i = 0;
  for (auto _ : state) {
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    click.m_x = 100 + (i * 37) % 500;
    click.m_y = 100 + (i++ * 53) % 500;
    click.m_leftDown = true;
    click.SetEventObject(xy);
    xy->GetEventHandler()->ProcessEvent(click);
  }
}
BENCHMARK(BM_PickNearestPoint)->Unit(benchmark::kMicrosecond);

void BM_PaintTenMillionPoints(benchmark::State& state) {
  const unsigned nx = unsigned(state.range(0)), ny = nx == 64 ? 48 : nx, nz = nx == 64 ? 20 : 100;
  PointCanvas* canvas = nullptr;
  bench::Viewer viewer(bench::MakeStack(nx, ny, nz),
                       [&](wxFrame* frame, const orv::orv_Mapper<unsigned short>& mapper, bench::Stack* stack) {
                         return canvas = new PointCanvas(frame, mapper, stack, true);
                       });
  std::mt19937 random(5);
  std::uniform_real_distribution<float> x(0, float(nx)), y(0, float(ny)), z(0, float(nz));
  for (unsigned i = 0; i < 10000000; ++i) canvas->AddPoint(bix::Vector3d<float>(x(random), y(random), z(random)));
  viewer.PaintAll();
  for (auto _ : state) viewer.PaintAll();
  state.counters["points"] = canvas->GetPoints().GetCount();
}
BENCHMARK(BM_PaintTenMillionPoints)->Arg(64)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadPointFile(benchmark::State& state) {
  PointViewer v;
  for (auto _ : state) v.canvas->Load(PointFile());
  state.counters["points"] = v.canvas->GetPoints().GetCount();
}
BENCHMARK(BM_LoadPointFile)->Unit(benchmark::kMillisecond)->Iterations(5);

// The baseline of loading: the file's bytes read and every number parsed.
void BM_ReadAndParsePointFile(benchmark::State& state) {
  for (auto _ : state) {
    std::ifstream in(PointFile(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    double sum = 0;
    const char* p = bytes.data() + bytes.find('\n') + 1;
    const char* end = bytes.data() + bytes.size();
    while (p < end) {
      for (int k = 0; k < 3; ++k) {
        double v = 0;
        p = std::from_chars(p, end, v).ptr + 1;
        sum += v;
      }
      p = static_cast<const char*>(std::memchr(p, '\n', end - p)) + 1;
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadAndParsePointFile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
