#ifndef ORV_SRC_OVERLAY_MARCHING_CUBES_TABLES_H
#define ORV_SRC_OVERLAY_MARCHING_CUBES_TABLES_H

// The marching-cubes case tables of Lorensen and Cline in their usual
// published form. A cell's case number has bit k set when corner k lies
// outside the surface. Corners: 0 (0,0,0), 1 (0,1,0), 2 (1,1,0), 3 (1,0,0)
// and 4..7 the same one step up in z, in (x, row, z) steps of the cell.
// Edges: 0: 0-1, 1: 1-2, 2: 2-3, 3: 3-0, 4: 4-5, 5: 5-6, 6: 6-7, 7: 7-4,
// 8: 0-4, 9: 1-5, 10: 2-6, 11: 3-7.

#include <array>
#include <cstdint>

namespace orv {

constexpr int kCubeEdgeCorners[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                         {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

// Per case the 12-bit mask of the edges the surface cuts: those whose two
// corners lie on different sides (entry 1 is 0x109).
const std::array<std::uint16_t, 256>& MarchingCubesEdgeTable();

// Per case up to five triangles as edge numbers, three per triangle, ended
// by -1 (820 triangles over all cases).
using TriangleRow = std::array<std::int8_t, 16>;
const std::array<TriangleRow, 256>& MarchingCubesTriangleTable();

}  // namespace orv

#endif
