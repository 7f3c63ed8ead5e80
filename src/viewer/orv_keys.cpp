#include <orv/orv_keys.h>

#include <wx/accel.h>
#include <wx/defs.h>
#include <wx/menu.h>

namespace orv {

namespace {

// Key-down events report letters upper case; a table may name either.
int NormalizedKey(int keyCode) {
  return keyCode >= 'a' && keyCode <= 'z' ? keyCode - 'a' + 'A' : keyCode;
}

int AccelFlags(int modifiers) {
  int flags = 0;
  if (modifiers & wxMOD_ALT) flags |= wxACCEL_ALT;
  if (modifiers & wxMOD_CONTROL) flags |= wxACCEL_CTRL;
  if (modifiers & wxMOD_SHIFT) flags |= wxACCEL_SHIFT;
  return flags;
}

// The accelerator part of a label ("Zoom In\tF2" gives "F2").
wxString AcceleratorText(const wxString& label) {
  const int tab = label.Find('\t');
  return tab == wxNOT_FOUND ? wxString() : label.Mid(tab + 1);
}

void CollectMenuKeys(const wxMenu* menu, const wxString& path, std::vector<orv_MenuKey>& keys) {
  for (const wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSeparator()) continue;
    const wxString name = path + " > " + wxStripMenuCodes(item->GetItemLabel(), wxStrip_All);
    if (item->IsSubMenu()) {
      CollectMenuKeys(item->GetSubMenu(), name, keys);
      continue;
    }
    const wxString text = AcceleratorText(item->GetItemLabel());
    wxAcceleratorEntry entry;
    if (text.empty() || !entry.FromString(text)) continue;
    keys.push_back({item->GetId(), entry.GetFlags() & (wxACCEL_ALT | wxACCEL_CTRL | wxACCEL_SHIFT),
                    NormalizedKey(entry.GetKeyCode()), text, name});
  }
}

}  // namespace

const std::vector<orv_CutKey>& CutWindowKeys() {
  static const std::vector<orv_CutKey> keys = {
      {CUTKEY_SCROLL_LEFT, WXK_LEFT, 0, 0, "Left arrow", "scroll the window's view left"},
      {CUTKEY_SCROLL_RIGHT, WXK_RIGHT, 0, 0, "Right arrow", "scroll the window's view right"},
      {CUTKEY_SCROLL_UP, WXK_UP, 0, 0, "Up arrow", "scroll the window's view up"},
      {CUTKEY_SCROLL_DOWN, WXK_DOWN, 0, 0, "Down arrow", "scroll the window's view down"},
      {CUTKEY_PREVIOUS_SLICE, WXK_PAGEUP, 0, 0, "Page Up", "move the window's cut one voxel back in depth"},
      {CUTKEY_NEXT_SLICE, WXK_PAGEDOWN, 0, 0, "Page Down", "move the window's cut one voxel on in depth"},
      {CUTKEY_CUT_AT_MOUSE, WXK_SPACE, 0, 0, "Space", "move the cut point to the mouse"},
      {CUTKEY_CENTER_AT_MOUSE, 'C', 0, wxMOD_ALT | wxMOD_CONTROL, "C", "centre the view at the mouse"},
      {CUTKEY_CENTER_ON_CUT, 'C', wxMOD_ALT, wxMOD_CONTROL, "Alt+C", "centre the view on the cut point"},
      {CUTKEY_TOGGLE_LABELS, '/', wxMOD_ALT, 0, "Alt+/", "show or hide the window names"},
  };
  return keys;
}

const orv_CutKey* FindCutKey(int keyCode, int modifiers) {
  const int key = NormalizedKey(keyCode);
  for (const orv_CutKey& row : CutWindowKeys())
    if (row.keyCode == key && (modifiers & row.required) == row.required && !(modifiers & row.forbidden))
      return &row;
  return nullptr;
}

std::vector<orv_MenuKey> MenuKeys(const wxMenuBar* bar) {
  std::vector<orv_MenuKey> keys;
  if (!bar) return keys;
  for (size_t i = 0; i < bar->GetMenuCount(); ++i)
    CollectMenuKeys(bar->GetMenu(i), wxStripMenuCodes(bar->GetMenuLabel(i), wxStrip_All), keys);
  return keys;
}

// The last of several items with one key wins: a module's menu (or a
// host's, appended later) is the more specific one, as its handler comes
// first in the frame's chain ("Save" of the points rather than "Save 3d
// data...", both Ctrl-S).
int FindMenuKey(const std::vector<orv_MenuKey>& keys, int keyCode, int modifiers) {
  const int key = NormalizedKey(keyCode), flags = AccelFlags(modifiers);
  for (auto row = keys.rbegin(); row != keys.rend(); ++row)
    if (row->keyCode == key && row->flags == flags) return row->id;
  return wxID_NONE;
}

}  // namespace orv
