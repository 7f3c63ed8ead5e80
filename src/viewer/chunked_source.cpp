#include "chunked_source.h"

#include <orv/orv_imagecanvas.h>
#include <orv/orv_voxel.h>
#include <orv/window_axes.h>

#include "chunk_requests.h"
#include "image_save.h"
#include "level_reading.h"
#include "view_model.h"
#include "volume_texture.h"

#include <bix/Algorithms.h>
#include <bix/Exceptions.h>
#include <bix/ChunkedCut.h>
#include <bix/OmeZarr.h>
#include <bix/Types.h>

#include <wx/frame.h>
#include <wx/log.h>
#include <wx/statusbr.h>

#include <mutex>
#include <type_traits>
#include <vector>

namespace orv {

namespace {

// Chunked sources are attached to gray images only (AttachChunkedSource
// refuses others); the source exists for every type so that every image
// canvas can hold one.
template <class T>
constexpr bool kGray = std::is_arithmetic_v<T>;

// The users of the chunk requests beside the cut windows (0 to 2): the info
// window's voxel, and the overlays of the cut windows (4 to 6).
constexpr unsigned kPointerUser = 3;
constexpr unsigned kOverlayUsers = 4;

// The cut windows among users: a window's overlay counts as the window.
unsigned WindowsOf(unsigned users) { return (users | users >> kOverlayUsers) & 7u; }

// How often a window still waiting for chunks resamples to show those that came.
constexpr std::chrono::milliseconds kRefineInterval(100);
// The finest level that takes at most a quarter of the memory.
unsigned DefaultWorkLevel(const bix::ChunkedImage& source, std::size_t voxelBytes) {
  for (unsigned level = 0; level < source.Levels(); ++level)
    if (LevelBytes(source.Level(level), voxelBytes) <= MemoryBytes() / 4) return level;
  return source.Levels() - 1;
}

}  // namespace

// Where the workers hand arrivals to: the canvas while it lives. Arrivals
// collect here and the canvas is called once for all that came meanwhile,
// so that a burst of chunks costs the UI thread one pass, not one per chunk.
// A worker posts under the lock, so once the canvas has cleared it no post
// can reach a canvas being destroyed (posts already queued go with it).
template <class T>
struct ChunkedSource<T>::Mailbox {
  std::mutex mutex;
  ChunkedSource<T>* source;
  std::vector<std::pair<bix::ChunkKey, std::string>> arrived;
};

template <class T>
ChunkedSource<T>::ChunkedSource(orv_ImageOrthoscopeCanvas<T>& canvas, std::shared_ptr<const bix::ChunkedImage> source,
                                unsigned t, unsigned c, unsigned heldLevel)
    : m_canvas(canvas),
      m_source(std::move(source)),
      m_t(t),
      m_c(c),
      m_heldLevel(heldLevel),
      m_mailbox(std::make_shared<Mailbox>()),
      m_retry(&canvas),
      m_refine(&canvas),
      m_workLevel(std::min(DefaultWorkLevel(*m_source, sizeof(T)), heldLevel)) {
  m_mailbox->source = this;
  std::weak_ptr<Mailbox> mailbox = m_mailbox;
  orv_ImageOrthoscopeCanvas<T>* window = &canvas;
  m_requests = std::make_unique<ChunkRequests>(
      m_source, [mailbox, window](const bix::ChunkKey& key, const std::string& error) {
        const auto box = mailbox.lock();
        if (!box) return;
        std::lock_guard<std::mutex> lock(box->mutex);
        if (!box->source) return;
        box->arrived.emplace_back(key, error);
        if (box->arrived.size() == 1)
          window->CallAfter([mailbox] {
            const auto live = mailbox.lock();
            if (live && live->source) live->source->OnChunksArrived();
          });
      });
  canvas.Bind(
      wxEVT_TIMER,
      [this](wxTimerEvent&) {
        for (int i = 0; i < 3; ++i) m_canvas.ResampleAgain(i);
        m_canvas.InfoFrame_UpdatePixelInfo();
      },
      m_retry.GetId());
  canvas.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Refine(m_refineWindows); }, m_refine.GetId());
}

// Posts already queued find the mailbox gone (the canvas destroys this
// before itself).
template <class T>
ChunkedSource<T>::~ChunkedSource() {
  std::lock_guard<std::mutex> lock(m_mailbox->mutex);
  m_mailbox->source = nullptr;
}

