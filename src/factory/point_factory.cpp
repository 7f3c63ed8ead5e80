#include <orv/point_set_module.h>

#include "viewer_assembly.h"

namespace orv {

template <class T>
orv_OrthoscopeFrame* orv_CreateImage3dPointsFrame(bix::Image3d<T>* image, bool ownImage, const wxString& pointFile,
                                                  wxWindow* parent, int id, const wxString& title, const wxPoint& pos,
                                                  const wxSize& size, long style) {
  auto* frame = new orv_OrthoscopeFrame(parent, id, title, pos, size, style);
  orv_MappingModule<T>* mapping = AddMappingOrGiveUp(frame, image, ownImage);
  if (!mapping) return nullptr;
  auto* canvas = new orv_PointOrthoscopeCanvas<T>(frame, *mapping, image, ownImage, wxID_ANY);
  frame->AddExtensionModule(new orv_PointSetModule<T>(frame, canvas, pointFile), "&Points", true);
  frame->SetCanvas(canvas);
  frame->ResizeFrameIfRequired();
  return frame;
}

#define ORV_INSTANTIATE_POINT_FACTORY(T)                                                                  \
  template orv_OrthoscopeFrame* orv_CreateImage3dPointsFrame<T>(bix::Image3d<T>*, bool, const wxString&,      \
                                                                wxWindow*, int, const wxString&, const wxPoint&, \
                                                                const wxSize&, long);
ORV_FOR_EACH_POINT_VOXEL_TYPE(ORV_INSTANTIATE_POINT_FACTORY)

}  // namespace orv
