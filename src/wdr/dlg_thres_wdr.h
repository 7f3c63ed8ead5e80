#ifndef ORV_WDR_DLG_THRES_WDR_H
#define ORV_WDR_DLG_THRES_WDR_H

// Layout of the thresholding dialog: the levels dialog's choices and input
// box around one threshold control, no output box.

#include "dlg_levels_wdr.h"

namespace orv {

enum { ID_THRESHOLD_CONTROL = 10005, ID_THRESHOLD_RESET = 10006 };

wxSizer* ThresholdFunc(wxWindow* parent, wxWindow* graph, wxWindow* control);

}  // namespace orv

#endif
