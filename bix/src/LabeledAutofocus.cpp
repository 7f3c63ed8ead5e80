#include <bix/Algorithms.h>
#include <bix/ParallelRuns.h>

#include "ProjectionGeometry.h"

#include <algorithm>
#include <limits>

namespace bix {

namespace {

// Visibility as one byte per label, so the per-voxel test is a plain load
// whatever the flag type (std::vector<bool> packs bits).
template <class L, class B>
class LabelFilter {
public:
  explicit LabelFilter(const std::vector<B>& visibility) : m_visible(visibility.size()) {
    for (std::size_t i = 0; i < visibility.size(); ++i) m_visible[i] = visibility[i] ? 1 : 0;
    if (!m_visible.empty()) m_visible[0] = 0;  // background is never projected
    m_allVisible = m_visible.size() > 1 && std::all_of(m_visible.begin() + 1, m_visible.end(), [](unsigned char v) {
      return v != 0;
    });
    const std::size_t highest = m_visible.empty() ? 0 : m_visible.size() - 1;
    m_highest = static_cast<L>(std::min<std::size_t>(highest, std::numeric_limits<L>::max()));
  }
  // Every label from 1 to `highest`, without a table.
  explicit LabelFilter(L highest) : m_allVisible(highest > 0), m_highest(highest) {}
  bool Visible(L label) const {
    if (m_visible.empty()) return label != 0 && label <= m_highest;
    return static_cast<std::size_t>(label) < m_visible.size() && m_visible[label];
  }
  // Whether every label from 1 to the highest is visible (the usual case):
  // visibility is then a comparison, which vectorises, not a table look-up.
  bool AllVisible() const { return m_allVisible; }
  // With AllVisible: label l is visible when l - 1 < Highest() in L's
  // arithmetic (0 wraps round to the largest L).
  L Highest() const { return m_highest; }

private:
  std::vector<unsigned char> m_visible;
  bool m_allVisible = false;
  L m_highest = 0;
};

// Where out[x] is still 0, takes in[x] if it is a label from 1 to `highest`.
// Written without branches so that it vectorises.
template <class L>
void TakeFirstOfRange(const L* __restrict in, L* __restrict out, std::size_t width, L highest) {
  for (std::size_t x = 0; x < width; ++x) {
    const L v = in[x], o = out[x];
    out[x] = ((o == 0) & (static_cast<L>(v - 1) < highest)) ? v : o;
  }
}

// Whether a run of output rays still has one without a label.
template <class L>
bool AnyOpen(const L* out, std::size_t count) {
  unsigned open = 0;
  for (std::size_t i = 0; i < count; ++i) open |= out[i] == 0;
  return open != 0;
}

// Reduces a projected label plane (width x height, row-major) to the outline
// of each component: pixels with a 4-neighbour in the plane of another label.
template <class L>
void KeepOutline(L* plane, std::size_t width, std::size_t height) {
  const std::vector<L> full(plane, plane + width * height);
  for (std::size_t j = 0; j < height; ++j) {
    for (std::size_t i = 0; i < width; ++i) {
      const std::size_t at = j * width + i;
      const L l = full[at];
      if (l == 0) continue;
      const bool edge = (i > 0 && full[at - 1] != l) || (i + 1 < width && full[at + 1] != l) ||
                        (j > 0 && full[at - width] != l) || (j + 1 < height && full[at + width] != l);
      if (!edge) plane[at] = 0;
    }
  }
}

// Output rows [r0, r1) of `width` rays each, the rays looking through
// `depths` depths: row r of depth d starts at first + d * depthStep + r * rowStep.
// Each ray takes the first visible label; a band stops early once all its rays
// have one (later depths cannot change them).
template <class L, class B>
void FirstVisibleInBand(const L* first, std::size_t width, std::size_t rowStep, std::size_t depths,
                        std::size_t depthStep, std::size_t r0, std::size_t r1, const LabelFilter<L, B>& filter,
                        L* out) {
  std::size_t open = (r1 - r0) * width;
  for (std::size_t d = 0; d < depths && open > 0; ++d) {
    if (filter.AllVisible()) {
      for (std::size_t r = r0; r < r1; ++r)
        TakeFirstOfRange(first + d * depthStep + r * rowStep, out + r * width, width, filter.Highest());
      // The band's rays are checked for one still open every 8 depths.
      if (d % 8 == 7 && !AnyOpen(out + r0 * width, (r1 - r0) * width)) open = 0;
      continue;
    }
    for (std::size_t r = r0; r < r1; ++r) {
      const L* in = first + d * depthStep + r * rowStep;
      L* outRow = out + r * width;
      for (std::size_t x = 0; x < width; ++x) {
        if (outRow[x] == 0 && filter.Visible(in[x])) {
          outRow[x] = in[x];
          --open;
        }
      }
    }
  }
}

// The first label from 1 to `highest` of a row, 0 if none. Runs of 32
// voxels holding none are passed over with a test that vectorises.
template <class L>
L FirstOfRange(const L* in, std::size_t width, L highest) {
  std::size_t x = 0;
  for (; x + 32 <= width; x += 32) {
    unsigned any = 0;
    for (std::size_t k = 0; k < 32; ++k) any |= static_cast<L>(in[x + k] - 1) < highest;
    if (any) break;
  }
  for (; x < width; ++x)
    if (static_cast<L>(in[x] - 1) < highest) return in[x];
  return 0;
}

// Rays [r0, r1) along source rows of `width` voxels: the first visible label of each.
template <class L, class B>
void FirstVisibleAlongRows(const L* first, std::size_t width, std::size_t r0, std::size_t r1,
                           const LabelFilter<L, B>& filter, L* out) {
  for (std::size_t ray = r0; ray < r1; ++ray) {
    const L* in = first + ray * width;
    if (filter.AllVisible()) {
      out[ray] = FirstOfRange(in, width, filter.Highest());
      continue;
    }
    for (std::size_t x = 0; x < width; ++x) {
      if (filter.Visible(in[x])) {
        out[ray] = in[x];
        break;
      }
    }
  }
}

// The destination comes zeroed from PrepareProjection: 0 is "no label yet".
template <class L, class B>
void LabeledProjectionXY(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                          const LabelFilter<L, B>& filter, bool form) {
  if (!PrepareProjection(labels, destination, 2)) return;
  const Vector3d<unsigned> s = labels.GetSize();
  const std::size_t plane = static_cast<std::size_t>(s.x) * s.y;
  L* out = destination.GetFirstVoxelAddr();
  ForEachBand(s.y, BandHeight(s.x, 4096), plane * s.z, [&](std::size_t r0, std::size_t r1) {
    FirstVisibleInBand(labels.GetFirstVoxelAddr(), s.x, s.x, s.z, plane, r0, r1, filter, out);
  });
  if (!form) KeepOutline(out, s.x, s.y);
}

template <class L, class B>
void LabeledProjectionXZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                          const LabelFilter<L, B>& filter, bool form) {
  if (!PrepareProjection(labels, destination, 1)) return;
  const Vector3d<unsigned> s = labels.GetSize();
  const std::size_t plane = static_cast<std::size_t>(s.x) * s.y;
  L* out = destination.GetFirstVoxelAddr();
  ForEachBand(s.z, BandHeight(s.x, 4096), plane * s.z, [&](std::size_t r0, std::size_t r1) {
    FirstVisibleInBand(labels.GetFirstVoxelAddr(), s.x, plane, s.y, s.x, r0, r1, filter, out);
  });
  if (!form) KeepOutline(out, s.x, s.z);
}

template <class L, class B>
void LabeledProjectionYZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                          const LabelFilter<L, B>& filter, bool form) {
  if (!PrepareProjection(labels, destination, 0)) return;
  const Vector3d<unsigned> s = labels.GetSize();
  const std::size_t rays = static_cast<std::size_t>(s.y) * s.z;
  L* out = destination.GetFirstVoxelAddr();
  ForEachBand(rays, BandHeight(1, 4096), rays * s.x, [&](std::size_t r0, std::size_t r1) {
    FirstVisibleAlongRows(labels.GetFirstVoxelAddr(), s.x, r0, r1, filter, out);
  });
  if (!form) KeepOutline(out, s.y, s.z);
}

}  // namespace

