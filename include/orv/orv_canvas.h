#ifndef ORV_CANVAS_H
#define ORV_CANVAS_H

#include <orv/orv_export.h>
#include <orv/orv_events.h>
#include <orv/orv_layer.h>
#include <orv/orv_types.h>

#include <bix/ChunkedImage.h>
#include <bix/VOI.h>
#include <bix/Vector3d.h>

#include <wx/bitmap.h>
#include <wx/cursor.h>
#include <wx/event.h>
#include <wx/frame.h>
#include <wx/iconbndl.h>
#include <wx/panel.h>
#include <wx/weakref.h>

#include <memory>

namespace orv {

class orv_DrWin3d;
class orv_OrthoscopeCanvas;
class orv_Mouse3dEvent;
class orv_ChunkedView;
class ViewModel;

wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_MOUSE3D, orv_Mouse3dEvent);

// The canvas's editable state as one record (the preferences dialog edits a
// copy). Fill it with GetSettings before use.
struct ORV_EXPORT orv_CanvasSettings {
  bool labels = false;
  bool shown[3] = {true, true, true};  // XY, XZ, YZ
  orv_ProjectionContent content[3] = {CONTENT_CUT, CONTENT_CUT, CONTENT_CUT};
  int zoomLevel = 0;
  bix::Vector3d<float> cut;
  bix::Vector3d<float> baseZoom;
  int pointerStyle = POINTER_ON_SIDES;
  wxColour pointerColour = wxColour(0, 255, 0, 255);
  bool reversed[3] = {false, false, false};  // x, y, z
};

// A mouse event in a cut window, with the image-space point under the mouse.
class ORV_EXPORT orv_Mouse3dEvent : public wxEvent {
public:
  orv_Mouse3dEvent(orv_DrWin3d* window, const wxMouseEvent& mouse);

  orv_DrWin3d* GetWindow() const { return m_window; }
  const wxMouseEvent& GetMouseEvent() const { return m_mouse; }
  // Horizontal and vertical coordinates from the mouse position, depth from
  // the cut point, in image order (x, y, z), microns.
  bix::Vector3d<float> GetPosition3d() const;
  wxEvent* Clone() const override { return new orv_Mouse3dEvent(*this); }

private:
  orv_DrWin3d* m_window;
  wxMouseEvent m_mouse;
};

// One cut window. It reads and writes the canvas's shared state through its
// own axes: horizontal h, vertical v and depth d (axis indices 0 = x, 1 = y,
// 2 = z), and paints from a cached bitmap.
class ORV_EXPORT orv_DrWin3d : public wxWindow {
public:
  orv_DrWin3d(orv_OrthoscopeCanvas* canvas, unsigned h, unsigned v, unsigned d);

  virtual wxSize GetOptimalSize() const;
  virtual orv_ProjectionType GetProjectionType() const = 0;
  virtual orv_ProjectionType GetDepthAxisMask() const = 0;
  virtual orv_ProjectionType GetVerticalAxisMask() const = 0;
  virtual orv_ProjectionType GetHorizontalAxisMask() const = 0;
  // From image order (x, y, z) to window order (h, v, d) and back.
  virtual bix::Vector3d<float> PermuteAxes(const bix::Vector3d<float>& p) const = 0;

  float WindowToHorizontal(int column) const;
  float WindowToVertical(int row) const;
  // Moves the cut's h and v coordinates there, clamped to the image box.
  void SetCutAt(float h, float v);
  // Centres the visible box on (h, v) as far as the image box allows.
  void CenterAt(float h, float v);
  bool IsInside(const wxPoint& p) const;
  // The picture the window shows, pointer and label included.
  wxImage GetBitmapImage() const;

