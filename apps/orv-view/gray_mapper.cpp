#include "gray_mapper.h"

#include <algorithm>
#include <cmath>

namespace orvview {

LinearGrayMapper::LinearGrayMapper(const bix::Image3d<unsigned short>& image) : m_table(65536) {
  std::vector<std::size_t> counts(65536, 0);
  for (unsigned short v : image) ++counts[v];
  const std::size_t total = image.GetVoxelCount(), tail = total / 1000;
  std::size_t seen = 0;
  int lo = 0, hi = 65535;
  while (lo < 65535 && seen + counts[lo] <= tail) seen += counts[lo++];
  seen = 0;
  while (hi > lo && seen + counts[hi] <= tail) seen += counts[hi--];
  const double span = std::max(hi - lo, 1);
  for (int v = 0; v < 65536; ++v)
    m_table[v] = static_cast<unsigned char>(std::lround(std::clamp((v - lo) / span, 0.0, 1.0) * 255.0));
}

void LinearGrayMapper::Map(const unsigned short* voxels,
                           orv::Buffer2d<bix::RGB_generic<unsigned char>>& out) const {
  const std::size_t n = static_cast<std::size_t>(out.width) * out.height;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char g = m_table[voxels[i]];
    out.data[i] = bix::RGB_generic<unsigned char>(g, g, g);
  }
}

}  // namespace orvview
