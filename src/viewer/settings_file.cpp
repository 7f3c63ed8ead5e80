#include <orv/settings_file.h>

#include "quoted_field.h"

#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/sstream.h>

#include <algorithm>
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

std::string SettingsFileFault(std::string_view text, const std::string& name) {
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
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    const std::string_view line = text.substr(start, end - start);
    ++number;
    if (const char* why = fault(line))
      return name + " line " + std::to_string(number) + ": " + why + " in '" +
             QuotedField(line.substr(line.find_first_not_of(kBlanks))) + "'";
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return std::string();
}

std::unique_ptr<wxFileConfig> ReadSettingsText(const std::string& text, const std::string& name,
                                               std::string& fault) {
  fault = SettingsFileFault(text, name);
  if (!fault.empty()) return nullptr;
  // Whatever else the reader asserts on (group paths it resolves its own
  // way) is the file's fault too: caught while the reader runs.
  wxLogNull quiet;
  static std::string asserted;
  asserted.clear();
  const wxAssertHandler_t before = wxSetAssertHandler(
      [](const wxString&, int, const wxString&, const wxString& cond, const wxString& msg) {
        if (asserted.empty()) asserted = (msg.empty() ? cond : msg).utf8_string();
      });
  wxStringInputStream stream(wxString::FromUTF8(text));
  auto config = std::make_unique<wxFileConfig>(stream, wxConvUTF8);
  wxSetAssertHandler(before);
  if (asserted.empty()) return config;
  fault = name + " cannot be read (" + QuotedField(asserted) + ")";
  return nullptr;
}

}  // namespace orv