  unsigned HorizontalAxis() const { return m_h; }
  unsigned VerticalAxis() const { return m_v; }
  unsigned DepthAxis() const { return m_d; }
  orv_OrthoscopeCanvas* GetCanvas() const { return m_canvas; }

private:
  void OnPaint(wxPaintEvent& event);
  void OnEraseBackground(wxEraseEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnMouse(wxMouseEvent& event);
  void OnSetFocus(wxFocusEvent& event);
  void OnKillFocus(wxFocusEvent& event);
  // Background, the canvas's picture, pointer and label, for a client area of `size`.
  void Render(wxDC& dc, const wxSize& size) const;
  void DrawPointer(wxDC& dc, const wxSize& size) const;
  void DrawLabel(wxDC& dc) const;

  orv_OrthoscopeCanvas* m_canvas;
  unsigned m_h, m_v, m_d;
  wxCursor m_crossCursor;
};

class ORV_EXPORT orv_DrWinXY : public orv_DrWin3d {
public:
  explicit orv_DrWinXY(orv_OrthoscopeCanvas* canvas)
      : orv_DrWin3d(canvas, kWindowAxes[0].h, kWindowAxes[0].v, kWindowAxes[0].d) {}
  orv_ProjectionType GetProjectionType() const override { return PROJ_XY; }
  orv_ProjectionType GetDepthAxisMask() const override { return static_cast<orv_ProjectionType>(6); }
  orv_ProjectionType GetVerticalAxisMask() const override { return static_cast<orv_ProjectionType>(5); }
  orv_ProjectionType GetHorizontalAxisMask() const override { return static_cast<orv_ProjectionType>(3); }
  bix::Vector3d<float> PermuteAxes(const bix::Vector3d<float>& p) const override { return p; }
};

class ORV_EXPORT orv_DrWinXZ : public orv_DrWin3d {
public:
  explicit orv_DrWinXZ(orv_OrthoscopeCanvas* canvas)
      : orv_DrWin3d(canvas, kWindowAxes[1].h, kWindowAxes[1].v, kWindowAxes[1].d) {}
  orv_ProjectionType GetProjectionType() const override { return PROJ_XZ; }
  orv_ProjectionType GetDepthAxisMask() const override { return static_cast<orv_ProjectionType>(5); }
  orv_ProjectionType GetVerticalAxisMask() const override { return static_cast<orv_ProjectionType>(6); }
  orv_ProjectionType GetHorizontalAxisMask() const override { return static_cast<orv_ProjectionType>(3); }
  bix::Vector3d<float> PermuteAxes(const bix::Vector3d<float>& p) const override {
    return bix::Vector3d<float>(p.x, p.z, p.y);
  }
};

class ORV_EXPORT orv_DrWinYZ : public orv_DrWin3d {
public:
  explicit orv_DrWinYZ(orv_OrthoscopeCanvas* canvas)
      : orv_DrWin3d(canvas, kWindowAxes[2].h, kWindowAxes[2].v, kWindowAxes[2].d) {}
  orv_ProjectionType GetProjectionType() const override { return PROJ_YZ; }
  orv_ProjectionType GetDepthAxisMask() const override { return static_cast<orv_ProjectionType>(3); }
  orv_ProjectionType GetVerticalAxisMask() const override { return static_cast<orv_ProjectionType>(5); }
  orv_ProjectionType GetHorizontalAxisMask() const override { return static_cast<orv_ProjectionType>(6); }
  bix::Vector3d<float> PermuteAxes(const bix::Vector3d<float>& p) const override {
    return bix::Vector3d<float>(p.z, p.y, p.x);
  }
};

class orv_ViewChangedEvent;
// Sent by a canvas (it reaches the frame) once per user action that changed
// its view: the cut, the visible box (scrolling, zoom, shown windows, axes)
// or what the windows show.
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_VIEW_CHANGED, orv_ViewChangedEvent);

