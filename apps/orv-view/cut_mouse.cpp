#include "cut_mouse.h"

namespace orvview {

const std::vector<MouseAction>& CutWindowMouseActions() {
  static const std::vector<MouseAction> actions = {
      {"Left click or drag", "move the cut point to the mouse"},
      {"Mouse over a window", "the info window (View > Show info) names the voxel under the mouse"},
  };
  return actions;
}

void BindCutMouse(orv::orv_OrthoscopeCanvas* canvas) {
  canvas->Bind(orv::orv_EVT_MOUSE3D, [canvas](orv::orv_Mouse3dEvent& event) {
    const wxMouseEvent& mouse = event.GetMouseEvent();
    if (mouse.LeftDown() || (mouse.Dragging() && mouse.LeftIsDown())) {
      orv::orv_DrWin3d* window = event.GetWindow();
      window->SetCutAt(window->WindowToHorizontal(mouse.GetX()), window->WindowToVertical(mouse.GetY()));
      canvas->AnnounceCutChange(window->GetDepthAxisMask());
    }
    event.Skip();
  });
}

}  // namespace orvview
