#ifndef ORV_SRC_CHUNKED_SOURCE_H
#define ORV_SRC_CHUNKED_SOURCE_H

// What an image canvas does when its image comes from the chunks of a
// multiscale image (orv_ImageOrthoscopeCanvas::AttachChunkedSource): the
// canvas's image is one coarse level read whole; each cut is resampled from
// whatever is cached without waiting, the chunks still missing are fetched
// on the workers (ChunkRequests) and the windows sharpen as they arrive;
// whole-stack work reads the work level.

#include <orv/orv_chunkedcanvas.h>

#include <bix/ChunkedImage.h>
#include <bix/Image3d.h>

#include <wx/timer.h>

#include <chrono>
#include <memory>
#include <vector>

namespace orv {

class ChunkRequests;

template <class T>
class ChunkedSource : public orv_ChunkedView {
public:
  ChunkedSource(orv_ImageOrthoscopeCanvas<T>& canvas, std::shared_ptr<const bix::ChunkedImage> source, unsigned t,
                unsigned c, unsigned heldLevel);
  ~ChunkedSource() override;

  unsigned GetShownLevel(orv_ProjectionType window) const override;
  bool IsCutComplete(orv_ProjectionType window) const override;
  std::size_t GetPendingChunkCount() const override;
  wxString GetChunkFailure() const override;
  wxString GetLoadingStatus() const override;
  const bix::ChunkedImage& GetSource() const override { return *m_source; }
  unsigned GetHeldLevel() const override { return m_heldLevel; }
  unsigned GetWorkLevel() const override { return m_workLevel; }
  void SetWorkLevel(unsigned level) override;
  unsigned GetTimePoint() const override { return m_t; }
  void SetTimePoint(unsigned t) override;
  // The canvas's part of a time step: the cuts are taken from time point t
  // from now on, the levels read whole for another time point are dropped
  // (the work level read again now when a window shows its projection).
  // False, changing nothing, when t is shown already.
  bool MoveToTimePoint(unsigned t);
  std::vector<unsigned> GetChannels() const override {
    std::vector<unsigned> channels{m_c};
    channels.insert(channels.end(), m_channels.begin(), m_channels.end());
    return channels;
  }
  void WantOverlayChunks(orv_ProjectionType window, const std::shared_ptr<const bix::ChunkedImage>& overlay,
                         const bix::CutChunks& found) override;

  // The canvas's hooks.
  void ResampleCut(int index, bix::Image3d<T>& slice);
  // A further channel of the canvas (its k-th added) is the source's
  // channel `c`; its cuts are resampled, right after channel 0's of the
  // same window, over its held level `held`, and their chunks asked for
  // with channel 0's.
  void AddChannel(unsigned c) { m_channels.push_back(c); }
  void ResampleChannel(std::size_t k, int index, const bix::Image3d<T>& held, bix::Image3d<T>& slice);
  wxString PointerValue(int index, const bix::Vector3d<float>& position);
  const bix::Image3d<T>* WholeStack() const { return m_work.get(); }
  // The volume window's image: the work level once read, else the finest
  // level whose texture fits the volume window's budget, read for it.
  const bix::Image3d<T>* VolumeStack() const { return m_work ? m_work.get() : m_volume.get(); }
  void LoadVolumeLevel();
  // A window that shows its projection needs the work level: read now, in
  // the change that asked for it, and never while painting.
  void LoadWorkLevelIfProjected();
  void LoadWorkLevel();
  void Save3dData(const wxString& path) const;

private:
  struct Mailbox;
  // A whole level in memory, read under a progress dialog when it is large;
  // null when the user cancelled. Raises what the source raises.
  std::unique_ptr<bix::Image3d<T>> ReadLevel(unsigned level, const wxString& why) const;
  void OnChunksArrived();
  void Refine(unsigned windows);
  void ScheduleRetry();
  void ShowLoadingStatus();

  orv_ImageOrthoscopeCanvas<T>& m_canvas;
  std::shared_ptr<const bix::ChunkedImage> m_source;
  unsigned m_t, m_c, m_heldLevel;
  std::vector<unsigned> m_channels;  // the source's channels of the canvas's further channels
  // The chunks window i's cuts (all channels) lack, gathered channel by channel.
  bix::CutChunks m_wanted[3];
  std::shared_ptr<Mailbox> m_mailbox;
  std::unique_ptr<ChunkRequests> m_requests;
  wxTimer m_retry, m_refine;
  unsigned m_refineWindows = 0;  // windows with chunks arrived and not yet resampled
  std::chrono::steady_clock::time_point m_lastRefine;
  unsigned m_level[3] = {0, 0, 0};
  bool m_complete[3] = {false, false, false};
  bool m_overlayComplete[3] = {true, true, true};
  unsigned m_workLevel;
  std::unique_ptr<bix::Image3d<T>> m_work;  // the work level, once read (when finer than the held one)
  std::unique_ptr<bix::Image3d<T>> m_volume;  // the volume window's level, when the work level is not read
  bool m_volumeTried = false;  // its reading was cancelled or failed: the held level serves
  wxString m_status, m_statusFailure;
  std::chrono::steady_clock::time_point m_statusShown;
};

}  // namespace orv

#endif
