#ifndef ORV_PYTHON_TOOLKIT_H
#define ORV_PYTHON_TOOLKIT_H

// wxWidgets inside a Python process: started once, on the thread that first
// shows a viewer, and run only while a call waits for its viewer.

#include <orv/orv_frame.h>

#include <functional>
#include <string>

namespace orvpy {

// Starts the toolkit on the calling thread the first time; raises
// RuntimeError without a display, or on a thread other than that first one.
void StartToolkit();

// Shows `frame` and handles events until it is destroyed. `onClose` runs
// when the frame is asked to close, before any of its modules hears of it.
void RunUntilClosed(orv::orv_OrthoscopeFrame* frame, const std::function<void()>& onClose);

// Shows `frame`, waits until its cut windows are on screen, runs `use`
// (which returns what went wrong, or "") and destroys the frame.
std::string UseWhenShown(orv::orv_OrthoscopeFrame* frame, const std::function<std::string()>& use);

// For tests: whether a viewer that RunUntilClosed shows is on screen, and
// an action done on it from another thread ("right-click-xy": a right click
// in the middle of the XY window; "close": close it as the user would).
bool ViewerShown();
void Drive(const std::string& action);

}  // namespace orvpy

#endif
