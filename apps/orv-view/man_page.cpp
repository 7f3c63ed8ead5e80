#include "man_page.h"

#include "options.h"

#include <sstream>
#include <vector>

namespace orvview {

namespace {

// Text as roff shows it literally: backslashes and hyphens escaped, and no
// line taken for a request.
std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\e";
    else if (c == '-') out += "\\-";
    else out += c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string ManPage(const std::string& version) {
  std::istringstream usage(Usage());
  std::vector<std::string> lines;
  for (std::string line; std::getline(usage, line);) lines.push_back(line);

  std::ostringstream page;
  page << ".TH ORV\\-VIEW 1 \"\" \"orv " << version << "\" \"User Commands\"\n"
       << ".SH NAME\norv\\-view \\- orthogonal views of 3D microscope images\n"
       << ".SH SYNOPSIS\n.nf\n";
  std::size_t i = 0;
  for (; i < lines.size() && !lines[i].empty(); ++i) {
    const std::string line = i == 0 ? lines[i].substr(lines[i].find(':') + 2) : Trimmed(lines[i]);
    page << (i == 0 ? "" : "        ") << Roff(line) << '\n';
  }
  page << ".fi\n.SH DESCRIPTION\n";
  for (++i; i < lines.size() && !lines[i].empty(); ++i) page << Roff(lines[i]) << '\n';
  page << ".SH OPTIONS\n";
  // An option starts two spaces in; its text follows after two spaces or
  // on the lines indented further.
  for (++i; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.size() > 2 && line[2] != ' ') {
      const std::size_t gap = line.find("  ", 2);
      page << ".TP\n.B " << Roff(line.substr(2, gap == std::string::npos ? std::string::npos : gap - 2)) << '\n';
      if (gap != std::string::npos) page << Roff(Trimmed(line.substr(gap))) << '\n';
    } else {
      page << Roff(Trimmed(line)) << '\n';
    }
  }
  page << ".SH SEE ALSO\nThe viewer's Help menu (\"Keys and mouse\") and the README of orv.\n";
  return page.str();
}

}  // namespace orvview
