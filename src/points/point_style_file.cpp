#include "point_style_file.h"

#include "point_file_text.h"

#include <orv/settings_file.h>

#include <wx/fileconf.h>

namespace orv {

std::string ParsePointStyleText(const std::string& text, PointStyleFile& file) {
  file = PointStyleFile();
  std::string fault;
  const std::unique_ptr<wxFileConfig> read = ReadSettingsText(text, "points.sty", fault);
  if (!read) return fault;
  wxFileConfig& config = *read;
  wxString styleColumn, displayed;
  long maxStyle = 0;
  if (!config.Read("StyleColumn", &styleColumn)) return "StyleColumn entry does not exist.";
  if (!config.Read("MaxStyle", &maxStyle)) return "MaxStyle entry does not exist.";
  file.styleColumn = styleColumn.utf8_string();
  file.hasDisplayedLabel = config.Read("DisplayedLabel", &displayed);
  file.displayedLabel = displayed.utf8_string();
  // A file that claims more styles than it holds stops at the first
  // missing group, whatever number it claims.
  for (long i = 0; i <= maxStyle; ++i) {
    const wxString group = wxString::Format("/Style_%ld", i);
    if (!config.HasGroup(group)) return ("Group " + group + " does not exist").utf8_string();
    config.SetPath(group);
    file.styles.push_back({config.Read("Colour", wxString()).utf8_string(),
                           config.Read("Marker", wxString()).utf8_string()});
    config.SetPath("/");
  }
  return std::string();
}

}  // namespace orv
