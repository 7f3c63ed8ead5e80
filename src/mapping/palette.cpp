#include <orv/orv_palette.h>

#include <wx/filename.h>
#include <wx/textfile.h>
#include <wx/tokenzr.h>

#include <algorithm>

namespace orv {

namespace {


// Appends n entries running from `from` to `to`, both ends included; each
// channel is truncated, entry j lying at t = j / (n - 1) (single precision).
void AppendGradient(std::vector<bix::RGB8>& palette, bix::RGB8 from, bix::RGB8 to, int n) {
  for (int j = 0; j < n; ++j) {
    const float t = static_cast<float>(j) / static_cast<float>(n - 1);
    auto channel = [t](unsigned char a, unsigned char b) {
      return static_cast<unsigned char>(a + (static_cast<float>(b) - a) * t);
    };
    palette.emplace_back(channel(from.red, to.red), channel(from.green, to.green),
                         channel(from.blue, to.blue));
  }
}

std::vector<bix::RGB8> GrayRamp() {
  std::vector<bix::RGB8> ramp;
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<unsigned char>(i);
    ramp.emplace_back(v, v, v);
  }
  return ramp;
}

}  // namespace

std::vector<bix::RGB8> MakePalette(int kind) {
  std::vector<bix::RGB8> palette;
  switch (kind) {
    case PALETTE_LABELS:
      palette = {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 0},
                 {0, 255, 255}, {255, 0, 255}, {128, 0, 0},   {0, 128, 0},   {0, 0, 128},
                 {128, 128, 0}, {0, 128, 128}, {128, 0, 128}};
      break;
    case PALETTE_SATURATION:
      palette = GrayRamp();
      palette.front() = bix::RGB8(0, 0, 255);
      palette.back() = bix::RGB8(255, 0, 0);
      break;
    case PALETTE_PERIODIC: {
      const bix::RGB8 blue(0, 0, 255), cyan(0, 255, 255), green(0, 255, 0), yellow(255, 255, 0),
          red(255, 0, 0), magenta(255, 0, 255);
      AppendGradient(palette, blue, cyan, 43);
      AppendGradient(palette, cyan, green, 43);
      AppendGradient(palette, green, yellow, 43);
      AppendGradient(palette, yellow, red, 42);
      AppendGradient(palette, red, magenta, 43);
      AppendGradient(palette, magenta, blue, 42);
      break;
    }
    case PALETTE_OVERLAY:
      palette = {{255, 255, 255}, {255, 0, 0},     {0, 255, 0},   {0, 0, 255},   {255, 0, 255},
                 {0, 255, 255},   {128, 0, 0},     {0, 128, 0},   {0, 0, 128},   {128, 128, 255},
                 {128, 128, 0},   {128, 0, 255},   {255, 128, 255}, {128, 128, 128}};
      break;
    default:
      palette = GrayRamp();
  }
  return palette;
}

wxString ReadPaletteFile(const wxString& path, std::vector<bix::RGB8>& palette) {
  wxTextFile file;
  if (!wxFileName::FileExists(path) || !file.Open(path))
    return wxString::Format("The palette file %s cannot be read.", path);
  const size_t lines = std::min<size_t>(file.GetLineCount(), 256);
  if (lines == 0)  // an empty palette cannot colour anything
    return wxString::Format("The palette file %s holds no colours: each line gives one colour.", path);
  std::vector<bix::RGB8> loaded(lines);
  for (size_t i = 0; i < lines; ++i) {
    // Adjacent delimiters give an empty token, which is no number.
    wxStringTokenizer tokens(file[i].Strip(wxString::both), " :,", wxTOKEN_RET_EMPTY);
    long rgb[3];
    for (long& channel : rgb)
      if (!tokens.HasMoreTokens() || !tokens.GetNextToken().ToLong(&channel, 10))
        return wxString::Format(
            "The palette file %s, line %zu: expected red, green and blue as three whole numbers separated by "
            "single blanks, commas or colons (such as \"255 128 0\"), found \"%s\".",
            path, i + 1, file[i]);
    loaded[i] = bix::RGB8(static_cast<unsigned char>(rgb[0] & 0xff),
                                                static_cast<unsigned char>(rgb[1] & 0xff),
                                                static_cast<unsigned char>(rgb[2] & 0xff));
  }
  palette = std::move(loaded);
  return wxString();
}

bool LoadPaletteFile(const wxString& path, std::vector<bix::RGB8>& palette) {
  return ReadPaletteFile(path, palette).empty();
}

}  // namespace orv
