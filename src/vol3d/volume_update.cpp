#include "volume_window.h"

#include "busy_notice.h"

#include <bix/Types.h>

#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <algorithm>

namespace orv {

template <class T>
void UpdateVolumeWindow(wxFrame* frame, const bix::Image3d<T>& image, const orv_Mapper<T>& mapper) {
  if (!image.GetFirstVoxelAddr()) return;
  wxWindowDisabler disabler;
  const auto notice = ShowBusyNotice("Updating 3D data...");
  // A driver whose limit no factor meets (under 3 texels) gives none: the
  // canvas then refuses the full-size texture with its own message.
  const unsigned factor =
      std::max(1u, ChooseVolumeFactor(image.GetSize(), VolumeWindowTextureLimit(frame), kVolumeTextureBudget));
  VolumeTexture texture;
  if (!BuildVolumeTexture(image, mapper, factor, texture)) {
    wxMessageBox("Not enough memory to create the 3D texture!", "Error", wxOK);
    return;
  }
  SetVolumeWindowTexture(frame, texture);
}

#define ORV_INSTANTIATE_VOLUME_UPDATE(T) \
  template void UpdateVolumeWindow<T>(wxFrame*, const bix::Image3d<T>&, const orv_Mapper<T>&);
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_VOLUME_UPDATE)

}  // namespace orv
