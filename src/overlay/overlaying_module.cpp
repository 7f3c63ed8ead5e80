#include <orv/overlaying_module.h>

#include <orv/orv_palette.h>

#include <bix/Types.h>

#include <wx/colordlg.h>

namespace orv {

wxDEFINE_EVENT(orv_EVT_OVERLAYING_COMMAND, orv_OverlayingCommandEvent);

template <class L, class B>
orv_OverlayingModule<L, B>::orv_OverlayingModule(wxFrame* frame)
    : orv_ExtensionModule(frame), m_boundaries(!(this->m_transparency < 1.0f)), m_userColour("RED") {
  SetPal();
}

template <class L, class B>
wxMenu* orv_OverlayingModule<L, B>::CreateMenu(int& lastId) {
  const int b = TakeMenuIds(lastId, MENU_LAST);
  auto* menu = new wxMenu;
  menu->AppendCheckItem(b + MENU_ENABLE, "&Enable\tCtrl-1", "Enable/disable overlaying");
  menu->AppendSeparator();
  menu->AppendRadioItem(b + MENU_COMPONENTS, "&Components\tCtrl-2", "Overlay components (zero transparency)");
  menu->AppendRadioItem(b + MENU_BOUNDARY, "&Boundary\tCtrl-3", "Overlay boundary (full transparency)");
  menu->AppendSeparator();
  menu->Append(b + MENU_MORE_TRANSPARENT, "&Increase transparency\tCtrl-4", "Increase overlay transparency");
  menu->Append(b + MENU_LESS_TRANSPARENT, "D&ecrease transparency\tCtrl-5", "Decrease overlay transparency");
  menu->AppendSeparator();
  menu->AppendCheckItem(b + MENU_DEFAULT_PALETTE, "&Default palette\tCtrl-6", "Use default palette");
  menu->AppendCheckItem(b + MENU_USER_COLOUR, "&User-defined colour\tCtrl-7", "Use selected colour");
  menu->AppendSeparator();
  menu->Append(b + MENU_CHOOSE_COLOUR, "&Choose colour...\tCtrl-8", "Select user-defined colour");
  menu->AppendSeparator();
  menu->Append(b + MENU_RELOAD, "&Reload\tCtrl-R", "Reload");
  Bind(wxEVT_MENU, &orv_OverlayingModule::OnOverlaying, this, b, b + MENU_LAST);
  Bind(wxEVT_UPDATE_UI, &orv_OverlayingModule::OnUpdateUI, this, b, b + MENU_LAST);
  m_menu = menu;
  return menu;
}

template <class L, class B>
void orv_OverlayingModule<L, B>::OnOverlaying(wxCommandEvent& event) {
  const int d = event.GetId() - GetMenuId(0);
  if (d == MENU_RELOAD) {
    orv_OverlayingEvent reload(true, true);
    reload.SetEventObject(this);
    if (m_frame) m_frame->ProcessWindowEvent(reload);
    return;
  }
  float& t = this->m_transparency;
  switch (d) {
    case MENU_ENABLE: this->m_overlaying = !this->m_overlaying; break;
    case MENU_COMPONENTS:
    case MENU_BOUNDARY:
      this->m_overlaying = true;
      m_boundaries = d == MENU_BOUNDARY;
      t = m_boundaries ? 1.0f : 0.0f;
      break;
    case MENU_DEFAULT_PALETTE:
    case MENU_USER_COLOUR:
      m_useDefaultPalette = d == MENU_DEFAULT_PALETTE;
      SetPal();
      break;
    case MENU_CHOOSE_COLOUR: ChangeColour(); break;
    case MENU_MORE_TRANSPARENT:
      t += 0.05f;
      if (!(t < 1.0f)) t = 1.0f;
      break;
    case MENU_LESS_TRANSPARENT:
      t -= 0.05f;
      if (!(t > 0.0f)) t = 0.0f;
      break;
    default: break;
  }
  orv_OverlayingEvent changed(false, false);
  changed.SetEventObject(this);
  if (m_frame) m_frame->ProcessWindowEvent(changed);
  if (event.ShouldPropagate() && m_frame) {
    orv_OverlayingCommandEvent command(&event, this);
    command.SetEventObject(m_frame);
    m_frame->ProcessWindowEvent(command);
  }
}

// The radio items show the choice last made, whoever made it (a host sends
// the command without touching the menu): a transparency step moves away
// from both ends without changing it.
template <class L, class B>
void orv_OverlayingModule<L, B>::OnUpdateUI(wxUpdateUIEvent& event) {
  switch (event.GetId() - GetMenuId(0)) {
    case MENU_ENABLE: event.Check(this->m_overlaying); break;
    case MENU_COMPONENTS: event.Check(!m_boundaries); break;
    case MENU_BOUNDARY: event.Check(m_boundaries); break;
    case MENU_DEFAULT_PALETTE: event.Check(m_useDefaultPalette); break;
    case MENU_USER_COLOUR: event.Check(!m_useDefaultPalette); break;
    default: break;
  }
}

template <class L, class B>
void orv_OverlayingModule<L, B>::SetPal() {
  if (!m_useDefaultPalette) {
    const Colour user(m_userColour.Red(), m_userColour.Green(), m_userColour.Blue());
    this->SetPaletteColours(&user, 1);
    return;
  }
  const std::vector<Colour> labels = MakePalette(PALETTE_OVERLAY);
  this->SetPaletteColours(labels.data(), static_cast<unsigned int>(labels.size()));
}

template <class L, class B>
void orv_OverlayingModule<L, B>::ChangeColour() {
  wxColourData data;
  data.SetColour(m_userColour);
  wxColourDialog dialog(m_frame, &data);
  if (dialog.ShowModal() != wxID_OK) return;
  SetColour(dialog.GetColourData().GetColour());
  m_useDefaultPalette = false;
  if (m_menu) m_menu->Check(GetMenuId(MENU_USER_COLOUR), true);
  SetPal();
}

template <class L, class B>
typename orv_OverlayingModule<L, B>::Colour orv_OverlayingModule<L, B>::GetLabelColour(L label, unsigned int) const {
  return this->m_palette[label % this->m_paletteSize];
}

#define ORV_INSTANTIATE_OVERLAYING_MODULE(L, B) template class orv_OverlayingModule<L, B>;
BIX_FOR_EACH_LABEL_PAIR(ORV_INSTANTIATE_OVERLAYING_MODULE)

}  // namespace orv
