#include <orv/orv_layer.h>

namespace orv {

orv_CanvasLayer::~orv_CanvasLayer() = default;
void orv_CanvasLayer::CutExtracted(int, const orv_VoxelGrid&, bool) {}
void orv_CanvasLayer::WholeStackChanged() {}
void orv_CanvasLayer::PaintOver(int, RGBBuffer&) {}
void orv_CanvasLayer::Draw(wxDC&, orv_ProjectionType) {}
void orv_CanvasLayer::OnMouse3d(orv_Mouse3dEvent&) {}

}  // namespace orv
