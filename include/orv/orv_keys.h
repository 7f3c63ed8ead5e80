#ifndef ORV_KEYS_H
#define ORV_KEYS_H

// The keys of a viewer, as tables: the keys a cut window handles itself and
// the accelerators written in the frame's menu labels. The code dispatches
// through these tables, and a help text made from them lists exactly what
// the code does.

#include <orv/orv_export.h>

#include <wx/string.h>

#include <vector>

class wxMenuBar;

namespace orv {

// What a key pressed in a cut window does.
enum orv_CutKeyAction {
  CUTKEY_SCROLL_LEFT,
  CUTKEY_SCROLL_RIGHT,
  CUTKEY_SCROLL_UP,
  CUTKEY_SCROLL_DOWN,
  CUTKEY_PREVIOUS_SLICE,
  CUTKEY_NEXT_SLICE,
  CUTKEY_CUT_AT_MOUSE,
  CUTKEY_TOGGLE_LABELS,
  CUTKEY_CENTER_ON_CUT,
  CUTKEY_CENTER_AT_MOUSE,
};

// One key of the cut windows. It matches a key code (letters in either
// case) when every modifier of `required` is held and none of `forbidden`;
// the others do not matter.
struct ORV_EXPORT orv_CutKey {
  orv_CutKeyAction action;
  int keyCode;
  int required;   // wxMOD_* that must be held
  int forbidden;  // wxMOD_* that must not be held
  const char* keys;
  const char* description;
};

// The keys of the cut windows, in the order the help lists them.
ORV_EXPORT const std::vector<orv_CutKey>& CutWindowKeys();
// The first row matching a key code with the held modifiers (wxMOD_*), or null.
ORV_EXPORT const orv_CutKey* FindCutKey(int keyCode, int modifiers);

// A menu item with an accelerator in its label.
struct ORV_EXPORT orv_MenuKey {
  int id;
  int flags;    // wxACCEL_ALT, wxACCEL_CTRL, wxACCEL_SHIFT
  int keyCode;  // as a key-down event reports it
  wxString keys;  // the accelerator as written in the label, e.g. "Ctrl+E" or "I"
  wxString menu;  // the menu path, e.g. "View > Axis > Reverse X"
};

// Every item of the menu bar (submenus included) whose label carries an
// accelerator, in menu order.
ORV_EXPORT std::vector<orv_MenuKey> MenuKeys(const wxMenuBar* bar);
// The id of the item whose accelerator is this key code with exactly these
// modifiers (wxMOD_ALT, wxMOD_CONTROL, wxMOD_SHIFT; others ignored), or
// wxID_NONE. Of several such items the last in menu order wins (a module's
// menu over the frame's own).
ORV_EXPORT int FindMenuKey(const std::vector<orv_MenuKey>& keys, int keyCode, int modifiers);

}  // namespace orv

#endif
