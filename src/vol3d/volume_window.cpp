#include "volume_window.h"

#include <orv/vol3d_canvas.h>

namespace orv {

vol3D_VolVisCanvas* VolumeWindowCanvas(wxFrame* frame) {
  auto* volume = dynamic_cast<vol3D_VolVisFrame*>(frame);
  return volume ? volume->GetCanvas() : nullptr;
}

wxFrame* CreateVolumeWindow() {
  auto* frame = new vol3D_VolVisFrame(nullptr, wxID_ANY, "Volume visualization", wxDefaultPosition, wxSize(600, 600),
                                      wxDEFAULT_FRAME_STYLE);
  if (!frame->GetCanvas()->Init()) {
    frame->Destroy();
    return nullptr;
  }
  return frame;
}

void ResetVolumeWindow(wxFrame* frame) {
  if (vol3D_VolVisCanvas* canvas = VolumeWindowCanvas(frame)) canvas->ResetView();
}

unsigned VolumeWindowTextureLimit(wxFrame* frame) {
  const vol3D_VolVisCanvas* canvas = VolumeWindowCanvas(frame);
  return canvas ? static_cast<unsigned>(canvas->GetMax3dTextureSize()) : 0;
}

void SetVolumeWindowSurfaces(wxFrame* frame, std::vector<vol3D_SurfaceMesh> meshes,
                             const bix::Vector3d<float>& offset) {
  if (vol3D_VolVisCanvas* canvas = VolumeWindowCanvas(frame)) canvas->SetIsosurfaceMeshes(std::move(meshes), offset);
}

void SetVolumeWindowSurfaceDisplay(wxFrame* frame, bool show,
                                   const std::vector<bix::RGB8>& colours) {
  if (vol3D_VolVisCanvas* canvas = VolumeWindowCanvas(frame)) canvas->SetIsosurfaceDisplay(show, colours);
}

// The back buffer is read before any swap: it holds exactly what was drawn.
wxImage vol3D_RenderImage(wxFrame* frame) {
  vol3D_VolVisCanvas* canvas = VolumeWindowCanvas(frame);
  if (!canvas || !canvas->HasContext() || !canvas->IsShownOnScreen()) return wxImage();
  const wxSize size = canvas->GetClientSize();
  if (size.x <= 0 || size.y <= 0) return wxImage();
  canvas->MakeCurrent();
  canvas->Render();
  std::vector<unsigned char> rgb(static_cast<std::size_t>(size.x) * size.y * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, size.x, size.y, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  wxImage image(size.x, size.y);
  // GL rows run bottom to top.
  const std::size_t row = static_cast<std::size_t>(size.x) * 3;
  for (int y = 0; y < size.y; ++y)
    std::copy_n(&rgb[row * (size.y - 1 - y)], row, image.GetData() + row * y);
  return image;
}

}  // namespace orv
