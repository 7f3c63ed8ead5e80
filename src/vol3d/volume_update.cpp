#include "volume_window.h"

#include "busy_notice.h"

#include <orv/vol3d_canvas.h>

#include <bix/Types.h>

#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <algorithm>

namespace orv {

template <class T>
void UpdateVolumeWindow(wxFrame* frame, const bix::Image3d<T>& image, const orv_Mapper<T>& mapper) {
  UpdateVolumeWindow(frame, std::vector<VolumeChannel<T>>{{&image, &mapper}});
}

template <class T>
void UpdateVolumeWindow(wxFrame* frame, const std::vector<VolumeChannel<T>>& channels) {
  if (channels.empty() || !channels.front().image->GetFirstVoxelAddr()) return;
  const bix::Image3d<T>& image = *channels.front().image;
  wxWindowDisabler disabler;
  const auto notice = ShowBusyNotice("Updating 3D data...");
  // A driver whose limit no factor meets (under 3 texels) gives none: the
  // canvas then refuses the full-size texture with its own message.
  const unsigned factor =
      std::max(1u, ChooseVolumeFactor(image.GetSize(), VolumeWindowTextureLimit(frame), kVolumeTextureBudget));
  // Uploaded slab by slab as the cores make them, into a texture that keeps
  // its room from one update to the next of the same size.
  vol3D_VolVisCanvas* canvas = VolumeWindowCanvas(frame);
  if (!canvas) return;
  const VolumeTextureShape shape = ShapeOfVolumeTexture(image.GetSize(), image.GetResolution().GetRes(), factor);
  if (!canvas->BeginVolumeData(shape.size, shape.scale, shape.factor)) return;
  const bool built = StreamVolumeTexture(channels, factor, [canvas](unsigned first, unsigned planes,
                                                                         const std::uint8_t* rgba) {
    canvas->SetVolumeSlab(first, planes, rgba);
  });
  if (!built) {
    wxMessageBox("Not enough memory to create the 3D texture!", "Error", wxOK);
    return;
  }
  canvas->EndVolumeData();
}

#define ORV_INSTANTIATE_VOLUME_UPDATE(T) \
  template void UpdateVolumeWindow<T>(wxFrame*, const bix::Image3d<T>&, const orv_Mapper<T>&); \
  template void UpdateVolumeWindow<T>(wxFrame*, const std::vector<VolumeChannel<T>>&);
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_VOLUME_UPDATE)

}  // namespace orv
