#ifndef ORV_SRC_VOL3D_VOLUME_WINDOW_H
#define ORV_SRC_VOL3D_VOLUME_WINDOW_H

// The volume window as the viewer canvases drive it, without OpenGL headers:
// the viewer core includes this, never the GL classes.

#include "volume_texture.h"

#include <orv/surface_mesh.h>

#include <bix/RGB.h>

#include <wx/frame.h>

#include <vector>

namespace orv {

class vol3D_VolVisCanvas;

// Creates the volume frame ("Volume visualization", 600 x 600, no parent) and
// starts its renderer; null, with the frame destroyed, when that fails.
wxFrame* CreateVolumeWindow();
// The GL canvas of a volume window (null for another frame), for the GL side.
vol3D_VolVisCanvas* VolumeWindowCanvas(wxFrame* frame);
// Back to the start view.
void ResetVolumeWindow(wxFrame* frame);
// The largest 3D texture side the window's driver takes.
unsigned VolumeWindowTextureLimit(wxFrame* frame);
// The surfaces of labelled objects, moved by `offset` in model space.
void SetVolumeWindowSurfaces(wxFrame* frame, std::vector<vol3D_SurfaceMesh> meshes,
                             const bix::Vector3d<float>& offset);
// Whether the surfaces are drawn, and the colour of label l: colours[l mod size].
void SetVolumeWindowSurfaceDisplay(wxFrame* frame, bool show,
                                   const std::vector<bix::RGB8>& colours);

// Rebuilds the window's texture from every voxel of `image` through
// `mapper`, reduced when the stack is over the driver's limit or the memory
// budget, with the application's windows disabled and a busy notice shown.
template <class T>
void UpdateVolumeWindow(wxFrame* frame, const bix::Image3d<T>& image, const orv_Mapper<T>& mapper);
// The same for the composite of several channels.
template <class T>
void UpdateVolumeWindow(wxFrame* frame, const std::vector<VolumeChannel<T>>& channels);

}  // namespace orv

#endif
