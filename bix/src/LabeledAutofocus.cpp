#include <bix/Algorithms.h>

#include "ProjectionGeometry.h"

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
  }
  bool Visible(L label) const {
    return static_cast<std::size_t>(label) < m_visible.size() && m_visible[label];
  }

private:
  std::vector<unsigned char> m_visible;
};

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

}  // namespace

template <class L, class B>
void Get_Labeled_AF_XY(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                       const std::vector<B>& visibility, bool form) {
  if (!PrepareProjection(labels, destination, 2)) return;
  const LabelFilter<L, B> filter(visibility);
  const Vector3d<unsigned> s = labels.GetSize();
  const std::size_t plane = static_cast<std::size_t>(s.x) * s.y;
  L* out = destination.GetFirstVoxelAddr();
  const L* in = labels.GetFirstVoxelAddr();
  for (unsigned z = 0; z < s.z; ++z, in += plane)
    for (std::size_t i = 0; i < plane; ++i)
      if (out[i] == 0 && filter.Visible(in[i])) out[i] = in[i];
  if (!form) KeepOutline(out, s.x, s.y);
}

template <class L, class B>
void Get_Labeled_AF_XZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                       const std::vector<B>& visibility, bool form) {
  if (!PrepareProjection(labels, destination, 1)) return;
  const LabelFilter<L, B> filter(visibility);
  const Vector3d<unsigned> s = labels.GetSize();
  L* out = destination.GetFirstVoxelAddr();
  const L* in = labels.GetFirstVoxelAddr();
  for (unsigned z = 0; z < s.z; ++z) {
    L* outRow = out + static_cast<std::size_t>(z) * s.x;
    for (unsigned y = 0; y < s.y; ++y, in += s.x)
      for (unsigned x = 0; x < s.x; ++x)
        if (outRow[x] == 0 && filter.Visible(in[x])) outRow[x] = in[x];
  }
  if (!form) KeepOutline(out, s.x, s.z);
}

template <class L, class B>
void Get_Labeled_AF_YZ(const LabeledImage3d<L, B>& labels, Image3d<L>& destination,
                       const std::vector<B>& visibility, bool form) {
  if (!PrepareProjection(labels, destination, 0)) return;
  const LabelFilter<L, B> filter(visibility);
  const Vector3d<unsigned> s = labels.GetSize();
  L* out = destination.GetFirstVoxelAddr();
  const L* in = labels.GetFirstVoxelAddr();
  for (std::size_t ray = 0; ray < static_cast<std::size_t>(s.y) * s.z; ++ray, in += s.x) {
    for (unsigned x = 0; x < s.x; ++x) {
      if (filter.Visible(in[x])) {
        out[ray] = in[x];
        break;
      }
    }
  }
  if (!form) KeepOutline(out, s.y, s.z);
}

#define BIX_INSTANTIATE_LABELED_AF(L, B)                                                        \
  template void Get_Labeled_AF_XY<L, B>(const LabeledImage3d<L, B>&, Image3d<L>&,              \
                                        const std::vector<B>&, bool);                          \
  template void Get_Labeled_AF_XZ<L, B>(const LabeledImage3d<L, B>&, Image3d<L>&,              \
                                        const std::vector<B>&, bool);                          \
  template void Get_Labeled_AF_YZ<L, B>(const LabeledImage3d<L, B>&, Image3d<L>&,              \
                                        const std::vector<B>&, bool);
BIX_FOR_EACH_LABEL_PAIR(BIX_INSTANTIATE_LABELED_AF)

}  // namespace bix
