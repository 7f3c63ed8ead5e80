#include <orv/channels_module.h>

#include <orv/orv_events.h>

#include <bix/Types.h>

#include <wx/colordlg.h>
#include <wx/menu.h>

namespace orv {

template <class T>
orv_ChannelsModule<T>::orv_ChannelsModule(orv_OrthoscopeFrame* frame, std::vector<orv_GrayMappingModule<T>*> mappings,
                                          std::vector<wxMenu*> menus, const std::vector<orv_ChannelStyle>& styles)
    : orv_ExtensionModule(frame), m_mappings(std::move(mappings)), m_menus(std::move(menus)) {
  for (std::size_t c = 0; c < m_mappings.size(); ++c) {
    const orv_ChannelStyle style = c < styles.size() ? styles[c] : orv_ChannelStyle();
    bix::RGB8 colour = orv_DefaultChannelColour(static_cast<unsigned>(c));
    if (style.colour.IsOk()) colour = bix::RGB8(style.colour.Red(), style.colour.Green(), style.colour.Blue());
    m_mappers.push_back(std::make_unique<orv_ChannelMapper<T>>(*m_mappings[c], colour, style.visible));
    m_names.push_back(style.name.empty() ? wxString::Format("C%zu", c + 1) : style.name);
  }
}

template <class T>
orv_ChannelsModule<T>::~orv_ChannelsModule() {
  for (std::size_t c = 0; c < m_menus.size(); ++c)
    if (c != m_mapped) delete m_menus[c];
}

template <class T>
wxString orv_ChannelsModule<T>::GetChannelName(unsigned c) const {
  return m_names.at(c);
}

template <class T>
wxMenu* orv_ChannelsModule<T>::CreateMenu(int& lastId) {
  const unsigned n = GetChannelCount();
  const int base = TakeMenuIds(lastId, static_cast<int>(2 * n + 2));
  auto* menu = new wxMenu;
  for (unsigned c = 0; c < n; ++c) menu->AppendCheckItem(ShowItem(c), "Show " + m_names[c]);
  menu->Append(ShowAllItem(), "Show all channels");
  menu->Append(ShowOnlyItem(), "Show only the mapped channel");
  menu->AppendSeparator();
  for (unsigned c = 0; c < n; ++c) menu->AppendRadioItem(MapItem(c), "Map " + m_names[c]);
  menu->AppendSeparator();
  menu->Append(ColourItem(), "Colour of the mapped channel...");
  Bind(wxEVT_MENU, &orv_ChannelsModule::OnCommand, this, base, lastId);
  Bind(wxEVT_UPDATE_UI, &orv_ChannelsModule::OnUpdateUI, this, base, lastId);
  return menu;
}

template <class T>
void orv_ChannelsModule<T>::SetMappedChannel(unsigned c) {
  if (c >= GetChannelCount() || c == m_mapped) return;
  wxMenuBar* bar = m_frame ? m_frame->GetMenuBar() : nullptr;
  const int at = bar ? bar->FindMenu("Mapping") : wxNOT_FOUND;
  if (at == wxNOT_FOUND) return;
  bar->Replace(static_cast<std::size_t>(at), m_menus[c], "&Mapping");
  m_mapped = c;
}

template <class T>
void orv_ChannelsModule<T>::SetChannelVisible(unsigned c, bool visible) {
  if (m_mappers.at(c)->IsVisible() == visible) return;
  m_mappers[c]->SetVisible(visible);
  Changed();
}

template <class T>
void orv_ChannelsModule<T>::SetChannelColour(unsigned c, const bix::RGB8& colour) {
  m_mappers.at(c)->SetColour(colour);
  Changed();
}

template <class T>
void orv_ChannelsModule<T>::Changed() {
  orv_MappingEvent changed(true);
  changed.SetEventObject(this);
  if (m_frame) m_frame->ProcessWindowEvent(changed);
}

template <class T>
void orv_ChannelsModule<T>::OnCommand(wxCommandEvent& event) {
  const int id = event.GetId();
  const unsigned n = GetChannelCount();
  for (unsigned c = 0; c < n; ++c) {
    if (id == ShowItem(c)) return SetChannelVisible(c, !IsChannelVisible(c));
    if (id == MapItem(c)) return SetMappedChannel(c);
  }
  if (id == ShowAllItem() || id == ShowOnlyItem()) {
    bool changed = false;
    for (unsigned c = 0; c < n; ++c) {
      const bool visible = id == ShowAllItem() || c == m_mapped;
      changed = changed || visible != IsChannelVisible(c);
      m_mappers[c]->SetVisible(visible);
    }
    if (changed) Changed();
  } else if (id == ColourItem()) {
    wxColourData data;
    const bix::RGB8 now = GetChannelColour(m_mapped);
    data.SetColour(wxColour(now.red, now.green, now.blue));
    wxColourDialog dialog(m_frame, &data);
    dialog.SetTitle("Colour of " + m_names[m_mapped]);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxColour chosen = dialog.GetColourData().GetColour();
    SetChannelColour(m_mapped, bix::RGB8(chosen.Red(), chosen.Green(), chosen.Blue()));
  }
}

template <class T>
void orv_ChannelsModule<T>::OnUpdateUI(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  for (unsigned c = 0; c < GetChannelCount(); ++c) {
    if (id == ShowItem(c)) event.Check(IsChannelVisible(c));
    if (id == MapItem(c)) event.Check(c == m_mapped);
  }
}

#define ORV_INSTANTIATE_CHANNELS_MODULE(T) template class orv_ChannelsModule<T>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_CHANNELS_MODULE)

}  // namespace orv
