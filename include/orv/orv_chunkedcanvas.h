#ifndef ORV_CHUNKEDCANVAS_H
#define ORV_CHUNKEDCANVAS_H

#include <orv/orv_chunkedview.h>
#include <orv/orv_imagecanvas.h>

#include <bix/ChunkedImage.h>

#include <memory>

namespace orv {

// An image canvas over a chunked multiscale image (OME-Zarr on disk or on a
// web server) that need not fit in memory: the image canvas with the chunked
// source attached (AttachChunkedSource) when it is made. One level, `held`,
// is read whole beforehand: it gives the first picture at once and serves
// what needs the image in memory until the work level is read. Each cut
// window asks for the level that suits its zoom (the finest whose voxels are
// not smaller than a pixel) and shows the finest data at hand meanwhile;
// chunks are decoded on the library's workers and the window repaints as they
// arrive. Painting never waits for a chunk; chunks a window no longer shows
// are cancelled, those next to the cut in depth fetched ahead. Chunks that
// fail are shown in the frame's status bar and asked for again, later each
// time. GetChunkedView() tells how loading goes.
template <class T>
class ORV_EXPORT orv_ChunkedImageCanvas : public orv_ImageOrthoscopeCanvas<T> {
public:
  // Shows time point `t` and channel `c` of `source` through `mapper` (not
  // owned); `held` is level `heldLevel` of them, read whole.
  orv_ChunkedImageCanvas(wxWindow* parent, const orv_Mapper<T>& mapper,
                         std::shared_ptr<const bix::ChunkedImage> source, unsigned t, unsigned c,
                         std::unique_ptr<bix::Image3d<T>> held, unsigned heldLevel, int id = wxID_ANY,
                         const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize);
};

}  // namespace orv

#endif
