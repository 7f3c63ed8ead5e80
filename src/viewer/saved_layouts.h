#ifndef ORV_SRC_SAVED_LAYOUTS_H
#define ORV_SRC_SAVED_LAYOUTS_H

// The arithmetic of the saved pictures, kept apart from the windows so that
// it is tested pixel-exact without a display: where each cut window's
// picture goes in a composite view, how a gallery of slices is tiled, the
// clipped copy of a picture into its place, and the scale bar of the
// composite's free corner. Plain types only: the display-free core holds it.

#include "canvas_layout.h"

#include <cstddef>
#include <functional>
#include <string>

namespace orv {

// The longest side of a saved picture, pixels.
inline constexpr int kMaxPictureSide = 1 << 20;

// A composite of the XY, XZ and YZ pictures: XY top left, YZ right of it,
// XZ below it, gaps of `decoration` pixels between neighbours, the rest
// white. The parts' sizes follow from the XY picture (wXY x hXY) and the XZ
// picture's height hXZ: YZ is hXZ x hXY, XZ is wXY x hXZ.
struct CompositeLayout {
  bool any = false;  // at least one picture is saved
  int width = 0, height = 0;
  PixelRect part[3];  // XY, XZ, YZ; empty for a picture not saved
  PixelRect corner;   // the free bottom-right corner; empty unless XZ and YZ are saved
};

// The decoration is taken within 0 to kMaxPictureSide pixels.
CompositeLayout ComputeCompositeLayout(const bool saved[3], int wXY, int hXY, int hXZ, int decoration);

// Slices start, start + step, ... up to end, tiled in rows left to right.
struct GalleryLayout {
  int slices = 0;
  int rows = 0, columns = 0;
  int width = 0, height = 0;
  int tileWidth = 0, tileHeight = 0, spacing = 0;
  // The top-left corner of tile `index` (counted in visiting order).
  PixelPoint Tile(int index) const;
  // The slice shown by tile `index`.
  int Slice(int start, int step, int index) const { return start + index * step; }
};

// False (and nothing computed) when the request makes no gallery: a step or
// count below 1, an end before the start, a negative spacing, an empty tile
// or a picture more than kMaxPictureSide pixels a side.
bool ComputeGalleryLayout(int start, int end, int step, bool fixedRows, int count, int spacing, int tileWidth,
                          int tileHeight, GalleryLayout& out);

// Copies the top-left part of a packed 8-bit RGB picture (srcWidth x
// srcHeight, rows of srcStride bytes) into `place` of another (dstWidth x
// dstHeight, rows of dstStride bytes). Only what lies inside the source,
// the place and the destination is copied: a picture smaller than its place
// leaves the rest untouched, a larger one is cut.
void CopyFitted(const unsigned char* src, int srcWidth, int srcHeight, std::size_t srcStride, unsigned char* dst,
                int dstWidth, int dstHeight, std::size_t dstStride, const PixelRect& place);

// A scale bar of a round length (1, 2 or 5 times a power of ten microns)
// with its label under it, centred in a corner of a composite.
struct ScaleBar {
  bool shown = false;
  double microns = 0;
  PixelRect bar;       // the black bar
  PixelRect label;     // the box the label is centred in
  int fontPixels = 0;  // the label's character height
  std::string text;    // "10 µm" (UTF-8)
};

// The bar for `corner` at `pixelsPerMicron` along the bar: the longest round
// length whose bar fits within the corner's margins, with a label
// `fontPixels` high that stays legible (not below kMinFontPixels). Left out
// (shown false) when the corner cannot hold both. `labelWidth` tells how
// wide the toolkit draws a text at a font height; the label must fit too.
inline constexpr int kMinFontPixels = 9;
using TextWidth = std::function<int(const std::string& text, int fontPixels)>;
ScaleBar ChooseScaleBar(const PixelRect& corner, double pixelsPerMicron, const TextWidth& labelWidth);

// The label of a length: "%g" of the microns and " µm".
std::string ScaleBarText(double microns);

}  // namespace orv

#endif
