#ifndef ORV_SRC_OVERLAY_PAINT_H
#define ORV_SRC_OVERLAY_PAINT_H

// The arithmetic of the label overlay, free of any window: marking the
// boundary pixels of a label cut and painting labels over a mapped RGB cut.
// Cuts are row-major, `width` values per row, in the order of the RGB
// buffer they are painted on.

#include <bix/RGB.h>

#include <cstddef>
#include <limits>

namespace orv {


// The bit that marks a boundary pixel in a label cut: the highest bit of L.
template <class L>
constexpr L BoundaryMark() {
  return static_cast<L>(L(1) << (std::numeric_limits<L>::digits - 1));
}

// Marks, in place, every nonzero pixel on the border of the cut and every
// nonzero pixel with a 4-neighbour of another label (background included)
// by setting BoundaryMark. Values that already carry the mark on entry are
// labels the mark cannot tell from a boundary: they are cleared to 0
// (background) first, so they never show as the boundary of another label.
template <class L>
void MarkBoundaries(L* cut, std::size_t width, std::size_t height);

// The weights of one overlay painting: t the transparency (0 paints labels
// solid, 1 only boundaries), u = 1 - t, both in single precision.
struct OverlayBlend {
  explicit OverlayBlend(float transparency) : t(transparency), u(1.0f - transparency) {}
  float t, u;

  // Each channel becomes trunc(t * pixel + u * colour).
  bix::RGB8 Mix(bix::RGB8 pixel, bix::RGB8 colour) const {
    auto channel = [this](unsigned char p, unsigned char c) {
      return static_cast<unsigned char>(t * static_cast<float>(p) + u * static_cast<float>(c));
    };
    return bix::RGB8(channel(pixel.red, colour.red), channel(pixel.green, colour.green),
                         channel(pixel.blue, colour.blue));
  }
};

// The colour of each label through `colourOf(label)`, asked once per run of
// equal labels: labels come in runs along a row.
template <class L, class ColourOf>
class LabelColours {
public:
  explicit LabelColours(ColourOf colourOf) : m_colourOf(colourOf) {}
  bix::RGB8 operator()(L label) {
    if (!m_known || label != m_label) {
      m_label = label;
      m_colour = m_colourOf(label);
      m_known = true;
    }
    return m_colour;
  }

private:
  ColourOf m_colourOf;
  L m_label = 0;
  bix::RGB8 m_colour;
  bool m_known = false;
};

// Which labels are painted: with a table, l when l < count and table[l];
// without one, every label from 1 to `highest` (a table with one entry per
// label value would take gigabytes for a label numbered 2^31 - 1).
template <class L>
struct LabelsShown {
  const unsigned char* table = nullptr;
  std::size_t count = 0;
  L highest = 0;
  bool operator()(L l) const { return table ? l < count && table[l] : l != 0 && l <= highest; }
};

// Paints a marked label cut (MarkBoundaries) over `rgb`: a pixel of label l
// is painted only when shown(l); boundary pixels (and all pixels at
// transparency 0) take the label's colour, the others the blend, and at
// transparency 1 they stay.
template <class L, class ColourOf>
void PaintLabelCut(const L* cut, bix::RGB8* rgb, std::size_t count, const LabelsShown<L>& shown,
                   float transparency, ColourOf colourOf) {
  const OverlayBlend blend(transparency);
  LabelColours<L, ColourOf> colour(colourOf);
  constexpr L mark = BoundaryMark<L>();
  for (std::size_t i = 0; i < count; ++i) {
    const L v = cut[i];
    if (v == 0) continue;
    const L l = static_cast<L>(v & ~mark);
    if (!shown(l)) continue;
    if ((v & mark) || blend.t == 0.0f)
      rgb[i] = colour(l);
    else if (blend.t < 1.0f)
      rgb[i] = blend.Mix(rgb[i], colour(l));
  }
}

// Paints a two-layer label plane (a projection: `outline` painted solid,
// `area` blended) over `rgb`. A pixel is painted only where its area label
// is visible; its outline label, if any, is painted solid first, and the
// area label then laid over it as a cut's component would be.
template <class L, class ColourOf>
void PaintLabelLayers(const L* outline, const L* area, bix::RGB8* rgb, std::size_t count,
                      const LabelsShown<L>& shown, float transparency, ColourOf colourOf) {
  const OverlayBlend blend(transparency);
  LabelColours<L, ColourOf> colour(colourOf);
  constexpr L mark = BoundaryMark<L>();
  for (std::size_t i = 0; i < count; ++i) {
    const L b = area[i];
    if (!shown(b)) continue;
    const L a = static_cast<L>(outline[i] & ~mark);
    if (a != 0) rgb[i] = colour(a);
    if (blend.t == 0.0f)
      rgb[i] = colour(b);
    else if (blend.t < 1.0f)
      rgb[i] = blend.Mix(rgb[i], colour(b));
  }
}

}  // namespace orv

#endif
