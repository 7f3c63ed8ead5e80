#ifndef ORV_CHANNELS_MODULE_H
#define ORV_CHANNELS_MODULE_H

#include <orv/channel_mapper.h>
#include <orv/extension_module.h>
#include <orv/gray_mapping.h>
#include <orv/orv_frame.h>

#include <memory>
#include <vector>

namespace orv {

// The "&Channels" menu of a viewer of several channels: each channel shown
// or hidden, its colour, and which channel the "&Mapping" menu (and its
// histogram dialogs) acts on. Every channel has a gray mapping module of its
// own, owned by the frame; the one chosen has its menu in the menu bar
// under "&Mapping", the others wait aside.
template <class T>
class ORV_EXPORT orv_ChannelsModule : public orv_ExtensionModule {
public:
  // `mappings[c]` is channel c's module, `menus[c]` its menu (menus[0] in
  // the menu bar already, the others aside; the module deletes those not in
  // the bar); `styles` one per channel.
  orv_ChannelsModule(orv_OrthoscopeFrame* frame, std::vector<orv_GrayMappingModule<T>*> mappings,
                     std::vector<wxMenu*> menus, const std::vector<orv_ChannelStyle>& styles);
  ~orv_ChannelsModule() override;

  wxMenu* CreateMenu(int& lastId) override;

  unsigned GetChannelCount() const { return static_cast<unsigned>(m_mappers.size()); }
  // What the canvas shows channel c through.
  const orv_ChannelMapper<T>& GetMapper(unsigned c) const { return *m_mappers.at(c); }
  orv_GrayMappingModule<T>& GetMapping(unsigned c) const { return *m_mappings.at(c); }
  // The name the menus and the info window give channel c.
  wxString GetChannelName(unsigned c) const;

  // The channel the "&Mapping" menu acts on; choosing another puts its
  // module's menu in the bar.
  unsigned GetMappedChannel() const { return m_mapped; }
  void SetMappedChannel(unsigned c);
  // Showing, hiding and colouring a channel redraws the windows and the
  // volume window.
  bool IsChannelVisible(unsigned c) const { return m_mappers.at(c)->IsVisible(); }
  void SetChannelVisible(unsigned c, bool visible);
  bix::RGB8 GetChannelColour(unsigned c) const { return m_mappers.at(c)->GetColour(); }
  void SetChannelColour(unsigned c, const bix::RGB8& colour);

  // Menu offsets from the module's base id.
  int ShowItem(unsigned c) const { return GetMenuId(static_cast<int>(c)); }
  int MapItem(unsigned c) const { return GetMenuId(static_cast<int>(GetChannelCount() + c)); }
  int ColourItem() const { return GetMenuId(static_cast<int>(2 * GetChannelCount())); }
  int ShowAllItem() const { return ColourItem() + 1; }
  int ShowOnlyItem() const { return ColourItem() + 2; }

private:
  void OnCommand(wxCommandEvent& event);
  void OnUpdateUI(wxUpdateUIEvent& event);
  // The mappers changed: the windows map again, the volume window too.
  void Changed();

  std::vector<orv_GrayMappingModule<T>*> m_mappings;
  std::vector<wxMenu*> m_menus;
  std::vector<std::unique_ptr<orv_ChannelMapper<T>>> m_mappers;
  std::vector<wxString> m_names;
  unsigned m_mapped = 0;
};

}  // namespace orv

#endif
