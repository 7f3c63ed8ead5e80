#include "isosurface_builder.h"

#include "marching_cubes_tables.h"

#include <bix/ParallelRuns.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace orv {

// ---------------------------------------------------------------------------
// The builder
//
// Instead of an ordered map of edge keys per object, vertices come from a
// scan of the voxel edges in key order: an edge is cut for an object exactly
// when one of its two voxels belongs to it, so each object's vertices arrive
// already numbered in key order. The scan of a slice leaves each vertex
// number in a slice-sized cache (per axis, one slot per end of the edge), and
// the cells between two scanned slices read their triangles' vertex numbers
// from there. Cells whose eight corners hold one label are skipped a row at a
// time. Slabs of cell layers run on separate cores; each also numbers the
// first slice of the next slab, continuing its own count, so its triangles
// there already point at the right vertices once the slabs are joined.

namespace {

// Where a cell edge's key voxel lies from the cell's corner 0 (dy in image
// rows: -1 is the row above), its axis, and which corner is the key voxel.
struct CellEdge {
  int dx, dy, dz, axis, keyCorner;
};
constexpr CellEdge kCellEdges[12] = {
    {0, 0, 0, 1, 0}, {0, -1, 0, 0, 1}, {1, 0, 0, 1, 3},  {0, 0, 0, 0, 0},  {0, 0, 1, 1, 4},  {0, -1, 1, 0, 5},
    {1, 0, 1, 1, 7}, {0, 0, 1, 0, 4},  {0, 0, 0, 2, 0},  {0, -1, 0, 2, 1}, {1, -1, 0, 2, 2}, {1, 0, 0, 2, 3},
};

// Calls visit(x) for each nonzero byte of flags[0, n); flags is padded with
// zeros to a multiple of 8.
template <class Visit>
inline void ForEachFlagged(const std::uint8_t* flags, std::size_t n, Visit visit) {
  for (std::size_t x0 = 0; x0 < n; x0 += 8) {
    std::uint64_t word;
    std::memcpy(&word, flags + x0, 8);
    while (word) {
      const unsigned byte = static_cast<unsigned>(__builtin_ctzll(word)) / 8;
      visit(x0 + byte);
      word &= ~(std::uint64_t(0xff) << (8 * byte));
    }
  }
}

template <class L>
class SlabBuilder {
public:
  SlabBuilder(const L* voxels, const LabelIndexMap& index, unsigned X, unsigned Y, unsigned Z, const double spacing[3])
      : m_voxels(voxels),
        m_index(index),
        m_X(X),
        m_Y(Y),
        m_Z(Z),
        m_S(std::size_t(X) * Y),
        m_spacing{spacing[0], spacing[1], spacing[2]},
        m_positions(index.Count()),
        m_triangles(index.Count()),
        m_counts(index.Count(), 0),
        m_cache(12 * m_S),
        m_flags((X + 7) / 8 * 8 + 8, 0) {}

  // Cell layers [z0, z1); `last`: the slab ends at the volume's last slice.
  // False when `progress` asked to stop.
  bool Run(unsigned z0, unsigned z1, bool last, IsosurfaceBuilder::Progress* progress) {
    ScanSlice(z0, true);
    for (unsigned z = z0; z < z1; ++z) {
      if (progress && progress->cancel) return false;
      ScanSlice(z + 1, last || z + 1 < z1);
      CellLayer(z);
      if (progress) ++progress->layers;
    }
    return true;
  }

  std::vector<std::vector<float>>& Positions() { return m_positions; }
  std::vector<std::vector<std::uint32_t>>& Triangles() { return m_triangles; }
  std::uint64_t Unlisted() const { return m_unlisted; }

private:
  std::uint32_t IndexOf(L label) {
    if (label == 0) return LabelIndexMap::kNone;
    const std::uint32_t i = m_index(label);
    if (i == LabelIndexMap::kNone && (m_unlisted == 0 || label < m_unlisted)) m_unlisted = label;
    return i;
  }

  std::uint32_t* Cache(unsigned slice, int axis, int slot) {
    return m_cache.data() + ((slice & 1) * 6 + axis * 2 + slot) * m_S;
  }

  void AddVertex(std::uint32_t component, std::uint32_t* slot, std::size_t q, bool keep, unsigned x, unsigned y,
                 unsigned z, int axis) {
    slot[q] = m_counts[component]++;
    if (!keep) return;
    const unsigned j = m_Y - 1 - y;
    double p[3] = {x * m_spacing[0], j * m_spacing[1], z * m_spacing[2]};
    const unsigned next[3] = {x + 1, j + 1, z + 1};
    p[axis] = (p[axis] + next[axis] * m_spacing[axis]) / 2;
    std::vector<float>& out = m_positions[component];
    out.resize(out.size() + 3);
    float* to = out.data() + out.size() - 3;
    to[0] = static_cast<float>(p[0]), to[1] = static_cast<float>(p[1]), to[2] = static_cast<float>(p[2]);
  }

