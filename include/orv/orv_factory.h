#ifndef ORV_FACTORY_H
#define ORV_FACTORY_H

#include <orv/channels_module.h>
#include <orv/mapping_module.h>
#include <orv/orv_frame.h>
#include <orv/time_axis.h>

#include <bix/ChunkedImage.h>
#include <bix/Image3d.h>

#include <functional>
#include <memory>
#include <vector>

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

// A complete viewer of time point `t` and channel `c` of a chunked image
// (gray voxel types) that need not fit in memory: the level bix::LevelToHold
// chooses is read whole now, for the first picture, the histograms and what
// else needs the image in memory, and the cut windows fetch finer levels as
// their zoom asks for them (orv_ChunkedImageCanvas). Raises bix::IOException
// when that level cannot be read, bix::LibException when T is not the
// image's voxel type or t or c is out of range. Returns null when memory ran out.
template <class T>
ORV_EXPORT orv_OrthoscopeFrame* orv_CreateChunkedImageFrame(std::shared_ptr<const bix::ChunkedImage> source,
                                                            unsigned t, unsigned c, wxWindow* parent, int id,
                                                            const wxString& title,
                                                            const wxPoint& pos = wxDefaultPosition,
                                                            const wxSize& size = wxDefaultSize,
                                                            long style = wxDEFAULT_FRAME_STYLE);

// Makes `frame`, a viewer of a gray image of type T made by these
// factories (labelled, with points or not), a viewer of several channels:
// its image is channel 0, `further` are the next ones (each of its size),
// every channel with a gray mapping module of its own, shown in its style
// (`styles`, one per channel; colours not given are the defaults) and
// added; a "&Channels" menu shows, hides and colours them and chooses the
// channel the "&Mapping" menu acts on. A viewer of a chunked image takes
// the held levels of further channels of its source, `sourceChannels` (one
// per stack). Returns the channels module (the frame owns it); raises
// bix::LibException when the frame shows no image of type T or a stack has
// another size.
template <class T>
ORV_EXPORT orv_ChannelsModule<T>* orv_AddChannels(orv_OrthoscopeFrame* frame,
                                                  std::vector<std::unique_ptr<bix::Image3d<T>>> further,
                                                  const std::vector<orv_ChannelStyle>& styles,
                                                  const std::vector<unsigned>& sourceChannels = {});

// Reads time point `t` of an image in memory: one stack per channel, in the
// viewer's channel order, each of the viewer's size. It should stop (by
// raising) once `keepGoing` says false; failures raise exceptions, whose
// message the viewer shows.
template <class T>
using orv_TimePointReader =
    std::function<void(unsigned t, std::vector<bix::Image3d<T>>& stacks, const std::function<bool()>& keepGoing)>;

// Gives `frame`, a viewer made by these factories of an image in memory (of
// one channel or several), a time axis of `count` time points whose time
// point `shown` (from 0) the viewer shows now: the "&Time" menu (keys "["
// and "]") and a slider under the cut windows. Other time points are read by
// `read` on a thread of its own when asked for (the windows keep showing
// the last one meanwhile), and the next one in the direction of travel
// ahead; time points read or shown before are kept while they fit in
// `memoryBytes` (0: a quarter of the machine's memory). A viewer of a
// chunked image (orv_CreateChunkedImageFrame) moves its cuts to the new time
// point at once, from its chunks, and `read` gives the time point's held
// level (the level the canvas's image is). The frame owns the axis; raises
// bix::LibException when the frame shows no image of type T.
template <class T>
ORV_EXPORT orv_TimeAxis* orv_AddTimeAxis(orv_OrthoscopeFrame* frame, unsigned count, unsigned shown,
                                         orv_TimePointReader<T> read, std::size_t memoryBytes = 0);

// The mapping module for images of type T, made with the image's histograms
// (the gray module for gray types, the RGB module for RGB); the caller owns
// it. Null when memory ran out.
template <class T>
ORV_EXPORT orv_MappingModule<T>* orv_CreateMapperForType(wxFrame* frame, const bix::Image3d<T>& image);

}  // namespace orv

#endif
