#include "isosurface_builder.h"
#include "surface_placement.h"
#include "isosurface_reference.h"
#include "marching_cubes_tables.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace orv {
namespace {

template <class L>
struct LabelVolume {
  unsigned X, Y, Z;
  std::vector<L> voxels;
  LabelVolume(unsigned x, unsigned y, unsigned z) : X(x), Y(y), Z(z), voxels(std::size_t(x) * y * z, 0) {}
  L& At(unsigned x, unsigned y, unsigned z) { return voxels[x + std::size_t(X) * (y + std::size_t(Y) * z)]; }
  // Solid ellipsoid of `label` around (cx, cy, cz).
  void Ellipsoid(double cx, double cy, double cz, double rx, double ry, double rz, L label) {
    for (unsigned z = 0; z < Z; ++z)
      for (unsigned y = 0; y < Y; ++y)
        for (unsigned x = 0; x < X; ++x) {
          const double a = (x - cx) / rx, b = (y - cy) / ry, c = (z - cz) / rz;
          if (a * a + b * b + c * c <= 1) At(x, y, z) = label;
        }
  }
};

template <class L>
std::vector<vol3D_SurfaceMesh> Build(const LabelVolume<L>& v, const std::vector<L>& components, unsigned slabs = 0,
                                     double sx = 1, double sy = 1, double sz = 1) {
  IsosurfaceBuilder builder;
  EXPECT_TRUE(builder.Build(v.voxels.data(), LabelIndexMap(components), v.X, v.Y, v.Z, sx, sy, sz, slabs));
  EXPECT_TRUE(builder.IsBuilt());
  return builder.TakeMeshes();
}

void ExpectSameMeshes(const std::vector<vol3D_SurfaceMesh>& a, const std::vector<vol3D_SurfaceMesh>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE("component " + std::to_string(i));
    EXPECT_EQ(a[i].label, b[i].label);
    EXPECT_EQ(a[i].positions, b[i].positions);
    EXPECT_EQ(a[i].triangles, b[i].triangles);
    EXPECT_EQ(a[i].normals, b[i].normals);
  }
}

// Every edge of the mesh in exactly two triangles, once in each direction
// (closed and consistently oriented); returns V - E + F.
long EulerOfClosedMesh(const vol3D_SurfaceMesh& mesh) {
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> directed;
  for (std::size_t t = 0; t < mesh.triangles.size(); t += 3)
    for (int k = 0; k < 3; ++k) ++directed[{mesh.triangles[t + k], mesh.triangles[t + (k + 1) % 3]}];
  for (const auto& [edge, count] : directed) {
    EXPECT_EQ(count, 1) << edge.first << "->" << edge.second;
    EXPECT_EQ(directed.count({edge.second, edge.first}), 1u) << edge.first << "-" << edge.second << " is open";
  }
  return long(mesh.VertexCount()) - long(directed.size() / 2) + long(mesh.TriangleCount());
}

TEST(MarchingCubesTables, PublishedCasesWithTheirEdges) {
  const auto& edges = MarchingCubesEdgeTable();
  const auto& triangles = MarchingCubesTriangleTable();
  EXPECT_EQ(edges[0], 0);
  EXPECT_EQ(edges[1], 0x109);
  EXPECT_EQ(edges[128], 0x8c0);
  EXPECT_EQ(edges[254], 0x109);
  EXPECT_EQ((TriangleRow{0, 8, 3, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}), triangles[1]);
  EXPECT_EQ((TriangleRow{1, 8, 3, 9, 8, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}), triangles[3]);
  EXPECT_EQ((TriangleRow{0, 3, 8, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}), triangles[254]);
  int total = 0;
  for (int n = 0; n < 256; ++n) {
    unsigned used = 0;
    int t = 0;
    while (t < 16 && triangles[n][t] >= 0) used |= 1u << triangles[n][t++];
    EXPECT_EQ(t % 3, 0) << "case " << n;
    EXPECT_EQ(used, edges[n]) << "case " << n;  // each cut edge, and only those
    total += t / 3;
  }
  EXPECT_EQ(total, 820);
}

