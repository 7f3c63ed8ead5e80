#ifndef ORV_SRC_CUT_PIPELINE_H
#define ORV_SRC_CUT_PIPELINE_H

// What one cut window shows, made in stages, each cached and redone only
// when a change invalidates it: extract (resample the cut, or the window's
// autofocus projection, at the window's zoom: one voxel per pixel) -> map
// (voxels to RGB through the mapper) -> paint over (overlays and point
// markers draw on the mapped buffer) -> orient (the picture the window
// system paints from, transposed and mirrored as the axes require). An
// earlier stage redone makes the later ones stale.

#include "cut_picture.h"
#include "view_model.h"

#include <orv/orv_buffer2d.h>
#include <orv/orv_layer.h>
#include <orv/orv_mapper.h>

#include <bix/Image3d.h>

#include <functional>
#include <memory>
#include <vector>

namespace orv {

// The layers that paint over the mapped buffer, in order.
using CanvasLayers = std::vector<std::unique_ptr<orv_CanvasLayer>>;

template <class T>
class CutPipeline {
public:
  explicit CutPipeline(int window) : m_window(window) {}

  void InvalidateCut() { m_extractDirty = true; }
  void InvalidateMapping() { m_mapDirty = true; }
  // Only what the layers paint over the mapped picture changed (an
  // overlay's transparency or colours): painted again over the mapped
  // picture kept from the last mapping, which is not redone.
  void InvalidateLayers() { m_paintDirty = true; }
  void InvalidateOrientation() { m_orientDirty = true; }
  bool CutIsStale() const { return m_extractDirty; }

  // Places the slice for a client area of width x height pixels (at the cut,
  // or at depth 0 for the autofocus projection along the window's depth
  // axis) and has `resample` fill it.
  void Extract(const ViewModel& view, bool projection, unsigned width, unsigned height,
               const std::function<void(bix::Image3d<T>& slice)>& resample);
  // Runs the stages after extraction that are stale; `addChannels`, when
  // given, adds the colours of further channels to the mapped picture
  // before the layers paint over it.
  void Finish(const orv_Mapper<T>& mapper, const CanvasLayers& layers, const CutOrientation& orientation,
              const std::function<void(RGB8Buffer&)>& addChannels = {});

  const bix::Image3d<T>& Slice() const { return m_slice; }
  const RGB8Buffer& Buffer() const { return m_buffer; }
  const CutPicture& Picture() const { return m_picture; }
  unsigned long Extractions() const { return m_extractions; }
  unsigned long Mappings() const { return m_mappings; }

private:
  int m_window;
  bix::Image3d<T> m_slice;
  RGB8Buffer m_buffer;
  RGB8Buffer m_mapped;  // the mapped picture before the layers painted over it (when there are layers)
  CutPicture m_picture;
  bool m_extractDirty = true, m_mapDirty = false, m_paintDirty = false, m_orientDirty = false;
  unsigned long m_extractions = 0, m_mappings = 0;
};

}  // namespace orv

#endif
