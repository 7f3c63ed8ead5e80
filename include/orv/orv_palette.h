#ifndef ORV_PALETTE_H
#define ORV_PALETTE_H

#include <orv/orv_export.h>

#include <bix/RGB.h>

#include <wx/string.h>

#include <vector>

namespace orv {

enum orv_PaletteKind {
  PALETTE_LABELS = 0,      // 13-colour label cycle
  PALETTE_SATURATION = 1,  // gray with blue at 0 and red at 255
  PALETTE_PERIODIC = 2,    // six colour gradients around the hue circle
  PALETTE_OVERLAY = 3,     // 14-colour overlay palette
};

// The colours of palette `kind`; any other kind gives a 256-step gray ramp.
ORV_EXPORT std::vector<bix::RGB8> MakePalette(int kind);

// Reads a palette file: one colour per line (at most 256 lines), red, green
// and blue as decimal integers separated by single blanks, commas or colons
// (only the low 8 bits of each are kept; further tokens are ignored). Returns
// an empty string on success; otherwise, with `palette` unchanged, what is
// wrong in words for the user: the file, and the line and what was expected
// there when a line has fewer than three numbers.
ORV_EXPORT wxString ReadPaletteFile(const wxString& path, std::vector<bix::RGB8>& palette);
// As ReadPaletteFile; true on success.
ORV_EXPORT bool LoadPaletteFile(const wxString& path, std::vector<bix::RGB8>& palette);

}  // namespace orv

#endif