template <class T>
void ChunkedSource<T>::ResampleCut(int index, bix::Image3d<T>& slice) {
  const orv_WindowAxes& axes = kWindowAxes[index];
  const unsigned level = bix::LevelForCut(*m_source, slice.GetResolution().GetRes(), axes.h, axes.v);
  bix::CutChunks found;
  if constexpr (kGray<T>) found = bix::SampleCut(*m_source, m_t, m_c, level, *m_canvas.GetImage(), m_heldLevel, axes.d, slice);
  m_level[index] = std::min(level, m_heldLevel);
  m_complete[index] = found.Complete();
  m_wanted[index] = std::move(found);
  m_requests->Want(static_cast<unsigned>(index), m_wanted[index].missing, m_wanted[index].nearby,
                   ChunkRequests::Clock::now());
  ScheduleRetry();
  ShowLoadingStatus();
}

template <class T>
void ChunkedSource<T>::ResampleChannel(std::size_t k, int index, const bix::Image3d<T>& held, bix::Image3d<T>& slice) {
  const orv_WindowAxes& axes = kWindowAxes[index];
  const unsigned level = bix::LevelForCut(*m_source, slice.GetResolution().GetRes(), axes.h, axes.v);
  bix::CutChunks found;
  if constexpr (kGray<T>) found = bix::SampleCut(*m_source, m_t, m_channels.at(k), level, held, m_heldLevel, axes.d, slice);
  m_complete[index] = m_complete[index] && found.Complete();
  bix::CutChunks& wanted = m_wanted[index];
  wanted.missing.insert(wanted.missing.end(), found.missing.begin(), found.missing.end());
  wanted.nearby.insert(wanted.nearby.end(), found.nearby.begin(), found.nearby.end());
  m_requests->Want(static_cast<unsigned>(index), wanted.missing, wanted.nearby, ChunkRequests::Clock::now());
  ScheduleRetry();
}

// The full-resolution voxel, once its chunk is there ("…" until then, and
// the chunk is asked for), with the level the window shows.
template <class T>
wxString ChunkedSource<T>::PointerValue(int index, const bix::Vector3d<float>& position) {
  const bix::ChunkLevel& l = m_source->Level(0);
  const bix::Vector3d<float> res = l.GetResolution().GetRes();
  bix::Vector3d<unsigned> voxel;
  for (unsigned a = 0; a < 3; ++a) {
    const double q = bix::VoxelIndexAt(position[a], l.offset[a], res[a]);
    voxel[a] = static_cast<unsigned>(std::clamp(q, 0.0, double(l.size[a] - 1)));
  }
  const bix::ChunkKey key{m_source->Id(), 0, m_t, m_c, voxel.x / l.chunk.x, voxel.y / l.chunk.y, voxel.z / l.chunk.z};
  wxString value = wxString::FromUTF8("\u2026");
  std::vector<bix::ChunkKey> wanted;
  if (const bix::ChunkData chunk = bix::SharedChunkCache().Find(key)) {
    const std::size_t at = (std::size_t(voxel.z % l.chunk.z) * l.chunk.y + voxel.y % l.chunk.y) * l.chunk.x +
                           voxel.x % l.chunk.x;
    value = VoxelToStr(reinterpret_cast<const T*>(chunk->data())[at]);
  } else {
    wanted.push_back(key);
  }
  m_requests->Want(kPointerUser, wanted, {}, ChunkRequests::Clock::now());
  return value + wxString::Format(" (level %u shown)", m_level[index]);
}

template <class T>
void ChunkedSource<T>::OnChunksArrived() {
  std::vector<std::pair<bix::ChunkKey, std::string>> arrived;
  {
    std::lock_guard<std::mutex> lock(m_mailbox->mutex);
    arrived.swap(m_mailbox->arrived);
  }
  unsigned users = 0;
  const auto now = ChunkRequests::Clock::now();
  for (const auto& [key, error] : arrived) users |= m_requests->Arrived(key, error, now);
  m_refineWindows |= WindowsOf(users);
  // A window whose last chunk came shows it at once; the others sharpen
  // a few times a second, so that resampling leaves the cores to decoding.
  unsigned complete = 0;
  for (unsigned i = 0; i < 3; ++i)
    if ((m_refineWindows & (1u << i)) && !m_requests->AwaitsShown(i) && !m_requests->AwaitsShown(kOverlayUsers + i))
      complete |= 1u << i;
  if (now - m_lastRefine >= kRefineInterval)
    Refine(m_refineWindows);
  else if (complete)
    Refine(complete);
  if (m_refineWindows && !m_refine.IsRunning()) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kRefineInterval - (now - m_lastRefine));
    m_refine.StartOnce(static_cast<int>(std::max<long long>(wait.count(), 1)));
  }
  if (users & (1u << kPointerUser)) m_canvas.InfoFrame_UpdatePixelInfo();
  ScheduleRetry();
  ShowLoadingStatus();
}

