#ifndef ORV_SRC_FACTORY_SERIES_SAVING_H
#define ORV_SRC_FACTORY_SERIES_SAVING_H

// "Save 3d data" of a viewer of several channels or time points: every
// channel of every time point (or of the one shown) as one OME-TIFF or
// OME-Zarr image, with the channels' names and colours. Takes the command
// before the frame; a viewer of one channel and one time point saves as
// before.

#include <orv/channels_module.h>
#include <orv/extension_module.h>
#include <orv/orv_factory.h>
#include <orv/time_axis.h>

namespace orv {

template <class T>
class SeriesSaving : public orv_ExtensionModule {
public:
  // The frame's saver, made and pushed onto its handlers the first time.
  static SeriesSaving& Of(orv_OrthoscopeFrame* frame);

  wxMenu* CreateMenu(int&) override { return nullptr; }
  void SetChannels(orv_ChannelsModule<T>* channels) { m_channels = channels; }
  void SetTime(orv_TimeAxis* axis, orv_TimePointReader<T> read) {
    m_axis = axis;
    m_read = std::move(read);
  }

private:
  explicit SeriesSaving(orv_OrthoscopeFrame* frame);
  void OnSave(wxCommandEvent& event);

  orv_ChannelsModule<T>* m_channels = nullptr;
  orv_TimeAxis* m_axis = nullptr;
  orv_TimePointReader<T> m_read;
};

}  // namespace orv

#endif
