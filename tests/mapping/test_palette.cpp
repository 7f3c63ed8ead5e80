#include <orv/channel_mapper.h>
#include <orv/orv_palette.h>

#include <gtest/gtest.h>

#include <wx/file.h>
#include <wx/filename.h>

#include <algorithm>
#include <string>
#include <vector>

using C = bix::RGB_generic<unsigned char>;

TEST(MakePalette, LabelCycleAndOverlayPaletteAreTheTabledColours) {
  const std::vector<C> labels = orv::MakePalette(0);
  ASSERT_EQ(labels.size(), 13u);
  EXPECT_EQ(labels[0], C(0, 0, 0));
  EXPECT_EQ(labels[4], C(255, 255, 0));
  EXPECT_EQ(labels[12], C(128, 0, 128));

  const std::vector<C> overlay = orv::MakePalette(3);
  const std::vector<C> expected = {{255, 255, 255}, {255, 0, 0},     {0, 255, 0},   {0, 0, 255},
                                   {255, 0, 255},   {0, 255, 255},   {128, 0, 0},   {0, 128, 0},
                                   {0, 0, 128},     {128, 128, 255}, {128, 128, 0}, {128, 0, 255},
                                   {255, 128, 255}, {128, 128, 128}};
  EXPECT_EQ(overlay, expected);
}

TEST(MakePalette, SaturationMarksBothEnds) {
  const std::vector<C> p = orv::MakePalette(1);
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(p[0], C(0, 0, 255));
  EXPECT_EQ(p[1], C(1, 1, 1));
  EXPECT_EQ(p[254], C(254, 254, 254));
  EXPECT_EQ(p[255], C(255, 0, 0));
}

TEST(MakePalette, PeriodicPaletteSegmentsBeginAndEndAtTheirColours) {
  const std::vector<C> p = orv::MakePalette(2);
  ASSERT_EQ(p.size(), 256u);
  const C blue(0, 0, 255), cyan(0, 255, 255), green(0, 255, 0), yellow(255, 255, 0), red(255, 0, 0),
      magenta(255, 0, 255);
  // Segment starts: 0, 43, 86, 129, 171, 214.
  EXPECT_EQ(p[0], blue);
  EXPECT_EQ(p[42], cyan);
  EXPECT_EQ(p[43], cyan);
  EXPECT_EQ(p[85], green);
  EXPECT_EQ(p[86], green);
  EXPECT_EQ(p[128], yellow);
  EXPECT_EQ(p[129], yellow);
  EXPECT_EQ(p[170], red);
  EXPECT_EQ(p[171], red);
  EXPECT_EQ(p[213], magenta);
  EXPECT_EQ(p[214], magenta);
  EXPECT_EQ(p[255], blue);
  // Inside segments, channels are truncated: j = 21 of 43 is t = 0.5.
  EXPECT_EQ(p[21], C(0, 127, 255));
  EXPECT_EQ(p[192], C(255, 0, 127));
  // Yellow to red, j = 20 of 42: 255 - 255 * 20 / 41 = 130.6.
  EXPECT_EQ(p[149], C(255, 130, 0));
}

TEST(MakePalette, OtherKindsGiveAGrayRamp) {
  for (int kind : {-1, 4, 99}) {
    const std::vector<C> p = orv::MakePalette(kind);
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p[0], C(0, 0, 0));
    EXPECT_EQ(p[100], C(100, 100, 100));
    EXPECT_EQ(p[255], C(255, 255, 255));
  }
}

TEST(PaletteFile, ProblemsNameTheFileTheLineAndWhatWasExpected) {
  const wxString dir = wxFileName::CreateTempFileName("orv-pal");
  wxRemoveFile(dir);
  wxMkdir(dir);
  auto write = [&](const char* name, const std::string& text) {
    const wxString path = dir + "/" + name;
    wxFile(path, wxFile::write).Write(text.data(), text.size());
    return path;
  };
  const wxString good = write("good.pal", "1 2 3\n4,5,6\n");
  const wxString shortLine = write("short.pal", "1 2 3\n4 5\n7 8 9\n");
  const wxString letters = write("letters.txt", "1 2 3\n4 5 6\nred green blue\n");
  const wxString empty = write("empty.pal", "");
  const wxString missing = dir + "/missing.pal";
  const std::string expected = "expected red, green and blue as three whole numbers separated by single blanks, "
                               "commas or colons (such as \"255 128 0\"), found ";

  const std::vector<C> before{C(9, 9, 9)};
  std::vector<C> palette = before;
  EXPECT_EQ(orv::ReadPaletteFile(good, palette), "");
  EXPECT_EQ(palette, (std::vector<C>{C(1, 2, 3), C(4, 5, 6)}));
  palette = before;
  EXPECT_EQ(orv::ReadPaletteFile(shortLine, palette).utf8_string(),
            "The palette file " + shortLine.utf8_string() + ", line 2: " + expected + "\"4 5\".");
  EXPECT_EQ(orv::ReadPaletteFile(letters, palette).utf8_string(),
            "The palette file " + letters.utf8_string() + ", line 3: " + expected + "\"red green blue\".");
  EXPECT_EQ(orv::ReadPaletteFile(empty, palette),
            "The palette file " + empty + " holds no colours: each line gives one colour.");
  EXPECT_EQ(orv::ReadPaletteFile(missing, palette), "The palette file " + missing + " cannot be read.");
  EXPECT_EQ(palette, before) << "a failed read keeps the palette";
  EXPECT_FALSE(orv::LoadPaletteFile(letters, palette));
  EXPECT_TRUE(orv::LoadPaletteFile(good, palette));
  for (const wxString& path : {good, shortLine, letters, empty}) wxRemoveFile(path);
  wxRmdir(dir);
}

// Channels without colours of their own: green, magenta, cyan, yellow, red,
// blue, then saturated hues, none repeating among the first 750.
TEST(ChannelColours, TheDefaultsAreSixNamedColoursThenDistinctSaturatedHues) {
  const std::vector<bix::RGB8> first = {{0, 255, 0}, {255, 0, 255}, {0, 255, 255},
                                        {255, 255, 0}, {255, 0, 0}, {0, 0, 255}};
  std::vector<bix::RGB8> seen;
  for (unsigned c = 0; c < 750; ++c) {
    const bix::RGB8 colour = orv::orv_DefaultChannelColour(c);
    if (c < first.size()) {
      EXPECT_EQ(colour, first[c]) << c;
    }
    const int high = std::max({colour.red, colour.green, colour.blue});
    const int low = std::min({colour.red, colour.green, colour.blue});
    EXPECT_EQ(high, 255) << c;
    EXPECT_EQ(low, 0) << c;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), colour), 0) << c;
    seen.push_back(colour);
  }
}