  // Numbers the vertices of every edge keyed in slice s, in key order. With
  // keep false only the numbers are made (the slice belongs to the next slab).
  void ScanSlice(unsigned s, bool keep) {
    const L* slice = m_voxels + s * m_S;
    const bool deeper = s + 1 < m_Z;
    std::uint8_t* flags = m_flags.data();
    std::uint32_t* cache[3][2];
    for (int a = 0; a < 3; ++a)
      for (int slot = 0; slot < 2; ++slot) cache[a][slot] = Cache(s, a, slot);
    // A local copy of the row length: writes through `flags` might alias
    // the member as far as the compiler knows, which keeps these loops from
    // being vectorised.
    const unsigned X = m_X;
    for (unsigned y = 0; y < m_Y; ++y) {
      const L* row = slice + std::size_t(y) * X;
      const L* above = y > 0 ? row - X : row;
      const L* below = deeper ? row + m_S : row;
      for (unsigned x = 0; x + 1 < X; ++x) flags[x] = row[x] != row[x + 1];
      flags[X - 1] = 0;
      if (y > 0)
        for (unsigned x = 0; x < X; ++x) flags[x] |= std::uint8_t((row[x] != above[x]) << 1);
      if (deeper)
        for (unsigned x = 0; x < X; ++x) flags[x] |= std::uint8_t((row[x] != below[x]) << 2);
      ForEachFlagged(flags, X, [&](std::size_t x) {
        const std::size_t q = std::size_t(y) * X + x;
        const std::uint32_t a = IndexOf(row[x]);
        const L others[3] = {flags[x] & 1 ? row[x + 1] : L(0), flags[x] & 2 ? above[x] : L(0),
                             flags[x] & 4 ? below[x] : L(0)};
        for (int axis = 0; axis < 3; ++axis) {
          if (!(flags[x] >> axis & 1)) continue;
          const std::uint32_t b = IndexOf(others[axis]);
          if (a != LabelIndexMap::kNone) AddVertex(a, cache[axis][0], q, keep, unsigned(x), y, s, axis);
          if (b != LabelIndexMap::kNone) AddVertex(b, cache[axis][1], q, keep, unsigned(x), y, s, axis);
        }
      });
    }
  }

  // The cells between slices z and z + 1: j = 0 .. Y-2 (image rows from
  // the last upwards), x ascending.
  void CellLayer(unsigned z) {
    const auto& triangleTable = MarchingCubesTriangleTable();
    std::uint8_t* flags = m_flags.data();
    const std::uint32_t* caches[2][6];
    for (int dz = 0; dz < 2; ++dz)
      for (int k = 0; k < 6; ++k) caches[dz][k] = Cache(z + dz, k / 2, k % 2);
    const unsigned X = m_X;  // see ScanSlice
    for (unsigned j = 0; j + 1 < m_Y; ++j) {
      const unsigned y = m_Y - 1 - j;
      const L* r0 = m_voxels + z * m_S + std::size_t(y) * X;
      const L* r1 = r0 - X;
      const L* r4 = r0 + m_S;
      const L* r5 = r1 + m_S;
      // A column is mixed when its four voxels differ; a cell is skipped
      // when both its columns are one label and the same one.
      for (unsigned x = 0; x < X; ++x)
        flags[x] = std::uint8_t((r0[x] != r1[x]) | (r0[x] != r4[x]) | (r0[x] != r5[x]));
      for (unsigned x = 0; x + 1 < X; ++x) flags[x] = std::uint8_t(flags[x] | flags[x + 1] | (r0[x] != r0[x + 1]));
      flags[X - 1] = 0;
      ForEachFlagged(flags, X - 1, [&](std::size_t x) {
        const L corner[8] = {r0[x], r1[x], r1[x + 1], r0[x + 1], r4[x], r5[x], r5[x + 1], r4[x + 1]};
        std::uint32_t components[8];
        unsigned masks[8];
        unsigned count = 0;
        L lastLabel = 0;
        std::uint32_t lastIndex = LabelIndexMap::kNone;
        for (unsigned k = 0; k < 8; ++k) {
          if (corner[k] == 0) continue;
          if (corner[k] != lastLabel) lastLabel = corner[k], lastIndex = IndexOf(corner[k]);
          if (lastIndex == LabelIndexMap::kNone) continue;
          unsigned i = 0;
          while (i < count && components[i] != lastIndex) ++i;
          if (i == count) components[count] = lastIndex, masks[count++] = 0;
          masks[i] |= 1u << k;
        }
        for (unsigned i = 0; i < count; ++i) {
          const unsigned n = 255u ^ masks[i];
          const TriangleRow& row = triangleTable[n];
          std::vector<std::uint32_t>& out = m_triangles[components[i]];
          for (int t = 0; row[t] >= 0; ++t) {
            const CellEdge& e = kCellEdges[row[t]];
            const int slot = (n >> e.keyCorner) & 1;
            const std::size_t q = std::size_t(y + e.dy) * X + x + e.dx;
            out.push_back(caches[e.dz][e.axis * 2 + slot][q]);
          }
        }
      });
    }
  }

