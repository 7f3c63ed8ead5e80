#include <orv/orv_chunkedcanvas.h>

#include <bix/Types.h>

namespace orv {

template <class T>
orv_ChunkedImageCanvas<T>::orv_ChunkedImageCanvas(wxWindow* parent, const orv_Mapper<T>& mapper,
                                                  std::shared_ptr<const bix::ChunkedImage> source, unsigned t,
                                                  unsigned c, std::unique_ptr<bix::Image3d<T>> held,
                                                  unsigned heldLevel, int id, const wxPoint& pos,
                                                  const wxSize& size)
    : orv_ImageOrthoscopeCanvas<T>(parent, mapper, held.release(), true, id, pos, size) {
  this->AttachChunkedSource(std::move(source), t, c, heldLevel);
}

#define ORV_INSTANTIATE_CHUNKED_CANVAS(T) template class orv_ChunkedImageCanvas<T>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_CHUNKED_CANVAS)

}  // namespace orv
