#include <orv/orv_labeledcanvas.h>

#include <orv/basic_overlaying.h>

#include "label_overlay_layer.h"
#include "label_surfaces.h"
#include "volume_window.h"
#include "viewer_assembly.h"

#include <orv/orv_labeledpointcanvas.h>
#include <orv/point_set_module.h>

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
    this->RemapPictures();
  } else {
    const orv_VoxelGrid image = this->GetImageGrid();
    if (this->GetImage())
      m_overlayer.LoadOverlay(false, image.size, image.offset, this->GetImage()->GetResolution());
    this->MakeDirtyAndRefresh(PROJ_ALL);
    if (volume && volume->IsShown()) UpdateIsosurface();
  }
  if (volume) SetVolumeWindowSurfaceDisplay(volume, m_overlayer.GetOverlaying(), m_layer->SurfaceColours());
}

template <class Base, class L, class B>
void orv_LabelOverlayCanvas<Base, L, B>::UpdateIsosurface() {
  const orv_VoxelGrid image = this->GetImageGrid();
  const bix::LabeledImage3d<L, B>* labels = m_overlayer.GetLabeledImage(false, false);
  wxFrame* volume = this->GetVolumeFrame();
  if (!this->GetImage() || !labels || labels->GetVoxelCount() == 0 || !volume) return;
  const VolumeGeometry geometry{image.size, image.offset, image.resolution};
  UpdateLabelSurfaces(volume, *labels, geometry, m_overlayer.GetOverlaying(), m_layer->SurfaceColours());
}

namespace {

// A viewer frame with the mapping module of `image`, the basic overlaying
// module of `labels` and a canvas of type `Canvas` over both; `addModules`
// adds what else the canvas needs before it is set. Null (deleting what it
// owns) when memory for the mapping ran out.
template <class Canvas, class T, class L, class B, class AddModules>
orv_OrthoscopeFrame* MakeLabeledFrame(bix::Image3d<T>* image, bix::LabeledImage3d<L, B>* labels, bool ownImage,
                                      bool ownLabels, wxWindow* parent, int id, const wxString& title,
                                      const wxPoint& pos, const wxSize& size, long style, AddModules addModules) {
  auto* frame = new orv_OrthoscopeFrame(parent, id, title, pos, size, style);
  auto* overlaying = new orv_BasicOverlayingModule<L, B>(frame, labels, ownLabels);
  orv_MappingModule<T>* mapping = AddMappingOrGiveUp(frame, image, ownImage);
  if (!mapping) {
    delete overlaying;
    return nullptr;
  }
  frame->AddExtensionModule(overlaying, "&Overlaying", true);
  auto* canvas = new Canvas(frame, *mapping, *overlaying, image, ownImage, wxID_ANY);
  addModules(frame, canvas);
  frame->SetCanvas(canvas);
  frame->ResizeFrameIfRequired();
  return frame;
}

}  // namespace

template <class T, class L, class B>
orv_OrthoscopeFrame* orv_CreateLabeledImage3dFrame(bix::Image3d<T>* image, bix::LabeledImage3d<L, B>* labels,
                                                   bool ownImage, bool ownLabels, wxWindow* parent, int id,
                                                   const wxString& title, const wxPoint& pos, const wxSize& size,
                                                   long style) {
  return MakeLabeledFrame<orv_LabeledImageOrthoscopeCanvas<T, L, B>>(image, labels, ownImage, ownLabels, parent, id,
                                                                     title, pos, size, style,
                                                                     [](orv_OrthoscopeFrame*, void*) {});
}

template <class T, class L, class B>
orv_OrthoscopeFrame* orv_CreateLabeledImage3dPointsFrame(bix::Image3d<T>* image, bix::LabeledImage3d<L, B>* labels,
                                                         bool ownImage, bool ownLabels, const wxString& pointFile,
                                                         wxWindow* parent, int id, const wxString& title,
                                                         const wxPoint& pos, const wxSize& size, long style) {
  return MakeLabeledFrame<orv_LabeledPointOrthoscopeCanvas<T, L, B>>(
      image, labels, ownImage, ownLabels, parent, id, title, pos, size, style,
      [&](orv_OrthoscopeFrame* frame, orv_PointOrthoscopeCanvas<T>* canvas) {
        frame->AddExtensionModule(new orv_PointSetModule<T>(frame, canvas, pointFile), "&Points", true);
      });
}

#define ORV_INSTANTIATE_LABELED(T, L, B)                                                                       \
  template class orv_LabelOverlayCanvas<orv_ImageOrthoscopeCanvas<T>, L, B>;                                   \
  template class orv_LabeledImageOrthoscopeCanvas<T, L, B>;                                                    \
  template orv_OrthoscopeFrame* orv_CreateLabeledImage3dFrame<T, L, B>(                                        \
      bix::Image3d<T>*, bix::LabeledImage3d<L, B>*, bool, bool, wxWindow*, int, const wxString&, const wxPoint&, \
      const wxSize&, long);
ORV_FOR_EACH_LABELED_TRIPLE(ORV_INSTANTIATE_LABELED)

// The overlay over point canvases: the viewers that show labels and points.
#define ORV_INSTANTIATE_LABELED_POINTS(T, L, B)                                                               \
  template class orv_LabelOverlayCanvas<orv_PointOrthoscopeCanvas<T>, L, B>;                                  \
  template class orv_LabeledPointOrthoscopeCanvas<T, L, B>;                                                  \
  template orv_OrthoscopeFrame* orv_CreateLabeledImage3dPointsFrame<T, L, B>(                                \
      bix::Image3d<T>*, bix::LabeledImage3d<L, B>*, bool, bool, const wxString&, wxWindow*, int, const wxString&, \
      const wxPoint&, const wxSize&, long);
ORV_FOR_EACH_LABELED_POINT_TRIPLE(ORV_INSTANTIATE_LABELED_POINTS)

}  // namespace orv