  const L* m_voxels;
  const LabelIndexMap& m_index;
  unsigned m_X, m_Y, m_Z;
  std::size_t m_S;
  double m_spacing[3];
  std::vector<std::vector<float>> m_positions;
  std::vector<std::vector<std::uint32_t>> m_triangles;
  std::vector<std::uint32_t> m_counts;
  std::vector<std::uint32_t> m_cache;
  std::vector<std::uint8_t> m_flags;
  std::uint64_t m_unlisted = 0;
};

}  // namespace

void IsosurfaceBuilder::Clear() {
  m_meshes.clear();
  m_unlisted = 0;
  m_built = false;
  m_cancelled = false;
}

std::vector<vol3D_SurfaceMesh> IsosurfaceBuilder::TakeMeshes() {
  std::vector<vol3D_SurfaceMesh> meshes = std::move(m_meshes);
  Clear();
  return meshes;
}

template <class L>
bool IsosurfaceBuilder::Build(const L* voxels, const LabelIndexMap& index, unsigned X, unsigned Y, unsigned Z,
                              double spacingX, double spacingY, double spacingZ, unsigned slabs,
                              Progress* progress) {
  Clear();
  try {
    const std::size_t components = index.Count();
    m_meshes.resize(components);
    for (std::size_t i = 0; i < components; ++i) m_meshes[i].label = static_cast<std::uint32_t>(index.LabelAt(i));
    if (X < 2 || Y < 2 || Z < 2 || !voxels) {
      m_built = true;
      return true;
    }
    const std::size_t layers = Z - 1;
    const std::size_t runs =
        std::min<std::size_t>(layers, slabs ? slabs : bix::RunsFor(std::size_t(X) * Y * Z, std::size_t(1) << 20));
    const double spacing[3] = {spacingX, spacingY, spacingZ};
    std::vector<std::unique_ptr<SlabBuilder<L>>> parts(runs);
    std::atomic<bool> failed(false), cancelled(false);
    bix::ForEachRun(layers, runs, [&](std::size_t r, std::size_t begin, std::size_t end) {
      try {
        parts[r] = std::make_unique<SlabBuilder<L>>(voxels, index, X, Y, Z, spacing);
        if (!parts[r]->Run(unsigned(begin), unsigned(end), end == layers, progress)) cancelled = true;
      } catch (const std::bad_alloc&) {
        failed = true;
      }
    });
    if (failed || cancelled) {
      Clear();
      m_cancelled = cancelled && !failed;
      return false;
    }
    for (const auto& part : parts)
      if (part->Unlisted() && (m_unlisted == 0 || part->Unlisted() < m_unlisted)) m_unlisted = part->Unlisted();

    // Join the slabs object by object: positions in slab order, triangle
    // numbers shifted by the vertices of the slabs before.
    bix::ForEachRun(components, std::min<std::size_t>(runs, std::max<std::size_t>(components, 1)),
                    [&](std::size_t, std::size_t begin, std::size_t end) {
                      try {
                        for (std::size_t c = begin; c < end; ++c) {
                          vol3D_SurfaceMesh& mesh = m_meshes[c];
                          std::size_t vertices = 0, corners = 0;
                          for (const auto& part : parts) {
                            vertices += part->Positions()[c].size();
                            corners += part->Triangles()[c].size();
                          }
                          mesh.positions.reserve(vertices);
                          mesh.triangles.reserve(corners);
                          for (const auto& part : parts) {
                            const std::uint32_t offset = static_cast<std::uint32_t>(mesh.positions.size() / 3);
                            // Each slab's share goes as soon as it is copied:
                            // the peak stays near the meshes' own size.
                            std::vector<float>& positions = part->Positions()[c];
                            mesh.positions.insert(mesh.positions.end(), positions.begin(), positions.end());
                            std::vector<float>().swap(positions);
                            std::vector<std::uint32_t>& triangles = part->Triangles()[c];
                            for (std::uint32_t& vertex : triangles) vertex += offset;
                            mesh.triangles.insert(mesh.triangles.end(), triangles.begin(), triangles.end());
                            std::vector<std::uint32_t>().swap(triangles);
                          }
                          ComputeVertexNormals(mesh);
                        }
                      } catch (const std::bad_alloc&) {
                        failed = true;
                      }
                    });
    if (failed) {
      Clear();
      return false;
    }
  } catch (const std::bad_alloc&) {
    Clear();
    return false;
  }
  m_built = true;
  return true;
}

template bool IsosurfaceBuilder::Build<unsigned short>(const unsigned short*, const LabelIndexMap&, unsigned, unsigned,
                                                       unsigned, double, double, double, unsigned, Progress*);
template bool IsosurfaceBuilder::Build<unsigned int>(const unsigned int*, const LabelIndexMap&, unsigned, unsigned,
                                                     unsigned, double, double, double, unsigned, Progress*);

}  // namespace orv
