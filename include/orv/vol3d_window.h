#ifndef ORV_VOL3D_WINDOW_H
#define ORV_VOL3D_WINDOW_H

// The volume window as a host sees it without OpenGL headers: its menu ids
// and a picture of what it shows. The classes are in orv/vol3d_canvas.h.

#include <orv/orv_export.h>

#include <wx/frame.h>
#include <wx/image.h>

namespace orv {

// Menu ids of the volume frame.
enum vol3D_CommandId {
  ID_VOL3D_HELP = 5006,
  ID_VOL3D_VIEW_XPLUS = 5007,
  ID_VOL3D_VIEW_XMINUS = 5008,
  ID_VOL3D_VIEW_YPLUS = 5009,
  ID_VOL3D_VIEW_YMINUS = 5010,
  ID_VOL3D_VIEW_ZPLUS = 5011,
  ID_VOL3D_VIEW_ZMINUS = 5012,
  ID_VOL3D_WHITE_BACKGROUND = 10002,
  ID_VOL3D_HIDE_PLANE = 10003,
  ID_VOL3D_HIDE_BOX = 10004,
  ID_VOL3D_SAVE_VIEW = 10005,
  ID_VOL3D_LOAD_VIEW = 10006,
  ID_VOL3D_RENDER_COMPOSITE = 10007,
  ID_VOL3D_RENDER_MAXIMUM = 10008,
  ID_VOL3D_SMOOTH_SURFACES = 10009,
};

// Renders one frame of a shown volume window (the frame a viewer canvas's
// GetVolumeFrame returns) and returns its picture; an invalid image for
// anything else.
ORV_EXPORT wxImage vol3D_RenderImage(wxFrame* volumeFrame);

}  // namespace orv

#endif
