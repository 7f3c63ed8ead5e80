#include "info_frame_wdr.h"

#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/stattext.h>

namespace orv {

namespace {

constexpr int kBorder = 5;
const wxSize kSwatchSize(30, 20);
const wxSize kSpacerSize(20, 20);

// One row: the caption and the value text with its placeholder.
void AddRow(wxWindow* page, wxSizer* grid, const char* caption, int valueId, const char* placeholder) {
  grid->Add(new wxStaticText(page, ID_INFO_CAPTION, caption), 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
  grid->Add(new wxStaticText(page, valueId, placeholder), 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
}

wxSizer* SetPageSizer(wxWindow* page, wxSizer* grid) {
  page->SetSizer(grid);
  return grid;
}

}  // namespace

wxSizer* PixelInfoPageFunc(wxWindow* page) {
  auto* grid = new wxFlexGridSizer(3, 0, 0);
  AddRow(page, grid, "Position (um):", ID_INFO_POSITION_UM, "[0, 0, 0]");
  grid->Add(kSpacerSize.x, kSpacerSize.y, 0, wxALL, kBorder);
  AddRow(page, grid, "Position (pix):", ID_INFO_POSITION_PIX, "[0, 0, 0]");
  grid->Add(kSpacerSize.x, kSpacerSize.y, 0, wxALL, kBorder);
  AddRow(page, grid, "Original value:", ID_INFO_ORIGINAL_VALUE, "0");
  grid->Add(kSpacerSize.x, kSpacerSize.y, 0, wxALL, kBorder);
  AddRow(page, grid, "Mapped colour:", ID_INFO_MAPPED_COLOUR, "  0   0   0");
  grid->Add(new wxWindow(page, ID_INFO_COLOUR_SWATCH, wxDefaultPosition, kSwatchSize), 0,
            wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
  return SetPageSizer(page, grid);
}

wxSizer* ImageInfoPageFunc(wxWindow* page) {
  auto* grid = new wxFlexGridSizer(2, 0, 0);
  AddRow(page, grid, "Type:", ID_INFO_IMAGE_TYPE, "RGB");
  AddRow(page, grid, "Image size (pix):", ID_INFO_IMAGE_SIZE_PIX, " 100 x  100 x   80");
  AddRow(page, grid, "Pixel size (nm):", ID_INFO_PIXEL_SIZE_NM, " 100 x  100 x  100");
  AddRow(page, grid, "Image size (um):", ID_INFO_IMAGE_SIZE_UM, "12.3 x 12.3 x  8.0");
  return SetPageSizer(page, grid);
}

wxSizer* ViewInfoPageFunc(wxWindow* page) {
  auto* grid = new wxFlexGridSizer(2, 0, 0);
  AddRow(page, grid, "Bbox (offset):", ID_INFO_BBOX_OFFSET, "[0, 0, 0]");
  AddRow(page, grid, "Bbox (size):", ID_INFO_BBOX_SIZE, "12.3 x 12.3 x  8.0");
  AddRow(page, grid, "Visible (offset):", ID_INFO_VISIBLE_OFFSET, "[0, 0, 0]");
  AddRow(page, grid, "Visible (size):", ID_INFO_VISIBLE_SIZE, "12.3 x 12.3 x  8.0");
  AddRow(page, grid, "Cut position:", ID_INFO_CUT_POSITION, "[0, 0, 0]");
  return SetPageSizer(page, grid);
}

wxSizer* MouseInfoFunc(wxWindow* parent) {
  auto* notebook = new wxNotebook(parent, ID_INFO_NOTEBOOK);
  struct Page {
    const char* title;
    wxSizer* (*layout)(wxWindow*);
  };
  for (const Page& p : {Page{"Pixel info", PixelInfoPageFunc}, Page{"Image info", ImageInfoPageFunc},
                        Page{"View info", ViewInfoPageFunc}}) {
    auto* page = new wxPanel(notebook);
    p.layout(page);
    notebook->AddPage(page, p.title);
  }
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(notebook, 1, wxEXPAND);
  // No minimum size for the window: it fits its content exactly, also when
  // the texts get shorter.
  parent->SetSizer(top);
  top->Fit(parent);
  return top;
}

}  // namespace orv