template <class T>
void ChunkedSource<T>::Refine(unsigned windows) {
  for (int i = 0; i < 3; ++i)
    if (windows & (1u << i)) m_canvas.ResampleAgain(i);
  m_refineWindows &= ~windows;
  if (windows == 7u || !m_refineWindows) m_lastRefine = ChunkRequests::Clock::now();
}

template <class T>
void ChunkedSource<T>::ScheduleRetry() {
  const auto next = m_requests->NextRetry();
  if (next == ChunkRequests::Clock::time_point::max()) return;
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - ChunkRequests::Clock::now());
  const int ms = static_cast<int>(std::max<long long>(wait.count(), 1)) + 1;
  // The earliest retry wins; one already set sooner stays.
  if (!m_retry.IsRunning() || m_retry.GetInterval() > ms) m_retry.StartOnce(ms);
}

template <class T>
wxString ChunkedSource<T>::GetLoadingStatus() const {
  const bix::ChunkCache& cache = bix::SharedChunkCache();
  wxString text = wxString::Format("%zu chunks pending, cache %.0f of %.0f MB", m_requests->Pending(),
                                   cache.HeldBytes() / 1e6, cache.Budget() / 1e6);
  if (!m_requests->LastFailure().empty()) text += " - " + GetChunkFailure() + " (trying again)";
  return text;
}

// At most a few times a second while chunks come in (the cache's figure
// changes with every chunk), and at once when the last one has come or a
// failure is new.
template <class T>
void ChunkedSource<T>::ShowLoadingStatus() {
  const wxString text = GetLoadingStatus();
  if (text == m_status) return;
  const auto now = std::chrono::steady_clock::now();
  const bool settled = m_requests->Pending() == 0 || GetChunkFailure() != m_statusFailure;
  if (!settled && now - m_statusShown < std::chrono::milliseconds(200)) return;
  m_status = text;
  m_statusShown = now;
  m_statusFailure = GetChunkFailure();
  auto* frame = wxDynamicCast(wxGetTopLevelParent(&m_canvas), wxFrame);
  wxStatusBar* bar = frame ? frame->GetStatusBar() : nullptr;
  if (!bar) return;
  if (bar->GetFieldsCount() < 2) {
    const int widths[] = {-1, -2};
    bar->SetFieldsCount(2, widths);
  }
  bar->SetStatusText(text, 1);
}

template <class T>
unsigned ChunkedSource<T>::GetShownLevel(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  return i < 0 ? 0 : m_level[i];
}

template <class T>
bool ChunkedSource<T>::IsCutComplete(orv_ProjectionType window) const {
  const int i = WindowIndex(window);
  return i >= 0 && m_complete[i] && m_overlayComplete[i];
}

template <class T>
void ChunkedSource<T>::WantOverlayChunks(orv_ProjectionType window,
                                         const std::shared_ptr<const bix::ChunkedImage>& overlay,
                                         const bix::CutChunks& found) {
  const int i = WindowIndex(window);
  if (i < 0) return;
  m_requests->AddImage(overlay);
  m_overlayComplete[i] = found.Complete();
  m_requests->Want(kOverlayUsers + static_cast<unsigned>(i), found.missing, found.nearby,
                   ChunkRequests::Clock::now());
  ScheduleRetry();
  ShowLoadingStatus();
}

template <class T>
void ChunkedSource<T>::SetWorkLevel(unsigned level) {
  level = std::min(level, m_heldLevel);
  if (level == m_workLevel) return;
  m_workLevel = level;
  m_work.reset();
  LoadWorkLevelIfProjected();
  m_canvas.ProjectionsStale();
  m_canvas.UpdateVolVis();
}

template <class T>
void ChunkedSource<T>::SetTimePoint(unsigned t) {
  m_canvas.ShowTimePoint(t, nullptr);
}

