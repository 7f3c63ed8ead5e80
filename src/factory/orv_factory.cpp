#include <orv/orv_factory.h>

#include <orv/gray_mapping.h>
#include <orv/orv_imagecanvas.h>
#include <orv/rgb_mapping.h>

#include "viewer_assembly.h"

#include <bix/Types.h>

#include <new>

namespace orv {

namespace {

template <class T>
struct ModuleFor {
  using type = orv_GrayMappingModule<T>;
};
template <class C>
struct ModuleFor<bix::RGB_generic<C>> {
  using type = orv_RGBMappingModule<C>;
};

}  // namespace

template <class T>
orv_MappingModule<T>* orv_CreateMapperForType(wxFrame* frame, const bix::Image3d<T>& image) {
  try {
    const HistogramSet<T> histograms(image);
    return new typename ModuleFor<T>::type(frame, histograms);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

template <class T>
orv_MappingModule<T>* AddMappingOrGiveUp(orv_OrthoscopeFrame* frame, bix::Image3d<T>* image, bool ownImage) {
  orv_MappingModule<T>* module = orv_CreateMapperForType<T>(frame, *image);
  if (module) {
    frame->AddExtensionModule(module, "&Mapping", true);
  } else {
    frame->Destroy();
    if (ownImage) delete image;
  }
  return module;
}

template <class T>
orv_OrthoscopeFrame* orv_CreateImage3dFrame(bix::Image3d<T>* image, bool ownImage, wxWindow* parent, int id,
                                            const wxString& title, const wxPoint& pos, const wxSize& size,
                                            long style) {
  auto* frame = new orv_OrthoscopeFrame(parent, id, title, pos, size, style);
  orv_MappingModule<T>* module = AddMappingOrGiveUp(frame, image, ownImage);
  if (!module) return nullptr;
  frame->SetCanvas(new orv_ImageOrthoscopeCanvas<T>(frame, *module, image, ownImage, wxID_ANY));
  frame->ResizeFrameIfRequired();
  return frame;
}

#define ORV_INSTANTIATE_FACTORIES(T)                                                                          \
  template orv_MappingModule<T>* orv_CreateMapperForType<T>(wxFrame*, const bix::Image3d<T>&);               \
  template orv_MappingModule<T>* AddMappingOrGiveUp<T>(orv_OrthoscopeFrame*, bix::Image3d<T>*, bool);         \
  template orv_OrthoscopeFrame* orv_CreateImage3dFrame<T>(bix::Image3d<T>*, bool, wxWindow*, int,           \
                                                          const wxString&, const wxPoint&, const wxSize&, long);
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_FACTORIES)

}  // namespace orv
