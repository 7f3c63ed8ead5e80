#include <orv/orv_factory.h>

#include <orv/gray_mapping.h>
#include <orv/histogram.h>
#include <orv/orv_imagecanvas.h>

#include "series_saving.h"

#include <bix/Exceptions.h>
#include <bix/Types.h>

namespace orv {

template <class T>
orv_ChannelsModule<T>* orv_AddChannels(orv_OrthoscopeFrame* frame, std::vector<std::unique_ptr<bix::Image3d<T>>> further,
                                       const std::vector<orv_ChannelStyle>& styles,
                                       const std::vector<unsigned>& sourceChannels) {
  auto* canvas = frame ? dynamic_cast<orv_ImageOrthoscopeCanvas<T>*>(frame->GetCanvas()) : nullptr;
  orv_GrayMappingModule<T>* first = frame ? frame->FindModule<orv_GrayMappingModule<T>>() : nullptr;
  wxMenuBar* bar = frame ? frame->GetMenuBar() : nullptr;
  const int mapping = bar ? bar->FindMenu("Mapping") : wxNOT_FOUND;
  if (!canvas || !first || mapping == wxNOT_FOUND)
    throw bix::LibException("channels are added to a viewer of a gray image made by the library's factories");
  const bix::Vector3d<unsigned> size = canvas->GetChannelImage(0).GetSize();
  for (const auto& image : further)
    if (!image || image->GetSize() != size) throw bix::LibException("a channel must have the size of the viewer's image");

  std::vector<orv_GrayMappingModule<T>*> mappings{first};
  std::vector<wxMenu*> menus{bar->GetMenu(static_cast<std::size_t>(mapping))};
  for (const auto& image : further) {
    auto* module = new orv_GrayMappingModule<T>(frame, HistogramSet<T>(*image));
    mappings.push_back(module);
    menus.push_back(frame->AddExtensionModuleAside(module));
  }
  auto* channels = new orv_ChannelsModule<T>(frame, mappings, menus, styles);
  frame->AddExtensionModule(channels, "&Channels", true);
  canvas->SetMapper(channels->GetMapper(0));
  std::vector<wxString> names{channels->GetChannelName(0)};
  for (std::size_t k = 0; k < further.size(); ++k) {
    canvas->AddChannel(std::move(further[k]), channels->GetMapper(static_cast<unsigned>(k + 1)),
                       k < sourceChannels.size() ? int(sourceChannels[k]) : -1);
    names.push_back(channels->GetChannelName(static_cast<unsigned>(k + 1)));
  }
  canvas->SetChannelNames(names);
  SeriesSaving<T>::Of(frame).SetChannels(channels);
  return channels;
}

#define ORV_INSTANTIATE_ADD_CHANNELS(T)                                                                     \
  template orv_ChannelsModule<T>* orv_AddChannels<T>(orv_OrthoscopeFrame*,                                  \
                                                     std::vector<std::unique_ptr<bix::Image3d<T>>>,         \
                                                     const std::vector<orv_ChannelStyle>&,                  \
                                                     const std::vector<unsigned>&);
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_ADD_CHANNELS)

}  // namespace orv
