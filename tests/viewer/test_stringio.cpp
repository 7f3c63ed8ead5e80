#include <orv/orv_stringio.h>

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {
std::string Saved(const wxString& text, bool blank) {
  wxString s = text;
  std::ostringstream out;
  orv::SavewxString(s, out, blank);
  return out.str();
}
}  // namespace

TEST(SavewxString, QuotesOnlyWhatContainsABlank) {
  EXPECT_EQ(Saved("nucleus", false), "nucleus");
  EXPECT_EQ(Saved("nucleus", true), "nucleus ");
  EXPECT_EQ(Saved("cell body", false), "\"cell body\"");
  EXPECT_EQ(Saved("cell body", true), "\"cell body\" ");
  EXPECT_EQ(Saved("a\tb", false), "\"a\tb\"");
  EXPECT_EQ(Saved("", true), "\"\" ");
  EXPECT_EQ(Saved(wxString::FromUTF8("5 \xC2\xB5m"), false), "\"5 \xC2\xB5m\"");
}

TEST(LoadwxString, ReadsQuotedBareAndSeparatedTokens) {
  std::istringstream in("  \"cell body\" nucleus\tmembrane  last");
  wxString s = "old";
  orv::LoadwxString(s, in);
  EXPECT_EQ(s, "cell body");
  orv::LoadwxString(s, in);
  EXPECT_EQ(s, "nucleus");
  orv::LoadwxString(s, in);
  EXPECT_EQ(s, "membrane");
  orv::LoadwxString(s, in);
  EXPECT_EQ(s, "last");
  EXPECT_TRUE(in.eof());
  EXPECT_FALSE(in.fail());
  orv::LoadwxString(s, in);
  EXPECT_EQ(s, "");
  EXPECT_TRUE(in.fail()) << "nothing left to read";

  // A reading loop over a stream ends, with every token and nothing more.
  std::istringstream list("a \"b c\"  d \n");
  std::vector<wxString> tokens;
  for (int guard = 0; guard < 10; ++guard) {
    orv::LoadwxString(s, list);
    if (!list) break;
    tokens.push_back(s);
  }
  EXPECT_EQ(tokens, (std::vector<wxString>{"a", "b c", "d"}));
}

TEST(LoadwxString, ALineFeedEndsTheTokenAndIsPutBack) {
  std::istringstream in("name\n12 \"open quote\nrest");
  wxString s;
  orv::LoadwxString(s, in);
  EXPECT_EQ(s, "name");
  EXPECT_EQ(in.peek(), '\n');
  std::string rest;
  std::getline(in, rest);
  EXPECT_EQ(rest, "");
  int number = 0;
  in >> number;
  EXPECT_EQ(number, 12);
  orv::LoadwxString(s, in);
  EXPECT_EQ(s, "open quote");
  EXPECT_EQ(in.peek(), '\n');

  std::istringstream windows("token\r\n");
  orv::LoadwxString(s, windows);
  EXPECT_EQ(s, "token");
}

TEST(StringIO, RoundTripsWhatItSaves) {
  const wxString texts[] = {"plain", "two words", "", wxString::FromUTF8("Zelle 5 \xC2\xB5m"), "tab\there"};
  std::ostringstream out;
  for (wxString t : texts) orv::SavewxString(t, out, true);
  std::istringstream in(out.str());
  for (const wxString& t : texts) {
    wxString s;
    orv::LoadwxString(s, in);
    EXPECT_EQ(s, t);
  }
}
