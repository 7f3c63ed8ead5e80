#ifndef ORV_SRC_WDR_DIALOG_CHILD_H
#define ORV_SRC_WDR_DIALOG_CHILD_H

#include <wx/window.h>

namespace orv {

// A control that a layout function placed in `parent`, by its id, as its type.
template <class W>
W* Child(wxWindow* parent, int id) {
  return wxStaticCast(parent->FindWindow(id), W);
}

}  // namespace orv

#endif
