#ifndef BIX_LABELEDIMAGE3D_H
#define BIX_LABELEDIMAGE3D_H

#include <bix/Image3d.h>

#include <vector>

namespace bix {

// A label image: each voxel carries the number of the object it belongs to,
// 0 for background. L is the label type, B the type of the per-label flags
// (visibility and the like) that callers keep in a std::vector<B> indexed by
// label. The component list and the highest label describe the contents; they
// are computed by UpdateComponents() or set by the producer of the labels.
template <class L, class B>
class LabeledImage3d : public Image3d<L> {
public:
  using label_type = L;
  using flag_type = B;

  using Image3d<L>::Image3d;

  // The labels present, ascending, without 0.
  const std::vector<L>& GetComponents() const { return m_components; }
  // The largest label present (0 for an image without objects).
  L GetHighestLabel() const { return m_highest; }

  // Scans the voxels and rebuilds the component list and the highest label.
  void UpdateComponents();
  // Sets the component list as a producer knows it (kept in the given order);
  // the highest label becomes the largest entry.
  void SetComponents(const std::vector<L>& components);

private:
  std::vector<L> m_components;
  L m_highest = 0;
};

#define BIX_DECLARE_LABELED(L, B) extern template class LabeledImage3d<L, B>;
BIX_FOR_EACH_LABEL_PAIR(BIX_DECLARE_LABELED)
#undef BIX_DECLARE_LABELED

}  // namespace bix

#endif
