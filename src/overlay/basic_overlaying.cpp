#include <orv/basic_overlaying.h>

#include "level_reading.h"
#include "overlay_paint.h"

#include <orv/window_axes.h>

#include <bix/Algorithms.h>
#include <bix/ChunkedCut.h>

#include <wx/log.h>

#include <algorithm>
#include <type_traits>

namespace orv {

template <class L>
unsigned int orv_OverlayBuffer<L>::GetWidth() const {
  const bix::Vector3d<unsigned>& s = m_layers[0].GetSize();
  return m_type == OVERLAY_CUT_YZ || m_type == OVERLAY_PROJ_YZ ? s.y : s.x;
}

template <class L>
unsigned int orv_OverlayBuffer<L>::GetHeight() const {
  const bix::Vector3d<unsigned>& s = m_layers[0].GetSize();
  return m_type == OVERLAY_VOLUME || m_type == OVERLAY_CUT_XY || m_type == OVERLAY_PROJ_XY ? s.y : s.z;
}

template <class L, class B>
orv_BasicOverlayingModule<L, B>::orv_BasicOverlayingModule(wxFrame* frame, bix::LabeledImage3d<L, B>* image,
                                                           bool ownsImage)
    : orv_OverlayingModule<L, B>(frame), m_image(image), m_ownsImage(ownsImage) {
  ResetVisibility();
}

template <class L, class B>
orv_BasicOverlayingModule<L, B>::~orv_BasicOverlayingModule() {
  if (m_ownsImage) delete m_image;
}

// Every label from 1 to the highest is shown. Labels at or above the
// boundary bit are left out: they would read as boundary marks.
template <class L, class B>
void orv_BasicOverlayingModule<L, B>::ResetVisibility() {
  m_highestShown = m_image ? std::min<L>(m_image->GetHighestLabel(), static_cast<L>(GetHighestBit() - 1)) : L(0);
  m_visibility.clear();
  m_visibilityBuilt = false;
}

template <class L, class B>
const std::vector<B>& orv_BasicOverlayingModule<L, B>::GetVis(bool) const {
  if (!m_probing && !m_visibilityBuilt && m_image) {
    m_visibility.assign(static_cast<std::size_t>(m_highestShown) + 1, B(true));
    m_visibility[0] = B(false);
    m_visibilityBuilt = true;
  }
  return m_visibility;
}

template <class L, class B>
const std::vector<B>* orv_BasicOverlayingModule<L, B>::SubclassVisibility(bool volume) const {
  m_probing = true;
  const std::vector<B>& table = GetVis(volume);
  m_probing = false;
  return &table == &m_visibility ? nullptr : &table;
}

template <class L, class B>
L orv_BasicOverlayingModule<L, B>::GetHighestBit() {
  return BoundaryMark<L>();
}

template <class L, class B>
bool orv_BasicOverlayingModule<L, B>::LoadOverlay(bool, const bix::Vector3d<unsigned int>&,
                                                  const bix::Vector3d<float>&, const bix::Resolution&) {
  std::fill(std::begin(m_projectionReady), std::end(m_projectionReady), false);
  ResetVisibility();
  return false;
}

template <class L, class B>
bool orv_BasicOverlayingModule<L, B>::IsEmpty(bool) const {
  return !m_image || m_image->GetVoxelCount() == 0;
}

template <class L, class B>
unsigned int orv_BasicOverlayingModule<L, B>::Buffer_Create(orv_OverlayWindowType type) {
  m_buffers.push_back(std::make_unique<orv_OverlayBuffer<L>>(type));
  m_missing.emplace_back();
  return static_cast<unsigned int>(m_buffers.size() - 1);
}

template <class L, class B>
void orv_BasicOverlayingModule<L, B>::Buffer_SetDim(unsigned int buffer, const bix::Vector3d<unsigned int>& size,
                                                    const bix::Vector3d<float>& offset,
                                                    const bix::Vector3d<float>& resolution) {
  if (buffer >= m_buffers.size()) return;
  for (unsigned layer = 0; layer < 2; ++layer) {
    bix::Image3d<L>& image = m_buffers[buffer]->GetLayer(layer);
    // Every voxel is sampled again before the buffer is painted.
    if (image.GetSize() != size) image.MakeRoomUninitialized(size);
    image.SetOffset(offset);
    image.SetResolution(bix::Resolution(resolution));
  }
}

template <class L, class B>
void orv_BasicOverlayingModule<L, B>::Buffer_Render(unsigned int buffer) {
  if (buffer >= m_buffers.size() || IsEmpty(false)) return;
  orv_OverlayBuffer<L>& b = *m_buffers[buffer];
  switch (b.GetType()) {
    case OVERLAY_VOLUME:
      bix::CopyToImage<L>(*GetLabeledImage(true, false), b.GetLayer(0));
      bix::CopyToImage<L>(*GetLabeledImage(true, true), b.GetLayer(1));
      b.SetLayersCount(2);
      break;
    case OVERLAY_CUT_XY:
    case OVERLAY_CUT_XZ:
    case OVERLAY_CUT_YZ:
      if (m_chunked)
        RenderChunkedCut(buffer);
      else
        bix::CopyToImage<L>(*GetLabeledImage(false, false), b.GetLayer(0));
      ComputeBoundary(buffer);
      b.SetLayersCount(1);
      break;
    case OVERLAY_PROJ_XY: RenderProjection(b, 0); break;
    case OVERLAY_PROJ_XZ: RenderProjection(b, 1); break;
    case OVERLAY_PROJ_YZ: RenderProjection(b, 2); break;
  }
}

// The label projections of a plane are computed once and then resampled for
// each new position of the window.
template <class L, class B>
void orv_BasicOverlayingModule<L, B>::RenderProjection(orv_OverlayBuffer<L>& buffer, int plane) {
  if (!m_projectionReady[plane]) {
    // Both forms from one pass over the labels: the outlines are those of
    // the areas.
    const bix::LabeledImage3d<L, B>& labels = *GetLabeledImage(false, false);
    bix::Image3d<L>& area = m_projection[plane][1];
    if (const std::vector<B>* table = SubclassVisibility(false)) {
      switch (plane) {
        case 0: bix::Get_Labeled_AF_XY(labels, area, *table, true); break;
        case 1: bix::Get_Labeled_AF_XZ(labels, area, *table, true); break;
        default: bix::Get_Labeled_AF_YZ(labels, area, *table, true); break;
      }
    } else {
      switch (plane) {
        case 0: bix::Get_Labeled_AF_XY(labels, area, m_highestShown, true); break;
        case 1: bix::Get_Labeled_AF_XZ(labels, area, m_highestShown, true); break;
        default: bix::Get_Labeled_AF_YZ(labels, area, m_highestShown, true); break;
      }
    }
    m_projection[plane][0] = area;
    bix::KeepLabelOutline(m_projection[plane][0], 2 - plane);
    m_projectionReady[plane] = true;
  }
  bix::CopyToImage(m_projection[plane][0], buffer.GetLayer(0));
  bix::CopyToImage(m_projection[plane][1], buffer.GetLayer(1));
  buffer.SetLayersCount(2);
}

template <class L, class B>
bool orv_BasicOverlayingModule<L, B>::AttachChunkedLabels(std::shared_ptr<const bix::ChunkedImage> source,
                                                          unsigned heldLevel) {
  if (!m_image || !source || heldLevel >= source->Levels()) return false;
  m_chunked = std::move(source);
  m_chunkedHeld = m_chunkedBase = heldLevel;
  return true;
}

// Labels the finer level lacks that cuts have shown stay known.
template <class L, class B>
bool orv_BasicOverlayingModule<L, B>::UseChunkedLevel(unsigned level, wxWindow* parent) {
  if (!m_chunked) return false;
  level = std::min(level, m_chunkedBase);
  if (level == m_chunkedHeld) return false;
  std::unique_ptr<bix::Image3d<unsigned>> read;
  try {
    read = ReadWholeLevel<unsigned>(*m_chunked, level, 0, 0, parent, "of the labels for whole-stack work");
  } catch (const std::bad_alloc&) {
    wxLogError("There is not enough memory for level %u of the labels: they stay at level %u.", level, m_chunkedHeld);
  } catch (const std::exception& e) {
    wxLogError("%s", wxString::FromUTF8(e.what()));
  }
  if (!read) return false;
  const bix::Vector3d<float> offset = read->GetOffset();
  const bix::Resolution resolution = read->GetResolution();
  bix::LabeledImage3d<L, B> labels(read->GetSize(), &offset, &resolution);
  const L bit = GetHighestBit();
  std::transform(read->begin(), read->end(), labels.begin(), [bit](unsigned v) { return v < bit ? L(v) : L(0); });
  read.reset();
  labels.UpdateComponents();
  std::vector<L> known = m_image->GetComponents();
  *m_image = std::move(labels);
  m_chunkedHeld = level;
  JoinComponents(std::move(known));
  return true;
}

template <class L, class B>
bix::CutChunks orv_BasicOverlayingModule<L, B>::GetMissingChunks(unsigned int buffer) const {
  return buffer < m_missing.size() ? m_missing[buffer] : bix::CutChunks();
}

// The held level first, then the finest chunks at hand of the level that
// suits the buffer's zoom, as the image's cut is sampled.
template <class L, class B>
void orv_BasicOverlayingModule<L, B>::RenderChunkedCut(unsigned int buffer) {
  orv_OverlayBuffer<L>& b = *m_buffers[buffer];
  const orv_WindowAxes& axes = kWindowAxes[b.GetType() - OVERLAY_CUT_XY];
  bix::Image3d<L>& cut = b.GetLayer(0);
  const unsigned level = bix::LevelForCut(*m_chunked, cut.GetResolution().GetRes(), axes.h, axes.v);
  m_missing[buffer] = bix::SampleLabelCut(*m_chunked, 0, 0, level, *m_image, m_chunkedHeld, axes.d, cut);
  AdmitCutLabels(cut);
}

template <class L, class B>
void orv_BasicOverlayingModule<L, B>::AdmitCutLabels(bix::Image3d<L>& cut) {
  const L bit = GetHighestBit();
  const L highest = m_image->GetHighestLabel();
  std::vector<L> found;
  for (L& v : cut) {
    if (v >= bit)
      v = 0;
    else if (v > highest)
      found.push_back(v);
  }
  if (!found.empty()) JoinComponents(std::move(found));
}

template <class L, class B>
void orv_BasicOverlayingModule<L, B>::JoinComponents(std::vector<L> more) {
  const std::vector<L>& known = m_image->GetComponents();
  more.insert(more.end(), known.begin(), known.end());
  std::sort(more.begin(), more.end());
  more.erase(std::unique(more.begin(), more.end()), more.end());
  m_image->SetComponents(more);
  // The projections and the labels shown follow the new highest.
  std::fill(std::begin(m_projectionReady), std::end(m_projectionReady), false);
  ResetVisibility();
}

template <class L, class B>
void orv_BasicOverlayingModule<L, B>::ComputeBoundary(unsigned int buffer) {
  if (buffer >= m_buffers.size()) return;
  orv_OverlayBuffer<L>& b = *m_buffers[buffer];
  MarkBoundaries(b.GetLayer(0).GetFirstVoxelAddr(), b.GetWidth(), b.GetHeight());
}

namespace {

// The visibility as one byte per label for the painting loop (a vector of
// bool packs bits).
template <class B>
const unsigned char* VisibleBytes(const std::vector<B>& visibility, std::vector<unsigned char>& bytes) {
  if constexpr (sizeof(B) == 1 && !std::is_same_v<B, bool>) {
    return reinterpret_cast<const unsigned char*>(visibility.data());
  } else {
    bytes.resize(visibility.size());
    for (std::size_t i = 0; i < visibility.size(); ++i) bytes[i] = visibility[i] ? 1 : 0;
    return bytes.data();
  }
}

}  // namespace

template <class L, class B>
void orv_BasicOverlayingModule<L, B>::Overlay(unsigned int buffer, Buffer2d<Colour>& rgb) const {
  if (!this->m_overlaying || buffer >= m_buffers.size() || rgb.IsEmpty()) return;
  const orv_OverlayBuffer<L>& b = *m_buffers[buffer];
  const std::size_t count = static_cast<std::size_t>(rgb.width) * rgb.height;
  // A buffer not (yet) of the picture's size paints nothing rather than
  // reading past either.
  if (b.GetLayer(0).GetVoxelCount() != count) return;
  LabelsShown<L> shown;
  std::vector<unsigned char> bytes;
  if (const std::vector<B>* table = SubclassVisibility(b.GetType() == OVERLAY_VOLUME)) {
    shown.table = VisibleBytes(*table, bytes);
    shown.count = table->size();
  } else {
    shown.highest = m_highestShown;
  }
  auto colourOf = [this, buffer](L label) { return this->GetLabelColour(label, buffer); };
  if (b.GetLayersCount() == 1 || b.GetLayer(1).GetVoxelCount() != count)
    PaintLabelCut(b.GetLayer(0).GetFirstVoxelAddr(), rgb.data, count, shown, this->m_transparency, colourOf);
  else
    PaintLabelLayers(b.GetLayer(0).GetFirstVoxelAddr(), b.GetLayer(1).GetFirstVoxelAddr(), rgb.data, count, shown,
                     this->m_transparency, colourOf);
}

#define ORV_INSTANTIATE_OVERLAY_BUFFER(L) template class orv_OverlayBuffer<L>;
ORV_INSTANTIATE_OVERLAY_BUFFER(unsigned short)
ORV_INSTANTIATE_OVERLAY_BUFFER(unsigned int)

#define ORV_INSTANTIATE_BASIC_OVERLAYING(L, B) template class orv_BasicOverlayingModule<L, B>;
ORV_FOR_EACH_BASIC_OVERLAY_PAIR(ORV_INSTANTIATE_BASIC_OVERLAYING)

}  // namespace orv