// What a view change touched: masks of the windows whose cut plane moved,
// whose visible part moved, and whose content changed.
class ORV_EXPORT orv_ViewChangedEvent : public wxCommandEvent {
public:
  orv_ViewChangedEvent(unsigned cutWindows = 0, unsigned visibleWindows = 0, unsigned contentWindows = 0);
  unsigned GetCutWindows() const { return m_cut; }
  unsigned GetVisibleWindows() const { return m_visible; }
  unsigned GetContentWindows() const { return m_content; }
  wxEvent* Clone() const override { return new orv_ViewChangedEvent(*this); }

private:
  unsigned m_cut, m_visible, m_content;
};

// The panel with the three cut windows and the state they share: image box,
// visible box, zoom, cut point, reversed axes, shown windows and contents,
// pointer style. What is drawn inside a window comes from a derived canvas.
// All geometry is in microns; zoom is screen pixels per micron.
class ORV_EXPORT orv_OrthoscopeCanvas : public wxPanel {
public:
  orv_OrthoscopeCanvas(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size);
  ~orv_OrthoscopeCanvas() override;

  virtual void ReverseAxis(int axis) = 0;
  virtual void Draw(wxDC& dc, orv_ProjectionType window) = 0;
  virtual void GetIcons(wxIconBundle& icons);
  virtual bix::Vector3d<unsigned> GetImageSize() = 0;
  // Where the image's voxels lie; all zero when there is no image.
  virtual orv_VoxelGrid GetImageGrid() const;
  virtual void Save3dData(const wxString& path) = 0;
  // How loading goes when the image comes from the chunks of a multiscale
  // image; null for an image in memory.
  virtual orv_ChunkedView* GetChunkedView() { return nullptr; }
  // Labels shown from the chunks of a chunked label image, of which the
  // canvas's label image is level `heldLevel`; false for canvases without
  // labels (or whose overlay cannot).
  virtual bool AttachChunkedLabels(std::shared_ptr<const bix::ChunkedImage>, unsigned) { return false; }
  virtual void SaveActualView(const char* path, int border, orv_ProjectionType windows) = 0;
  virtual void SaveGalleryView(const char* path, int first, int last, int step, bool labels,
                               int columns, int border) = 0;
  virtual wxSize GetOptimalSize();
  virtual void OnCutChange(orv_ProjectionType windows);
  virtual void OnVis3dChange(orv_ProjectionType windows);
  virtual void OnContentChange(orv_ProjectionType windows);
  virtual void MappingChanged(orv_MappingEvent& event);
  virtual void OverlayingChanged(orv_OverlayingEvent& event);
  virtual void OnDataChange();
  virtual void OnMouse3d(orv_Mouse3dEvent& event);
  virtual void UpdateVolVis();
  virtual void UpdateIsosurface();
  virtual void InfoFrame_UpdatePixelInfo() = 0;
  virtual void InfoFrame_UpdateImageInfo() = 0;
  virtual void InfoFrame_UpdateCutAndVisBoxInfo() = 0;

  orv_ProjectionContent GetContent(orv_ProjectionType window) const;
  void ChangeContent(orv_ProjectionContent content, orv_ProjectionType windows);
  bool IsDrWinShown(orv_ProjectionType windows) const;
  void ShowDrWin(orv_ProjectionType windows, bool show);
  void ZoomIn();
  void ZoomOut();
  void NormalZoom();
  // Moves the cut point to p if p lies strictly inside the image box.
  void ChangeCut(const bix::Vector3d<float>& p);
  // Centres the XY and XZ windows on the cut point; notifies nobody.
  void CenterView();
  bool IsAxisReversed(unsigned axis) const;
  // Flips axis 0, 1 or 2 and returns the new flag; false for other axes.
  bool ToggleAxisReverse(int axis);
  bool GetInfoFlag() const { return m_labels; }
  void ToggleInfoFlag() { m_labels = !m_labels; }
  orv_CutPointerStyle GetPointerStyle() const { return m_pointer; }
  void SetPointerStyle(const orv_CutPointerStyle& style) { m_pointer = style; }
  void GetSettings(orv_CanvasSettings& settings) const;
  void SetSettings(const orv_CanvasSettings& settings);
  wxFrame* InfoFrame_Get() const { return m_infoFrame; }
  bool InfoFrame_IsShown() const { return m_infoFrame && m_infoFrame->IsShown(); }
  void InfoFrame_Move();
  // Shows or hides the info window (the voxel under the mouse).
  void InfoFrame_Show(bool show);
  // Opens the 3D volume window with the given icons.
  void ShowVolVis(const wxIconBundle& icons);
  void RefreshVolVisIcon(const wxIconBundle& icons);
  // The volume window once opened (orv/vol3d_window.h), or null.
  wxFrame* GetVolumeFrame() const { return m_volumeFrame.get(); }

