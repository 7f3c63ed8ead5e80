#include "dlg_levels_wdr.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace orv {

wxSizer* HistogramChoicesFunc(wxWindow* parent) {
  auto* grid = new wxFlexGridSizer(2, 5, 5);
  grid->Add(new wxStaticText(parent, wxID_STATIC, "Histogram type :"), 0, wxALIGN_CENTER_VERTICAL);
  const wxString types[] = {"Logarithmic", "Linear"};
  auto* type = new wxChoice(parent, ID_HISTOGRAM_TYPE, wxDefaultPosition, wxDefaultSize, 2, types);
  type->SetToolTip("Choose the type of histogram.");
  grid->Add(type, 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(new wxStaticText(parent, wxID_STATIC, "Channel:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(new wxChoice(parent, ID_CHANNEL, wxDefaultPosition, wxSize(120, -1)), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(new wxCheckBox(parent, ID_PREVIEW, "Preview"), 0, wxALIGN_CENTER_VERTICAL);
  return grid;
}

wxSizer* HistogramButtonsFunc(wxWindow* parent, int resetId) {
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(parent, resetId, "Reset"), 0, wxALL, 5);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(parent, wxID_CANCEL, "Cancel"), 0, wxALL, 5);
  auto* ok = new wxButton(parent, wxID_OK, "OK");
  ok->SetDefault();
  buttons->Add(ok, 0, wxALL, 5);
  return buttons;
}

wxSizer* InputLevelsFunc(wxWindow* parent, wxWindow* graph, wxWindow* control) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, parent, "Input Levels");
  box->Add(graph, 1, wxEXPAND | wxALL, 5);
  box->Add(control, 0, wxALIGN_CENTER_HORIZONTAL | wxLEFT | wxRIGHT | wxBOTTOM, 5);
  return box;
}

wxFlexGridSizer* HistogramDialogColumn(wxWindow* parent) {
  auto* column = new wxFlexGridSizer(1, 0, 0);
  column->AddGrowableCol(0);
  column->AddGrowableRow(1);
  column->Add(HistogramChoicesFunc(parent), 0, wxALL, 5);
  return column;
}

wxSizer* LevelsFunc(wxWindow* parent, wxWindow* graph, wxWindow* input, wxWindow* output) {
  wxFlexGridSizer* column = HistogramDialogColumn(parent);
  column->Add(InputLevelsFunc(parent, graph, input), 1, wxEXPAND | wxLEFT | wxRIGHT, 5);
  auto* outputBox = new wxStaticBoxSizer(wxVERTICAL, parent, "Output Levels");
  outputBox->Add(output, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 5);
  column->Add(outputBox, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 5);
  column->Add(HistogramButtonsFunc(parent, ID_LEVELS_RESET), 0, wxEXPAND | wxALL, 5);
  parent->SetSizerAndFit(column);
  return column;
}

}  // namespace orv
