// The volume window on the machine's OpenGL (llvmpipe under Xvfb): time from
// "3D volume visualization" to the first frame, time per frame while the
// model turns (600 x 600 window), and the texture update against one
// streaming pass over the bytes it reads and writes.

#include "bench_viewer.h"
#include "sample_volume.h"
#include "volume_texture.h"

#include <orv/vol3d_canvas.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using bench::Stack;

// The viewer's gray mapping module, set up for the stack it maps (its
// default stretch), as the factory makes it.
using StackMapper = std::unique_ptr<orv::orv_MappingModule<unsigned short>>;
StackMapper MapperOf(const Stack& stack) {
  return StackMapper(orv::orv_CreateMapperForType<unsigned short>(nullptr, stack));
}

// A 1024 x 1024 x 256 stack of blurred blobs over a dark noisy background.
const Stack& LargeStack() {
  static const std::unique_ptr<Stack> stack = [] {
    const bix::Resolution res(bix::Vector3d<float>(4, 4, 1));
    auto s = std::make_unique<Stack>(bix::Vector3d<unsigned>(1024, 1024, 256), nullptr, &res);
    std::uint32_t state = 11;
    for (unsigned z = 0; z < 256; ++z)
      for (unsigned y = 0; y < 1024; ++y)
        for (unsigned x = 0; x < 1024; ++x) {
          state = state * 1664525u + 1013904223u;
          const float bx = std::sin(x * 0.02f) * std::sin(y * 0.02f) * std::sin(z * 0.05f);
          s->GetVoxel(x, y, z) = static_cast<unsigned short>(std::max(0.f, bx) * 3000 + (state >> 24) * 2);
        }
    return s;
  }();
  return *stack;
}

const Stack& SampleStack() {
  static const std::unique_ptr<Stack> stack = orvview::MakeSampleVolume();
  return *stack;
}

const Stack& StackOf(int which) { return which == 0 ? SampleStack() : LargeStack(); }

// A viewer canvas in a frame of its own over a stack it does not own.
struct VolumeViewer {
  explicit VolumeViewer(const Stack& stack) : mapper(MapperOf(stack)) {
    frame = new wxFrame(nullptr, wxID_ANY, "bench");
    canvas = new orv::orv_ImageOrthoscopeCanvas<unsigned short>(frame, *mapper, const_cast<Stack*>(&stack), false);
    frame->Show();
    bench::Pump();
  }
  ~VolumeViewer() {
    if (wxFrame* volume = canvas->GetVolumeFrame()) volume->Destroy();
    frame->Destroy();
    for (int i = 0; i < 10; ++i) bench::Pump();
  }
  wxFrame* Volume() const { return canvas->GetVolumeFrame(); }
  orv::vol3D_VolVisCanvas* VolumeCanvas() const {
    return dynamic_cast<orv::vol3D_VolVisFrame*>(Volume())->GetCanvas();
  }
  StackMapper mapper;
  wxFrame* frame;
  orv::orv_ImageOrthoscopeCanvas<unsigned short>* canvas;
};

