#include <orv/orv_overlayer.h>

#include <bix/Types.h>

#include <algorithm>

namespace orv {

template <class L, class B>
orv_Overlayer<L, B>::~orv_Overlayer() = default;

template <class L, class B>
void orv_Overlayer<L, B>::SetPaletteColours(const Colour* colours, unsigned int count) {
  m_palette.reset(new Colour[count]);
  std::copy(colours, colours + count, m_palette.get());
  m_paletteSize = count;
}

#define ORV_INSTANTIATE_OVERLAYER(L, B) template class orv_Overlayer<L, B>;
BIX_FOR_EACH_LABEL_PAIR(ORV_INSTANTIATE_OVERLAYER)

}  // namespace orv
