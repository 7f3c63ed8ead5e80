#include <orv/orv_canvas.h>
#include <orv/orv_ids.h>

#include "canvas_layout.h"
#include "info_frame.h"
#include "view_model.h"
#include "volume_window.h"

#include <wx/dcclient.h>
#include <wx/log.h>

#include <cmath>

namespace orv {

wxDEFINE_EVENT(orv_EVT_VIEW_CHANGED, orv_ViewChangedEvent);

orv_ViewChangedEvent::orv_ViewChangedEvent(unsigned cutWindows, unsigned visibleWindows, unsigned contentWindows)
    : wxCommandEvent(orv_EVT_VIEW_CHANGED), m_cut(cutWindows), m_visible(visibleWindows), m_content(contentWindows) {}

int WindowIndex(orv_ProjectionType window) {
  for (int i = 0; i < 3; ++i)
    if (window == kCutWindows[i]) return i;
  return -1;
}

orv_OrthoscopeCanvas::orv_OrthoscopeCanvas(wxWindow* parent, int id, const wxPoint& pos,
                                           const wxSize& size)
    : wxPanel(parent, id, pos, size, 0), m_view(std::make_unique<ViewModel>()) {
  m_win[0] = new orv_DrWinXY(this);
  m_win[1] = new orv_DrWinXZ(this);
  m_win[2] = new orv_DrWinYZ(this);
  m_border = m_win[0]->GetSize().x - m_win[0]->GetClientSize().x;
  Bind(wxEVT_SIZE, &orv_OrthoscopeCanvas::OnSize, this);
  Bind(wxEVT_PAINT, &orv_OrthoscopeCanvas::OnPaint, this);
  Bind(orv_EVT_MOUSE3D, &orv_OrthoscopeCanvas::OnMouse3dEvent, this);
  RecomputeVisible();
  Show();
}

orv_OrthoscopeCanvas::~orv_OrthoscopeCanvas() {
  if (m_volumeFrame) m_volumeFrame->Destroy();
}

const bix::VOI<float>& orv_OrthoscopeCanvas::GetImageBox() const { return m_view->imageBox; }
const bix::VOI<float>& orv_OrthoscopeCanvas::GetVisibleBox() const { return m_view->visibleBox; }
const bix::Vector3d<float>& orv_OrthoscopeCanvas::GetZoom() const { return m_view->zoom; }
const bix::Vector3d<float>& orv_OrthoscopeCanvas::GetBaseZoom() const { return m_view->baseZoom; }
int orv_OrthoscopeCanvas::GetZoomLevel() const { return m_view->zoomLevel; }
const bix::Vector3d<float>& orv_OrthoscopeCanvas::GetCut() const { return m_view->cut; }
const bix::Vector3d<float>& orv_OrthoscopeCanvas::GetScrollStep() const { return m_view->scrollStep; }
const bix::Vector3d<float>& orv_OrthoscopeCanvas::GetVoxelStep() const { return m_view->voxelStep; }

orv_DrWin3d* orv_OrthoscopeCanvas::GetDrWin(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  return i < 0 ? nullptr : m_win[i];
}

void orv_OrthoscopeCanvas::GetIcons(wxIconBundle&) {}

wxSize orv_OrthoscopeCanvas::GetOptimalSize() {
  const wxSize xy = m_win[0]->GetOptimalSize(), xz = m_win[1]->GetOptimalSize(),
               yz = m_win[2]->GetOptimalSize();
  int height = 0, width = 0;
  if (m_view->shown[0] || m_view->shown[2]) height += xy.y + 6;
  if (m_view->shown[1]) height += xz.y + 6;
  if (m_view->shown[0] || m_view->shown[1]) width += xy.x + 6;
  if (m_view->shown[2]) width += yz.x + 6;
  return wxSize(width, height);
}

void orv_OrthoscopeCanvas::OnCutChange(orv_ProjectionType) {
  Refresh(false);
  InfoFrame_UpdateCutAndVisBoxInfo();
}

void orv_OrthoscopeCanvas::OnVis3dChange(orv_ProjectionType windows) { OnCutChange(windows); }

void orv_OrthoscopeCanvas::OnContentChange(orv_ProjectionType) { Refresh(false); }

void orv_OrthoscopeCanvas::MappingChanged(orv_MappingEvent&) { Refresh(false); }

void orv_OrthoscopeCanvas::OverlayingChanged(orv_OverlayingEvent&) { Refresh(false); }

void orv_OrthoscopeCanvas::OnDataChange() {
  InfoFrame_Move();
  InfoFrame_UpdateImageInfo();
  InfoFrame_UpdateCutAndVisBoxInfo();
}

void orv_OrthoscopeCanvas::OnMouse3d(orv_Mouse3dEvent&) { InfoFrame_UpdatePixelInfo(); }

void orv_OrthoscopeCanvas::UpdateVolVis() {}

orv_VoxelGrid orv_OrthoscopeCanvas::GetImageGrid() const { return {}; }

void orv_OrthoscopeCanvas::UpdateIsosurface() {}

orv_ProjectionContent orv_OrthoscopeCanvas::GetContent(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  if (i >= 0) return static_cast<orv_ProjectionContent>(m_view->content[i]);
  const bool all = m_view->content[0] == CONTENT_AUTOFOCUS && m_view->content[1] == CONTENT_AUTOFOCUS &&
                   m_view->content[2] == CONTENT_AUTOFOCUS;
  return all ? CONTENT_AUTOFOCUS : CONTENT_CUT;
}

void orv_OrthoscopeCanvas::ChangeContent(orv_ProjectionContent content, orv_ProjectionType windows) {
  for (int i = 0; i < 3; ++i)
    if (windows & kCutWindows[i]) m_view->content[i] = content;
  AnnounceContentChange(windows);
}

bool orv_OrthoscopeCanvas::IsDrWinShown(orv_ProjectionType windows) const {
  for (int i = 0; i < 3; ++i)
    if ((windows & kCutWindows[i]) && !m_view->shown[i]) return false;
  return true;
}

void orv_OrthoscopeCanvas::ShowDrWin(orv_ProjectionType windows, bool show) {
  for (int i = 0; i < 3; ++i)
    if (windows & kCutWindows[i]) m_view->shown[i] = show;
  RecomputeVisible();
  // The layout gives the windows new sizes and the visible box a new extent:
  // the cuts must be taken again, not only repainted.
  AnnounceVisibleChange(PROJ_ALL);
  Refresh(true);
  InfoFrame_Move();
  InfoFrame_UpdatePixelInfo();
}

void orv_OrthoscopeCanvas::ZoomIn() {
  ++m_view->zoomLevel;
  RecomputeVisible();
  AnnounceVisibleChange(PROJ_ALL);
  InfoFrame_Move();
}

void orv_OrthoscopeCanvas::ZoomOut() {
  --m_view->zoomLevel;
  RecomputeVisible();
  AnnounceVisibleChange(PROJ_ALL);
  InfoFrame_Move();
}

void orv_OrthoscopeCanvas::NormalZoom() {
  m_view->zoomLevel = 0;
  RecomputeVisible();
  AnnounceVisibleChange(PROJ_ALL);
  InfoFrame_Move();
}

void orv_OrthoscopeCanvas::ChangeCut(const bix::Vector3d<float>& p) {
  if (m_view->MoveCut(p)) AnnounceCutChange(PROJ_ALL);
}

void orv_OrthoscopeCanvas::CenterView() {
  m_view->CenterOnCut();
}

void orv_OrthoscopeCanvas::CenterViewIfOut() {
  m_view->CenterOnCutIfOut();
}

bool orv_OrthoscopeCanvas::IsAxisReversed(unsigned axis) const { return axis < 3 && m_view->reversed[axis]; }

bool orv_OrthoscopeCanvas::ToggleAxisReverse(int axis) {
  if (static_cast<unsigned>(axis) > 2) return false;
  m_view->reversed[axis] = !m_view->reversed[axis];
  ReverseAxis(axis);
  Refresh(true);
  InfoFrame_UpdatePixelInfo();
  RequestIconRefresh();
  return m_view->reversed[axis];
}

void orv_OrthoscopeCanvas::AnnounceCutChange(orv_ProjectionType windows) { Announce(windows, 0, 0); }
void orv_OrthoscopeCanvas::AnnounceVisibleChange(orv_ProjectionType windows) { Announce(0, windows, 0); }
void orv_OrthoscopeCanvas::AnnounceContentChange(orv_ProjectionType windows) { Announce(0, 0, windows); }

void orv_OrthoscopeCanvas::Announce(unsigned cut, unsigned visible, unsigned content) {
  m_pending[0] |= cut, m_pending[1] |= visible, m_pending[2] |= content;
  if (m_actions > 0 || !(m_pending[0] | m_pending[1] | m_pending[2])) return;
  const unsigned told[3] = {m_pending[0], m_pending[1], m_pending[2]};
  m_pending[0] = m_pending[1] = m_pending[2] = 0;
  // The cut first: a visible box that moved with it is taken in the same pass.
  if (told[0]) OnCutChange(static_cast<orv_ProjectionType>(told[0]));
  if (told[1] & ~told[0]) OnVis3dChange(static_cast<orv_ProjectionType>(told[1] & ~told[0]));
  if (told[2]) OnContentChange(static_cast<orv_ProjectionType>(told[2]));
  orv_ViewChangedEvent changed(told[0], told[1], told[2]);
  changed.SetEventObject(this);
  ProcessWindowEvent(changed);
}

orv_OrthoscopeCanvas::ViewAction::ViewAction(orv_OrthoscopeCanvas& canvas) : m_canvas(canvas) { ++m_canvas.m_actions; }

orv_OrthoscopeCanvas::ViewAction::~ViewAction() {
  if (--m_canvas.m_actions == 0) m_canvas.Announce(0, 0, 0);
}

// The frame's icon shows the XY picture: every change that makes it stale
// asks for a new icon. The requests of one user action make one icon, after
// the action: made inside an input handler, it would extract the XY cut
// before the paint that extracts it anyway.
void orv_OrthoscopeCanvas::RequestIconRefresh() {
  if (m_iconRequested) return;
  m_iconRequested = true;
  CallAfter([this] {
    m_iconRequested = false;
    wxUpdateUIEvent iconRefresh(ID_ICON_REFRESH);
    iconRefresh.SetEventObject(this);
    GetEventHandler()->ProcessEvent(iconRefresh);
  });
}

void orv_OrthoscopeCanvas::GetSettings(orv_CanvasSettings& s) const {
  s.labels = m_labels;
  for (int i = 0; i < 3; ++i) {
    s.shown[i] = m_view->shown[i];
    s.content[i] = static_cast<orv_ProjectionContent>(m_view->content[i]);
    s.reversed[i] = m_view->reversed[i];
  }
  s.zoomLevel = m_view->zoomLevel;
  s.cut = m_view->cut;
  s.baseZoom = m_view->baseZoom;
  s.pointerStyle = m_pointer.style;
  s.pointerColour = m_pointer.colour;
}

void orv_OrthoscopeCanvas::SetSettings(const orv_CanvasSettings& s) {
  m_labels = s.labels;
  for (int i = 0; i < 3; ++i) {
    m_view->shown[i] = s.shown[i];
    m_view->content[i] = s.content[i];
    m_view->reversed[i] = s.reversed[i];
  }
  m_view->zoomLevel = s.zoomLevel;
  m_view->cut = s.cut;
  // A base zoom that is not a positive number (a settings record never
  // filled in) would leave no picture to draw: the current one stays.
  bool usable = true;
  for (unsigned a = 0; a < 3; ++a) usable = usable && std::isfinite(s.baseZoom[a]) && s.baseZoom[a] > 0;
  if (usable) m_view->baseZoom = s.baseZoom;
  m_pointer.style = s.pointerStyle;
  m_pointer.colour = s.pointerColour;
  const ViewModel& view = *m_view;
  if (!view.cut.InOO(view.imageBox.offset, view.imageBox.End())) m_view->cut = view.imageBox.offset + view.imageBox.size * 0.5f;
  RecomputeVisible();
  AnnounceVisibleChange(PROJ_ALL);
}

void orv_OrthoscopeCanvas::InfoFrame_Move() {
  if (!InfoFrame_IsShown()) return;
  const wxWindow* anchor = m_win[0];
  if (m_view->shown[2] && !m_view->shown[0] && !m_view->shown[1]) anchor = m_win[2];
  if (m_view->shown[1] && !m_view->shown[0] && !m_view->shown[2]) anchor = m_win[1];
  const wxRect r = anchor->GetRect();
  m_infoFrame->Move(ClientToScreen(r.GetPosition() + r.GetSize()));
}

// Made on first demand and then only shown and hidden; it goes with the
// canvas, its parent. Showing it refreshes every text, which are left alone
// while it is hidden.
void orv_OrthoscopeCanvas::InfoFrame_Show(bool show) {
  if (!show) {
    if (m_infoFrame) m_infoFrame->Hide();
    return;
  }
  if (!m_infoFrame) m_infoFrame = CreateInfoFrame(this);
  m_infoFrame->Show();
  InfoFrame_Move();
  InfoFrame_UpdatePixelInfo();
  InfoFrame_UpdateImageInfo();
  InfoFrame_UpdateCutAndVisBoxInfo();
}

// Made on first use; every show starts from the start view with a new texture.
void orv_OrthoscopeCanvas::ShowVolVis(const wxIconBundle& icons) {
  if (!m_volumeFrame) {
    m_volumeFrame = CreateVolumeWindow();
    if (!m_volumeFrame) return;
  }
  ResetVolumeWindow(m_volumeFrame.get());
  m_volumeFrame->SetIcons(icons);
  m_volumeFrame->Show();
  m_volumeFrame->Raise();
  UpdateVolVis();
  UpdateIsosurface();
}

void orv_OrthoscopeCanvas::RefreshVolVisIcon(const wxIconBundle& icons) {
  if (m_volumeFrame) m_volumeFrame->SetIcons(icons);
}

void orv_OrthoscopeCanvas::RecomputeVisible() {
  m_view->ApplyZoomLevel();
  CanvasLayoutInput in;
  in.border = m_border;
  for (int i = 0; i < 3; ++i) in.shown[i] = m_view->shown[i];
  const wxSize client = GetClientSize();
  in.client = {client.x, client.y};
  in.image = m_view->imageBox;
  in.visible = m_view->visibleBox;
  in.zoom = m_view->zoom;
  const CanvasLayout layout = ComputeCanvasLayout(in);
  if (!layout.placed) return;
  if (layout.arranged) {
    m_view->visibleBox = layout.visible;
    m_view->scrollStep = layout.scrollStep;
    for (int i = 0; i < 3; ++i) {
      const PixelRect& r = layout.window[i];
      m_win[i]->SetSize(r.x, r.y, r.width, r.height);
    }
  }
  for (int i : {0, 2, 1}) m_win[i]->Show(m_view->shown[i]);
}

void orv_OrthoscopeCanvas::OnSize(wxSizeEvent&) {
  RecomputeVisible();
  AnnounceVisibleChange(PROJ_ALL);
  InfoFrame_Move();
}

// The panel itself shows nothing. Invalidating the panel already invalidates
// the cut windows inside it; refreshing them again from here would queue a
// second repaint of every window for each one painted.
void orv_OrthoscopeCanvas::OnPaint(wxPaintEvent&) { wxPaintDC dc(this); }

void orv_OrthoscopeCanvas::OnMouse3dEvent(orv_Mouse3dEvent& event) {
  OnMouse3d(event);
  event.Skip();
}

}  // namespace orv
