#ifndef ORV_VIEW_HELP_WINDOW_H
#define ORV_VIEW_HELP_WINDOW_H

#include <orv/orv_frame.h>

#include <utility>
#include <vector>

namespace orvview {

// The command id of "Keys and mouse", above the ids of the viewer's modules.
constexpr int kKeysAndMouseId = 7000;

// One row of the "Keys and mouse" window: the keys or buttons, and what they
// do; a row with empty keys is a heading.
using HelpRow = std::pair<wxString, wxString>;

// The rows of the "Keys and mouse" window of a viewer with this menu bar:
// the mouse actions and keys of the cut windows and every accelerator of the
// menus, taken from the tables the code dispatches through.
std::vector<HelpRow> KeysAndMouseRows(const wxMenuBar* bar);
// The rows as the window shows them, one line each, keys in a column.
wxString KeysAndMouseText(const std::vector<HelpRow>& rows);

// Adds "&Help" with "Keys and mouse" to the viewer's menu bar. The window
// is made on first use, then only shown again; it goes with the viewer.
void AddHelpMenu(orv::orv_OrthoscopeFrame* frame);

}  // namespace orvview

#endif
