#ifndef ORV_VOL3D_CANVAS_H
#define ORV_VOL3D_CANVAS_H

// The volume window: an OpenGL canvas that renders the whole stack by 3D
// texture slicing with a clipping plane, and the frame that hosts it. A
// host needs OpenGL and GLEW headers to include this (the rest of liborv's
// headers need neither).

#include <GL/glew.h>

#include <orv/orv_export.h>
#include <orv/surface_mesh.h>
#include <orv/vol3d_window.h>

#include <bix/RGB.h>
#include <bix/Vector3d.h>

#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/timer.h>
#include <wx/statusbr.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace orv {

struct VolumeViewState;
struct VolumeDragState;

// Orientation: the model box [-1, 1]^3 holds the image with its longest
// physical side from -1 to 1. Image x grows along model x and image z along
// model z, and image row 0 lies at the HIGH end of model y, as in the cut
// windows (where y runs down) and as the surface meshes of labelled objects
// place it; so the start view shows the stack as the XY window does.
class ORV_EXPORT vol3D_VolVisCanvas : public wxGLCanvas {
public:
  vol3D_VolVisCanvas(wxStatusBar* statusBar, wxWindow* parent, wxWindowID id = wxID_ANY,
                     const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize, long style = 0,
                     const wxString& name = "VolGLCanvas");
  ~vol3D_VolVisCanvas() override;

  // Shows the parent frame, makes the context, initialises GLEW and the
  // fixed GL state. False (with an error logged) when the driver cannot serve.
  bool Init();
  void ResetView();
  // `data`: size.x * size.y * size.z RGBA voxels, x fastest. The caller keeps
  // the data. `factor` (image voxels per texture voxel) is shown in the
  // status bar when above 1.
  void SetVolumeData(const unsigned char* data, const bix::Vector3d<unsigned>& size,
                     const bix::Vector3d<float>& scale, unsigned factor = 1);
  // The same data slab by slab, without the whole of it in host memory:
  // BeginVolumeData makes room for the texture (once per size: an update
  // of the same size reuses it; false, told to the user, when the driver
  // cannot), SetVolumeSlab uploads `planes` whole planes (size.x * size.y
  // RGBA voxels each) from plane `first`, and EndVolumeData shows the
  // texture once every plane came.
  bool BeginVolumeData(const bix::Vector3d<unsigned>& size, const bix::Vector3d<float>& scale, unsigned factor = 1);
  void SetVolumeSlab(unsigned first, unsigned planes, const unsigned char* data);
  void EndVolumeData();
  void SetViewAlong(float distance, const bix::Vector3d<float>& forward, const bix::Vector3d<float>& up);
  // Ask for a file and save or load the view matrices.
  void SaveView();
  void LoadView();
  // The same without the file dialog; false after telling the user why.
  bool SaveViewTo(const wxString& path);
  bool LoadViewFrom(const wxString& path);

  // The surfaces of labelled objects, moved by `offset` in model space. The
  // window keeps them as given, to show them smoothed or as they are.
  void SetIsosurfaceMeshes(std::vector<vol3D_SurfaceMesh> meshes, const bix::Vector3d<float>& offset);
  // Whether the surfaces are shown smoothed (volume-preserving, normals
  // made again); a new window takes the default, off unless a host sets it.
  void SetSmoothSurfaces(bool smooth);
  bool GetSmoothSurfaces() const { return m_smoothMeshes; }
  static void SetSmoothSurfacesByDefault(bool smooth);
  void SetIsosurfaceDisplay(bool show, const std::vector<bix::RGB8>& colours);
  bool IsIsosurfaceShown() const { return m_showMeshes; }
  // The surfaces as uploaded: how many, each one's label and triangles, the
  // colours, and how many times meshes were uploaded.
  std::size_t GetIsosurfaceCount() const { return m_meshes.size(); }
  std::uint32_t GetIsosurfaceLabel(std::size_t i) const { return m_meshes[i].label; }
  std::uint32_t GetIsosurfaceTriangles(std::size_t i) const { return m_meshes[i].triangles; }
  const std::vector<bix::RGB8>& GetIsosurfaceColours() const { return m_meshColours; }
  unsigned GetIsosurfaceUploads() const { return m_meshUploads; }

  void SetWhiteBackground(bool white);
  void SetDrawBox(bool draw);
  void SetDrawPlane(bool draw);
  // Maximum-intensity projection instead of compositing (the default).
  void SetMaximumIntensity(bool maximum);

