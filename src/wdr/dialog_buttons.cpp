#include "dialog_buttons.h"

#include <wx/button.h>

namespace orv {

wxSizer* OkCancelButtons(wxWindow* parent) {
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(parent, wxID_OK, "OK"), 0, wxALL, 5);
  buttons->Add(new wxButton(parent, wxID_CANCEL, "Cancel"), 0, wxALL, 5);
  return buttons;
}

}  // namespace orv
