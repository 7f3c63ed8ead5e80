#include "cut_pipeline.h"

#include <bix/Types.h>

#include <algorithm>
#include <cstring>

namespace orv {

template <class T>
void CutPipeline<T>::Extract(const ViewModel& view, bool projection, unsigned width, unsigned height,
                             const std::function<void(bix::Image3d<T>& slice)>& resample) {
  m_extractDirty = false;
  m_mapDirty = true;
  const CutAxes& axes = kCutAxes[m_window];
  // The slice runs along the image's axes in image order: one voxel deep
  // along the window's depth axis.
  const unsigned bw = axes.transposed ? height : width, bh = axes.transposed ? width : height;
  if (m_buffer.width != bw || m_buffer.height != bh) {
    bix::Vector3d<unsigned> size(1, 1, 1);
    size[axes.h] = width;
    size[axes.v] = height;
    // Every voxel is resampled below: no need to zero the new slice first.
    m_slice.MakeRoomUninitialized(size);
    m_buffer.Resize(bw, bh);
  }
  bix::Vector3d<float> offset = view.visibleBox.offset;
  offset[axes.d] = projection ? 0.f : view.cut[axes.d];
  m_slice.SetOffset(offset);
  m_slice.SetResolution(bix::Resolution(view.zoom));
  resample(m_slice);
  ++m_extractions;
}

template <class T>
void CutPipeline<T>::Finish(const orv_Mapper<T>& mapper, const CanvasLayers& layers,
                            const CutOrientation& orientation,
                            const std::function<void(RGB8Buffer&)>& addChannels) {
  const std::size_t bytes = std::size_t(m_buffer.width) * m_buffer.height * sizeof(bix::RGB8);
  const bool kept = !m_mapped.IsEmpty() && m_mapped.width == m_buffer.width && m_mapped.height == m_buffer.height;
  // Only the layers changed: they paint over the mapped picture kept from
  // the last mapping (mapped again when none was kept).
  if (m_paintDirty && !m_mapDirty && !m_buffer.IsEmpty()) {
    if (kept)
      std::memcpy(static_cast<void*>(m_buffer.data), m_mapped.data, bytes);
    else
      m_mapDirty = true;
  }
  if (m_mapDirty) {
    m_mapDirty = false;
    m_paintDirty = true;
    if (!m_buffer.IsEmpty()) {
      mapper.Map(m_slice.GetFirstVoxelAddr(), m_buffer);
      if (addChannels) addChannels(m_buffer);
      ++m_mappings;
      if (!layers.empty()) {
        if (!kept) m_mapped.Resize(m_buffer.width, m_buffer.height);
        std::memcpy(static_cast<void*>(m_mapped.data), m_buffer.data, bytes);
      }
    }
  }
  if (m_paintDirty) {
    m_paintDirty = false;
    m_orientDirty = true;
    if (!m_buffer.IsEmpty())
      for (const auto& layer : layers) layer->PaintOver(m_window, m_buffer);
  }
  if (m_orientDirty) {
    m_orientDirty = false;
    if (m_buffer.IsEmpty())
      m_picture.Clear();
    else
      m_picture.Fill(m_buffer, orientation.Transposed(), orientation.MirroredAcross(), orientation.MirroredDown());
  }
}

#define ORV_INSTANTIATE_CUT_PIPELINE(T) template class CutPipeline<T>;
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_CUT_PIPELINE)

}  // namespace orv
