#ifndef ORV_VIEW_CUT_MOUSE_H
#define ORV_VIEW_CUT_MOUSE_H

#include <orv/orv_canvas.h>

#include <vector>

namespace orvview {

// A mouse action of the cut windows, as the help lists it.
struct MouseAction {
  const char* buttons;
  const char* description;
};

// What the mouse does in orv-view's cut windows: the click and drag this
// file binds, and what the viewer itself does with the mouse.
const std::vector<MouseAction>& CutWindowMouseActions();

// A left click or drag in a cut window moves the cut point to the pointer
// (within the window's plane, as Space does), through the canvas's 3D mouse
// events; every other mouse event goes on to the canvas unchanged.
void BindCutMouse(orv::orv_OrthoscopeCanvas* canvas);

}  // namespace orvview

#endif