// The window, its GL start-up, the texture and the first frame read back.
void BM_VolumeFirstFrame(benchmark::State& state) {
  const Stack& stack = StackOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto viewer = std::make_unique<VolumeViewer>(stack);
    state.ResumeTiming();
    viewer->canvas->ShowVolVis(wxIconBundle());
    benchmark::DoNotOptimize(orv::vol3D_RenderImage(viewer->Volume()));
    state.PauseTiming();
    viewer.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_VolumeFirstFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// One frame (100 slices) per step of a turn about the vertical axis,
// rendered and read back from the GL back buffer.
void BM_VolumeFrameRotating(benchmark::State& state) {
  VolumeViewer viewer(StackOf(static_cast<int>(state.range(0))));
  viewer.canvas->ShowVolVis(wxIconBundle());
  viewer.Volume()->SetClientSize(600, 600);
  bench::Pump();
  float angle = 0;
  for (auto _ : state) {
    angle += 0.05f;
    viewer.VolumeCanvas()->SetViewAlong(-5.f, bix::Vector3d<float>(std::sin(angle), 0, -std::cos(angle)),
                                        bix::Vector3d<float>(0, 1, 0));
    benchmark::DoNotOptimize(orv::vol3D_RenderImage(viewer.Volume()));
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VolumeFrameRotating)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Turning the model with the mouse in an 800 x 800 window: each step a drag
// motion and its frame read back. Arg 1: 0 the sample, 1 the large stack;
// arg 2: 0 every frame full (the view set directly, as before frames were
// reduced), 1 the frames the drag draws (reduced while it moves).
void BM_VolumeFrameTurning(benchmark::State& state) {
  VolumeViewer viewer(StackOf(static_cast<int>(state.range(0))));
  viewer.canvas->ShowVolVis(wxIconBundle());
  viewer.Volume()->SetClientSize(800, 800);
  bench::Pump();
  orv::vol3D_VolVisCanvas* canvas = viewer.VolumeCanvas();
  const bool dragged = state.range(1) != 0;
  const wxSize size = canvas->GetClientSize();
  wxMouseEvent down(wxEVT_LEFT_DOWN);
  down.m_x = size.x / 2;
  down.m_y = size.y / 2;
  canvas->GetEventHandler()->ProcessEvent(down);
  float angle = 0;
  int step = 0;
  for (auto _ : state) {
    angle += 0.05f;
    if (dragged) {
      wxMouseEvent move(wxEVT_MOTION);
      move.m_x = size.x / 2 + (++step % 40) * 5 - 100;
      move.m_y = size.y / 2;
      move.m_leftDown = true;
      canvas->GetEventHandler()->ProcessEvent(move);
    } else {
      canvas->SetViewAlong(-5.f, bix::Vector3d<float>(std::sin(angle), 0, -std::cos(angle)),
                           bix::Vector3d<float>(0, 1, 0));
    }
    benchmark::DoNotOptimize(orv::vol3D_RenderImage(viewer.Volume()));
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VolumeFrameTurning)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

// Rebuilding the texture after a mapping change: every voxel mapped, the
// opacity, the picking of a reduced stack and the upload.
void BM_UpdateVolVis(benchmark::State& state) {
  VolumeViewer viewer(StackOf(static_cast<int>(state.range(0))));
  viewer.canvas->ShowVolVis(wxIconBundle());
  for (auto _ : state) viewer.canvas->UpdateVolVis();
  const Stack& stack = StackOf(static_cast<int>(state.range(0)));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * sizeof(unsigned short)));
}
BENCHMARK(BM_UpdateVolVis)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The texture alone (the reduction factor the window chooses on llvmpipe:
// 1 for the sample, 2 for the large stack), whole in memory, without window
// or upload (what the volume window took before it took slabs).
void BM_BuildVolumeTexture(benchmark::State& state) {
  const Stack& stack = StackOf(static_cast<int>(state.range(0)));
  const StackMapper mapper = MapperOf(stack);
  const unsigned factor = orv::ChooseVolumeFactor(stack.GetSize(), 2048, orv::kVolumeTextureBudget);
  for (auto _ : state) {
    orv::VolumeTexture texture;
    orv::BuildVolumeTexture(stack, *mapper, factor, texture);
    benchmark::DoNotOptimize(texture.rgba.get());
  }
  state.counters["factor"] = factor;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * sizeof(unsigned short)));
}
BENCHMARK(BM_BuildVolumeTexture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// The slabs as UpdateVolVis makes them, handed to nobody: the mapping's
// share of an update (the rest is the driver's copy).
void BM_StreamVolumeTexture(benchmark::State& state) {
  const Stack& stack = StackOf(static_cast<int>(state.range(0)));
  const StackMapper mapper = MapperOf(stack);
  const unsigned factor = orv::ChooseVolumeFactor(stack.GetSize(), 2048, orv::kVolumeTextureBudget);
  for (auto _ : state) {
    std::size_t planes = 0;
    orv::StreamVolumeTexture(stack, *mapper, factor, [&](unsigned, unsigned n, const std::uint8_t*) { planes += n; });
    benchmark::DoNotOptimize(planes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * sizeof(unsigned short)));
}
BENCHMARK(BM_StreamVolumeTexture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The baseline: one streaming pass reading the stack and writing the
// texture's bytes (4 per padded voxel of the reduced stack: 1 for the sample, 2 for the large one).
void BM_VolumeStreamPass(benchmark::State& state) {
  const Stack& stack = StackOf(static_cast<int>(state.range(0)));
  const unsigned f = orv::ChooseVolumeFactor(stack.GetSize(), 2048, orv::kVolumeTextureBudget);
  const auto out = static_cast<std::size_t>(orv::VolumeTextureBytes(stack.GetSize(), f));
  std::vector<unsigned char> texture(out);
  for (auto _ : state) {
    const std::uint64_t sum = bench::SumWords(stack.begin(), stack.GetVoxelCount() * sizeof(unsigned short));
    std::memset(texture.data(), static_cast<int>(sum & 0x7f), texture.size());
    benchmark::DoNotOptimize(texture.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stack.GetVoxelCount() * sizeof(unsigned short)));
}
BENCHMARK(BM_VolumeStreamPass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
