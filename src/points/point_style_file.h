#ifndef ORV_SRC_POINT_STYLE_FILE_H
#define ORV_SRC_POINT_STYLE_FILE_H

// The text of "points.sty", the style file beside a point file: which label
// column picks a point's style, which label is displayed, and each style's
// colour and marker as the file words them.

#include <string>
#include <vector>

namespace orv {

struct PointStyleEntry {
  std::string colour;  // "RGB(255,0,0)", "red", ... (empty: the default colour)
  std::string marker;  // "circle", "box", "plus", "text", anything else a cross
};

struct PointStyleFile {
  std::string styleColumn;
  bool hasDisplayedLabel = false;
  std::string displayedLabel;
  std::vector<PointStyleEntry> styles;  // "Style_0" ... "Style_<MaxStyle>"
};

// Reads a style file's text (UTF-8) into `file`, which it empties first;
// returns why it stopped early ("points.sty line 3: ...", "MaxStyle entry
// does not exist.", "Group /Style_2 does not exist"), empty when the whole
// file was read. The styles read before a missing group stay.
std::string ParsePointStyleText(const std::string& text, PointStyleFile& file);

}  // namespace orv

#endif