TEST(IsosurfaceBuilder, OneVoxelGivesAnOctahedronAroundIt) {
  LabelVolume<unsigned short> v(3, 3, 3);
  v.At(1, 1, 1) = 7;
  const auto meshes = Build<unsigned short>(v, {7}, 1, 0.5, 1, 2);
  ASSERT_EQ(meshes.size(), 1u);
  const vol3D_SurfaceMesh& m = meshes[0];
  EXPECT_EQ(m.label, 7u);
  EXPECT_EQ(m.TriangleCount(), 8u);
  // The midpoints towards the six neighbours in key order: -z, -x, +x,
  // -y (row 0: the high model y), +z, +y. Voxel (1,1,1) is at (0.5, 1, 2).
  EXPECT_EQ(m.positions, (std::vector<float>{0.5f, 1, 1, 0.25f, 1, 2, 0.75f, 1, 2, 0.5f, 1.5f, 2, 0.5f, 1, 3,
                                             0.5f, 0.5f, 2}));
  EXPECT_EQ(EulerOfClosedMesh(m), 2);
  // Normals point away from the voxel.
  for (std::size_t i = 0; i < 6; ++i) {
    const float centre[3] = {0.5f, 1, 2};
    float dot = 0;
    for (int a = 0; a < 3; ++a) dot += m.normals[3 * i + a] * (m.positions[3 * i + a] - centre[a]);
    EXPECT_GT(dot, 0) << "vertex " << i;
  }
}

TEST(IsosurfaceBuilder, FlatVolumesAndUnseenLabelsGiveEmptyMeshes) {
  LabelVolume<unsigned short> flat(5, 5, 1);
  flat.At(2, 2, 0) = 1;
  auto meshes = Build<unsigned short>(flat, {1, 2});
  ASSERT_EQ(meshes.size(), 2u);
  EXPECT_TRUE(meshes[0].triangles.empty() && meshes[0].positions.empty());
  EXPECT_EQ(meshes[1].label, 2u);

  // A label filling the whole volume cuts no cell.
  LabelVolume<unsigned int> full(4, 3, 2);
  std::fill(full.voxels.begin(), full.voxels.end(), 9u);
  meshes = Build<unsigned int>(full, {9});
  EXPECT_TRUE(meshes[0].triangles.empty());
}

// A build counts its cell layers for another thread, and one asked to stop
// gives nothing and says so; the next build starts afresh.
TEST(IsosurfaceBuilder, ReportsItsLayersAndStopsWhenAsked) {
  const unsigned X = 6, Y = 5, Z = 7;
  std::vector<unsigned short> voxels(X * Y * Z, 0);
  voxels[(3 * Y + 2) * X + 2] = 1;
  const orv::LabelIndexMap index(std::vector<unsigned short>{1});
  orv::IsosurfaceBuilder builder;
  for (unsigned slabs : {1u, 3u}) {
    orv::IsosurfaceBuilder::Progress progress;
    ASSERT_TRUE(builder.Build(voxels.data(), index, X, Y, Z, 1, 1, 1, slabs, &progress));
    EXPECT_EQ(progress.layers, Z - 1) << slabs;
    EXPECT_FALSE(builder.WasCancelled());
    progress.cancel = true;
    EXPECT_FALSE(builder.Build(voxels.data(), index, X, Y, Z, 1, 1, 1, slabs, &progress));
    EXPECT_TRUE(builder.WasCancelled());
    EXPECT_TRUE(builder.GetMeshes().empty());
    EXPECT_FALSE(builder.IsBuilt());
  }
  ASSERT_TRUE(builder.Build(voxels.data(), index, X, Y, Z, 1, 1, 1));
  EXPECT_FALSE(builder.WasCancelled());
  EXPECT_GT(builder.GetMeshes()[0].TriangleCount(), 0u);
}

TEST(IsosurfaceBuilder, AVertexWhoseTrianglesCancelStillGetsAUnitNormal) {
  vol3D_SurfaceMesh mesh;
  mesh.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5};
  mesh.triangles = {0, 1, 2, 0, 2, 1};  // the same triangle both ways
  ComputeVertexNormals(mesh);
  EXPECT_EQ(mesh.normals, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
}

