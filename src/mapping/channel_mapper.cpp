#include <orv/channel_mapper.h>

#include <bix/Types.h>

#include <cmath>
#include <cstring>

namespace orv {

bix::RGB8 orv_DefaultChannelColour(unsigned c) {
  static const bix::RGB8 kFirst[] = {{0, 255, 0}, {255, 0, 255}, {0, 255, 255},
                                     {255, 255, 0}, {255, 0, 0}, {0, 0, 255}};
  constexpr unsigned kCount = sizeof kFirst / sizeof kFirst[0];
  if (c < kCount) return kFirst[c];
  // Beyond them, hues halfway between those already given: 30, 90, ... 330
  // degrees (between the six), then 15, 45, ... and so on, at full
  // saturation and brightness; no colour repeats among the first 750.
  unsigned n = c - kCount, block = kCount;
  double step = 60.0;
  while (n >= block) {
    n -= block;
    block *= 2;
    step /= 2;
  }
  const double hue = (step / 2 + step * n) / 60.0;
  const double x = 1 - std::fabs(std::fmod(hue, 2.0) - 1);
  const auto level = [](double v) { return static_cast<unsigned char>(std::lround(255 * v)); };
  switch (static_cast<int>(hue)) {
    case 0: return {255, level(x), 0};
    case 1: return {level(x), 255, 0};
    case 2: return {0, 255, level(x)};
    case 3: return {0, level(x), 255};
    case 4: return {level(x), 0, 255};
    default: return {255, 0, level(x)};
  }
}

template <class T>
orv_ChannelMapper<T>::orv_ChannelMapper(const orv_GrayMappingModule<T>& mapping, const bix::RGB8& colour,
                                        bool visible)
    : m_mapping(mapping), m_visible(visible) {
  SetColour(colour);
}

template <class T>
void orv_ChannelMapper<T>::SetColour(const bix::RGB8& colour) {
  m_colour = colour;
  const unsigned components[3] = {colour.red, colour.green, colour.blue};
  for (unsigned k = 0; k < 3; ++k)
    for (unsigned i = 0; i < 256; ++i) m_tint[k][i] = static_cast<unsigned char>((i * components[k] + 127) / 255);
}

template <class T>
void orv_ChannelMapper<T>::Map(const T* voxels, Buffer2d<bix::RGB8>& out) const {
  const std::size_t count = std::size_t(out.width) * out.height;
  if (!m_visible) {
    std::memset(static_cast<void*>(out.data), 0, count * sizeof(bix::RGB8));
    return;
  }
  m_mapping.Map(voxels, out);
  // Another palette than gray shows the channel in the palette's colours.
  if (m_mapping.GetPaletteMode() != orv_GrayMappingModule<T>::MENU_GRAY) return;
  for (std::size_t i = 0; i < count; ++i) {
    bix::RGB8& p = out.data[i];
    const unsigned char v = p.red;  // gray: the three components are the intensity
    p.red = m_tint[0][v];
    p.green = m_tint[1][v];
    p.blue = m_tint[2][v];
  }
}

#define ORV_INSTANTIATE_CHANNEL_MAPPER(T) template class orv_ChannelMapper<T>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_CHANNEL_MAPPER)

}  // namespace orv
