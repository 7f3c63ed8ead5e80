#ifndef ORV_SRC_VOL3D_SURFACE_GEOMETRY_H
#define ORV_SRC_VOL3D_SURFACE_GEOMETRY_H

// The geometry of surface meshes beyond their building: vertex normals and
// smoothing. Display-free.

#include <orv/surface_mesh.h>

#include <vector>

namespace orv {

// The normal of each vertex: the normalised sum of (p2 - p0) x (p1 - p0)
// over its triangles; a vertex whose sum is zero gets (0, 0, 1).
void ComputeVertexNormals(vol3D_SurfaceMesh& mesh);

// Taubin's lambda|mu smoothing: each iteration moves every vertex towards the
// mean of its neighbours (lambda) and then back from it a little more
// strongly (mu), which takes the voxel staircase off a surface built from
// labels while keeping its volume, where plain averaging would shrink it.
// The normals are computed again. Meshes without triangles stay as they are.
constexpr unsigned kSmoothingIterations = 8;
void SmoothSurface(vol3D_SurfaceMesh& mesh, unsigned iterations = kSmoothingIterations);
// Every mesh, the meshes shared among the cores.
void SmoothSurfaces(std::vector<vol3D_SurfaceMesh>& meshes, unsigned iterations = kSmoothingIterations);

}  // namespace orv

#endif
