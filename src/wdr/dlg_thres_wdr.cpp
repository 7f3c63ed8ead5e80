#include "dlg_thres_wdr.h"

namespace orv {

wxSizer* ThresholdFunc(wxWindow* parent, wxWindow* graph, wxWindow* control) {
  wxFlexGridSizer* column = HistogramDialogColumn(parent);
  column->Add(InputLevelsFunc(parent, graph, control), 1, wxEXPAND | wxLEFT | wxRIGHT, 5);
  column->Add(HistogramButtonsFunc(parent, ID_THRESHOLD_RESET), 0, wxEXPAND | wxALL, 5);
  parent->SetSizerAndFit(column);
  return column;
}

}  // namespace orv
