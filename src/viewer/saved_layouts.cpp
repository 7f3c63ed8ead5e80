#include "saved_layouts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace orv {

CompositeLayout ComputeCompositeLayout(const bool saved[3], int wXY, int hXY, int hXZ, int decoration) {
  CompositeLayout out;
  const bool sXY = saved[0], sXZ = saved[1], sYZ = saved[2];
  out.any = sXY || sXZ || sYZ;
  if (!out.any) return out;
  const int d = std::clamp(decoration, 0, kMaxPictureSide);
  wXY = std::max(wXY, 0);
  hXY = std::max(hXY, 0);
  hXZ = std::max(hXZ, 0);
  const bool left = sXY || sXZ, top = sXY || sYZ;
  out.width = (left ? wXY : 0) + (sYZ ? hXZ : 0) + (left && sYZ ? d : 0);
  out.height = (top ? hXY : 0) + (sXZ ? hXZ : 0) + (top && sXZ ? d : 0);
  const int rightColumn = (left ? wXY : 0) + (left && sYZ ? d : 0);
  const int bottomRow = top ? hXY + d : 0;
  if (sXY) out.part[0] = {0, 0, wXY, hXY};
  if (sXZ) out.part[1] = {0, bottomRow, wXY, hXZ};
  if (sYZ) out.part[2] = {rightColumn, 0, hXZ, hXY};
  if (sXZ && sYZ) out.corner = {rightColumn, bottomRow, out.width - rightColumn, out.height - bottomRow};
  return out;
}

PixelPoint GalleryLayout::Tile(int index) const {
  const int column = index % columns, row = index / columns;
  return {column * (tileWidth + spacing), row * (tileHeight + spacing)};
}

bool ComputeGalleryLayout(int start, int end, int step, bool fixedRows, int count, int spacing, int tileWidth,
                          int tileHeight, GalleryLayout& out) {
  if (step < 1 || count < 1 || end < start || spacing < 0 || tileWidth < 1 || tileHeight < 1) return false;
  GalleryLayout g;
  g.slices = (end - start) / step + 1;
  const int other = (g.slices + count - 1) / count;
  g.rows = fixedRows ? count : other;
  g.columns = fixedRows ? other : count;
  g.tileWidth = tileWidth;
  g.tileHeight = tileHeight;
  g.spacing = spacing;
  const long long width = static_cast<long long>(g.columns) * (tileWidth + spacing) - spacing;
  const long long height = static_cast<long long>(g.rows) * (tileHeight + spacing) - spacing;
  if (width > kMaxPictureSide || height > kMaxPictureSide) return false;
  g.width = static_cast<int>(width);
  g.height = static_cast<int>(height);
  out = g;
  return true;
}

void CopyFitted(const unsigned char* src, int srcWidth, int srcHeight, std::size_t srcStride, unsigned char* dst,
                int dstWidth, int dstHeight, std::size_t dstStride, const PixelRect& place) {
  if (place.x < 0 || place.y < 0) return;
  const int width = std::min({srcWidth, place.width, dstWidth - place.x});
  const int height = std::min({srcHeight, place.height, dstHeight - place.y});
  if (width <= 0 || height <= 0) return;
  for (int r = 0; r < height; ++r)
    std::memcpy(dst + static_cast<std::size_t>(place.y + r) * dstStride + static_cast<std::size_t>(place.x) * 3,
                src + static_cast<std::size_t>(r) * srcStride, static_cast<std::size_t>(width) * 3);
}

std::string ScaleBarText(double microns) {
  char number[32];
  std::snprintf(number, sizeof number, "%g", microns);
  return std::string(number) + " \xC2\xB5m";
}

namespace {

// The longest of 1, 2, 5 x 10^k microns that is at most `limit` microns.
double RoundLengthBelow(double limit) {
  const int k = static_cast<int>(std::floor(std::log10(limit)));
  // log10 may land a hair below an exact power: start one decade higher.
  for (int e = k + 1; e >= k - 1; --e)
    for (double m : {5.0, 2.0, 1.0}) {
      const double length = m * std::pow(10.0, e);
      if (length <= limit * (1 + 1e-9)) return length;
    }
  return 0;
}

}  // namespace

ScaleBar ChooseScaleBar(const PixelRect& corner, double pixelsPerMicron, const TextWidth& labelWidth) {
  ScaleBar out;
  if (corner.width <= 0 || corner.height <= 0 || !(pixelsPerMicron > 0) || !std::isfinite(pixelsPerMicron))
    return out;
  const int side = std::min(corner.width, corner.height);
  const int margin = std::max(2, side / 10);
  const int font = std::min(side / 8, 24);
  if (font < kMinFontPixels) return out;
  const int thickness = std::max(2, font / 4), gap = font / 3, labelHeight = font + font / 2;
  const int inner = corner.width - 2 * margin;
  const int group = thickness + gap + labelHeight;
  if (inner <= 0 || group > corner.height - 2 * margin) return out;
  const double microns = RoundLengthBelow(inner / pixelsPerMicron);
  const int length = static_cast<int>(std::lround(microns * pixelsPerMicron));
  if (!(microns > 0) || length < 1 || length > inner) return out;
  const std::string text = ScaleBarText(microns);
  if (labelWidth && labelWidth(text, font) > inner) return out;
  const int top = corner.y + (corner.height - group) / 2;
  out.shown = true;
  out.microns = microns;
  out.bar = {corner.x + (corner.width - length) / 2, top, length, thickness};
  out.label = {corner.x + margin, top + thickness + gap, inner, labelHeight};
  out.fontPixels = font;
  out.text = text;
  return out;
}

}  // namespace orv
