#ifndef ORV_WDR_DIALOG_BUTTONS_H
#define ORV_WDR_DIALOG_BUTTONS_H

#include <wx/sizer.h>
#include <wx/window.h>

namespace orv {

// The row of "OK" (wxID_OK) and "Cancel" (wxID_CANCEL) that ends the
// layouts of the plain dialogs.
wxSizer* OkCancelButtons(wxWindow* parent);

}  // namespace orv

#endif
