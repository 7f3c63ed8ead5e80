#include "snapshot.h"

#include <wx/image.h>
#include <wx/log.h>

namespace orvview {

bool SaveCanvasSnapshot(orv::orv_OrthoscopeCanvas* canvas, const wxString& path) {
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
  // The caller reports a failure on the terminal; wx's own message would
  // wait for someone to close its box, which a scripted run never does.
  wxLogNull quiet;
  return picture.SaveFile(path, wxBITMAP_TYPE_PNG);
}

}  // namespace orvview
