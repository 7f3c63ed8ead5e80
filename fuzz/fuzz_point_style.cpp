// libFuzzer target: the text of a "points.sty" style file. Whatever it
// holds, reading must never crash, hang or stop in an assertion of the
// configuration reader, and must end in a message or a whole file; a file
// claiming a huge number of styles stops at its first missing group.

#include "point_file_text.h"
#include "point_style_file.h"

#include <wx/init.h>
#include <wx/log.h>

#include <cstdint>
#include <string>

namespace {

// An assertion of the toolkit is a finding, not a dialog.
void TrapOnAssert(const wxString&, int, const wxString&, const wxString&, const wxString&) { __builtin_trap(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static wxInitializer toolkit;
  static const bool handled = (wxSetAssertHandler(TrapOnAssert), wxLog::EnableLogging(false), true);
  (void)handled;
  const std::string text = orv::DecodePointFileText(std::string(reinterpret_cast<const char*>(data), size));
  orv::PointStyleFile file;
  const std::string failure = orv::ParsePointStyleText(text, file);
  // At most one style per group the text can hold.
  if (file.styles.size() > text.size() / 3 + 1) __builtin_trap();
  if (failure.size() > 200) __builtin_trap();
  return 0;
}
