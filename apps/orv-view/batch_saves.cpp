#include "batch_saves.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/log.h>

#include <cstdio>
#include <vector>

namespace orvview {

namespace {

// Collects what the library reports at error level while it saves (it names
// the file and the fault), so that a batch run prints it and fails.
class ErrorCollector : public wxLog {
public:
  ErrorCollector() : m_previous(wxLog::SetActiveTarget(this)) {}
  ~ErrorCollector() override { wxLog::SetActiveTarget(m_previous); }
  bool Report() {
    for (const wxString& e : m_errors) std::fprintf(stderr, "orv-view: %s\n", e.utf8_str().data());
    const bool ok = m_errors.empty();
    m_errors.clear();
    return ok;
  }

protected:
  void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo& info) override {
    if (level <= wxLOG_Error)
      m_errors.push_back(text);
    else if (m_previous)
      m_previous->LogRecord(level, text, info);
  }

private:
  wxLog* m_previous;
  std::vector<wxString> m_errors;
};

orv::orv_ProjectionType Projection(const std::string& name) {
  if (name == "xy") return orv::PROJ_XY;
  if (name == "xz") return orv::PROJ_XZ;
  if (name == "yz") return orv::PROJ_YZ;
  return orv::PROJ_ALL;
}

// The windows get the image's whole extent: the frame may reach past the
// screen, whose size does not limit pictures drawn off screen.
void FitToImage(orv::orv_OrthoscopeFrame* frame, orv::orv_OrthoscopeCanvas* canvas) {
  const wxSize wanted = canvas->GetOptimalSize();
  frame->SetClientSize(wanted);
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  for (int i = 0; i < 200 && canvas->GetClientSize() != wanted; ++i) {
    if (loop) loop->YieldFor(wxEVT_CATEGORY_UI);
    wxMilliSleep(5);
  }
  canvas->SetSize(frame->GetClientSize());
}

void Say(const char* what, const std::string& path) { std::printf("orv-view: %s saved to %s\n", what, path.c_str()); }

}  // namespace

bool RunBatchSaves(orv::orv_OrthoscopeFrame* frame, const BatchSaves& saves) {
  orv::orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  FitToImage(frame, canvas);
  ErrorCollector errors;
  bool ok = true;
  if (!saves.view.empty()) {
    canvas->SaveActualView(saves.view.c_str(), saves.decoration, Projection(saves.projection));
    if (errors.Report())
      Say("view", saves.view);
    else
      ok = false;
  }
  if (!saves.gallery.empty()) {
    const int slices = static_cast<int>(canvas->GetImageSize().z);
    if (saves.end >= slices) {
      std::fprintf(stderr, "orv-view: --save-gallery: the image has %d slices, numbered 0 to %d\n", slices,
                   slices - 1);
      ok = false;
    } else {
      // Tiles are the image's x by y voxels of the XY picture: one pixel
      // per voxel, as at zoom level 0.
      if (canvas->GetZoomLevel() != 0) {
        canvas->NormalZoom();
        FitToImage(frame, canvas);
      }
      canvas->SaveGalleryView(saves.gallery.c_str(), saves.start, saves.end, saves.step, saves.fixedRows,
                              saves.count, saves.spacing);
      if (errors.Report())
        Say("gallery", saves.gallery);
      else
        ok = false;
    }
  }
  if (!saves.data.empty()) {
    // The canvas turns the name back into the same bytes.
    canvas->Save3dData(wxString(saves.data.c_str(), wxConvLibc));
    if (errors.Report())
      Say("3D data", saves.data);
    else
      ok = false;
  }
  return ok;
}

}  // namespace orvview