TEST(IsosurfaceBuilder, TouchingObjectsShareTheirContactVertices) {
  LabelVolume<unsigned short> v(6, 4, 4);
  for (unsigned z = 1; z < 3; ++z)
    for (unsigned y = 1; y < 3; ++y) v.At(1, y, z) = v.At(2, y, z) = 3, v.At(3, y, z) = v.At(4, y, z) = 5;
  const auto meshes = Build<unsigned short>(v, {3, 5});
  for (const auto& m : meshes) EXPECT_EQ(EulerOfClosedMesh(m), 2);
  // The contact lies halfway between x = 2 and x = 3.
  std::set<std::vector<float>> contact[2];
  for (int c = 0; c < 2; ++c)
    for (std::size_t i = 0; i < meshes[c].VertexCount(); ++i)
      if (meshes[c].positions[3 * i] == 2.5f)
        contact[c].insert({meshes[c].positions.begin() + 3 * i, meshes[c].positions.begin() + 3 * i + 3});
  EXPECT_EQ(contact[0].size(), 4u);
  EXPECT_EQ(contact[0], contact[1]);
}

TEST(IsosurfaceBuilder, InnerObjectsAreClosedSpheres) {
  LabelVolume<unsigned int> v(40, 34, 30);
  v.Ellipsoid(12, 12, 10, 8, 6.5, 5.2, 1u << 30);
  v.Ellipsoid(27, 20, 18, 7.3, 9, 8, 4);
  v.Ellipsoid(20, 16, 14, 3, 3, 3, 2);  // cuts into both
  const auto meshes = Build<unsigned int>(v, {4, 1u << 30, 2}, 2);
  for (const auto& m : meshes) {
    SCOPED_TRACE(m.label);
    EXPECT_GT(m.TriangleCount(), 50u);
    EXPECT_EQ(EulerOfClosedMesh(m), 2);
  }
}

// Random labels, objects touching each other and the border, labels missing
// from the list, any number of slabs: the same meshes as the plain method.
template <class L>
void CompareWithReference(unsigned X, unsigned Y, unsigned Z, unsigned seed) {
  SCOPED_TRACE(std::to_string(X) + "x" + std::to_string(Y) + "x" + std::to_string(Z) + " seed " +
               std::to_string(seed));
  std::mt19937 random(seed);
  LabelVolume<L> v(X, Y, Z);
  const L labels[] = {0, 0, 0, 3, 3, 9, 1000, 4};  // 4 is not listed
  for (int blob = 0; blob < 12; ++blob) {
    std::uniform_real_distribution<double> at(-1, X + 1), size(0.6, 4);
    v.Ellipsoid(at(random), at(random) * Y / X, at(random) * Z / X, size(random), size(random), size(random),
                labels[random() % 8]);
  }
  for (L& voxel : v.voxels)
    if (random() % 7 == 0) voxel = labels[random() % 8];
  const std::vector<L> components = {9, 3, 1000, 77};
  const auto expected = orvtest::ReferenceIsosurfaces<L>(v.voxels.data(), components, X, Y, Z, 0.5, 0.25, 1.5);
  for (unsigned slabs : {1u, 2u, 3u, 0u}) {
    SCOPED_TRACE("slabs " + std::to_string(slabs));
    IsosurfaceBuilder builder;
    ASSERT_TRUE(builder.Build(v.voxels.data(), LabelIndexMap(components), X, Y, Z, 0.5, 0.25, 1.5, slabs));
    ExpectSameMeshes(builder.GetMeshes(), expected);
    EXPECT_EQ(builder.GetUnlistedLabel(), 4u);
  }
}

TEST(IsosurfaceBuilder, EqualsThePlainMethodOnRandomVolumes) {
  CompareWithReference<unsigned short>(17, 13, 11, 1);
  CompareWithReference<unsigned short>(2, 9, 7, 2);
  CompareWithReference<unsigned short>(9, 2, 5, 3);
  CompareWithReference<unsigned int>(24, 8, 2, 4);
  CompareWithReference<unsigned int>(33, 21, 19, 5);
}

