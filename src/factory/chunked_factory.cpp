#include <orv/orv_chunkedcanvas.h>
#include <orv/orv_factory.h>

#include "viewer_assembly.h"

#include <bix/ChunkedCut.h>
#include <bix/Types.h>

namespace orv {

template <class T>
orv_OrthoscopeFrame* orv_CreateChunkedImageFrame(std::shared_ptr<const bix::ChunkedImage> source, unsigned t,
                                                 unsigned c, wxWindow* parent, int id, const wxString& title,
                                                 const wxPoint& pos, const wxSize& size, long style) {
  const unsigned heldLevel = bix::LevelToHold(*source);
  auto held = std::make_unique<bix::Image3d<T>>();
  source->ReadBox(heldLevel, t, c, bix::Vector3d<unsigned>(0, 0, 0), source->Level(heldLevel).size, *held);
  auto* frame = new orv_OrthoscopeFrame(parent, id, title, pos, size, style);
  // The histograms come from the held level: the whole image's distribution
  // of values, without reading the whole image.
  orv_MappingModule<T>* module = AddMappingOrGiveUp(frame, held.get(), false);
  if (!module) return nullptr;
  frame->SetCanvas(
      new orv_ChunkedImageCanvas<T>(frame, *module, std::move(source), t, c, std::move(held), heldLevel, wxID_ANY));
  frame->ResizeFrameIfRequired();
  return frame;
}

#define ORV_INSTANTIATE_CHUNKED_FACTORY(T)                                                                        \
  template ORV_EXPORT orv_OrthoscopeFrame* orv_CreateChunkedImageFrame<T>(                                       \
      std::shared_ptr<const bix::ChunkedImage>, unsigned, unsigned, wxWindow*, int, const wxString&, const wxPoint&, \
      const wxSize&, long);
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_CHUNKED_FACTORY)

}  // namespace orv
