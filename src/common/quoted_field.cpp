#include "quoted_field.h"

namespace orv {

std::string QuotedField(std::string_view field) {
  constexpr std::size_t kShown = 60;
  if (field.size() <= kShown) return std::string(field);
  // Whole UTF-8 characters only: the cut moves back to a character's start.
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(field[cut]) & 0xC0) == 0x80) --cut;
  return std::string(field.substr(0, cut)) + "\xE2\x80\xA6";
}

}  // namespace orv
