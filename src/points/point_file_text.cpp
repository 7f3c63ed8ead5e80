#include "point_file_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace orv {

namespace {

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string FromUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<std::uint32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
      const std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(out, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
  }
  return out;
}

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    // Runs of ASCII, the bulk of any point file, eight bytes at a time.
    std::uint64_t word;
    if (i + 8 <= s.size() && (std::memcpy(&word, s.data() + i, 8), (word & 0x8080808080808080ull) == 0)) {
      i += 8;
      continue;
    }
    const auto c = static_cast<unsigned char>(s[i]);
    const int more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (more < 0 || i + more >= s.size()) return false;
    for (int k = 1; k <= more; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += more + 1;
  }
  return true;
}

// Windows-1252's characters at 0x80..0x9F (0 where it has none).
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E,
    0x0178};

std::string FromCp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    const std::uint32_t high = c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : 0;
    AppendUtf8(out, high ? high : c);
  }
  return out;
}

}  // namespace

std::string DecodePointFileText(std::string bytes) {
  const std::string_view view = bytes;
  if (view.substr(0, 2) == "\xFF\xFE") return FromUtf16(view.substr(2), false);
  if (view.substr(0, 2) == "\xFE\xFF") return FromUtf16(view.substr(2), true);
  const std::size_t mark = view.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  if (!IsUtf8(view.substr(mark))) return FromCp1252(view);
  bytes.erase(0, mark);
  return bytes;
}

bool IsBlankLine(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

// Fields are short (a number, a name): a plain scan beats a library search
// per field.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  const char* const data = line.data();
  const std::size_t n = line.size();
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (data[i] == '\t') {
      fields.emplace_back(data + start, i - start);
      start = i + 1;
    }
  if (start < n) fields.emplace_back(data + start, n - start);
}

PointFileColumns ClassifyColumns(const std::vector<std::string_view>& header) {
  PointFileColumns columns;
  static const char* const kPlain[3] = {"x0", "y0", "z0"};
  static const char kDigit[3] = {'1', '2', '3'};
  for (std::size_t i = 0; i < header.size(); ++i) {
    const std::string_view name = header[i];
    const bool gravity = name.find("Gravity") != std::string_view::npos;
    bool coordinate = false;
    for (int a = 0; a < 3; ++a)
      if (name == kPlain[a] || (gravity && name.find(kDigit[a]) != std::string_view::npos)) {
        columns.axis[a] = static_cast<int>(i);
        coordinate = true;
      }
    if (coordinate || gravity) continue;
    columns.labelNames.emplace_back(name.empty() ? std::string_view("empty") : name);
    columns.labelColumns.push_back(static_cast<int>(i));
  }
  return columns;
}

bool ParseCoordinate(std::string_view field, double& value) {
  std::size_t start = field.find_first_not_of(" \t\n\v\f\r");
  if (start == std::string_view::npos) return false;
  if (field[start] == '+' && start + 1 < field.size() && field[start + 1] != '-') ++start;
  const char* first = field.data() + start;
  const char* last = field.data() + field.size();
  const auto [end, error] = std::from_chars(first, last, value);
  // "nan" and "inf" are numbers to from_chars, but no place in an image.
  return error == std::errc() && end == last && std::isfinite(value);
}

std::string ParsePointText(std::string_view text, const bix::Vector3d<float>& offset,
                           const bix::Vector3d<float>& res, PointFileContents& contents) {
  contents = PointFileContents();
  // One point per line: room for all of them at once.
  const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  contents.coords.reserve(lines);
  contents.values.reserve(lines);
  contents.labels.ends.reserve(lines);
  PointFileColumns columns;
  std::size_t lineNumber = 0;
  std::vector<std::string_view> fields;
  std::string failure;
  auto fail = [&](std::string why) {
    failure = std::move(why);
    return false;
  };
  ForEachLine(text, [&](std::string_view line) {
    ++lineNumber;
    SplitFields(line, fields);
    if (lineNumber == 1) {
      columns = ClassifyColumns(fields);
      contents.labelNames = columns.labelNames;
      return columns.HasCoordinates() || fail("Columns with point coordinates not found.");
    }
    // Blank lines are no points (editors end files with one).
    if (IsBlankLine(line)) return true;
    bix::Vector3d<float> p;
    std::array<double, 3> values;
    for (unsigned a = 0; a < 3; ++a) {
      const auto column = static_cast<std::size_t>(columns.axis[a]);
      if (column >= fields.size() || IsBlankLine(fields[column]))
        return fail("line " + std::to_string(lineNumber) + " has no " + "xyz"[a] + " coordinate.");
      // A number beyond what microns in single precision hold fails as a word does.
      if (!ParseCoordinate(fields[column], values[a]) ||
          !(std::fabs(values[a] / res[a] + offset[a]) <= std::numeric_limits<float>::max()))
        return fail("line " + std::to_string(lineNumber) + ": cannot convert '" + QuotedField(fields[column]) +
                    "' to a coordinate.");
      p[a] = FileToMicrons(values[a], offset[a], res[a]);
    }
    // The fields of the header's label columns, so that a label's place
    // in the text is its column's place among the label names.
    std::string& label = contents.labels.text;
    for (int k : columns.labelColumns)
      if (static_cast<std::size_t>(k) < fields.size()) {
        label += '\t';
        label.append(fields[k]);
      }
    contents.labels.EndPoint();
    contents.coords.push_back(p);
    contents.values.push_back(values);
    return true;
  });
  if (lineNumber == 0) return "Columns with point coordinates not found.";
  return failure;
}

float FileToMicrons(double value, float offset, float res) {
  return static_cast<float>(value / res + offset);
}

std::string ShortestText(double value) {
  char text[64];
  const auto written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

std::string CoordinateText(float microns, float offset, float res) {
  const double exact = (static_cast<double>(microns) - offset) * res;
  auto readsBack = [&](const char* first, const char* last) {
    double back = 0;
    std::from_chars(first, last, back);
    return FileToMicrons(back, offset, res) == microns;
  };
  // Fixed decimals, fewest first; trailing zeros dropped ("30.50" is "30.5").
  char text[64];
  for (int decimals = 0; decimals <= 9 && std::fabs(exact) < 1e15; ++decimals) {
    const auto written = std::to_chars(text, text + sizeof text, exact, std::chars_format::fixed, decimals);
    if (written.ec != std::errc()) break;
    const char* end = written.ptr;
    if (decimals > 0) {
      while (end[-1] == '0') --end;
      if (end[-1] == '.') --end;
    }
    if (readsBack(text, end)) {
      const std::string s(static_cast<const char*>(text), end);
      return s == "-0" ? "0" : s;
    }
  }
  // Very small or large values: the shortest text of the single-precision
  // file value when it reads back, else of the double-precision one, which
  // always does (the difference and product of floats are exact there).
  const float single = static_cast<float>(exact);
  const auto written = std::to_chars(text, text + sizeof text, single);
  if (readsBack(text, written.ptr)) return std::string(text, written.ptr);
  return ShortestText(exact);
}

}  // namespace orv
