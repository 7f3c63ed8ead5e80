// The label overlay's costs on three ~700 x 700 cut windows of a 1024 x 1024
// x 256 16-bit stack with a segmentation of 1000 labels: a transparency
// change and a cut move with the overlay on, beside the same actions without
// labels (BM_MappingChange and BM_PageDownInXY/0 of this program), and the
// first label projection of each plane beside one streaming pass over the
// labels (BM_StreamPass16, the same 512 MiB).

#include "bench_viewer.h"

#include <orv/basic_overlaying.h>
#include <orv/orv_labeledcanvas.h>

#include <bix/Algorithms.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using Labels = bix::LabeledImage3d<unsigned short, bool>;
using Module = orv::orv_BasicOverlayingModule<unsigned short, bool>;

// 10 x 10 x 10 ellipsoids, one per cell of a regular grid, labelled 1..1000.
std::unique_ptr<Labels> MakeLabels() {
  const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
  auto labels = std::make_unique<Labels>(bix::Vector3d<unsigned>(1024, 1024, 256), nullptr, &res);
  const float cell[3] = {102.4f, 102.4f, 25.6f};
  unsigned short* out = labels->GetFirstVoxelAddr();
  for (unsigned z = 0; z < 256; ++z)
    for (unsigned y = 0; y < 1024; ++y)
      for (unsigned x = 0; x < 1024; ++x, ++out) {
        const unsigned c[3] = {unsigned(x / cell[0]), unsigned(y / cell[1]), unsigned(z / cell[2])};
        float d = 0;
        const float p[3] = {float(x), float(y), float(z)};
        for (int a = 0; a < 3; ++a) {
          const float t = (p[a] - (c[a] + 0.5f) * cell[a]) / (0.4f * cell[a]);
          d += t * t;
        }
        *out = d <= 1.f ? static_cast<unsigned short>(1 + c[0] + 10 * c[1] + 100 * c[2]) : 0;
      }
  labels->UpdateComponents();
  return labels;
}

// A viewer of the stack with the labels over it, the overlay on at `transparency`.
struct LabeledViewer {
  explicit LabeledViewer(float transparency)
      : labels(MakeLabels()),
        module(nullptr, labels.get(), false),
        viewer(bench::MakeStack(1024, 1024, 256), [this](wxFrame* frame, const orv::orv_Mapper<unsigned short>& mapper,
                                                         bench::Stack* stack) {
          return new orv::orv_LabeledImageOrthoscopeCanvas<unsigned short, unsigned short, bool>(frame, mapper, module,
                                                                                                 stack, true);
        }) {
    module.SetOverlaying(true);
    module.SetTransparency(transparency);
    Changed();
  }
  void Changed() {
    orv::orv_OverlayingEvent changed;
    viewer.canvas->OverlayingChanged(changed);
    viewer.PaintAll();
  }
  std::unique_ptr<Labels> labels;
  Module module;
  bench::Viewer viewer;
};

void BM_OverlayTransparencyStep(benchmark::State& state) {
  LabeledViewer v(0.5f);
  int i = 0;
  for (auto _ : state) {
    v.module.SetTransparency((i++ % 2) ? 0.5f : 0.55f);
    v.Changed();
  }
  const wxSize xy = v.viewer.canvas->GetDrWin(orv::PROJ_XY)->GetClientSize();
  state.counters["window_px"] = xy.x * xy.y;
}
BENCHMARK(BM_OverlayTransparencyStep)->Unit(benchmark::kMillisecond);

void BM_OverlayPageDownInXY(benchmark::State& state) {
  LabeledViewer v(static_cast<float>(state.range(0)) / 2);
  int i = 0;
  for (auto _ : state) {
    v.viewer.Key(orv::PROJ_XY, (i++ / 50) % 2 ? WXK_PAGEUP : WXK_PAGEDOWN);
    v.viewer.PaintAll();
  }
  state.SetLabel(state.range(0) == 0 ? "components" : state.range(0) == 1 ? "blended" : "boundaries");
}
BENCHMARK(BM_OverlayPageDownInXY)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// What the first "Auto Focus" of a plane asks of the overlay: both forms of
// the label projection, the outlines made from the areas.
void BM_FirstLabelProjection(benchmark::State& state) {
  const std::unique_ptr<Labels> labels = MakeLabels();
  std::vector<bool> visible(labels->GetHighestLabel() + 1, true);
  visible[0] = false;
  bix::Image3d<unsigned short> outline, area;
  for (auto _ : state) {
    switch (state.range(0)) {
      case 0: bix::Get_Labeled_AF_XY(*labels, area, visible, true); break;
      case 1: bix::Get_Labeled_AF_XZ(*labels, area, visible, true); break;
      default: bix::Get_Labeled_AF_YZ(*labels, area, visible, true);
    }
    outline = area;
    bix::KeepLabelOutline(outline, 2 - static_cast<unsigned>(state.range(0)));
    benchmark::DoNotOptimize(outline.GetFirstVoxelAddr());
  }
  state.SetLabel(state.range(0) == 0 ? "XY" : state.range(0) == 1 ? "XZ" : "YZ");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * labels->GetVoxelCount() * 2));
}
BENCHMARK(BM_FirstLabelProjection)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
