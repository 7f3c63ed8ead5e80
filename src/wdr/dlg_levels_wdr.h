#ifndef ORV_WDR_DLG_LEVELS_WDR_H
#define ORV_WDR_DLG_LEVELS_WDR_H

// Layout of the levels dialog, and the parts the thresholding dialog shares
// with it. The histogram graph and the min/max controls are made by the
// dialog (they are typed by the voxel type) and handed in; the layout makes
// the choices, the check box and the buttons and arranges everything.

#include <wx/sizer.h>
#include <wx/window.h>

namespace orv {

enum {
  ID_HISTOGRAM_TYPE = 10001,
  ID_CHANNEL = 10002,
  ID_PREVIEW = 10003,
  ID_HISTOGRAM_GRAPH = 10004,
  ID_INPUT_LEVELS = 10005,
  ID_OUTPUT_LEVELS = 10006,
  ID_LEVELS_RESET = 10007,
};

// "Histogram type :" with "Logarithmic" and "Linear", "Channel:" with an
// empty choice, and the "Preview" check box.
wxSizer* HistogramChoicesFunc(wxWindow* parent);
// "Reset" (resetId), "Cancel" and the default "OK".
wxSizer* HistogramButtonsFunc(wxWindow* parent, int resetId);
// A static box "Input Levels" holding the graph (growing) and a control.
wxSizer* InputLevelsFunc(wxWindow* parent, wxWindow* graph, wxWindow* control);
// The one column of both dialogs, holding the choices; the row added next
// grows with the dialog.
wxFlexGridSizer* HistogramDialogColumn(wxWindow* parent);
// The whole dialog in one column whose second row grows; sets the sizer on
// `parent` and fits it.
wxSizer* LevelsFunc(wxWindow* parent, wxWindow* graph, wxWindow* input, wxWindow* output);

}  // namespace orv

#endif
