#include "label_overlay_layer.h"

#include "info_frame.h"

#include <orv/basic_overlaying.h>
#include <orv/orv_chunkedview.h>
#include <orv/orv_palette.h>

#include <bix/Types.h>

#include <wx/frame.h>

namespace orv {

template <class L, class B>
LabelOverlayLayer<L, B>::LabelOverlayLayer(orv_OrthoscopeCanvas& canvas, orv_Overlayer<L, B>& overlayer)
    : m_canvas(canvas), m_overlayer(overlayer) {
  for (int k = 0; k < 6; ++k) m_buffers[k] = overlayer.Buffer_Create(static_cast<orv_OverlayWindowType>(k + 1));
}

template <class L, class B>
unsigned int LabelOverlayLayer<L, B>::ActiveBuffer(int index) const {
  return m_buffers[(m_canvas.GetContent(kCutWindows[index]) == CONTENT_AUTOFOCUS ? 3 : 0) + index];
}

// Both buffers of the window are placed on its new slice; the one it shows
// samples the labels there (a projection from the cached label projection).
// Labels from a chunked label image over an image from its chunks have the
// chunks their cut lacks fetched with the image's.
template <class L, class B>
void LabelOverlayLayer<L, B>::CutExtracted(int index, const orv_VoxelGrid& slice, bool projection) {
  for (int k : {index, index + 3}) m_overlayer.Buffer_SetDim(m_buffers[k], slice.size, slice.offset, slice.resolution);
  m_overlayer.Buffer_Render(ActiveBuffer(index));
  if (const auto labels = m_overlayer.GetChunkedLabels())
    if (orv_ChunkedView* view = m_canvas.GetChunkedView())
      view->WantOverlayChunks(kCutWindows[index], labels,
                              projection ? bix::CutChunks() : m_overlayer.GetMissingChunks(m_buffers[index]));
}

// Label projections are made from the labels at the work level once the
// image's projections are.
template <class L, class B>
void LabelOverlayLayer<L, B>::WholeStackChanged() {
  for (orv_ProjectionType window : kCutWindows)
    if (m_canvas.GetContent(window) == CONTENT_AUTOFOCUS) {
      FollowWorkLevel();
      return;
    }
}

template <class L, class B>
bool LabelOverlayLayer<L, B>::FollowWorkLevel() {
  const auto labels = m_overlayer.GetChunkedLabels();
  orv_ChunkedView* view = m_canvas.GetChunkedView();
  if (!labels || !view) return false;
  const bix::Vector3d<float> voxel = view->GetSource().Level(view->GetWorkLevel()).voxelSize;
  return m_overlayer.UseChunkedLevel(bix::LevelForVoxel(*labels, voxel), &m_canvas);
}

template <class L, class B>
void LabelOverlayLayer<L, B>::PaintOver(int index, RGBBuffer& picture) {
  if (m_overlayer.IsEmpty(false)) return;
  m_overlayer.Overlay(ActiveBuffer(index), picture);
}

template <class L, class B>
std::vector<bix::RGB8> LabelOverlayLayer<L, B>::SurfaceColours() const {
  if (const auto* palette = m_overlayer.GetPalette())
    if (m_overlayer.GetPaletteSize() > 0) return {palette, palette + m_overlayer.GetPaletteSize()};
  return MakePalette(PALETTE_OVERLAY);
}

template <class L, class B>
void LabelOverlayLayer<L, B>::OnMouse3d(orv_Mouse3dEvent& event) {
  const orv_VoxelGrid image = m_canvas.GetImageGrid();
  const int index = WindowIndex(event.GetWindow()->GetProjectionType());
  if (index < 0) return;
  const bix::Vector3d<int> v = InfoVoxelIndex(event.GetPosition3d(), image.offset, image.resolution);
  for (unsigned a = 0; a < 3; ++a)
    if (v[a] < 0 || static_cast<unsigned>(v[a]) >= image.size[a]) return;
  const wxMouseEvent& mouse = event.GetMouseEvent();
  const bool yz = index == 2;
  m_overlayer.Buffer_OnMouse(ActiveBuffer(index), yz ? mouse.GetY() : mouse.GetX(), yz ? mouse.GetX() : mouse.GetY(),
                             bix::Vector3d<unsigned>(v.x, v.y, v.z), dynamic_cast<wxFrame*>(m_canvas.GetParent()),
                             mouse);
}

#define ORV_INSTANTIATE_LABEL_OVERLAY_LAYER(L, B) template class LabelOverlayLayer<L, B>;
BIX_FOR_EACH_LABEL_PAIR(ORV_INSTANTIATE_LABEL_OVERLAY_LAYER)

}  // namespace orv
