// The viewer of labels and points at once.

#include <orv/basic_overlaying.h>
#include <orv/orv_labeledpointcanvas.h>
#include <orv/point_set_module.h>

#include "viewer_assembly.h"

namespace orv {

template <class T, class L, class B>
orv_OrthoscopeFrame* orv_CreateLabeledImage3dPointsFrame(bix::Image3d<T>* image, bix::LabeledImage3d<L, B>* labels,
                                                         bool ownImage, bool ownLabels, const wxString& pointFile,
                                                         wxWindow* parent, int id, const wxString& title,
                                                         const wxPoint& pos, const wxSize& size, long style) {
  auto* frame = new orv_OrthoscopeFrame(parent, id, title, pos, size, style);
  auto* overlaying = new orv_BasicOverlayingModule<L, B>(frame, labels, ownLabels);
  orv_MappingModule<T>* mapping = AddMappingOrGiveUp(frame, image, ownImage);
  if (!mapping) {
    delete overlaying;
    return nullptr;
  }
  frame->AddExtensionModule(overlaying, "&Overlaying", true);
  auto* canvas =
      new orv_LabeledPointOrthoscopeCanvas<T, L, B>(frame, *mapping, *overlaying, image, ownImage, wxID_ANY);
  frame->AddExtensionModule(new orv_PointSetModule<T>(frame, canvas, pointFile), "&Points", true);
  frame->SetCanvas(canvas);
  frame->ResizeFrameIfRequired();
  return frame;
}

#define ORV_INSTANTIATE_LABELED_POINT_FRAME(T, L, B)                                                          \
  template class orv_LabeledPointOrthoscopeCanvas<T, L, B>;                                                  \
  template orv_OrthoscopeFrame* orv_CreateLabeledImage3dPointsFrame<T, L, B>(                                \
      bix::Image3d<T>*, bix::LabeledImage3d<L, B>*, bool, bool, const wxString&, wxWindow*, int, const wxString&, \
      const wxPoint&, const wxSize&, long);
ORV_FOR_EACH_LABELED_POINT_TRIPLE(ORV_INSTANTIATE_LABELED_POINT_FRAME)

}  // namespace orv
