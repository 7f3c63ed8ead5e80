// The isosurface builder on two label volumes of separate ellipsoids, every
// label in one pass, on all cores (slabs 0) and on one (slabs 1):
//   A: 256 x 256 x 256, up to 1000 ellipsoids (about 1.5 million triangles);
//   B: 512 x 512 x 128, up to 5000 ellipsoids (about 6.5 million triangles).
// BM_SmoothSurfaces smooths the meshes of each volume (the volume window's
// "Smooth surfaces", on all cores), to be set against the build's own time.
// The baseline is VTK's vtkDiscreteMarchingCubes over the same volumes, run
// by bench/vtk_baseline.py (one core): with ORV_SURFACE_BENCH_WRITE=<folder>
// set, this program writes each volume there when it first builds it, as
// surface_<a|b>.raw (little-endian uint16, x fastest, then y, then z) and
// surface_<a|b>.txt ("X Y Z" and the highest label).
//
// The volumes are the same on every machine: std::mt19937 with a fixed seed,
// its 32-bit outputs turned into numbers by hand rather than through the
// standard library's distributions, whose results differ between libraries.

#include "isosurface_builder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A label volume, x fastest, labels 1..placed in placement order.
struct LabelVolume {
  unsigned X = 0, Y = 0, Z = 0;
  std::vector<unsigned short> labels;
  unsigned placed = 0;
  unsigned attempts = 0;
  double seconds = 0;  // time taken to place the ellipsoids
};

// Labelled voxels keep off the two outer layers of every face: each
// ellipsoid's bounding box lies in [kBorder, N - 1 - kBorder] on every axis.
constexpr unsigned kBorder = 2;
// Between the voxels of two ellipsoids lie at least this many background
// voxels along every axis (Chebyshev distance > kGap).
constexpr int kGap = 2;

// Uniform in [0, 1) from one 32-bit draw.
double Uniform01(std::mt19937& random) { return random() * (1.0 / 4294967296.0); }

double Uniform(std::mt19937& random, double low, double high) { return low + (high - low) * Uniform01(random); }

// The x run [x0, x1] of an axis-aligned ellipsoid in row (y, z); empty when
// x0 > x1. The ellipsoid is convex, so each row holds one run.
struct Ellipsoid {
  double c[3], r[3];
  void Run(int y, int z, int& x0, int& x1) const {
    const double ty = (y - c[1]) / r[1], tz = (z - c[2]) / r[2];
    const double t = 1 - ty * ty - tz * tz;
    if (t < 0) {
      x0 = 1, x1 = 0;
      return;
    }
    const double half = r[0] * std::sqrt(t);
    x0 = static_cast<int>(std::ceil(c[0] - half));
    x1 = static_cast<int>(std::floor(c[0] + half));
  }
};

// Places up to `wanted` ellipsoids, radii uniform in [3, 10) per axis and
// centres uniform where the whole bounding box keeps off the border, each
// draw taking rx, ry, rz, cx, cy, cz in this order. A candidate with a voxel
// in the forbidden mask (the placed ellipsoids dilated by kGap along each
// axis, a 5 x 5 x 5 cube) is skipped; placement stops at `wanted` or after
// `budget` candidates.
LabelVolume MakeVolume(unsigned X, unsigned Y, unsigned Z, unsigned wanted, unsigned budget, std::uint32_t seed) {
  const auto start = std::chrono::steady_clock::now();
  LabelVolume v;
  v.X = X, v.Y = Y, v.Z = Z;
  const std::size_t S = std::size_t(X) * Y;
  v.labels.assign(S * Z, 0);
  std::vector<std::uint8_t> forbidden(S * Z, 0);
  std::mt19937 random(seed);
  const unsigned size[3] = {X, Y, Z};
  while (v.placed < wanted && v.attempts < budget) {
    ++v.attempts;
    Ellipsoid e;
    for (int a = 0; a < 3; ++a) e.r[a] = Uniform(random, 3, 10);
    for (int a = 0; a < 3; ++a) e.c[a] = Uniform(random, kBorder + e.r[a], size[a] - 1 - kBorder - e.r[a]);
    const int y0 = static_cast<int>(std::ceil(e.c[1] - e.r[1])), y1 = static_cast<int>(std::floor(e.c[1] + e.r[1]));
    const int z0 = static_cast<int>(std::ceil(e.c[2] - e.r[2])), z1 = static_cast<int>(std::floor(e.c[2] + e.r[2]));
    bool fits = true;
    for (int z = z0; z <= z1 && fits; ++z)
      for (int y = y0; y <= y1 && fits; ++y) {
        int x0, x1;
        e.Run(y, z, x0, x1);
        if (x0 > x1) continue;
        const std::uint8_t* row = forbidden.data() + std::size_t(z) * S + std::size_t(y) * X;
        fits = std::all_of(row + x0, row + x1 + 1, [](std::uint8_t f) { return f == 0; });
      }
    if (!fits) continue;
    const unsigned short label = static_cast<unsigned short>(++v.placed);
    for (int z = z0; z <= z1; ++z)
      for (int y = y0; y <= y1; ++y) {
        int x0, x1;
        e.Run(y, z, x0, x1);
        if (x0 > x1) continue;
        std::fill_n(v.labels.data() + std::size_t(z) * S + std::size_t(y) * X + x0, x1 - x0 + 1, label);
        // Every voxel within kGap of the run, clipped to the volume.
        const int fx0 = std::max(x0 - kGap, 0), fx1 = std::min(x1 + kGap, int(X) - 1);
        for (int dz = -kGap; dz <= kGap; ++dz)
          for (int dy = -kGap; dy <= kGap; ++dy) {
            const int fy = y + dy, fz = z + dz;
            if (fy < 0 || fz < 0 || fy >= int(Y) || fz >= int(Z)) continue;
            std::fill_n(forbidden.data() + std::size_t(fz) * S + std::size_t(fy) * X + fx0, fx1 - fx0 + 1, 1);
          }
      }
  }
  v.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return v;
}