  // Read access to the shared state (microns, pixels per micron).
  const bix::VOI<float>& GetImageBox() const;
  const bix::VOI<float>& GetVisibleBox() const;
  const bix::Vector3d<float>& GetZoom() const;
  const bix::Vector3d<float>& GetBaseZoom() const;
  int GetZoomLevel() const;
  const bix::Vector3d<float>& GetCut() const;
  const bix::Vector3d<float>& GetScrollStep() const;
  const bix::Vector3d<float>& GetVoxelStep() const;
  int GetBorder() const { return m_border; }
  orv_DrWin3d* GetDrWin(orv_ProjectionType window) const;
  // The geometry of the three windows and its navigation, for the library's
  // own windows and canvases (src/viewer/view_model.h).
  ViewModel& View() { return *m_view; }
  const ViewModel& View() const { return *m_view; }

  // The view changed in `windows`: the matching hook (OnCutChange,
  // OnVis3dChange, OnContentChange) runs and orv_EVT_VIEW_CHANGED goes out,
  // at once, or, while a user action is under way (ViewAction), once when
  // it ends with all it changed.
  void AnnounceCutChange(orv_ProjectionType windows);
  void AnnounceVisibleChange(orv_ProjectionType windows);
  void AnnounceContentChange(orv_ProjectionType windows);

  // One user action (a key, a mouse event, a command) for as long as it
  // lives: the view changes announced meanwhile are told once, at its end,
  // however many steps and listeners made them. Actions nest.
  class ORV_EXPORT ViewAction {
  public:
    explicit ViewAction(orv_OrthoscopeCanvas& canvas);
    ~ViewAction();
    ViewAction(const ViewAction&) = delete;
    ViewAction& operator=(const ViewAction&) = delete;

  private:
    orv_OrthoscopeCanvas& m_canvas;
  };

protected:
  void CenterViewIfOut();
  void RecomputeVisible();
  // Asks the frame for a new icon (it takes the XY picture from GetIcons)
  // once the event being handled is done: however many changes one user
  // action makes, the icon is made once, and never inside an input handler,
  // where it would extract the XY cut before any paint.
  void RequestIconRefresh();

  std::unique_ptr<ViewModel> m_view;
  orv_DrWin3d* m_win[3] = {nullptr, nullptr, nullptr};  // XY, XZ, YZ
  bool m_labels = false;
  int m_border = 0;
  orv_CutPointerStyle m_pointer;
  // A top-level window of its own: it may be destroyed before the canvas.
  wxWeakRef<wxFrame> m_volumeFrame;
  wxFrame* m_infoFrame = nullptr;

private:
  void OnSize(wxSizeEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnMouse3dEvent(orv_Mouse3dEvent& event);

  void Announce(unsigned cut, unsigned visible, unsigned content);

  bool m_iconRequested = false;
  int m_actions = 0;  // open ViewActions
  unsigned m_pending[3] = {0, 0, 0};  // cut, visible, content windows told at the end
};

// Pixels per micron at zoom `level`: base * (level + 1) above 0,
// base / (1 - level) below 0.
ORV_EXPORT float ZoomForLevel(float base, int level);

// Index 0, 1, 2 of window XY, XZ, YZ; -1 for anything else.
ORV_EXPORT int WindowIndex(orv_ProjectionType window);

}  // namespace orv

#endif
