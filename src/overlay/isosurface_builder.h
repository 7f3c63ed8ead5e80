#ifndef ORV_SRC_OVERLAY_ISOSURFACE_BUILDER_H
#define ORV_SRC_OVERLAY_ISOSURFACE_BUILDER_H

// Surfaces of every labelled object of a label volume at once, by marching
// cubes over the label voxels. Display-free.
//
// Cells are visited z outermost, then the row counter j, then x; cell
// (x, j, z) has its corner 0 at voxel (x, Y-1-j, z), so model y grows
// towards image row 0. Model positions: voxel (x, y, z) lies at
// (x sx, (Y-1-y) sy, z sz). Each cut cell edge gives one vertex per object,
// at its midpoint; an object's vertices are numbered in the order of their
// edge keys (3 P + axis, P the index of the edge's key voxel) and its
// triangles come in cell order. The normal of a vertex is the normalised sum
// of (p2 - p0) x (p1 - p0) over its triangles.

#include "label_index_map.h"
#include "surface_geometry.h"

#include <orv/surface_mesh.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

class IsosurfaceBuilder {
public:
  // Builds one mesh per component of `index` (in its order, with its label)
  // from X * Y * Z label voxels, x fastest. `slabs`: how many runs share the
  // work (0: one per core); the meshes do not depend on it. False, with no
  // result, when the memory cannot be had.
  // What a build shows to another thread and obeys: the cell layers done
  // (of Z - 1), and a request to stop (Build then returns false).
  struct Progress {
    std::atomic<std::size_t> layers{0};
    std::atomic<bool> cancel{false};
  };
  template <class L>
  bool Build(const L* voxels, const LabelIndexMap& index, unsigned X, unsigned Y, unsigned Z, double spacingX,
             double spacingY, double spacingZ, unsigned slabs = 0, Progress* progress = nullptr);

  bool IsBuilt() const { return m_built; }
  // Whether the last build stopped because its progress asked it to.
  bool WasCancelled() const { return m_cancelled; }
  const std::vector<vol3D_SurfaceMesh>& GetMeshes() const { return m_meshes; }
  std::vector<vol3D_SurfaceMesh> TakeMeshes();
  void Clear();

  // Voxels whose label is not in the component list are left out as
  // background; this is the smallest such label met (0: none).
  std::uint64_t GetUnlistedLabel() const { return m_unlisted; }

private:
  std::vector<vol3D_SurfaceMesh> m_meshes;
  std::uint64_t m_unlisted = 0;
  bool m_built = false;
  bool m_cancelled = false;
};

}  // namespace orv

#endif
