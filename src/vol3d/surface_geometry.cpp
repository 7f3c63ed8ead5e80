#include "surface_geometry.h"

#include <bix/ParallelRuns.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>

namespace orv {

namespace {

// Taubin's pass band: lambda 0.5 with mu -0.53 keeps low frequencies (the
// object's shape) and damps the one-voxel steps.
constexpr float kLambda = 0.5f;
constexpr float kMu = -0.53f;

// Each vertex's neighbours, as compressed rows: those of v are at
// [first[v], first[v + 1]). A closed, consistently oriented mesh (what the
// isosurface builder makes) meets each neighbour of v once as the corner
// after v in one of v's triangles, so no neighbour is counted twice; an
// open edge only weighs its end a little less.
struct Neighbours {
  std::vector<std::uint32_t> first, of;
};

Neighbours NeighboursOf(const vol3D_SurfaceMesh& mesh) {
  const std::size_t n = mesh.VertexCount();
  const std::vector<std::uint32_t>& t = mesh.triangles;
  Neighbours nb;
  nb.first.assign(n + 1, 0);
  for (std::uint32_t v : t) ++nb.first[v + 1];
  for (std::size_t v = 0; v < n; ++v) nb.first[v + 1] += nb.first[v];
  nb.of.resize(nb.first[n]);
  std::vector<std::uint32_t> fill(nb.first.begin(), nb.first.end() - 1);
  for (std::size_t k = 0; k + 2 < t.size(); k += 3)
    for (int e = 0; e < 3; ++e) nb.of[fill[t[k + e]]++] = t[k + (e + 1) % 3];
  return nb;
}

// One pass: every vertex moved by `factor` towards its neighbours' mean.
void MoveTowardsNeighbours(const Neighbours& nb, float factor, const std::vector<float>& from,
                           std::vector<float>& to) {
  const std::size_t n = nb.first.size() - 1;
  const float* p = from.data();
  float* out = to.data();
  for (std::size_t v = 0; v < n; ++v) {
    const std::uint32_t begin = nb.first[v], end = nb.first[v + 1];
    const float* at = p + 3 * v;
    if (begin == end) {
      out[3 * v] = at[0], out[3 * v + 1] = at[1], out[3 * v + 2] = at[2];
      continue;
    }
    float x = 0, y = 0, z = 0;
    for (std::uint32_t k = begin; k < end; ++k) {
      const float* q = p + 3 * std::size_t(nb.of[k]);
      x += q[0], y += q[1], z += q[2];
    }
    const float share = factor / float(end - begin);
    out[3 * v] = at[0] + (x * share - factor * at[0]);
    out[3 * v + 1] = at[1] + (y * share - factor * at[1]);
    out[3 * v + 2] = at[2] + (z * share - factor * at[2]);
  }
}

}  // namespace

void ComputeVertexNormals(vol3D_SurfaceMesh& mesh) {
  const std::vector<float>& p = mesh.positions;
  std::vector<double> sum(p.size(), 0.0);
  for (std::size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
    const std::size_t i0 = 3 * std::size_t(mesh.triangles[t]), i1 = 3 * std::size_t(mesh.triangles[t + 1]),
                      i2 = 3 * std::size_t(mesh.triangles[t + 2]);
    const double u[3] = {double(p[i2]) - p[i0], double(p[i2 + 1]) - p[i0 + 1], double(p[i2 + 2]) - p[i0 + 2]};
    const double v[3] = {double(p[i1]) - p[i0], double(p[i1 + 1]) - p[i0 + 1], double(p[i1 + 2]) - p[i0 + 2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    for (std::size_t i : {i0, i1, i2})
      for (int a = 0; a < 3; ++a) sum[i + a] += n[a];
  }
  mesh.normals.resize(p.size());
  for (std::size_t i = 0; i < p.size(); i += 3) {
    const double length = std::sqrt(sum[i] * sum[i] + sum[i + 1] * sum[i + 1] + sum[i + 2] * sum[i + 2]);
    // Opposite triangles can cancel (a sheet one voxel thin): such a vertex
    // still needs a normal the renderer can light.
    if (length > 0) {
      for (int a = 0; a < 3; ++a) mesh.normals[i + a] = static_cast<float>(sum[i + a] / length);
    } else {
      mesh.normals[i] = 0, mesh.normals[i + 1] = 0, mesh.normals[i + 2] = 1;
    }
  }
}

void SmoothSurface(vol3D_SurfaceMesh& mesh, unsigned iterations) {
  if (mesh.triangles.empty() || iterations == 0) return;
  const Neighbours nb = NeighboursOf(mesh);
  std::vector<float> moved(mesh.positions.size());
  for (unsigned i = 0; i < iterations; ++i) {
    MoveTowardsNeighbours(nb, kLambda, mesh.positions, moved);
    MoveTowardsNeighbours(nb, kMu, moved, mesh.positions);
  }
  ComputeVertexNormals(mesh);
}

void SmoothSurfaces(std::vector<vol3D_SurfaceMesh>& meshes, unsigned iterations) {
  std::size_t vertices = 0;
  for (const vol3D_SurfaceMesh& mesh : meshes) vertices += mesh.VertexCount();
  // Meshes of very different sizes: each run takes the next mesh not yet
  // taken, so that one large mesh does not keep the others waiting.
  const std::size_t runs = std::min(bix::RunsFor(vertices, std::size_t(1) << 14), std::max<std::size_t>(meshes.size(), 1));
  std::atomic<std::size_t> next(0);
  bix::ForEachRun(runs, runs, [&](std::size_t, std::size_t, std::size_t) {
    for (std::size_t m = next++; m < meshes.size(); m = next++) SmoothSurface(meshes[m], iterations);
  });
}

}  // namespace orv
