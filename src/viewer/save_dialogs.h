#ifndef ORV_SRC_SAVE_DIALOGS_H
#define ORV_SRC_SAVE_DIALOGS_H

// The dialogs the viewer frame shows before saving a composite view or a
// gallery of slices.

#include <orv/orv_types.h>

#include <wx/dialog.h>
#include <wx/radiobox.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>

namespace orv {

// The file a save dialog's choice names: `path` as chosen, or, when it has
// no extension, with the one of the chosen filter (`filterIndex` into the
// dialog's `wildcard`, whose first pattern "*.ext" gives it), so that a name
// typed without extension is saved in the format the user picked.
wxString WithFilterExtension(const wxString& path, const wxString& wildcard, int filterIndex);

// The chosen file of a save dialog (with the chosen filter's extension when
// the name has none), or an empty string when it was cancelled. The dialog
// asks before replacing the name typed; a file the extension makes another
// one is asked about here.
wxString AskSavePath(wxWindow* parent, const wxString& title, const wxString& filter);

// "Save view": which windows to save and the decoration size (the gaps
// between them, pixels), which it writes into the caller's variable on OK.
class DecorationDialog : public wxDialog {
public:
  DecorationDialog(wxWindow* parent, long* decoration);

  // PROJ_XY, PROJ_XZ, PROJ_YZ or PROJ_ALL, from the radio selection.
  orv_ProjectionType GetProjection() const;

private:
  void OnText(wxCommandEvent& event);

  long* m_decoration;
  wxRadioBox* m_projection;
};

// "Gallery parameters": the slices (start, end, step) and how they are
// tiled, for an image of `sliceCount` z slices. A step and a row or column
// count below 1 cannot be entered; OK refuses an end before the start.
class GalleryDialog : public wxDialog {
public:
  GalleryDialog(wxWindow* parent, int sliceCount);

  int GetStartSlice() const { return m_start->GetValue(); }
  int GetEndSlice() const { return m_end->GetValue(); }
  int GetStep() const { return m_step->GetValue(); }
  int GetCount() const { return m_count->GetValue(); }
  int GetSpacing() const { return m_spacing->GetValue(); }
  bool IsFixedRows() const { return m_rows->GetValue(); }

private:
  void OnOK(wxCommandEvent& event);

  wxSpinCtrl *m_start, *m_end, *m_step, *m_count, *m_spacing;
  wxRadioButton* m_rows;
};

}  // namespace orv

#endif
