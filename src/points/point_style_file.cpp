#include "point_style_file.h"

#include "point_file_text.h"

#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/sstream.h>

#include <set>
#include <vector>

namespace orv {

namespace {

// The group a "[...]" line opens, as the configuration reader resolves it
// ("a/../b" is "b", "/b/" is "b", a backslash escapes the next character;
// the reader compares names without case);
// false when the line has no closing ']'.
bool GroupPath(std::string_view line, std::string& path) {
  std::string name;
  std::size_t i = 1;
  for (; i < line.size() && line[i] != ']'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    name += line[i];
  }
  if (i >= line.size()) return false;
  std::vector<std::string> parts(1);
  for (char c : name) {
    if (c == '/') parts.emplace_back();
    else parts.back() += c;
  }
  std::vector<std::string> resolved;
  for (std::string& part : parts) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!resolved.empty()) resolved.pop_back();
    } else {
      resolved.push_back(std::move(part));
    }
  }
  path.clear();
  for (const std::string& part : resolved) path += "/" + part;
  return true;
}

}  // namespace

std::string StyleFileFault(std::string_view text) {
  // The reader's text ends at a NUL; its lines end at LF, CR or CRLF; its
  // blanks are those of isspace().
  constexpr const char* kBlanks = " \t\n\v\f\r";
  text = text.substr(0, text.find('\0'));
  std::string path;
  std::set<wxString> groups;
  auto fault = [&](std::string_view line) -> const char* {
    const std::size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos || line[first] == '#' || line[first] == ';') return nullptr;
    line.remove_prefix(first);
    if (line[0] == '[') {
      if (!GroupPath(line, path)) return "a group without its closing ']'";
      // The same group opened twice stops the reader in an assertion.
      if (!path.empty() && !groups.insert(wxString::FromUTF8(path).Lower()).second)
        return "a group opened a second time";
      return nullptr;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return "no '=' between a key and its value";
    if (line.substr(0, equals).find_first_not_of(kBlanks) == std::string_view::npos) return "a value without a key";
    return nullptr;
  };
  std::string said;
  std::size_t number = 0;
  ForEachLine(text, [&](std::string_view lines) {
    for (std::size_t start = 0; start <= lines.size() && said.empty();) {
      const std::size_t end = std::min(lines.find('\r', start), lines.size());
      const std::string_view line = lines.substr(start, end - start);
      ++number;
      if (const char* why = fault(line))
        said = "points.sty line " + std::to_string(number) + ": " + why + " in '" +
               QuotedField(line.substr(line.find_first_not_of(kBlanks))) + "'";
      start = end + 1;
    }
    return said.empty();
  });
  return said;
}

std::string ParsePointStyleText(const std::string& text, PointStyleFile& file) {
  file = PointStyleFile();
  // Lines the configuration reader cannot take would stop it in an
  // assertion: they are the file's fault, said as such.
  std::string fault = StyleFileFault(text);
  if (!fault.empty()) return fault;
  // A key given twice in a group is read as its first value; the reader's
  // warnings about it would pop up a log window. Whatever else the reader
  // asserts on (group paths it resolves its own way) is this file's fault
  // too: it is caught while the reader runs and said as such.
  wxLogNull quiet;
  static std::string asserted;
  asserted.clear();
  const wxAssertHandler_t before = wxSetAssertHandler(
      [](const wxString&, int, const wxString&, const wxString& cond, const wxString& msg) {
        if (asserted.empty()) asserted = (msg.empty() ? cond : msg).utf8_string();
      });
  wxStringInputStream stream(wxString::FromUTF8(text));
  wxFileConfig config(stream, wxConvUTF8);
  wxSetAssertHandler(before);
  if (!asserted.empty()) return "points.sty cannot be read (" + QuotedField(asserted) + ")";
  wxString styleColumn, displayed;
  long maxStyle = 0;
  if (!config.Read("StyleColumn", &styleColumn)) return "StyleColumn entry does not exist.";
  if (!config.Read("MaxStyle", &maxStyle)) return "MaxStyle entry does not exist.";
  file.styleColumn = styleColumn.utf8_string();
  file.hasDisplayedLabel = config.Read("DisplayedLabel", &displayed);
  file.displayedLabel = displayed.utf8_string();
  // A file that claims more styles than it holds stops at the first
  // missing group, whatever number it claims.
  for (long i = 0; i <= maxStyle; ++i) {
    const wxString group = wxString::Format("/Style_%ld", i);
    if (!config.HasGroup(group)) return ("Group " + group + " does not exist").utf8_string();
    config.SetPath(group);
    file.styles.push_back({config.Read("Colour", wxString()).utf8_string(),
                           config.Read("Marker", wxString()).utf8_string()});
    config.SetPath("/");
  }
  return std::string();
}

}  // namespace orv