template <class T>
bool ChunkedSource<T>::MoveToTimePoint(unsigned t) {
  if (t >= m_source->TimePoints()) throw bix::LibException("there is no time point " + std::to_string(t + 1));
  if (t == m_t) return false;
  m_t = t;
  m_work.reset();
  m_volume.reset();
  m_volumeTried = false;
  LoadWorkLevelIfProjected();
  return true;
}

template <class T>
std::unique_ptr<bix::Image3d<T>> ChunkedSource<T>::ReadLevel(unsigned level, const wxString& why) const {
  if constexpr (kGray<T>)
    return ReadWholeLevel<T>(*m_source, level, m_t, m_c, &m_canvas, why);
  else
    throw bix::LibException("chunked images are read in gray");
}

// A level that fails or is cancelled leaves the held one serving.
template <class T>
void ChunkedSource<T>::LoadWorkLevel() {
  if (m_work || m_workLevel >= m_heldLevel) return;
  try {
    m_work = ReadLevel(m_workLevel, "for whole-stack work");
    if (!m_work) wxLogStatus("Reading level %u cancelled: whole-stack work uses level %u.", m_workLevel, m_heldLevel);
  } catch (const std::bad_alloc&) {
    wxLogError("There is not enough memory for level %u: whole-stack work uses level %u.", m_workLevel, m_heldLevel);
  } catch (const std::exception& e) {
    wxLogError("%s", wxString::FromUTF8(e.what()));
  }
  if (!m_work) {
    m_workLevel = m_heldLevel;
    return;
  }
  m_canvas.ProjectionsStale();
}

template <class T>
void ChunkedSource<T>::LoadVolumeLevel() {
  if (m_work || m_volume || m_volumeTried) return;
  unsigned level = 0;
  while (level < m_heldLevel && VolumeTextureBytes(m_source->Level(level).size, 1) > kVolumeTextureBudget) ++level;
  m_volumeTried = true;
  if (level >= m_heldLevel) return;
  try {
    m_volume = ReadLevel(level, "for the volume window");
  } catch (const std::bad_alloc&) {
    wxLogError("There is not enough memory for level %u: the volume window shows level %u.", level, m_heldLevel);
  } catch (const std::exception& e) {
    wxLogError("%s", wxString::FromUTF8(e.what()));
  }
}

template <class T>
void ChunkedSource<T>::LoadWorkLevelIfProjected() {
  for (int i = 0; i < 3; ++i)
    if (m_canvas.View().content[i] == CONTENT_AUTOFOCUS) return LoadWorkLevel();
}

template <class T>
wxString ChunkedSource<T>::GetChunkFailure() const {
  return wxString::FromUTF8(m_requests->LastFailure());
}

// OME-Zarr is written chunk by chunk from the source; other formats need
// level 0 in memory, which is refused when it would take more than half of it.
template <class T>
void ChunkedSource<T>::Save3dData(const wxString& path) const {
  const std::string file(path.mb_str());
  try {
    const double bytes = LevelBytes(m_source->Level(0), sizeof(T));
    if (path.Lower().EndsWith(".zarr")) {
      const auto progress = ProgressFor(&m_canvas, bytes, "Saving", "Saving " + path + "...");
      if constexpr (kGray<T>)
        bix::WriteOmeZarr(*m_source, 0, m_t, m_c, file, bix::OmeZarrWriteOptions(), [&](double done) {
          return !progress || progress->Update(static_cast<int>(1000 * done));
        });
      return;
    }
    if (bytes > MemoryBytes() / 2) {
      wxLogError("The image (%.1f GB) is too large to save from memory; save it as OME-Zarr (a .zarr name) instead.",
                 bytes / 1e9);
      return;
    }
    if (const auto whole = ReadLevel(0, "to save it")) SaveImageOrLog(*whole, file);
  } catch (const bix::ReadCancelled&) {
    // The user's choice: the earlier file stays as it was.
  } catch (const std::exception& e) {
    wxLogError("%s", wxString::FromUTF8(e.what()));
  }
}

template <class T>
std::size_t ChunkedSource<T>::GetPendingChunkCount() const {
  return m_requests->Pending();
}

#define ORV_INSTANTIATE_CHUNKED_SOURCE(T) template class ChunkedSource<T>;
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_CHUNKED_SOURCE)

}  // namespace orv
