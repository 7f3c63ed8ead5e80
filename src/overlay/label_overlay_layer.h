#ifndef ORV_SRC_LABEL_OVERLAY_LAYER_H
#define ORV_SRC_LABEL_OVERLAY_LAYER_H

#include <orv/orv_canvas.h>
#include <orv/orv_layer.h>
#include <orv/orv_overlayer.h>

#include <bix/RGB.h>

#include <vector>

namespace orv {

// A label overlay over every cut window of a canvas: each window keeps an
// overlay buffer for its cut and one for its projection, both placed where
// its slice is; the overlay is painted on the mapped picture, so a change of
// transparency or colours maps and paints again but resamples nothing.
// Mouse events over the image reach the overlayer (outline picking).
template <class L, class B>
class LabelOverlayLayer : public orv_CanvasLayer {
public:
  // The overlayer is not owned; it must outlive the layer.
  LabelOverlayLayer(orv_OrthoscopeCanvas& canvas, orv_Overlayer<L, B>& overlayer);

  void CutExtracted(int index, const orv_VoxelGrid& slice, bool projection) override;
  void WholeStackChanged() override;
  void PaintOver(int index, RGBBuffer& picture) override;
  void OnMouse3d(orv_Mouse3dEvent& event) override;

  orv_Overlayer<L, B>& Overlayer() const { return m_overlayer; }
  // The overlay buffer of a window kind (OVERLAY_CUT_XY .. OVERLAY_PROJ_YZ).
  unsigned int Buffer(orv_OverlayWindowType type) const { return m_buffers[type - OVERLAY_CUT_XY]; }
  // The overlay's palette, or the label palette when it has none: the
  // colours of the label surfaces.
  std::vector<bix::RGB8> SurfaceColours() const;
  // Chunked labels over a chunked image take the level that matches the
  // image's work level for whole-stack work (read now when they hold
  // another); returns whether they changed.
  bool FollowWorkLevel();

private:
  // The buffer that window `index` shows: its projection's or its cut's.
  unsigned int ActiveBuffer(int index) const;

  orv_OrthoscopeCanvas& m_canvas;
  orv_Overlayer<L, B>& m_overlayer;
  // OVERLAY_CUT_XY, _XZ, _YZ, OVERLAY_PROJ_XY, _XZ, _YZ in this order.
  unsigned int m_buffers[6];
};

}  // namespace orv

#endif
