#include "dlg_save_wdr.h"

#include "dialog_buttons.h"

#include <wx/button.h>
#include <wx/radiobox.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace orv {

namespace {

void AddSpin(wxWindow* parent, wxFlexGridSizer* grid, const char* caption, int id) {
  grid->Add(new wxStaticText(parent, ID_GALLERY_CAPTION, caption), 0, wxALIGN_CENTER_VERTICAL);
  // The toolkit's own size: GTK's spin buttons need more than a fixed 100
  // pixels, and squeezed ones are clipped.
  grid->Add(new wxSpinCtrl(parent, id, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 0, 100, 0), 0,
            wxEXPAND);
}

}  // namespace

wxSizer* DecorationDialogFunc(wxWindow* parent) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  const wxString choices[4] = {"XY           ", "XZ", "YZ     ", "All"};
  auto* projection = new wxRadioBox(parent, ID_DECORATION_PROJECTION, "Choose projection", wxDefaultPosition,
                                    wxDefaultSize, 4, choices, 2, wxRA_SPECIFY_COLS);
  top->Add(projection, 0, wxALL | wxEXPAND, 5);
  auto* size = new wxBoxSizer(wxHORIZONTAL);
  size->Add(new wxStaticText(parent, ID_DECORATION_CAPTION, "Decoration size"), 0, wxALIGN_CENTER_VERTICAL | wxALL,
            5);
  size->Add(new wxTextCtrl(parent, ID_DECORATION_SIZE, "", wxDefaultPosition, wxSize(80, -1)), 1, wxALL, 5);
  top->Add(size, 0, wxEXPAND);
  top->Add(OkCancelButtons(parent), 0, wxALIGN_CENTER);
  parent->SetSizer(top);
  top->SetSizeHints(parent);
  return top;
}

wxSizer* GalleryDialogFunc(wxWindow* parent) {
  auto* top = new wxBoxSizer(wxVERTICAL);

  auto* cut = new wxStaticBoxSizer(wxVERTICAL, parent, "Cut parameters");
  cut->Add(new wxStaticText(parent, ID_GALLERY_SLICE_COUNT, "Slice count: 0"), 0, wxALL, 5);
  auto* cutGrid = new wxFlexGridSizer(2, 5, 5);
  AddSpin(parent, cutGrid, "Starting slice:", ID_GALLERY_START);
  AddSpin(parent, cutGrid, "Ending slice:", ID_GALLERY_END);
  AddSpin(parent, cutGrid, "Step:", ID_GALLERY_STEP);
  cut->Add(cutGrid, 0, wxALL, 5);
  top->Add(cut, 0, wxALL | wxEXPAND, 5);

  auto* gallery = new wxStaticBoxSizer(wxVERTICAL, parent, "Gallery parameters");
  auto* fixed = new wxBoxSizer(wxHORIZONTAL);
  fixed->Add(new wxStaticText(parent, wxID_STATIC, "Fixed number of:"), 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
  fixed->Add(new wxRadioButton(parent, ID_GALLERY_ROWS, "Rows", wxDefaultPosition, wxDefaultSize, wxRB_GROUP), 0,
             wxALIGN_CENTER_VERTICAL | wxALL, 5);
  fixed->Add(new wxRadioButton(parent, ID_GALLERY_COLUMNS, "Colums"), 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
  gallery->Add(fixed, 0);
  auto* galleryGrid = new wxFlexGridSizer(2, 5, 5);
  AddSpin(parent, galleryGrid, "Row/Column count:", ID_GALLERY_COUNT);
  AddSpin(parent, galleryGrid, "Spacing between images:", ID_GALLERY_SPACING);
  gallery->Add(galleryGrid, 0, wxALL, 5);
  top->Add(gallery, 0, wxALL | wxEXPAND, 5);

  top->Add(OkCancelButtons(parent), 0, wxALIGN_CENTER);
  parent->SetSizer(top);
  top->SetSizeHints(parent);
  return top;
}

}  // namespace orv
