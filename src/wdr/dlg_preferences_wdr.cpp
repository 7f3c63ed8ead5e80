#include "dlg_preferences_wdr.h"

#include "dialog_buttons.h"

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/radiobox.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace orv {

namespace {

// Three rows "X axis:", "Y axis:", "Z axis:" with a text field each.
wxSizer* AxisBox(wxWindow* page, const char* title, int firstId) {
  static const char* const kAxes[3] = {"X axis:", "Y axis:", "Z axis:"};
  auto* box = new wxStaticBoxSizer(wxVERTICAL, page, title);
  auto* grid = new wxFlexGridSizer(2, 5, 5);
  for (int a = 0; a < 3; ++a) {
    grid->Add(new wxStaticText(page, ID_PREFERENCES_AXIS_CAPTION, kAxes[a]), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(new wxTextCtrl(page, firstId + a, "", wxDefaultPosition, wxSize(100, -1)), 1, wxEXPAND);
  }
  box->Add(grid, 0, wxALL, 5);
  return box;
}

}  // namespace

wxSizer* ScreenPageFunc(wxWindow* page) {
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(AxisBox(page, "Resolution  (pixels / micron)", ID_PREFERENCES_RESOLUTION_X), 0, wxALL, 5);
  top->Add(AxisBox(page, "Aspect ratio", ID_PREFERENCES_ASPECT_X), 0, wxALL, 5);
  page->SetSizer(top);
  top->SetSizeHints(page);
  return top;
}

wxSizer* CutPointerPageFunc(wxWindow* page) {
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  const wxString styles[6] = {"None", "On sides", "On sides with circle ", "Dotted cross", "Dashed cross",
                              "Solid cross"};
  top->Add(new wxRadioBox(page, ID_PREFERENCES_POINTER_TYPE, "Pointer type", wxDefaultPosition, wxDefaultSize, 6,
                          styles, 1, wxRA_SPECIFY_COLS),
           0, wxALL, 5);
  auto* colour = new wxStaticBoxSizer(wxVERTICAL, page, "Pointer colour");
  colour->Add(new wxStaticText(page, ID_PREFERENCES_COLOUR, "No image", wxDefaultPosition, wxSize(60, 30)), 0,
              wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
  colour->Add(new wxButton(page, ID_PREFERENCES_COLOUR, "Change..."), 0, wxALL, 5);
  top->Add(colour, 0, wxALL, 5);
  page->SetSizer(top);
  top->SetSizeHints(page);
  return top;
}

wxSizer* PreferencesDialogFunc(wxWindow* parent) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* notebook = new wxNotebook(parent, ID_PREFERENCES_NOTEBOOK);
  auto* screen = new wxPanel(notebook);
  ScreenPageFunc(screen);
  notebook->AddPage(screen, "Screen");
  auto* pointer = new wxPanel(notebook);
  CutPointerPageFunc(pointer);
  notebook->AddPage(pointer, "Cut Pointer");
  top->Add(notebook, 1, wxALL | wxEXPAND, 5);
  top->Add(OkCancelButtons(parent), 0, wxALIGN_CENTER);
  parent->SetSizer(top);
  top->SetSizeHints(parent);
  return top;
}

}  // namespace orv
