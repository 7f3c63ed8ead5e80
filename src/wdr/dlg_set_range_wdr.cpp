#include "dlg_set_range_wdr.h"

#include "dialog_buttons.h"

#include <wx/button.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace orv {

namespace {

// "Please, set range within the interval:" then "[ min , max ]".
void AddInterval(wxWindow* parent, wxSizer* box, int minId, int maxId) {
  box->Add(new wxStaticText(parent, ID_RANGE_TEXT, "Please, set range within the interval:"), 0, wxALL, 5);
  auto* interval = new wxBoxSizer(wxHORIZONTAL);
  interval->Add(new wxStaticText(parent, ID_RANGE_TEXT, "[ "), 0, wxALIGN_CENTER_VERTICAL);
  interval->Add(new wxStaticText(parent, minId, "minlimit"), 0, wxALIGN_CENTER_VERTICAL);
  interval->Add(new wxStaticText(parent, ID_RANGE_TEXT, ", "), 0, wxALIGN_CENTER_VERTICAL);
  interval->Add(new wxStaticText(parent, maxId, "maxlimit"), 0, wxALIGN_CENTER_VERTICAL);
  interval->Add(new wxStaticText(parent, ID_RANGE_TEXT, " ]"), 0, wxALIGN_CENTER_VERTICAL);
  box->Add(interval, 0, wxLEFT | wxRIGHT | wxBOTTOM, 5);
}

void AddFields(wxWindow* parent, wxSizer* box, int minId, int maxId) {
  auto* grid = new wxFlexGridSizer(2, 5, 5);
  grid->Add(new wxStaticText(parent, wxID_STATIC, "Min:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(new wxTextCtrl(parent, minId, "", wxDefaultPosition, wxSize(100, -1)), 1, wxEXPAND);
  grid->Add(new wxStaticText(parent, wxID_STATIC, "Max:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(new wxTextCtrl(parent, maxId, "", wxDefaultPosition, wxSize(100, -1)), 1, wxEXPAND);
  box->Add(grid, 0, wxALL | wxEXPAND, 5);
}

}  // namespace

wxSizer* SetRangeDialogFunc(wxWindow* parent) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* box = new wxStaticBoxSizer(wxVERTICAL, parent, "Range");
  AddInterval(parent, box, ID_MIN_LIMIT_TEXT, ID_MAX_LIMIT_TEXT);
  box->Add(new wxStaticLine(parent, ID_RANGE_LINE), 0, wxEXPAND | wxALL, 5);
  AddFields(parent, box, ID_MIN_VALUE, ID_MAX_VALUE);
  top->Add(box, 0, wxALL | wxEXPAND, 5);
  top->Add(OkCancelButtons(parent), 0, wxALIGN_CENTER);
  parent->SetSizer(top);
  top->SetSizeHints(parent);
  return top;
}

wxSizer* SetRGBRangeDialogFunc(wxWindow* parent) {
  static const char* const kBoxes[3] = {"Red Channel", "Green Channel", "Blue Channel"};
  auto* top = new wxBoxSizer(wxVERTICAL);
  for (int c = 0; c < 3; ++c) {
    const int first = ID_RGB_FIRST + c * ID_RGB_PER_CHANNEL;
    auto* box = new wxStaticBoxSizer(wxVERTICAL, parent, kBoxes[c]);
    AddInterval(parent, box, first, first + 1);
    AddFields(parent, box, first + 2, first + 3);
    box->Add(new wxButton(parent, first + 4, "Apply to the other channels"), 0, wxALL, 5);
    top->Add(box, 0, wxALL | wxEXPAND, 5);
  }
  top->Add(OkCancelButtons(parent), 0, wxALIGN_CENTER);
  parent->SetSizer(top);
  top->SetSizeHints(parent);
  return top;
}

}  // namespace orv
