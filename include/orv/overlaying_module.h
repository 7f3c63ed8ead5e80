#ifndef ORV_OVERLAYING_MODULE_H
#define ORV_OVERLAYING_MODULE_H

#include <orv/orv_events.h>
#include <orv/extension_module.h>
#include <orv/orv_overlayer.h>

#include <wx/colour.h>
#include <wx/menu.h>

namespace orv {

class orv_OverlayingCommandEvent;
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_OVERLAYING_COMMAND, orv_OverlayingCommandEvent);

// Tells a host which overlay command a viewer just carried out: the client
// data is the module, and the event holds a copy of the menu command, which
// the host can replay on another viewer (with propagation stopped, so that
// the replay is not announced again).
class ORV_EXPORT orv_OverlayingCommandEvent : public orv_ModuleCommandEvent {
public:
  explicit orv_OverlayingCommandEvent(const wxCommandEvent* command = nullptr, void* module = nullptr)
      : orv_ModuleCommandEvent(orv_EVT_OVERLAYING_COMMAND, command, module) {}
  wxEvent* Clone() const override { return new orv_OverlayingCommandEvent(*this); }
};

// The overlay settings a user changes from the "&Overlaying" menu: overlay
// on or off, transparency in steps of 0.05, the label palette or one colour
// of the user's. Every change is told to the frame (orv_EVT_OVERLAYING_CHANGED)
// and, for the host, as an orv_EVT_OVERLAYING_COMMAND.
template <class L, class B>
class ORV_EXPORT orv_OverlayingModule : public orv_ExtensionModule, public orv_Overlayer<L, B> {
public:
  using typename orv_Overlayer<L, B>::Colour;

  // Menu offsets from the module's base id; the module reserves ten ids.
  enum {
    MENU_ENABLE = 0,
    MENU_RELOAD = 1,
    MENU_COMPONENTS = 2,
    MENU_BOUNDARY = 3,
    MENU_DEFAULT_PALETTE = 4,
    MENU_USER_COLOUR = 5,
    MENU_CHOOSE_COLOUR = 6,
    MENU_MORE_TRANSPARENT = 7,
    MENU_LESS_TRANSPARENT = 8,
    MENU_LAST = 9,
  };

  explicit orv_OverlayingModule(wxFrame* frame);

  wxMenu* CreateMenu(int& lastId) override;

  bool GetUseDefaultPalette() const { return m_useDefaultPalette; }
  const wxColour& GetUserColour() const { return m_userColour; }
  wxMenu* GetMenu() const { return m_menu; }

protected:
  // The colour of `label` in overlay buffer `buffer`: the palette entry at
  // label mod palette size (every buffer alike here).
  virtual Colour GetLabelColour(L label, unsigned int buffer) const;

private:
  void OnOverlaying(wxCommandEvent& event);
  void OnUpdateUI(wxUpdateUIEvent& event);
  void SetPal();
  void ChangeColour();
  void SetColour(const wxColour& colour) { m_userColour = colour; }

  bool m_useDefaultPalette = true;
  // The radio choice last made, by the user or a host: boundaries or components.
  bool m_boundaries = false;
  wxColour m_userColour;
  wxMenu* m_menu = nullptr;
};

}  // namespace orv

#endif
