#include "snapshot.h"

#include <orv/orv_chunkedview.h>

#include <wx/image.h>
#include <wx/log.h>

namespace orvview {

namespace {

// Keeps the last message logged instead of showing it: a box would wait for
// someone to close it, which a scripted run never does.
class LastMessage : public wxLog {
public:
  LastMessage() : m_previous(wxLog::SetActiveTarget(this)) {}
  ~LastMessage() override { wxLog::SetActiveTarget(m_previous); }
  const wxString& Text() const { return m_text; }

protected:
  void DoLogTextAtLevel(wxLogLevel, const wxString& message) override { m_text = message; }

private:
  wxLog* m_previous;
  wxString m_text;
};

}  // namespace

std::string SaveSnapshotPng(const wxImage& picture, const wxString& path) {
  LastMessage log;
  if (picture.SaveFile(path, wxBITMAP_TYPE_PNG)) return "";
  // The toolkit says "can't open file 'F' (error 13: Permission denied)":
  // the reason is what follows the error number.
  wxString why = log.Text();
  const int error = why.Find("(error ");
  if (error != wxNOT_FOUND && why.EndsWith(")")) {
    why = why.Mid(static_cast<size_t>(error)).AfterFirst(':').Trim(false).RemoveLast();
  }
  return "cannot write the snapshot " + path.utf8_string() + (why.empty() ? "" : ": " + why.utf8_string());
}

bool CutsAtRest(orv::orv_OrthoscopeCanvas& canvas) {
  const orv::orv_ChunkedView* chunked = canvas.GetChunkedView();
  if (!chunked) return true;
  for (orv::orv_ProjectionType w : {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ}) {
    orv::orv_DrWin3d* window = canvas.GetDrWin(w);
    if (!window->IsShown()) continue;
    // Painted now, so that the chunks that arrived are sampled.
    window->Update();
    if (!chunked->IsCutComplete(w)) return false;
  }
  return true;
}

std::string SaveCanvasSnapshot(orv::orv_OrthoscopeCanvas* canvas, const wxString& path) {
  const wxSize size = canvas->GetClientSize();
  wxImage picture(size.x, size.y, true);
  const wxPoint origin = canvas->ClientToScreen(wxPoint(0, 0));
  for (orv::orv_ProjectionType w : {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ}) {
    orv::orv_DrWin3d* window = canvas->GetDrWin(w);
    if (!window->IsShown()) continue;
    window->Refresh(false);
    window->Update();
    const wxPoint at = window->ClientToScreen(wxPoint(0, 0)) - origin;
    picture.Paste(window->GetBitmapImage(), at.x, at.y);
  }
  return SaveSnapshotPng(picture, path);
}

}  // namespace orvview
