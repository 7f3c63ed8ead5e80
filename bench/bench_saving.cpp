// Saving pictures of a 1024 x 1024 x 256 16-bit stack (noise: the worst case
// for compression): a gallery of 64 XY slices in 8 columns and the composite
// view of the three windows at zoom level 0, each against the encoding of
// the same picture alone (the share the file's compression takes) and a
// memcpy of its bytes. Needs an X display: run it through scripts/bench.

#include "bench_viewer.h"

#include <orv/orv_factory.h>
#include <orv/orv_imagecanvas.h>

#include <bix/ImageIO.h>

#include <benchmark/benchmark.h>

#include <wx/evtloop.h>
#include <wx/wx.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Stack = bix::Image3d<unsigned short>;
using Picture = bix::Image3d<bix::RGB_generic<unsigned char>>;

std::string Scratch(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

using bench::Pump;

// A viewer from the factory (the real mapping module) whose windows show the
// whole stack at zoom level 0: XY 1024 x 1024, XZ 1024 x 256, YZ 256 x 1024.
struct SavingViewer {
  SavingViewer() {
    const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
    auto* stack = new Stack(bix::Vector3d<unsigned>(1024, 1024, 256), nullptr, &res);
    std::uint32_t state = 11;
    for (unsigned short& v : *stack) {
      state = state * 1664525u + 1013904223u;
      v = static_cast<unsigned short>(state >> 16);
    }
    frame = orv::orv_CreateImage3dFrame<unsigned short>(stack, true, nullptr, wxID_ANY, "bench");
    frame->SetClientSize(1414, 1414);
    canvas = frame->GetCanvas();
    frame->Show();
    for (int i = 0; i < 400 && !canvas->GetDrWin(orv::PROJ_XY)->IsShownOnScreen(); ++i) {
      Pump();
      wxMilliSleep(5);
    }
    canvas->SetSize(frame->GetClientSize());
  }
  ~SavingViewer() {
    frame->Destroy();
    for (int i = 0; i < 10; ++i) Pump();
  }
  orv::orv_OrthoscopeFrame* frame;
  orv::orv_OrthoscopeCanvas* canvas;
};

void Label(benchmark::State& state, const std::string& file) {
  Picture picture;
  bix::ReadImage(file, picture);
  state.counters["picture_px"] = static_cast<double>(picture.GetVoxelCount());
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}

void BM_SaveGallery64(benchmark::State& state) {
  SavingViewer v;
  for (auto _ : state) v.canvas->SaveGalleryView(Scratch("orv-bench-gallery.tif").c_str(), 0, 252, 4, false, 8, 10);
  Label(state, Scratch("orv-bench-gallery.tif"));
}

void BM_SaveCompositeView(benchmark::State& state) {
  SavingViewer v;
  const wxSize xy = v.canvas->GetDrWin(orv::PROJ_XY)->GetClientSize();
  if (xy != wxSize(1024, 1024)) state.SkipWithError("the XY window is not 1024 x 1024: run under scripts/bench");
  for (auto _ : state) v.canvas->SaveActualView(Scratch("orv-bench-view.tif").c_str(), 10, orv::PROJ_ALL);
  Label(state, Scratch("orv-bench-view.tif"));
}

// The same picture as the operation wrote, only encoded and written.
void Encode(benchmark::State& state, const std::string& file) {
  Picture picture;
  bix::ReadImage(file, picture);
  for (auto _ : state) picture.SaveImage(Scratch("orv-bench-encode.tif"), 0, true);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * picture.GetVoxelCount() * 3));
}

void BM_EncodeGalleryPicture(benchmark::State& state) { Encode(state, Scratch("orv-bench-gallery.tif")); }
void BM_EncodeCompositePicture(benchmark::State& state) { Encode(state, Scratch("orv-bench-view.tif")); }

void BM_MemcpyGalleryPicture(benchmark::State& state) {
  Picture picture;
  bix::ReadImage(Scratch("orv-bench-gallery.tif"), picture);
  const std::size_t bytes = picture.GetVoxelCount() * 3;
  std::vector<unsigned char> to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), picture.GetFirstVoxelAddr(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

BENCHMARK(BM_SaveGallery64)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EncodeGalleryPicture)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MemcpyGalleryPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveCompositeView)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_EncodeCompositePicture)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
