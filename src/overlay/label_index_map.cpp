#include "label_index_map.h"

#include <algorithm>

namespace orv {

namespace {

// Labels up to this bound are looked up in a table (4 bytes per label);
// larger ones by binary search.
constexpr std::uint64_t kDenseLabelBound = std::uint64_t(1) << 22;

}  // namespace

template <class L>
LabelIndexMap::LabelIndexMap(const std::vector<L>& components) : m_labels(components.begin(), components.end()) {
  std::uint64_t highest = 0;
  for (std::uint64_t label : m_labels)
    if (label < kDenseLabelBound) highest = std::max(highest, label);
  m_dense.assign(highest + 1, kNone);
  for (std::size_t i = 0; i < m_labels.size(); ++i) {
    const std::uint64_t label = m_labels[i];
    if (label == 0) continue;
    if (label >= kDenseLabelBound)
      m_sparse.emplace_back(label, static_cast<std::uint32_t>(i));
    else if (m_dense[label] == kNone)
      m_dense[label] = static_cast<std::uint32_t>(i);
  }
  // Stable, and searched from the lower bound: of a label listed twice the
  // first place counts.
  std::stable_sort(m_sparse.begin(), m_sparse.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::uint32_t LabelIndexMap::Search(std::uint64_t label) const {
  const auto it = std::lower_bound(m_sparse.begin(), m_sparse.end(), label,
                                   [](const auto& entry, std::uint64_t value) { return entry.first < value; });
  return it != m_sparse.end() && it->first == label ? it->second : kNone;
}

template LabelIndexMap::LabelIndexMap(const std::vector<unsigned short>&);
template LabelIndexMap::LabelIndexMap(const std::vector<unsigned int>&);

}  // namespace orv
