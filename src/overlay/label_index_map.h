#ifndef ORV_SRC_OVERLAY_LABEL_INDEX_MAP_H
#define ORV_SRC_OVERLAY_LABEL_INDEX_MAP_H

#include <cstddef>
#include <cstdint>
#include <utility>
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

}  // namespace orv

#endif
