#ifndef ORV_TESTS_OVERLAY_ISOSURFACE_REFERENCE_H
#define ORV_TESTS_OVERLAY_ISOSURFACE_REFERENCE_H

// Marching cubes over all labels exactly as the textbook formulation goes:
// one ordered map of edge keys per component, filled cell by cell. Slow and
// plain on purpose: the fast builder must produce the same meshes.

#include "marching_cubes_tables.h"

#include <orv/surface_mesh.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace orvtest {

template <class L>
std::vector<orv::vol3D_SurfaceMesh> ReferenceIsosurfaces(const L* voxels, const std::vector<L>& components,
                                                         unsigned X, unsigned Y, unsigned Z, double sx, double sy,
                                                         double sz) {
  std::map<L, std::uint32_t> indexOf;
  for (std::uint32_t i = 0; i < components.size(); ++i) indexOf.emplace(components[i], i);
  struct Vertex {
    double p[3];
    std::uint32_t number = 0;
  };
  struct Record {
    unsigned configuration = 255;
    std::map<std::uint64_t, Vertex> vertices;
    std::vector<std::array<std::uint64_t, 3>> triangles;
  };
  std::vector<Record> records(components.size());
  const auto& edgeTable = orv::MarchingCubesEdgeTable();
  const auto& triangleTable = orv::MarchingCubesTriangleTable();
  const std::uint64_t W = X, S = std::uint64_t(X) * Y;
  if (X > 1 && Y > 1 && Z > 1)
    for (unsigned z = 0; z + 1 < Z; ++z)
      for (unsigned j = 0; j + 1 < Y; ++j)
        for (unsigned x = 0; x + 1 < X; ++x) {
          const unsigned y = Y - 1 - j;
          const std::uint64_t P = x + W * y + S * z;
          const std::uint64_t corner[8] = {P, P - W, P - W + 1, P + 1, P + S, P - W + S, P - W + 1 + S, P + 1 + S};
          const int step[8][3] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0},
                                  {0, 0, 1}, {0, 1, 1}, {1, 1, 1}, {1, 0, 1}};
          std::set<std::uint32_t> present;
          for (int k = 0; k < 8; ++k) {
            const L label = voxels[corner[k]];
            if (label == 0) continue;
            const auto it = indexOf.find(label);
            if (it == indexOf.end()) continue;
            records[it->second].configuration ^= 1u << k;
            present.insert(it->second);
          }
          const std::uint64_t key[12] = {3 * P + 1,     3 * (P - W),     3 * (P + 1) + 1,         3 * P,
                                         3 * (P + S) + 1, 3 * (P - W + S), 3 * (P + S + 1) + 1,     3 * (P + S),
                                         3 * P + 2,     3 * (P - W) + 2, 3 * (P - W + 1) + 2,     3 * (P + 1) + 2};
          for (std::uint32_t c : present) {
            Record& record = records[c];
            const unsigned n = record.configuration;
            for (int e = 0; e < 12; ++e) {
              if (!(edgeTable[n] >> e & 1) || record.vertices.count(key[e])) continue;
              Vertex v;
              const int a = orv::kCubeEdgeCorners[e][0], b = orv::kCubeEdgeCorners[e][1];
              const double spacing[3] = {sx, sy, sz};
              const unsigned origin[3] = {x, j, z};
              for (int d = 0; d < 3; ++d)
                v.p[d] = ((origin[d] + step[a][d]) * spacing[d] + (origin[d] + step[b][d]) * spacing[d]) / 2;
              record.vertices.emplace(key[e], v);
            }
            for (int t = 0; triangleTable[n][t] >= 0; t += 3)
              record.triangles.push_back(
                  {key[triangleTable[n][t]], key[triangleTable[n][t + 1]], key[triangleTable[n][t + 2]]});
            record.configuration = 255;
          }
        }
  std::vector<orv::vol3D_SurfaceMesh> meshes(components.size());
  for (std::size_t c = 0; c < records.size(); ++c) {
    orv::vol3D_SurfaceMesh& mesh = meshes[c];
    mesh.label = components[c];
    std::uint32_t number = 0;
    for (auto& entry : records[c].vertices) {
      entry.second.number = number++;
      for (double p : entry.second.p) mesh.positions.push_back(static_cast<float>(p));
    }
    for (const auto& triangle : records[c].triangles)
      for (std::uint64_t k : triangle) mesh.triangles.push_back(records[c].vertices.at(k).number);
    std::vector<double> sum(mesh.positions.size(), 0.0);
    const std::vector<float>& p = mesh.positions;
    for (std::size_t t = 0; t < mesh.triangles.size(); t += 3) {
      const std::size_t i0 = 3 * std::size_t(mesh.triangles[t]), i1 = 3 * std::size_t(mesh.triangles[t + 1]),
                        i2 = 3 * std::size_t(mesh.triangles[t + 2]);
      const double u[3] = {double(p[i2]) - p[i0], double(p[i2 + 1]) - p[i0 + 1], double(p[i2 + 2]) - p[i0 + 2]};
      const double v[3] = {double(p[i1]) - p[i0], double(p[i1 + 1]) - p[i0 + 1], double(p[i1 + 2]) - p[i0 + 2]};
      const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
      for (std::size_t i : {i0, i1, i2})
        for (int a = 0; a < 3; ++a) sum[i + a] += n[a];
    }
    for (std::size_t i = 0; i < sum.size(); i += 3) {
      const double length = std::sqrt(sum[i] * sum[i] + sum[i + 1] * sum[i + 1] + sum[i + 2] * sum[i + 2]);
      for (int a = 0; a < 3; ++a)
        mesh.normals.push_back(length > 0 ? static_cast<float>(sum[i + a] / length) : (a == 2 ? 1.0f : 0.0f));
    }
  }
  return meshes;
}

}  // namespace orvtest

#endif