  // Draws one frame into the back buffer without swapping (the paint handler
  // swaps); the context must be current. While the model or the plane is
  // being dragged, the frame is drawn reduced: at a fraction of the window's
  // pixels, chosen from the time frames take so that one takes about
  // kTurningFrameMs, and scaled up; the full frame follows once the motion
  // stops (the button released, or no motion for kRestAfterMs).
  void Render();
  static constexpr double kTurningFrameMs = 50;
  static constexpr int kRestAfterMs = 250;
  // Whether a drag is moving the view (frames are drawn reduced).
  bool IsTurning() const { return m_turning; }
  bool HasContext() const { return m_context != nullptr; }
  void MakeCurrent();
  // The largest 3D texture side the driver takes (0 before Init).
  int GetMax3dTextureSize() const { return m_max3dTexture; }
  bool IsTextureValid() const { return m_textureValid; }
  const VolumeViewState& GetViewState() const { return *m_view; }
  VolumeViewState& ViewState() { return *m_view; }

private:
  void SetupProjection();
  // The frame as Render draws it at rest, into the current viewport.
  void RenderScene();
  // The fraction of the window's width and height a reduced frame takes.
  double ReducedScale() const;
  // Scales the frame drawn into the lower left w x h pixels up to the window.
  void ScaleUpFrom(int w, int h);
  void StartTurning();
  void StopTurning();
  void UpdateStatusBar();
  void DrawMeshes();
  void DrawBox();
  void DrawPlane(const std::array<std::array<float, 3>, 4>& corners, bool outline);
  void DeleteMeshes();
  // Binds the texture with its parameters for an upload of `size`; false
  // (told to the user) when the driver's limit is below it.
  bool PrepareTexture(const bix::Vector3d<unsigned>& size, const bix::Vector3d<float>& scale, unsigned factor);
  // Whether the last texture call failed (told to the user).
  bool TextureFailed();
  // Uploads the kept meshes, smoothed or not.
  void UploadMeshes();

  void OnSize(wxSizeEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnChar(wxKeyEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnRightDown(wxMouseEvent& event);
  void OnRightUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnEraseBackground(wxEraseEvent& event);

  // Where one mesh lies in the shared buffers: its vertices from
  // `firstVertex`, its triangles' vertex numbers (counted in the shared
  // buffer) from `firstIndex`.
  struct MeshRecord {
    std::size_t firstVertex = 0, firstIndex = 0;
    std::uint32_t vertices = 0, triangles = 0;
    bool hasNormals = false;
    std::uint32_t label = 0;
  };
  void FillMeshColours();

  wxStatusBar* m_statusBar;
  wxGLContext* m_context = nullptr;
  GLuint m_texture = 0;
  bool m_textureValid = false;
  GLuint m_reducedFrame = 0;  // the reduced frame, as a 2D texture to scale up
  bool m_turning = false;
  wxTimer m_rest;  // ends the turning once the motion pauses
  double m_fullFrameMs = 0;  // what a full frame takes, as last measured (0: not yet)
  bix::Vector3d<unsigned> m_textureSize;  // what the texture has room for
  int m_max3dTexture = 0;
  unsigned m_factor = 1;
  bix::Vector3d<float> m_scale;
  int m_width = 0, m_height = 0;
  std::unique_ptr<VolumeViewState> m_view;
  std::unique_ptr<VolumeDragState> m_drag;
  std::vector<float> m_proxyGrid;
  bool m_showMeshes = false;
  // All meshes in four buffers (positions, normals, colours, vertex
  // numbers), those with normals first: a frame draws them in two calls,
  // and a million labels make four buffer objects, not three million.
  std::vector<MeshRecord> m_meshes;
  GLuint m_meshBuffers[4] = {0, 0, 0, 0};
  std::size_t m_meshVertexCount = 0;
  std::size_t m_litIndexCount = 0, m_meshIndexCount = 0;
  bix::Vector3d<float> m_meshOffset;
  unsigned m_meshUploads = 0;
  std::vector<vol3D_SurfaceMesh> m_surfaces;  // as given
  bool m_smoothMeshes;
  std::vector<bix::RGB8> m_meshColours;

  wxDECLARE_EVENT_TABLE();
};

// The top-level window of the volume view: menus of preset directions,
// display switches and view files, a two-field status bar the canvas writes,
// a help window; closing hides it.
class ORV_EXPORT vol3D_VolVisFrame : public wxFrame {
public:
  vol3D_VolVisFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxSize(600, 600), long style = wxDEFAULT_FRAME_STYLE);
  ~vol3D_VolVisFrame() override;

  vol3D_VolVisCanvas* GetCanvas() const { return m_canvas; }
  // The help window, null until first requested.
  wxDialog* GetHelpWindow() const { return m_help; }
  void ShowHelp();

private:
  void OnHelp(wxCommandEvent& event);
  void OnViewAlong(wxCommandEvent& event);
  void OnBackground(wxCommandEvent& event);
  void OnRenderMode(wxCommandEvent& event);
  void OnSmoothSurfaces(wxCommandEvent& event);
  void OnHidePlane(wxCommandEvent& event);
  void OnHideBox(wxCommandEvent& event);
  void OnSaveView(wxCommandEvent& event);
  void OnLoadView(wxCommandEvent& event);
  void OnSetFocus(wxFocusEvent& event);
  void OnClose(wxCloseEvent& event);

  vol3D_VolVisCanvas* m_canvas = nullptr;
  wxDialog* m_help = nullptr;

  wxDECLARE_EVENT_TABLE();
};

}  // namespace orv

#endif
