#include <orv/basic_overlaying.h>
#include <orv/orv_labeledcanvas.h>
#include <orv/orv_labeledpointcanvas.h>
#include <orv/point_set_module.h>

#include "viewer_assembly.h"

#include <bix/Types.h>

namespace orv {

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

#define ORV_INSTANTIATE_LABELED_FACTORY(T, L, B)                                                              \
  template orv_OrthoscopeFrame* orv_CreateLabeledImage3dFrame<T, L, B>(                                        \
      bix::Image3d<T>*, bix::LabeledImage3d<L, B>*, bool, bool, wxWindow*, int, const wxString&, const wxPoint&, \
      const wxSize&, long);
ORV_FOR_EACH_LABELED_TRIPLE(ORV_INSTANTIATE_LABELED_FACTORY)

#define ORV_INSTANTIATE_LABELED_POINTS_FACTORY(T, L, B)                                                       \
  template orv_OrthoscopeFrame* orv_CreateLabeledImage3dPointsFrame<T, L, B>(                                \
      bix::Image3d<T>*, bix::LabeledImage3d<L, B>*, bool, bool, const wxString&, wxWindow*, int, const wxString&, \
      const wxPoint&, const wxSize&, long);
ORV_FOR_EACH_LABELED_POINT_TRIPLE(ORV_INSTANTIATE_LABELED_POINTS_FACTORY)

}  // namespace orv