TEST(IsosurfaceBuilder, PlacementPutsVoxelCentresWhereTheVolumeShowsThem) {
  const VolumeGeometry image{{100, 50, 20}, {3, -7, 40}, {1, 1, 0.5f}};
  SurfacePlacement p = PlaceSurfaces(image, image);
  EXPECT_DOUBLE_EQ(p.spacing[0], 0.02);
  EXPECT_DOUBLE_EQ(p.spacing[1], 0.02);
  EXPECT_DOUBLE_EQ(p.spacing[2], 0.04);
  EXPECT_FLOAT_EQ(p.offset.x, -0.99f);
  EXPECT_FLOAT_EQ(p.offset.y, -0.49f);
  EXPECT_FLOAT_EQ(p.offset.z, -0.38f);
  // Labels of 2 x 2 x 2 image voxels, starting 10 image voxels in along x:
  // label voxel x covers image voxels 10 + 2x and 11 + 2x.
  const VolumeGeometry labels{{45, 25, 10}, {13, -7, 40}, {0.5f, 0.5f, 0.25f}};
  p = PlaceSurfaces(image, labels);
  EXPECT_DOUBLE_EQ(p.spacing[0], 0.04);
  EXPECT_DOUBLE_EQ(p.spacing[2], 0.08);
  EXPECT_FLOAT_EQ(p.offset.x, float((10.5 - 49.5) * 0.02));
  // Label row 24 is the last: image rows 48 and 49, centre 48.5, at model
  // y (24.5 - 48.5) * 0.02, where the builder puts it (j = 0).
  EXPECT_FLOAT_EQ(p.offset.y, float((24.5 - 48.5) * 0.02));
  EXPECT_FLOAT_EQ(p.offset.z, float((0.5 - 9.5) * 0.04));
}

}  // namespace
}  // namespace orv

namespace orv {
namespace {

// The volume a closed mesh encloses (divergence theorem) and how far its
// vertices stray from a sphere of radius r about c, root mean square.
double EnclosedVolume(const vol3D_SurfaceMesh& m) {
  double volume = 0;
  for (std::size_t t = 0; t < m.triangles.size(); t += 3) {
    const float* a = &m.positions[3 * m.triangles[t]];
    const float* b = &m.positions[3 * m.triangles[t + 1]];
    const float* c = &m.positions[3 * m.triangles[t + 2]];
    volume += (double(a[0]) * (double(b[1]) * c[2] - double(b[2]) * c[1]) -
               double(a[1]) * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
               double(a[2]) * (double(b[0]) * c[1] - double(b[1]) * c[0])) / 6;
  }
  return std::fabs(volume);
}

double SphereDeviation(const vol3D_SurfaceMesh& m, double c, double r) {
  double sum = 0;
  for (std::size_t v = 0; v < m.VertexCount(); ++v) {
    const double dx = m.positions[3 * v] - c, dy = m.positions[3 * v + 1] - c, dz = m.positions[3 * v + 2] - c;
    const double d = std::sqrt(dx * dx + dy * dy + dz * dz) - r;
    sum += d * d;
  }
  return std::sqrt(sum / double(m.VertexCount()));
}

}  // namespace

// Smoothing takes the staircase off a voxel ball (its vertices come nearer
// to the sphere) and keeps its volume; its normals are unit length again,
// and the mesh keeps its vertices and triangles.
TEST(SurfaceSmoothing, AVoxelBallComesNearerItsSphereAndKeepsItsVolume) {
  LabelVolume<unsigned short> v(24, 24, 24);
  v.Ellipsoid(11.5, 11.5, 11.5, 8, 8, 8, 1);
  std::vector<vol3D_SurfaceMesh> meshes = Build<unsigned short>(v, {1});
  ASSERT_EQ(meshes.size(), 1u);
  const vol3D_SurfaceMesh raw = meshes[0];
  SmoothSurfaces(meshes);
  const vol3D_SurfaceMesh& smooth = meshes[0];
  EXPECT_EQ(smooth.triangles, raw.triangles);
  ASSERT_EQ(smooth.positions.size(), raw.positions.size());
  EXPECT_LT(SphereDeviation(smooth, 11.5, 8), 0.6 * SphereDeviation(raw, 11.5, 8));
  EXPECT_NEAR(EnclosedVolume(smooth), EnclosedVolume(raw), 0.02 * EnclosedVolume(raw));
  for (std::size_t i = 0; i < smooth.normals.size(); i += 3)
    EXPECT_NEAR(std::hypot(smooth.normals[i], smooth.normals[i + 1], smooth.normals[i + 2]), 1.0, 1e-5);
  // A mesh without triangles stays as it is.
  vol3D_SurfaceMesh empty;
  SmoothSurface(empty);
  EXPECT_TRUE(empty.positions.empty() && empty.normals.empty());
}

}  // namespace orv
