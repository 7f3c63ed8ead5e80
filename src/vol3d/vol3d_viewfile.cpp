// Saving and loading the view matrices of the volume canvas.

#include <orv/vol3d_canvas.h>

#include "replace_file.h"
#include "volume_view.h"

#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/msgdlg.h>

#include <fstream>
#include <sstream>

namespace orv {

void vol3D_VolVisCanvas::SaveView() {
  wxFileDialog dialog(GetParent(), "Save view matrix as", wxEmptyString, wxEmptyString,
                      "Orthoscope view matrix (*.orvview)|*.orvview", wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  if (dialog.ShowModal() != wxID_OK) return;
  SaveViewTo(dialog.GetPath());
}

void vol3D_VolVisCanvas::LoadView() {
  wxFileDialog dialog(GetParent(), "Choose a view to load", wxEmptyString, wxEmptyString,
                      "Orthoscope view matrix (*.orvview)|*.orvview|All files (*.*) |*",
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return;
  LoadViewFrom(dialog.GetPath());
}

// A failed save leaves the previous file as it was.
bool vol3D_VolVisCanvas::SaveViewTo(const wxString& path) {
  std::string why;
  if (!ReplaceFile(std::string(path.fn_str()), FormatViewFile(*m_view), &why)) {
    wxMessageBox("Unable to create file: " + wxString::FromUTF8(why) + ".");
    return false;
  }
  return true;
}

// What the file holds soundly replaces the view; the next repaint shows it.
bool vol3D_VolVisCanvas::LoadViewFrom(const wxString& path) {
  std::ifstream in(path.fn_str());
  if (!in) {
    wxMessageBox("Unable to open file.");
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  ParseViewFile(text.str(), *m_view);
  return true;
}

}  // namespace orv
