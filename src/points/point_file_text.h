#ifndef ORV_SRC_POINT_FILE_TEXT_H
#define ORV_SRC_POINT_FILE_TEXT_H

// The text of point files, free of any toolkit: decoding what spreadsheets
// write, lines and tab-separated fields, the header's columns, and the
// coordinates as numbers and back as the shortest text that reads back.

#include "quoted_field.h"

#include <orv/label_texts.h>

#include <bix/Vector3d.h>

#include <array>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace orv {

// A point file's text as UTF-8: UTF-8 (with or without its byte-order mark)
// and UTF-16 with a byte-order mark as written; other bytes that are not
// UTF-8 are read as Windows-1252 (Latin-1 with the typographic characters),
// what spreadsheets write for "text (tab delimited)" on Windows. UTF-8
// without a mark, the usual case, is handed back without a copy.
std::string DecodePointFileText(std::string bytes);

// Calls line(text) for each line; line ends are LF or CRLF, and a last
// line without an end counts when it is not empty. A `line` that returns
// bool stops the walk by returning false.
template <class Line>
void ForEachLine(std::string_view text, Line line) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    if constexpr (std::is_same_v<decltype(line(text)), bool>) {
      if (!line(text.substr(start, stop - start))) return;
    } else {
      line(text.substr(start, stop - start));
    }
    start = next;
  }
}

// A line that holds nothing but blanks (spaces and TABs), or nothing at all:
// editors end files with one, and it is no point.
bool IsBlankLine(std::string_view line);

// Splits a line at TABs: two adjacent TABs enclose an empty field, a TAB at
// the end opens no further field, an empty line has no field.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields);

// The columns a header line names: x, y and z ("x0", "y0", "z0", or a name
// holding "Gravity" and "1", "2" or "3"; the last such column of an axis
// counts) and the label columns (every other name that holds no "Gravity";
// an empty name is called "empty").
struct PointFileColumns {
  int axis[3] = {-1, -1, -1};
  std::vector<std::string> labelNames;
  std::vector<int> labelColumns;
  bool HasCoordinates() const { return axis[0] >= 0 && axis[1] >= 0 && axis[2] >= 0; }
};
PointFileColumns ClassifyColumns(const std::vector<std::string_view>& header);

// A coordinate field as a number: the whole field (after leading blanks) is
// a finite decimal number, with an optional sign and exponent.
bool ParseCoordinate(std::string_view field, double& value);
// What a point file's text holds: the label column names, and per point
// its place in microns, the coordinates as the file gave them, and its
// label text (each label field preceded by a TAB), UTF-8.
struct PointFileContents {
  std::vector<std::string> labelNames;
  std::vector<bix::Vector3d<float>> coords;
  std::vector<std::array<double, 3>> values;
  LabelTexts labels;
};

// Reads a point file's text for an image of that offset and resolution
// (pixels per micron) into `contents`, which it empties first; returns why
// it stopped early ("line 4: cannot convert 'abc' to a coordinate."), empty
// when the whole text was read. What was read before a failure stays.
std::string ParsePointText(std::string_view text, const bix::Vector3d<float>& offset,
                           const bix::Vector3d<float>& res, PointFileContents& contents);

// A file coordinate (voxels) in microns and back: microns = value / res + offset.
float FileToMicrons(double value, float offset, float res);
// The shortest decimal text of microns' file coordinate, (microns - offset)
// x res, that FileToMicrons turns back into exactly `microns`: plain
// decimals where some do (30.5 for the centre of slice 30, not the
// 30.500002 the single-precision microns carry), else the shortest
// scientific text.
std::string CoordinateText(float microns, float offset, float res);
// The shortest text that reads back as exactly `value`: what a coordinate
// read from a file is written as, so that "84.48" stays "84.48".
std::string ShortestText(double value);

}  // namespace orv

#endif
