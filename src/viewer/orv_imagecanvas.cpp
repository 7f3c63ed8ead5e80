#include <orv/orv_ids.h>
#include <orv/orv_imagecanvas.h>
#include <orv/orv_voxel.h>
#include <orv/orv_voxel_traits.h>

#include "canvas_pictures.h"
#include "channel_stack.h"
#include "chunked_source.h"
#include "cut_pipeline.h"
#include "image_save.h"
#include "info_frame.h"
#include "saved_views.h"
#include "view_model.h"
#include "volume_window.h"

#include <bix/Algorithms.h>
#include <bix/Exceptions.h>
#include <bix/Types.h>

#include <wx/log.h>

#include <type_traits>

namespace orv {

namespace {

template <class T>
orv_VoxelGrid GridOf(const bix::Image3d<T>* image) {
  if (!image) return {};
  return {image->GetSize(), image->GetOffset(), image->GetResolution().GetRes()};
}

}  // namespace

template <class T>
orv_ImageOrthoscopeCanvas<T>::orv_ImageOrthoscopeCanvas(wxWindow* parent, const orv_Mapper<T>& mapper,
                                                         bix::Image3d<T>* image, bool ownsImage, int id,
                                                         const wxPoint& pos, const wxSize& size)
    : orv_OrthoscopeCanvas(parent, id, pos, size),
      m_mapper(&mapper),
      m_image(image),
      m_ownsImage(ownsImage),
      m_grid(GridOf(image)),
      m_gridFromImage(true) {
  Init();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::Init() {
  for (int i = 0; i < 3; ++i) m_pipeline[i] = std::make_unique<CutPipeline<T>>(i);
  if (!m_image) return;
  TakeGeometry();
  View().CutAtCentreVoxel(m_grid.size);
  RecomputeVisible();
  CenterViewIfOut();
}

template <class T>
orv_ImageOrthoscopeCanvas<T>::~orv_ImageOrthoscopeCanvas() {
  if (m_ownsImage) delete m_image;
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::TakeGeometry() {
  ViewModel& view = View();
  if (m_gridFromImage) m_grid = GridOf(m_image);
  // An image without a resolution lays out as one voxel per micron.
  const bix::Resolution res = m_gridFromImage ? m_image->GetResolution() : bix::Resolution(m_grid.resolution);
  const bix::Vector3d<unsigned>& n = m_grid.size;
  view.imageBox.offset = m_grid.offset;
  view.imageBox.size = bix::PixelsToMicrons(n, res);
  // One x voxel is one pixel at zoom level 0 on every axis, so the display
  // keeps true proportions in microns.
  const float base = res.GetRes().x;
  view.baseZoom = bix::Vector3d<float>(base, base, base);
  for (unsigned a = 0; a < 3; ++a)
    view.voxelStep[a] = n[a] ? view.imageBox.size[a] / static_cast<float>(n[a]) : 1.f / res.GetRes()[a];
}

template <class T>
bix::Vector3d<unsigned> orv_ImageOrthoscopeCanvas<T>::GetImageSize() {
  return m_grid.size;
}

template <class T>
const typename orv_ImageOrthoscopeCanvas<T>::RGBBuffer& orv_ImageOrthoscopeCanvas<T>::GetBuffer(int index) const {
  return m_pipeline[index]->Buffer();
}

template <class T>
const bix::Image3d<T>& orv_ImageOrthoscopeCanvas<T>::GetSlice(int index) const {
  return m_pipeline[index]->Slice();
}

template <class T>
orv_VoxelGrid orv_ImageOrthoscopeCanvas<T>::GetImageGrid() const {
  return m_grid;
}

template <class T>
orv_CanvasLayer& orv_ImageOrthoscopeCanvas<T>::AddLayer(std::unique_ptr<orv_CanvasLayer> layer) {
  m_layers.push_back(std::move(layer));
  // Resampled again, so the new layer learns where every window's slice is.
  for (auto& pipeline : m_pipeline) pipeline->InvalidateCut();
  Refresh(false);
  return *m_layers.back();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::SetMapper(const orv_Mapper<T>& mapper) {
  m_mapper = &mapper;
  RemapPictures();
  UpdateVolVis();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::AddChannel(std::unique_ptr<bix::Image3d<T>> image, const orv_Mapper<T>& mapper,
                                              int sourceChannel) {
  if constexpr (!std::is_arithmetic_v<T>)
    throw bix::LibException("channels are added to gray images; an RGB image has its three");
  if (m_chunked && (sourceChannel < 0 || unsigned(sourceChannel) >= m_chunked->GetSource().Channels()))
    throw bix::LibException("a channel over a chunked source needs its channel in the source");
  if (!m_image || !image || image->GetSize() != m_image->GetSize())
    throw bix::LibException("a channel must have the size of the canvas's image");
  if (!m_channels) m_channels = std::make_unique<ChannelStack<T>>();
  m_channels->Add(std::move(image), mapper);
  if (m_chunked) {
    m_chunked->AddChannel(static_cast<unsigned>(sourceChannel));
    m_channels->SetCutSampler([this](std::size_t k, int window, bix::Image3d<T>& slice) {
      m_chunked->ResampleChannel(k, window, m_channels->Image(k), slice);
    });
  }
  for (auto& pipeline : m_pipeline) pipeline->InvalidateCut();
  Refresh(false);
  RequestIconRefresh();
}

template <class T>
unsigned orv_ImageOrthoscopeCanvas<T>::GetChannelCount() const {
  return 1 + static_cast<unsigned>(m_channels ? m_channels->Count() : 0);
}

template <class T>
const bix::Image3d<T>& orv_ImageOrthoscopeCanvas<T>::GetChannelImage(unsigned c) const {
  if (c >= GetChannelCount() || !m_image) throw bix::LibException("no channel " + std::to_string(c + 1));
  return c == 0 ? *m_image : m_channels->Image(c - 1);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::SetChannelNames(const std::vector<wxString>& names) {
  m_channelNames = names;
  InfoFrame_UpdatePixelInfo();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::ShowTimePoint(unsigned t, std::vector<bix::Image3d<T>>* stacks) {
  if (!m_image) return;
  if (stacks) {
    if (stacks->size() != GetChannelCount())
      throw bix::LibException("one stack per channel is needed, " + std::to_string(GetChannelCount()) + " in all");
    for (const bix::Image3d<T>& stack : *stacks)
      if (stack.GetSize() != m_image->GetSize()) throw bix::LibException("a channel's stack has another size");
  }
  const bool moved = m_chunked && m_chunked->MoveToTimePoint(t);
  if (!moved && !stacks) return;
  if (stacks) {
    std::swap(*m_image, (*stacks)[0]);
    for (std::size_t k = 1; k < stacks->size(); ++k) std::swap(m_channels->Image(k - 1), (*stacks)[k]);
  }
  if (moved) ProjectionsStale();
  OnDataChange();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::OnMouse3d(orv_Mouse3dEvent& event) {
  orv_OrthoscopeCanvas::OnMouse3d(event);
  for (const auto& layer : m_layers) layer->OnMouse3d(event);
}

// Painting only draws: the picture is brought up to date first, and what
// else follows a change (the icon, the info window) the change itself asks for.
template <class T>
void orv_ImageOrthoscopeCanvas<T>::Draw(wxDC& dc, orv_ProjectionType window) {
  if (!m_image) return;
  const int i = WindowIndex(window);
  if (i < 0) return;
  dc.SetTextForeground(*wxGREEN);
  UpdatePicture(i);
  m_pipeline[i]->Picture().Draw(dc);
  for (const auto& layer : m_layers) layer->Draw(dc, window);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::UpdatePicture(int i) {
  if (!m_image) return;
  CutPipeline<T>& pipeline = *m_pipeline[i];
  if (pipeline.CutIsStale() && m_win[i]->IsShown()) {
    const wxSize client = m_win[i]->GetClientSize();
    const bool projection = View().content[i] == CONTENT_AUTOFOCUS;
    pipeline.Extract(View(), projection, static_cast<unsigned>(std::max(client.x, 0)),
                     static_cast<unsigned>(std::max(client.y, 0)), [&](bix::Image3d<T>& slice) {
                       if (projection)
                         bix::CopyToImage(Projection(i), slice);
                       else
                         ResampleCut(i, slice);
                     });
    const bix::Image3d<T>& slice = pipeline.Slice();
    if (m_channels) m_channels->Resample(i, slice, projection);
    const orv_VoxelGrid grid{slice.GetSize(), slice.GetOffset(), slice.GetResolution().GetRes()};
    for (const auto& layer : m_layers) layer->CutExtracted(i, grid, projection);
  }
  if (m_channels)
    pipeline.Finish(*m_mapper, m_layers, View().Orientation(i),
                    [this, i](RGBBuffer& picture) { m_channels->AddOver(i, picture); });
  else
    pipeline.Finish(*m_mapper, m_layers, View().Orientation(i));
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::AttachChunkedSource(std::shared_ptr<const bix::ChunkedImage> source, unsigned t,
                                                       unsigned c, unsigned heldLevel) {
  if constexpr (!std::is_arithmetic_v<T>)
    throw bix::LibException("chunked images are shown in gray: an RGB image is read into memory");
  if (m_chunked) throw bix::LibException("the canvas's image comes from a chunked source already");
  if (!m_image) return;
  const bix::ChunkLevel& full = source->Level(0);
  m_grid = {full.size, full.offset, full.GetResolution().GetRes()};
  m_gridFromImage = false;
  TakeGeometry();
  View().CutAtCentreVoxel(m_grid.size);
  RecomputeVisible();
  CenterViewIfOut();
  m_chunked = std::make_unique<ChunkedSource<T>>(*this, std::move(source), t, c, heldLevel);
  for (auto& pipeline : m_pipeline) pipeline->InvalidateCut();
  ProjectionsStale();
}

template <class T>
orv_ChunkedView* orv_ImageOrthoscopeCanvas<T>::GetChunkedView() {
  return m_chunked.get();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::ResampleCut(int index, bix::Image3d<T>& slice) {
  if (m_chunked)
    m_chunked->ResampleCut(index, slice);
  else
    bix::CopyToImage(*m_image, slice);
}

template <class T>
wxString orv_ImageOrthoscopeCanvas<T>::PointerValue(int index, const bix::Vector3d<float>& position,
                                                    const wxString& shown) {
  return m_chunked ? m_chunked->PointerValue(index, position) : shown;
}

template <class T>
const bix::Image3d<T>& orv_ImageOrthoscopeCanvas<T>::WholeStack() const {
  const bix::Image3d<T>* work = m_chunked ? m_chunked->WholeStack() : nullptr;
  return work ? *work : *m_image;
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::ProjectionsStale() {
  for (const auto& layer : m_layers) layer->WholeStackChanged();
  if (m_channels) m_channels->ProjectionsStale();
  for (int i = 0; i < 3; ++i) {
    m_projectionDirty[i] = true;
    if (View().content[i] == CONTENT_AUTOFOCUS) m_pipeline[i]->InvalidateCut();
  }
  Refresh(false);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::ResampleAgain(int index) {
  m_pipeline[index]->InvalidateCut();
  m_win[index]->Refresh(false);
  if (index == 0) RequestIconRefresh();
}

template <class T>
const bix::Image3d<T>& orv_ImageOrthoscopeCanvas<T>::Projection(int i) {
  if (m_projectionDirty[i]) {
    m_projectionDirty[i] = false;
    ProjectStack(i, WholeStack(), m_projection[i]);
    ++m_projections[i];
  }
  return m_projection[i];
}

// Only the orientation stage changes: the mapped buffers stay.
template <class T>
void orv_ImageOrthoscopeCanvas<T>::ReverseAxis(int axis) {
  for (int i = 0; i < 3; ++i)
    if (View().Orientation(i).FlipFor(static_cast<unsigned>(axis)) != CutOrientation::FLIP_NONE)
      m_pipeline[i]->InvalidateOrientation();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::Invalidate(orv_ProjectionType windows) {
  for (int i = 0; i < 3; ++i)
    if (windows & kCutWindows[i]) m_pipeline[i]->InvalidateCut();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::MakeDirtyAndRefresh(orv_ProjectionType windows) {
  Invalidate(windows);
  Refresh(false);
  if (windows & PROJ_XY) RequestIconRefresh();
  InfoFrame_UpdatePixelInfo();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::OnCutChange(orv_ProjectionType windows) {
  MakeDirtyAndRefresh(windows);
  InfoFrame_UpdateCutAndVisBoxInfo();
}

// Settings (the preferences dialog, a saved view) change what windows show
// along with the visible box: a chunked source reads its work level for a
// projection now, in the change, never while painting.
template <class T>
void orv_ImageOrthoscopeCanvas<T>::OnVis3dChange(orv_ProjectionType windows) {
  if (m_chunked) m_chunked->LoadWorkLevelIfProjected();
  OnCutChange(windows);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::OnContentChange(orv_ProjectionType windows) {
  if (m_chunked) m_chunked->LoadWorkLevelIfProjected();
  MakeDirtyAndRefresh(windows);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::RemapPictures() {
  for (auto& pipeline : m_pipeline) pipeline->InvalidateMapping();
  Refresh(false);
  RequestIconRefresh();
  InfoFrame_UpdatePixelInfo();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::RepaintLayers() {
  for (auto& pipeline : m_pipeline) pipeline->InvalidateLayers();
  Refresh(false);
  RequestIconRefresh();
  InfoFrame_UpdatePixelInfo();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::MappingChanged(orv_MappingEvent& event) {
  RemapPictures();
  if (event.GetUpdateVolume()) UpdateVolVis();
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::OnDataChange() {
  if (!m_image) return;
  TakeGeometry();
  // Data that shrank or moved may leave the cut outside: it would show no
  // voxel at all in two windows.
  ViewModel& view = View();
  if (!view.cut.InCO(view.imageBox.offset, view.imageBox.End())) view.CutAtCentreVoxel(m_grid.size);
  RecomputeVisible();
  CenterViewIfOut();
  for (bool& dirty : m_projectionDirty) dirty = true;
  if (m_channels) m_channels->ProjectionsStale();
  MakeDirtyAndRefresh(PROJ_ALL);
  UpdateVolVis();
  InfoFrame_Move();
  InfoFrame_UpdateImageInfo();
  InfoFrame_UpdateCutAndVisBoxInfo();
}

// A hidden volume window gets its texture when it is shown again.
template <class T>
void orv_ImageOrthoscopeCanvas<T>::UpdateVolVis() {
  if (!m_image || !m_volumeFrame || !m_volumeFrame->IsShown()) return;
  // Several channels: the composite of the stacks the canvas holds (a
  // chunked source's held levels).
  if (m_channels) {
    std::vector<VolumeChannel<T>> channels{{m_image, m_mapper}};
    for (std::size_t k = 0; k < m_channels->Count(); ++k)
      channels.push_back({&m_channels->Image(k), &m_channels->Mapper(k)});
    UpdateVolumeWindow(m_volumeFrame.get(), channels);
    return;
  }
  const bix::Image3d<T>* volume = m_image;
  if (m_chunked) {
    m_chunked->LoadVolumeLevel();
    if (m_chunked->VolumeStack()) volume = m_chunked->VolumeStack();
  }
  UpdateVolumeWindow(m_volumeFrame.get(), *volume, *m_mapper);
}

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
  pixel.voxel = InfoVoxelIndex(pointer.position, m_grid.offset, m_grid.resolution);
  // The voxel and colour of what the window shows now, not of its last paint.
  const int window = WindowIndex(pointer.window->GetProjectionType());
  UpdatePicture(window);
  GetColourInfo(pointer.window->GetProjectionType(), pointer.client.x, pointer.client.y, pixel.value, pixel.colour);
  // Several channels: their voxels as the picture shows them.
  if (View().content[window] != CONTENT_AUTOFOCUS && !m_channels)
    pixel.value = PointerValue(window, pointer.position, pixel.value);
  ShowInfoPixel(m_infoFrame, &pixel);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::InfoFrame_UpdateImageInfo() {
  if (!InfoFrame_IsShown()) return;
  InfoImage image;
  image.type = GetImageTypeName();
  if (m_image) {
    image.size = m_grid.size;
    image.resolution = m_gridFromImage ? m_image->GetResolution() : bix::Resolution(m_grid.resolution);
  }
  image.box = View().imageBox;
  ShowInfoImage(m_infoFrame, image);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::InfoFrame_UpdateCutAndVisBoxInfo() {
  if (!InfoFrame_IsShown()) return;
  ShowInfoView(m_infoFrame, View().visibleBox, View().cut);
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::Save3dData(const wxString& path) {
  if (m_chunked)
    m_chunked->Save3dData(path);
  else if (m_image)
    SaveImageOrLog(*m_image, std::string(path.mb_str()));
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::SaveActualView(const char* path, int border, orv_ProjectionType windows) {
  if (m_image) SaveOrLogNoMemory(path, [&] { SaveCompositeView(*this, path, border, windows); });
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::SaveGalleryView(const char* path, int first, int last, int step, bool labels,
                                                   int columns, int border) {
  if (m_image)
    SaveOrLogNoMemory(path, [&] { orv::SaveGalleryView(*this, path, first, last, step, labels, columns, border); });
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::GetColourInfo(orv_ProjectionType window, int x, int y, wxString& value,
                                                 wxColour& colour) const {
  const int i = WindowIndex(window);
  if (i < 0) return;
  const RGBBuffer& b = m_pipeline[i]->Buffer();
  unsigned column = 0, row = 0;
  const CutOrientation orientation = View().Orientation(i);
  if (b.IsEmpty() || !orientation.BufferElement(x, y, b.width, b.height, column, row)) return;
  const bix::Vector3d<unsigned> voxel = orientation.SliceVoxel(column, row);
  value = VoxelToStr(m_pipeline[i]->Slice().GetVoxel(voxel.x, voxel.y, voxel.z));
  if (m_channels) {
    // Every channel's voxel, named: "C1: 12, C2: 40".
    auto named = [this](unsigned c, const wxString& text) {
      const wxString name = c < m_channelNames.size() ? m_channelNames[c] : wxString::Format("C%u", c + 1);
      return name + ": " + text;
    };
    value = named(0, value);
    for (std::size_t k = 0; k < m_channels->Count(); ++k)
      value += ", " + named(static_cast<unsigned>(k + 1), VoxelToStr(m_channels->SliceVoxel(k, i, voxel)));
  }
  const bix::RGB8& c = b.At(column, row);
  colour = wxColour(c.red, c.green, c.blue, 255);
}

template <class T>
wxString orv_ImageOrthoscopeCanvas<T>::GetImageTypeName() const {
  return VoxelTraits<T>::kDisplayName;
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::GetIcons(wxIconBundle& icons) {
  UpdatePicture(0);
  for (int size : {16, 32}) {
    wxIcon icon;
    CreateIcon(icon, size, size, wxBitmap(), m_pipeline[0]->Buffer());
    icons.AddIcon(icon);
  }
}

template <class T>
void orv_ImageOrthoscopeCanvas<T>::CreateIcon(wxIcon& icon, int w, int h, const wxBitmap&,
                                              const RGBBuffer& buffer) const {
  const CutOrientation xy = View().Orientation(0);
  icon.CopyFromBitmap(MakeIconBitmap(w, h, buffer, xy.MirroredAcross(), xy.MirroredDown()));
}

template <class T>
unsigned long orv_ImageOrthoscopeCanvas<T>::GetExtractionCount(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  return i < 0 ? 0 : m_pipeline[i]->Extractions();
}
template <class T>
unsigned long orv_ImageOrthoscopeCanvas<T>::GetMappingCount(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  return i < 0 ? 0 : m_pipeline[i]->Mappings();
}
template <class T>
unsigned long orv_ImageOrthoscopeCanvas<T>::GetProjectionCount(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  return i < 0 ? 0 : m_projections[i];
}

#define ORV_INSTANTIATE_IMAGE_CANVAS(T) template class orv_ImageOrthoscopeCanvas<T>;
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_IMAGE_CANVAS)

}  // namespace orv
