#include <bix/LabeledImage3d.h>

#include <algorithm>

namespace bix {

template <class L, class B>
void LabeledImage3d<L, B>::UpdateComponents() {
  const L* first = this->begin();
  const L* last = this->end();
  const L highest = first == last ? L(0) : *std::max_element(first, last);

  // A presence table per label value is one cheap pass for the label ranges
  // seen in practice; very sparse huge labels fall back to sorting a copy.
  constexpr std::size_t kTableLimit = std::size_t(1) << 26;
  std::vector<L> components;
  if (static_cast<std::size_t>(highest) < kTableLimit) {
    std::vector<unsigned char> present(static_cast<std::size_t>(highest) + 1, 0);
    for (const L* p = first; p != last; ++p) present[*p] = 1;
    for (std::size_t label = 1; label < present.size(); ++label)
      if (present[label]) components.push_back(static_cast<L>(label));
  } else {
    components.assign(first, last);
    std::sort(components.begin(), components.end());
    components.erase(std::unique(components.begin(), components.end()), components.end());
    if (!components.empty() && components.front() == 0) components.erase(components.begin());
  }
  m_components.swap(components);
  m_highest = highest;
}

template <class L, class B>
void LabeledImage3d<L, B>::SetComponents(const std::vector<L>& components) {
  m_components = components;
  m_highest = components.empty() ? L(0) : *std::max_element(components.begin(), components.end());
}

#define BIX_INSTANTIATE_LABELED(L, B) template class LabeledImage3d<L, B>;
BIX_FOR_EACH_LABEL_PAIR(BIX_INSTANTIATE_LABELED)

}  // namespace bix
