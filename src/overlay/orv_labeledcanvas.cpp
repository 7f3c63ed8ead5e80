#include <orv/orv_labeledcanvas.h>

#include <orv/basic_overlaying.h>

#include "label_overlay_layer.h"
#include "label_surfaces.h"
#include "volume_window.h"

#include <orv/orv_labeledpointcanvas.h>

#include <bix/Types.h>

namespace orv {

template <class Base, class L, class B>
orv_LabelOverlayCanvas<Base, L, B>::orv_LabelOverlayCanvas(wxWindow* parent, const orv_Mapper<Voxel>& mapper,
                                                           orv_Overlayer<L, B>& overlayer, bix::Image3d<Voxel>* image,
                                                           bool ownImage, int id, const wxPoint& pos,
                                                           const wxSize& size)
    : Base(parent, mapper, image, ownImage, id, pos, size), m_overlayer(overlayer) {
  auto layer = std::make_unique<LabelOverlayLayer<L, B>>(*this, overlayer);
  m_layer = layer.get();
  this->AddLayer(std::move(layer));
}

template <class Base, class L, class B>
unsigned int orv_LabelOverlayCanvas<Base, L, B>::GetOverlayBuffer(orv_OverlayWindowType type) const {
  return m_layer->Buffer(type);
}

// Settings changes paint again from the buffers at hand; a reload samples
// every window's labels again and rebuilds the surfaces of an open volume
// window. The surfaces follow the overlay switch and colours at once.
template <class Base, class L, class B>
void orv_LabelOverlayCanvas<Base, L, B>::OverlayingChanged(orv_OverlayingEvent& event) {
  wxFrame* volume = this->GetVolumeFrame();
  if (!event.GetReload()) {
    this->RepaintLayers();
  } else {
    if (const bix::Image3d<Voxel>* image = this->GetImage())
      m_overlayer.LoadOverlay(false, image->GetSize(), image->GetOffset(), image->GetResolution());
    this->MakeDirtyAndRefresh(PROJ_ALL);
    if (volume && volume->IsShown()) UpdateIsosurface();
  }
  if (volume) SetVolumeWindowSurfaceDisplay(volume, m_overlayer.GetOverlaying(), m_layer->SurfaceColours());
}

template <class Base, class L, class B>
bool orv_LabelOverlayCanvas<Base, L, B>::AttachChunkedLabels(std::shared_ptr<const bix::ChunkedImage> labels,
                                                              unsigned heldLevel) {
  if (!m_overlayer.AttachChunkedLabels(std::move(labels), heldLevel)) return false;
  this->MakeDirtyAndRefresh(PROJ_ALL);
  return true;
}

// Chunked labels build their surfaces at the work level.
template <class Base, class L, class B>
void orv_LabelOverlayCanvas<Base, L, B>::UpdateIsosurface() {
  const bix::LabeledImage3d<L, B>* labels = m_overlayer.GetLabeledImage(false, false);
  wxFrame* volume = this->GetVolumeFrame();
  if (!this->GetImage() || !labels || labels->GetVoxelCount() == 0 || !volume) return;
  if (m_layer->FollowWorkLevel()) this->ProjectionsStale();
  // The full image's grid (an image shown from its chunks holds a coarser level).
  const orv_VoxelGrid grid = this->GetImageGrid();
  const VolumeGeometry geometry{grid.size, grid.offset, grid.resolution};
  UpdateLabelSurfaces(volume, *labels, geometry, m_overlayer.GetOverlaying(), m_layer->SurfaceColours());
}

#define ORV_INSTANTIATE_LABELED(T, L, B)                                                                       \
  template class orv_LabelOverlayCanvas<orv_ImageOrthoscopeCanvas<T>, L, B>;                                   \
  template class orv_LabeledImageOrthoscopeCanvas<T, L, B>;
ORV_FOR_EACH_LABELED_TRIPLE(ORV_INSTANTIATE_LABELED)

// The overlay over point canvases: the viewers that show labels and points.
#define ORV_INSTANTIATE_LABELED_POINTS(T, L, B)                                                               \
  template class orv_LabelOverlayCanvas<orv_PointOrthoscopeCanvas<T>, L, B>;                                  \
  template class orv_LabeledPointOrthoscopeCanvas<T, L, B>;
ORV_FOR_EACH_LABELED_POINT_TRIPLE(ORV_INSTANTIATE_LABELED_POINTS)

}  // namespace orv
