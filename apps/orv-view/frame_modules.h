#ifndef ORV_VIEW_FRAME_MODULES_H
#define ORV_VIEW_FRAME_MODULES_H

#include <orv/orv_frame.h>

namespace orvview {

// The viewer's extension module of type M (its mapping or overlaying
// module), searched along the frame's chain of event handlers; null if none.
template <class M>
M* FindModule(orv::orv_OrthoscopeFrame* frame) {
  return frame->FindModule<M>();
}

}  // namespace orvview

#endif
