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

#include <orv/surface_mesh.h>

#include <bix/Vector3d.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

// The component index of each label: its place in a component list.
class LabelIndexMap {
public:
  static constexpr std::uint32_t kNone = 0xffffffffu;

  template <class L>
  explicit LabelIndexMap(const std::vector<L>& components);

  // The index of `label`; kNone for 0 and for labels not in the list (the
  // first place counts when a label is listed twice).
  std::uint32_t operator()(std::uint64_t label) const {
    if (label < m_dense.size()) return m_dense[label];
    return label == 0 ? kNone : Search(label);
  }
  std::size_t Count() const { return m_labels.size(); }
  std::uint64_t LabelAt(std::size_t index) const { return m_labels[index]; }

private:
  std::uint32_t Search(std::uint64_t label) const;

  std::vector<std::uint64_t> m_labels;
  std::vector<std::uint32_t> m_dense;                            // by label, up to a bound
  std::vector<std::pair<std::uint64_t, std::uint32_t>> m_sparse;  // the rest, sorted
};

class IsosurfaceBuilder {
public:
  // Builds one mesh per component of `index` (in its order, with its label)
  // from X * Y * Z label voxels, x fastest. `slabs`: how many runs share the
  // work (0: one per core); the meshes do not depend on it. False, with no
  // result, when the memory cannot be had.
  template <class L>
  bool Build(const L* voxels, const LabelIndexMap& index, unsigned X, unsigned Y, unsigned Z, double spacingX,
             double spacingY, double spacingZ, unsigned slabs = 0);

  bool IsBuilt() const { return m_built; }
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
};

// A volume's place in microns: voxel i of an axis starts at offset + i / r.
struct VolumeGeometry {
  bix::Vector3d<unsigned> size;
  bix::Vector3d<float> offset;
  bix::Vector3d<float> resolution;  // voxels per micron
};

// Spacing and offset that put the surfaces built from `labels` where the
// volume window shows `image`: its model box holds the image's longest
// physical side L from -1 to 1 (one image voxel step along axis a is
// 2 / (L r_a)), image voxel centres lie where the volume texture shows them
// (the middle of an axis at 0), and image row 0 at the high end of model y.
// Labels of the image's own geometry get spacing 2 / (L r_a) and offset
// -spacing (N - 1) / 2 on x and z and the same on y.
struct SurfacePlacement {
  double spacing[3];
  bix::Vector3d<float> offset;
};
SurfacePlacement PlaceSurfaces(const VolumeGeometry& image, const VolumeGeometry& labels);

// The normals of a mesh from its positions and triangles, as described above;
// a vertex whose sum is zero gets (0, 0, 1).
void ComputeVertexNormals(vol3D_SurfaceMesh& mesh);

}  // namespace orv

#endif