// With ORV_SURFACE_BENCH_WRITE set, the volume as raw little-endian uint16
// and its dimensions, for bench/vtk_baseline.py.
void WriteIfAsked(const LabelVolume& v, const char* name) {
  const char* folder = std::getenv("ORV_SURFACE_BENCH_WRITE");
  if (!folder || !*folder) return;
  const std::string base = std::string(folder) + "/surface_" + name;
  std::vector<unsigned char> bytes(2 * v.labels.size());
  for (std::size_t i = 0; i < v.labels.size(); ++i) {
    bytes[2 * i] = static_cast<unsigned char>(v.labels[i] & 0xff);
    bytes[2 * i + 1] = static_cast<unsigned char>(v.labels[i] >> 8);
  }
  bool ok = false;
  if (std::FILE* raw = std::fopen((base + ".raw").c_str(), "wb")) {
    ok = std::fwrite(bytes.data(), 1, bytes.size(), raw) == bytes.size();
    ok = std::fclose(raw) == 0 && ok;
  }
  if (std::FILE* text = std::fopen((base + ".txt").c_str(), "w")) {
    ok = std::fprintf(text, "%u %u %u\n%u\n", v.X, v.Y, v.Z, v.placed) > 0 && ok;
    ok = std::fclose(text) == 0 && ok;
  } else {
    ok = false;
  }
  std::fprintf(stderr, "%s %s.raw and %s.txt\n", ok ? "wrote" : "could not write", base.c_str(), base.c_str());
}

// The candidate budgets are fixed so that the volumes do not depend on how
// soon the wanted count is reached on some other bound.
const LabelVolume& VolumeA() {
  static const LabelVolume v = [] {
    LabelVolume made = MakeVolume(256, 256, 256, 1000, 100000, 1);
    WriteIfAsked(made, "a");
    return made;
  }();
  return v;
}

const LabelVolume& VolumeB() {
  static const LabelVolume v = [] {
    LabelVolume made = MakeVolume(512, 512, 128, 5000, 200000, 2);
    WriteIfAsked(made, "b");
    return made;
  }();
  return v;
}

void BuildSurfaces(benchmark::State& state, const LabelVolume& v) {
  std::vector<unsigned short> components(v.placed);
  for (unsigned i = 0; i < v.placed; ++i) components[i] = static_cast<unsigned short>(i + 1);
  const orv::LabelIndexMap index(components);
  const unsigned slabs = static_cast<unsigned>(state.range(0));
  std::size_t triangles = 0, vertices = 0;
  for (auto _ : state) {
    orv::IsosurfaceBuilder builder;
    if (!builder.Build(v.labels.data(), index, v.X, v.Y, v.Z, 1.0, 1.0, 1.0, slabs)) {
      state.SkipWithError("out of memory");
      return;
    }
    triangles = vertices = 0;
    for (const orv::vol3D_SurfaceMesh& mesh : builder.GetMeshes()) {
      triangles += mesh.TriangleCount();
      vertices += mesh.VertexCount();
    }
    benchmark::DoNotOptimize(triangles);
  }
  state.counters["triangles"] = double(triangles);
  state.counters["vertices"] = double(vertices);
  state.counters["objects"] = double(v.placed);
  state.counters["attempts"] = double(v.attempts);
  state.counters["placing_s"] = v.seconds;
}

// The meshes of a volume, built once.
std::vector<orv::vol3D_SurfaceMesh> MeshesOf(const LabelVolume& v) {
  std::vector<unsigned short> components(v.placed);
  for (unsigned i = 0; i < v.placed; ++i) components[i] = static_cast<unsigned short>(i + 1);
  orv::IsosurfaceBuilder builder;
  builder.Build(v.labels.data(), orv::LabelIndexMap(components), v.X, v.Y, v.Z, 1.0, 1.0, 1.0);
  return builder.TakeMeshes();
}

void BM_SmoothSurfaces(benchmark::State& state) {
  const std::vector<orv::vol3D_SurfaceMesh> built = MeshesOf(state.range(0) == 0 ? VolumeA() : VolumeB());
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<orv::vol3D_SurfaceMesh> meshes = built;
    state.ResumeTiming();
    orv::SmoothSurfaces(meshes);
    benchmark::DoNotOptimize(meshes.data());
  }
  std::size_t vertices = 0;
  for (const orv::vol3D_SurfaceMesh& mesh : built) vertices += mesh.VertexCount();
  state.counters["vertices"] = double(vertices);
}
BENCHMARK(BM_SmoothSurfaces)->Arg(0)->Arg(1)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_IsosurfaceA(benchmark::State& state) { BuildSurfaces(state, VolumeA()); }
BENCHMARK(BM_IsosurfaceA)->Arg(0)->Arg(1)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_IsosurfaceB(benchmark::State& state) { BuildSurfaces(state, VolumeB()); }
BENCHMARK(BM_IsosurfaceB)->Arg(0)->Arg(1)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
