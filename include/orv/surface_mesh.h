#ifndef ORV_SURFACE_MESH_H
#define ORV_SURFACE_MESH_H

// A triangle mesh of one labelled object, as the isosurface builder makes it
// and the volume window draws it. Needs no toolkit or OpenGL header.

#include <orv/orv_export.h>

#include <cstdint>
#include <vector>

namespace orv {

// Positions in the volume's model space (before the window's mesh offset).
struct ORV_EXPORT vol3D_SurfaceMesh {
  std::vector<float> positions;          // x, y, z per vertex
  std::vector<std::uint32_t> triangles;  // three vertex numbers per triangle
  std::vector<float> normals;            // x, y, z per vertex; empty: no normals
  std::uint32_t label = 0;

  std::size_t VertexCount() const { return positions.size() / 3; }
  std::size_t TriangleCount() const { return triangles.size() / 3; }
};

}  // namespace orv

#endif
