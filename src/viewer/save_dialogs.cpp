#include "save_dialogs.h"

#include <orv/validators.h>

#include "../wdr/dialog_child.h"
#include "../wdr/dlg_save_wdr.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace orv {

constexpr long kSaveStyle = wxFD_SAVE | wxFD_OVERWRITE_PROMPT | wxFD_CHANGE_DIR;

wxString AskSavePath(wxWindow* parent, const wxString& title, const wxString& filter) {
  wxFileDialog dialog(parent, title, wxEmptyString, wxEmptyString, filter, kSaveStyle);
  if (dialog.ShowModal() != wxID_OK) return wxString();
  const wxString path = WithFilterExtension(dialog.GetPath(), filter, dialog.GetFilterIndex());
  if (path != dialog.GetPath() && wxFileName::FileExists(path) &&
      wxMessageBox(wxString::Format("%s already exists.\nDo you want to replace it?", path), "Confirm",
                   wxYES_NO | wxICON_QUESTION, parent) != wxYES)
    return wxString();
  return path;
}


namespace {

constexpr long kDialogStyle = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;

}  // namespace

wxString WithFilterExtension(const wxString& path, const wxString& wildcard, int filterIndex) {
  if (path.empty() || wxFileName(path).HasExt()) return path;
  const wxArrayString parts = wxSplit(wildcard, '|');
  const size_t at = 2 * static_cast<size_t>(std::max(filterIndex, 0)) + 1;
  if (at >= parts.size()) return path;
  const wxString pattern = parts[at].BeforeFirst(';').Trim().Trim(false);
  if (!pattern.StartsWith("*.") || pattern.find_first_of("*?", 2) != wxString::npos) return path;
  return path + pattern.Mid(1);
}

DecorationDialog::DecorationDialog(wxWindow* parent, long* decoration)
    : wxDialog(parent, wxID_ANY, "Save view", wxDefaultPosition, wxDefaultSize, kDialogStyle),
      m_decoration(decoration) {
  DecorationDialogFunc(this);
  m_projection = Child<wxRadioBox>(this, ID_DECORATION_PROJECTION);
  m_projection->SetSelection(3);
  Child<wxTextCtrl>(this, ID_DECORATION_SIZE)->SetValidator(IntValidator<long>(m_decoration, "%d"));
  // Any text typed is checked at once, so a bad number is reported as it is typed.
  Bind(wxEVT_TEXT, &DecorationDialog::OnText, this);
}

void DecorationDialog::OnText(wxCommandEvent& event) {
  if (event.GetId() == ID_DECORATION_SIZE && Child<wxTextCtrl>(this, ID_DECORATION_SIZE)->IsModified()) Validate();
  event.Skip();
}

orv_ProjectionType DecorationDialog::GetProjection() const {
  static const orv_ProjectionType kBySelection[4] = {PROJ_XY, PROJ_XZ, PROJ_YZ, PROJ_ALL};
  const int selection = m_projection->GetSelection();
  return selection >= 0 && selection < 4 ? kBySelection[selection] : PROJ_ALL;
}

GalleryDialog::GalleryDialog(wxWindow* parent, int sliceCount)
    : wxDialog(parent, wxID_ANY, "Gallery parameters", wxDefaultPosition, wxDefaultSize, kDialogStyle) {
  GalleryDialogFunc(this);
  Child<wxStaticText>(this, ID_GALLERY_SLICE_COUNT)->SetLabel(wxString::Format("Slice count: %d", sliceCount));
  m_start = Child<wxSpinCtrl>(this, ID_GALLERY_START);
  m_end = Child<wxSpinCtrl>(this, ID_GALLERY_END);
  m_step = Child<wxSpinCtrl>(this, ID_GALLERY_STEP);
  m_count = Child<wxSpinCtrl>(this, ID_GALLERY_COUNT);
  m_spacing = Child<wxSpinCtrl>(this, ID_GALLERY_SPACING);
  m_rows = Child<wxRadioButton>(this, ID_GALLERY_ROWS);
  const int last = std::max(sliceCount - 1, 0);
  m_start->SetRange(0, last);
  m_start->SetValue(0);
  m_end->SetRange(0, last);
  m_end->SetValue(last);  // every slice by default
  // The gallery divides by the step and the count: neither may go below 1.
  m_step->SetRange(1, std::max(last, 1));
  m_step->SetValue(1);
  m_count->SetRange(1, 100);
  m_count->SetValue(1);
  m_spacing->SetRange(0, 100);
  m_spacing->SetValue(10);
  m_rows->SetValue(true);
  GetSizer()->SetSizeHints(this);
  Bind(wxEVT_BUTTON, &GalleryDialog::OnOK, this, wxID_OK);
}

void GalleryDialog::OnOK(wxCommandEvent&) {
  if (GetEndSlice() < GetStartSlice()) {
    wxMessageBox("'Starting slice' must be less or equal to 'Ending slice'", "Bad input", wxOK | wxICON_WARNING,
                 this);
    return;
  }
  if (!Validate() || !TransferDataFromWindow()) return;
  if (IsModal()) {
    EndModal(wxID_OK);
  } else {
    SetReturnCode(wxID_OK);
    Show(false);
  }
}

}  // namespace orv
