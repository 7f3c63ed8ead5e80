#include <orv/orv_ids.h>
#include <orv/orv_imagecanvas.h>
#include <orv/orv_voxel.h>
#include <orv/orv_voxel_traits.h>

#include "canvas_pictures.h"
#include "cut_picture.h"
#include "info_frame.h"

#include <bix/Algorithms.h>
#include <bix/Types.h>

namespace orv {

template <class T>
orv_ImageOrthoscopeCanvas<T>::orv_ImageOrthoscopeCanvas(wxWindow* parent, const orv_Mapper<T>& mapper,
                                                         bix::Image3d<T>* image, bool ownsImage, int id,
                                                         const wxPoint& pos, const wxSize& size)
    : orv_OrthoscopeCanvas(parent, id, pos, size), m_mapper(&mapper), m_image(image), m_ownsImage(ownsImage) {
  for (auto& picture : m_picture) picture = std::make_unique<CutPicture>();
  if (!m_image) return;
  TakeGeometry();
  CutAtTheCentreVoxel();
  RecomputeVisible();
  CenterViewIfOut();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::CutAtTheCentreVoxel() {
  const bix::Vector3d<unsigned>& n = m_image->GetSize();
  for (unsigned a = 0; a < 3; ++a)
    m_cut[a] = (static_cast<float>(n[a] / 2) + 0.5f) * m_voxelStep[a] + m_imageBox.offset[a];
}

template <class T>
orv_ImageOrthoscopeCanvas<T>::~orv_ImageOrthoscopeCanvas() {
  if (m_ownsImage) delete m_image;
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::TakeGeometry() {
  const bix::Resolution& res = m_image->GetResolution();
  const bix::Vector3d<unsigned>& n = m_image->GetSize();
  m_imageBox.offset = m_image->GetOffset();
  m_imageBox.size = bix::PixelsToMicrons(n, res);
  // One x voxel is one pixel at zoom level 0 on every axis, so the display
  // keeps true proportions in microns.
  const float base = res.GetRes().x;
  m_baseZoom = bix::Vector3d<float>(base, base, base);
  for (unsigned a = 0; a < 3; ++a)
    m_voxelStep[a] = n[a] ? m_imageBox.size[a] / static_cast<float>(n[a]) : 1.f / res.GetRes()[a];
}

template <class T>
bix::Vector3d<unsigned> orv_ImageOrthoscopeCanvas<T>::GetImageSize() {
  return m_image ? m_image->GetSize() : bix::Vector3d<unsigned>();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::Draw(wxDC& dc, orv_ProjectionType window) {
  if (!m_image) return;
  const int i = WindowIndex(window);
  if (i >= 0) {
    dc.SetTextForeground(*wxGREEN);
    if (m_cutDirty[i] && m_win[i]->IsShown()) ExtractCut(i);
    if (m_pictureDirty[i]) RebuildPicture(i);
    m_picture[i]->Draw(dc);
  }
  InfoFrame_UpdatePixelInfo();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::ExtractCut(int i) {
  m_cutDirty[i] = false;
  m_pictureDirty[i] = true;
  const wxSize client = m_win[i]->GetClientSize();
  const unsigned cw = static_cast<unsigned>(std::max(client.x, 0));
  const unsigned ch = static_cast<unsigned>(std::max(client.y, 0));
  const bool yz = kCutWindows[i] == PROJ_YZ;
  const unsigned bw = yz ? ch : cw, bh = yz ? cw : ch;
  if (m_buffer[i].width != bw || m_buffer[i].height != bh) {
    // Every voxel is resampled below: no need to zero the new slice first.
    switch (kCutWindows[i]) {
      case PROJ_XY: m_slice[i].MakeRoomUninitialized(bix::Vector3d<unsigned>(cw, ch, 1)); break;
      case PROJ_XZ: m_slice[i].MakeRoomUninitialized(bix::Vector3d<unsigned>(cw, 1, ch)); break;
      default: m_slice[i].MakeRoomUninitialized(bix::Vector3d<unsigned>(1, ch, cw)); break;
    }
    m_buffer[i].Resize(bw, bh);
  }
  const orv_DrWin3d& w = *m_win[i];
  const bool cut = m_content[i] == CONTENT_CUT;
  bix::Vector3d<float> offset = m_visibleBox.offset;
  offset[w.DepthAxis()] = cut ? m_cut[w.DepthAxis()] : 0.f;
  m_slice[i].SetOffset(offset);
  m_slice[i].SetResolution(bix::Resolution(m_zoom));
  bix::CopyToImage(cut ? *m_image : Projection(i), m_slice[i]);
  ++m_extractions[i];
}

template <class T>
const bix::Image3d<T>& orv_ImageOrthoscopeCanvas<T>::Projection(int i) {
  if (m_projectionDirty[i]) {
    m_projectionDirty[i] = false;
    switch (kCutWindows[i]) {
      case PROJ_XY: bix::Get_AF_XY(*m_image, m_projection[i]); break;
      case PROJ_XZ: bix::Get_AF_XZ(*m_image, m_projection[i]); break;
      default: bix::Get_AF_YZ(*m_image, m_projection[i]); break;
    }
    ++m_projections[i];
  }
  return m_projection[i];
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::RebuildPicture(int i) {
  m_pictureDirty[i] = false;
  RGBBuffer& buffer = m_buffer[i];
  if (buffer.IsEmpty()) {
    m_picture[i]->Clear();
    return;
  }
  m_mapper->Map(m_slice[i].GetFirstVoxelAddr(), buffer);
  ++m_mappings[i];
  switch (kCutWindows[i]) {
    case PROJ_XY: m_picture[i]->Fill(buffer, false, m_reversed[0], m_reversed[1]); break;
    case PROJ_XZ: m_picture[i]->Fill(buffer, false, m_reversed[0], m_reversed[2]); break;
    default: m_picture[i]->Fill(buffer, true, m_reversed[2], m_reversed[1]); break;
  }
  if (kCutWindows[i] == PROJ_XY) {
    wxUpdateUIEvent iconRefresh(ID_ICON_REFRESH);
    iconRefresh.SetEventObject(this);
    GetEventHandler()->ProcessEvent(iconRefresh);
  }
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::ReverseAxis(int axis) {
  // Windows whose plane contains the axis, and whether the axis runs across.
  struct Flip {
    int window;
    bool horizontally;
  };
  Flip flips[2];
  switch (axis) {
    case 0: flips[0] = {0, true}; flips[1] = {1, true}; break;
    case 1: flips[0] = {0, false}; flips[1] = {2, false}; break;
    case 2: flips[0] = {1, false}; flips[1] = {2, true}; break;
    default: return;
  }
  for (const Flip& f : flips) {
    // A hidden window's picture is rebuilt from its buffer when it is shown
    // again; mirroring it now would be lost on a stale picture.
    if (!m_shown[f.window]) {
      m_pictureDirty[f.window] = true;
      continue;
    }
    m_picture[f.window]->Mirror(f.horizontally);
  }
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::MakeDirtyAndRefresh(orv_ProjectionType windows) {
  for (int i = 0; i < 3; ++i)
    if (windows & kCutWindows[i]) m_cutDirty[i] = true;
  Refresh(false);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::OnCutChange(orv_ProjectionType windows) {
  MakeDirtyAndRefresh(windows);
  InfoFrame_UpdateCutAndVisBoxInfo();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::OnVis3dChange(orv_ProjectionType windows) {
  OnCutChange(windows);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::OnContentChange(orv_ProjectionType windows) {
  MakeDirtyAndRefresh(windows);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::MappingChanged(orv_MappingEvent& event) {
  for (bool& dirty : m_pictureDirty) dirty = true;
  Refresh(false);
  if (event.GetUpdateVolume()) UpdateVolVis();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::OnDataChange() {
  if (!m_image) return;
  TakeGeometry();
  // Data that shrank or moved may leave the cut outside: it would show no
  // voxel at all in two windows.
  if (!m_cut.InCO(m_imageBox.offset, m_imageBox.End())) CutAtTheCentreVoxel();
  RecomputeVisible();
  CenterViewIfOut();
  for (bool& dirty : m_projectionDirty) dirty = true;
  MakeDirtyAndRefresh(PROJ_ALL);
  UpdateVolVis();
  InfoFrame_Move();
  InfoFrame_UpdateImageInfo();
  InfoFrame_UpdateCutAndVisBoxInfo();
}

// The volume window is not part of this canvas yet: with no such window
// there is nothing to update.
template <class T>
void orv_ImageOrthoscopeCanvas<T>::UpdateVolVis() {}

// The info window is written only while it is shown (showing it refreshes
// everything), and the pixel page only while it is the current one.
template <class T>
void orv_ImageOrthoscopeCanvas<T>::InfoFrame_UpdatePixelInfo() {
  if (!InfoFrame_IsShown() || !InfoFrameShowsPixelPage(m_infoFrame)) return;
  InfoPointer pointer;
  if (!m_image || !LocateInfoPointer(*this, wxGetMousePosition(), pointer)) {
    ShowInfoPixel(m_infoFrame, nullptr);
    return;
  }
  InfoPixel pixel;
  pixel.position = pointer.position;
  pixel.voxel = InfoVoxelIndex(pointer.position, m_image->GetOffset(), m_image->GetResolution().GetRes());
  GetColourInfo(pointer.window->GetProjectionType(), pointer.client.x, pointer.client.y, pixel.value, pixel.colour);
  ShowInfoPixel(m_infoFrame, &pixel);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::InfoFrame_UpdateImageInfo() {
  if (!InfoFrame_IsShown()) return;
  InfoImage image;
  image.type = GetImageTypeName();
  if (m_image) {
    image.size = m_image->GetSize();
    image.resolution = m_image->GetResolution();
  }
  image.box = m_imageBox;
  ShowInfoImage(m_infoFrame, image);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::InfoFrame_UpdateCutAndVisBoxInfo() {
  if (!InfoFrame_IsShown()) return;
  ShowInfoView(m_infoFrame, m_visibleBox, m_cut);
}

// Saving arrives with the saving dialogs; until then these write nothing.
template <class T>
void orv_ImageOrthoscopeCanvas<T>::Save3dData(const wxString&) {}
template <class T>
void orv_ImageOrthoscopeCanvas<T>::SaveActualView(const char*, int, orv_ProjectionType) {}
template <class T>
void orv_ImageOrthoscopeCanvas<T>::SaveGalleryView(const char*, int, int, int, bool, int, int) {}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::GetColourInfo(orv_ProjectionType window, int x, int y, wxString& value,
                                                 wxColour& colour) const {
  const int i = WindowIndex(window);
  if (i < 0 || m_buffer[i].IsEmpty()) return;
  const RGBBuffer& b = m_buffer[i];
  const int bw = static_cast<int>(b.width), bh = static_cast<int>(b.height);
  int column, row;
  bix::Vector3d<unsigned> voxel;
  switch (window) {
    case PROJ_XY:
      column = m_reversed[0] ? bw - x - 1 : x;
      row = m_reversed[1] ? bh - y - 1 : y;
      voxel = bix::Vector3d<unsigned>(column, row, 0);
      break;
    case PROJ_XZ:
      column = m_reversed[0] ? bw - x - 1 : x;
      row = m_reversed[2] ? bh - y - 1 : y;
      voxel = bix::Vector3d<unsigned>(column, 0, row);
      break;
    default:
      row = m_reversed[2] ? bh - x - 1 : x;     // z
      column = m_reversed[1] ? bw - y - 1 : y;  // y
      voxel = bix::Vector3d<unsigned>(0, column, row);
      break;
  }
  if (column < 0 || column >= bw || row < 0 || row >= bh) return;
  value = VoxelToStr(m_slice[i].GetVoxel(voxel.x, voxel.y, voxel.z));
  const bix::RGB_generic<unsigned char>& c = b.At(column, row);
  colour = wxColour(c.red, c.green, c.blue, 255);
}

template <class T>
wxString orv_ImageOrthoscopeCanvas<T>::GetImageTypeName() const {
  return VoxelTraits<T>::kDisplayName;
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::GetIcons(wxIconBundle& icons) {
  for (int size : {16, 32}) {
    wxIcon icon;
    CreateIcon(icon, size, size, wxBitmap(), m_buffer[0]);
    icons.AddIcon(icon);
  }
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::CreateIcon(wxIcon& icon, int w, int h, const wxBitmap&,
                                              const RGBBuffer& buffer) const {
  icon.CopyFromBitmap(MakeIconBitmap(w, h, buffer, m_reversed[0], m_reversed[1]));
}

template <class T>
unsigned long orv_ImageOrthoscopeCanvas<T>::GetExtractionCount(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  return i < 0 ? 0 : m_extractions[i];
}
template <class T>
unsigned long orv_ImageOrthoscopeCanvas<T>::GetMappingCount(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  return i < 0 ? 0 : m_mappings[i];
}
template <class T>
unsigned long orv_ImageOrthoscopeCanvas<T>::GetProjectionCount(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  return i < 0 ? 0 : m_projections[i];
}

#define ORV_INSTANTIATE_IMAGE_CANVAS(T) template class orv_ImageOrthoscopeCanvas<T>;
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_IMAGE_CANVAS)

}  // namespace orv
