#include "snapshot_3d.h"

#include "snapshot.h"

#include <orv/vol3d_window.h>

#include <wx/image.h>

namespace orvview {

std::string SaveVolumeSnapshot(orv::orv_OrthoscopeFrame* viewer, int view, const wxString& path,
                               bool maximumIntensity) {
  orv::orv_OrthoscopeCanvas* canvas = viewer->GetCanvas();
  canvas->ShowVolVis(viewer->GetIcons());
  wxFrame* volume = canvas->GetVolumeFrame();
  if (!volume) return "the volume window cannot start (OpenGL 2.0 with GLEW is needed)";
  wxCommandEvent render(wxEVT_MENU, maximumIntensity ? orv::ID_VOL3D_RENDER_MAXIMUM : orv::ID_VOL3D_RENDER_COMPOSITE);
  volume->GetEventHandler()->ProcessEvent(render);
  volume->GetMenuBar()->Check(render.GetId(), true);
  if (view >= 0) {
    wxCommandEvent command(wxEVT_MENU, orv::ID_VOL3D_VIEW_XPLUS + view);
    volume->GetEventHandler()->ProcessEvent(command);
  }
  const wxImage picture = orv::vol3D_RenderImage(volume);
  if (!picture.IsOk()) return "the volume window did not come on screen";
  return SaveSnapshotPng(picture, path);
}

}  // namespace orvview
