#ifndef ORV_SETTINGS_FILE_H
#define ORV_SETTINGS_FILE_H

// Settings files as users leave them (orv-view.conf, points.sty): the text
// the toolkit's configuration reader takes, checked first, so that a line
// it cannot take is the file's fault, said with its line, and never an
// assertion dialog.

#include <orv/orv_export.h>

#include <memory>
#include <string>
#include <string_view>

class wxFileConfig;

namespace orv {

// The first line of `text` the configuration reader cannot take (a key
// without a name, a group without its ']', a line without "=", a group
// opened twice), as "NAME line N: why in 'line'"; empty when every line is
// sound.
ORV_EXPORT std::string SettingsFileFault(std::string_view text, const std::string& name);

// The settings of `text` (UTF-8), read without touching any file (saving
// them is the caller's choice); null with `fault` saying why when the text
// cannot be read. The reader's warnings (a key given twice: its first value
// counts) are not shown.
ORV_EXPORT std::unique_ptr<wxFileConfig> ReadSettingsText(const std::string& text, const std::string& name,
                                                          std::string& fault);

}  // namespace orv

#endif