template <class L, class B>
void Get_Labeled_AF_XY(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                       const std::vector<B>& visibility, bool form) {
  LabeledProjectionXY(labels, destination, LabelFilter<L, B>(visibility), form);
}

template <class L, class B>
void Get_Labeled_AF_XZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                       const std::vector<B>& visibility, bool form) {
  LabeledProjectionXZ(labels, destination, LabelFilter<L, B>(visibility), form);
}

template <class L, class B>
void Get_Labeled_AF_YZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                       const std::vector<B>& visibility, bool form) {
  LabeledProjectionYZ(labels, destination, LabelFilter<L, B>(visibility), form);
}

template <class L, class B>
void Get_Labeled_AF_XY(const LabeledImage3d<L, B>& labels, Image3d<L>& destination, L highestVisible, bool form) {
  LabeledProjectionXY(labels, destination, LabelFilter<L, B>(highestVisible), form);
}

template <class L, class B>
void Get_Labeled_AF_XZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination, L highestVisible, bool form) {
  LabeledProjectionXZ(labels, destination, LabelFilter<L, B>(highestVisible), form);
}

template <class L, class B>
void Get_Labeled_AF_YZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination, L highestVisible, bool form) {
  LabeledProjectionYZ(labels, destination, LabelFilter<L, B>(highestVisible), form);
}

template <class L>
void KeepLabelOutline(Image3d<L>& projection, unsigned depthAxis) {
  const Vector3d<unsigned> s = projection.GetSize();
  const std::size_t width = depthAxis == 0 ? s.y : s.x;
  const std::size_t height = depthAxis == 2 ? s.y : s.z;
  if (projection.GetVoxelCount() == width * height) KeepOutline(projection.GetFirstVoxelAddr(), width, height);
}

#define BIX_INSTANTIATE_LABELED_AF(L, B)                                                        \
  template void Get_Labeled_AF_XY<L, B>(const LabeledImage3d<L, B>&, Image3d<L>&,              \
                                        const std::vector<B>&, bool);                          \
  template void Get_Labeled_AF_XZ<L, B>(const LabeledImage3d<L, B>&, Image3d<L>&,              \
                                        const std::vector<B>&, bool);                          \
  template void Get_Labeled_AF_YZ<L, B>(const LabeledImage3d<L, B>&, Image3d<L>&,              \
                                        const std::vector<B>&, bool);                          \
  template void Get_Labeled_AF_XY<L, B>(const LabeledImage3d<L, B>&, Image3d<L>&, L, bool);     \
  template void Get_Labeled_AF_XZ<L, B>(const LabeledImage3d<L, B>&, Image3d<L>&, L, bool);     \
  template void Get_Labeled_AF_YZ<L, B>(const LabeledImage3d<L, B>&, Image3d<L>&, L, bool);
BIX_FOR_EACH_LABEL_PAIR(BIX_INSTANTIATE_LABELED_AF)
template void KeepLabelOutline<unsigned short>(Image3d<unsigned short>&, unsigned);
template void KeepLabelOutline<unsigned int>(Image3d<unsigned int>&, unsigned);

}  // namespace bix
