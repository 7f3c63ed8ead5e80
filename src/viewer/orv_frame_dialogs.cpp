#include <orv/orv_frame.h>

#include "preferences_dialog.h"
#include "save_dialogs.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

namespace orv {


void orv_OrthoscopeFrame::OnSaveView(wxCommandEvent&) {
  if (!m_canvas) return;
  long decoration = 10;
  DecorationDialog dialog(this, &decoration);
  if (dialog.ShowModal() != wxID_OK) return;
  const orv_ProjectionType projection = dialog.GetProjection();
  const wxString path = AskSavePath(this, "Save actual view as...", "Tiff image (*.tif)|*.tif");
  if (path.empty()) return;
  m_canvas->SaveActualView(path.mb_str(), static_cast<int>(decoration), projection);
}

void orv_OrthoscopeFrame::OnSaveGallery(wxCommandEvent&) {
  if (!m_canvas) return;
  GalleryDialog dialog(this, static_cast<int>(m_canvas->GetImageSize().z));
  if (dialog.ShowModal() != wxID_OK) return;
  const wxString path = AskSavePath(this, "Save actual view as...", "Tiff image (*.tif)|*.tif");
  if (path.empty()) return;
  m_canvas->SaveGalleryView(path.mb_str(), dialog.GetStartSlice(), dialog.GetEndSlice(), dialog.GetStep(),
                            dialog.IsFixedRows(), dialog.GetCount(), dialog.GetSpacing());
}

void orv_OrthoscopeFrame::OnSave3dData(wxCommandEvent&) {
  if (!m_canvas) return;
  const wxString path = AskSavePath(this, "Save 3d image data as...",
                                    "Image cytometry standard (*.ics)|*.ics|BIX file (*.bix)|*.bix|OME-Zarr (*.zarr)|*.zarr");
  if (!path.empty()) m_canvas->Save3dData(path);
}

// The dialog edits a copy; the canvas takes it only on OK. The colour
// chooser's custom colours are kept for the whole process.
void orv_OrthoscopeFrame::OnPreferences(wxCommandEvent&) {
  if (!m_canvas) return;
  orv_CanvasSettings settings;
  m_canvas->GetSettings(settings);
  wxColourData colours = ApplicationColourData();
  PreferencesDialog dialog(this, &settings, &colours);
  if (dialog.ShowModal() != wxID_OK) return;
  m_canvas->SetSettings(settings);
  ApplicationColourData() = colours;
  ResizeFrameIfRequired();
}

}  // namespace orv
