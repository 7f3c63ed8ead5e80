#ifndef ORV_EXTENSION_MODULE_H
#define ORV_EXTENSION_MODULE_H

#include <orv/orv_export.h>

#include <wx/event.h>
#include <wx/frame.h>
#include <wx/menu.h>

namespace orv {

// A module that plugs into a viewer frame: the frame pushes it onto its chain
// of event handlers, so it sees the frame's commands first, and asks it once
// for a menu over a block of command ids above the frame's.
class ORV_EXPORT orv_ExtensionModule : public wxEvtHandler {
public:
  explicit orv_ExtensionModule(wxFrame* frame = nullptr) : m_frame(frame) {}

  // Takes ids lastId + 1 upward, leaves lastId at the last one taken, binds
  // its handlers to them and returns a new menu (or null).
  virtual wxMenu* CreateMenu(int& lastId) = 0;

  int GetMenuId(int k) const { return m_menuId + k; }
  wxFrame* GetFrame() const { return m_frame; }
  void SetFrame(wxFrame* frame) { m_frame = frame; }

protected:
  // Takes the block of ids lastId + 1 .. lastId + 1 + last for the module's
  // menu (once: a second call is a fault), leaves lastId at its end and
  // returns its base id.
  int TakeMenuIds(int& lastId, int last) {
    wxASSERT_MSG(GetMenuId(0) == 0, "GetMenuId(0) == 0");
    m_menuId = lastId + 1;
    lastId = m_menuId + last;
    return m_menuId;
  }

  int m_menuId = 0;
  wxFrame* m_frame;
};

}  // namespace orv

#endif
