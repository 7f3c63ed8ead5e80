#ifndef ORV_SRC_VIEWER_ASSEMBLY_H
#define ORV_SRC_VIEWER_ASSEMBLY_H

// What every viewer factory does first: the frame's mapping module.

#include <orv/mapping_module.h>
#include <orv/orv_frame.h>

#include <bix/Image3d.h>

namespace orv {

// Gives `frame` the mapping module of the image's type under "&Mapping".
// When memory for it runs out, the viewer is given up: the frame is
// destroyed, an owned image deleted, and null returned.
template <class T>
orv_MappingModule<T>* AddMappingOrGiveUp(orv_OrthoscopeFrame* frame, bix::Image3d<T>* image, bool ownImage);

}  // namespace orv

#endif
