#include "point_prefs_wdr.h"

#include "dialog_buttons.h"

#include <wx/button.h>
#include <wx/spinctrl.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace orv {

wxSizer* PointCanvasPrefsFunc(wxWindow* parent) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* grid = new wxFlexGridSizer(2, 0, 0);
  auto pair = [&](const char* label, wxWindow* control) {
    grid->Add(new wxStaticText(parent, ID_POINT_PREFS_TEXT, label), 0, wxALIGN_CENTER | wxALL, 5);
    grid->Add(control, 0, wxALIGN_CENTER | wxALL, 5);
  };
  pair("Fading depth (slices):",
       new wxSpinCtrl(parent, ID_FADING_DEPTH, "0", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 0, 10, 0));
  pair("Marker size:",
       new wxSpinCtrl(parent, ID_MARKER_SIZE, "0", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 0, 100, 0));
  pair("Marker colour:", new wxButton(parent, ID_MARKER_COLOUR, wxEmptyString));
  pair("Selected marker colour:", new wxButton(parent, ID_SELECTED_COLOUR, wxEmptyString));
  top->Add(grid, 0, wxALIGN_CENTER | wxALL, 5);
  top->Add(new wxStaticLine(parent, ID_POINT_PREFS_LINE, wxDefaultPosition, wxSize(20, -1), wxLI_HORIZONTAL), 0,
           wxGROW | wxALL, 5);
  top->Add(OkCancelButtons(parent), 0, wxALIGN_CENTER | wxALL, 5);
  parent->SetSizer(top);
  top->SetSizeHints(parent);
  return top;
}

}  // namespace orv
