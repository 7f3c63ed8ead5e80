#include <orv/orv_stringio.h>

#include <string>

namespace orv {

void SavewxString(wxString& s, std::ostream& out, bool blankAfter) {
  const bool quoted = s.empty() || s.find_first_of(" \t") != wxString::npos;
  const wxScopedCharBuffer utf8 = s.utf8_str();
  if (quoted) out << '"';
  out.write(utf8.data(), static_cast<std::streamsize>(utf8.length()));
  if (quoted) out << '"';
  if (blankAfter) out << ' ';
}

void LoadwxString(wxString& s, std::istream& in) {
  s.clear();
  std::string token;
  int c = in.peek();
  while (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
    in.get();
    c = in.peek();
  }
  const bool quoted = c == '"';
  if (quoted) in.get();
  for (c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    if (c == '\n' || c == '\r') {
      in.unget();
      break;
    }
    if (quoted ? c == '"' : (c == ' ' || c == '\t')) break;
    token.push_back(static_cast<char>(c));
  }
  // get() at the end of the stream set failbit: a token read up to there
  // stands (the stream stays good for it, as after operator>>), while
  // nothing left to read is a failure, so that `while (in)` loops end.
  if (in.eof() && (quoted || !token.empty())) in.clear(std::ios::eofbit);
  s = wxString::FromUTF8(token.data(), token.size());
}

}  // namespace orv
