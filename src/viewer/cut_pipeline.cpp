#include "cut_pipeline.h"

#include <bix/Types.h>

#include <algorithm>

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
                            const CutOrientation& orientation) {
  if (m_mapDirty) {
    m_mapDirty = false;
    m_orientDirty = true;
    if (!m_buffer.IsEmpty()) {
      mapper.Map(m_slice.GetFirstVoxelAddr(), m_buffer);
      ++m_mappings;
      for (const auto& layer : layers) layer->PaintOver(m_window, m_buffer);
    }
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
