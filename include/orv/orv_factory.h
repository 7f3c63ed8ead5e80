#ifndef ORV_FACTORY_H
#define ORV_FACTORY_H

#include <orv/mapping_module.h>
#include <orv/orv_frame.h>

#include <bix/Image3d.h>

namespace orv {

// A complete viewer of `image`: a frame with the "&View" and "&Mapping"
// menus, the mapping module that fits the voxel type, and the image canvas,
// fitted to the image and not yet shown. With `ownImage` the image is
// deleted with the canvas; otherwise it must outlive the frame. Returns null
// (and deletes an owned image) when memory for the module ran out.
template <class T>
ORV_EXPORT orv_OrthoscopeFrame* orv_CreateImage3dFrame(bix::Image3d<T>* image, bool ownImage, wxWindow* parent,
                                                       int id, const wxString& title,
                                                       const wxPoint& pos = wxDefaultPosition,
                                                       const wxSize& size = wxDefaultSize,
                                                       long style = wxDEFAULT_FRAME_STYLE);

// The mapping module for images of type T, made with the image's histograms
// (the gray module for gray types, the RGB module for RGB); the caller owns
// it. Null when memory ran out.
template <class T>
ORV_EXPORT orv_MappingModule<T>* orv_CreateMapperForType(wxFrame* frame, const bix::Image3d<T>& image);

}  // namespace orv

#endif
