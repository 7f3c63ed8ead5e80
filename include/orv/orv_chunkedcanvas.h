#ifndef ORV_CHUNKEDCANVAS_H
#define ORV_CHUNKEDCANVAS_H

#include <orv/orv_imagecanvas.h>

#include <bix/ChunkedImage.h>

#include <wx/timer.h>

#include <chrono>
#include <memory>

namespace orv {

class ChunkRequests;

// What a host asks of a canvas over a chunked image without knowing its
// voxel type.
class ORV_EXPORT orv_ChunkedView {
public:
  virtual ~orv_ChunkedView() = default;
  // The level a window's cut was last sampled for (the held one while the
  // window asks for nothing finer), and whether all its chunks were there.
  virtual unsigned GetShownLevel(orv_ProjectionType window) const = 0;
  virtual bool IsCutComplete(orv_ProjectionType window) const = 0;
  // Chunks asked for and not yet arrived.
  virtual std::size_t GetPendingChunkCount() const = 0;
  // The last failure's message until a chunk arrives after it; empty when none.
  virtual wxString GetChunkFailure() const = 0;
  // What the frame's status bar says: chunks pending, the cache's use, the
  // last failure while it lasts.
  virtual wxString GetLoadingStatus() const = 0;
  virtual const bix::ChunkedImage& GetSource() const = 0;
  // The level read whole at opening, for the first picture.
  virtual unsigned GetHeldLevel() const = 0;
  // The level that whole-stack work reads into memory (autofocus
  // projections, the volume window): by default the finest that takes at
  // most a quarter of the memory, never coarser than the held one. It is
  // read when first needed, under a progress dialog with Cancel (cancelled,
  // the held level serves); setting another drops the one read and computes
  // what shows again.
  virtual unsigned GetWorkLevel() const = 0;
  virtual void SetWorkLevel(unsigned level) = 0;
};

// An image canvas over a chunked multiscale image (OME-Zarr on disk or on a
// web server) that need not fit in memory. One level, `held`, is read whole
// when the canvas is made: it gives the first picture at once and serves
// what needs the image in memory (histograms, autofocus projections, the 3D
// window, saving). Each cut window then asks for the level that suits its
// zoom (the finest whose voxels are not smaller than a pixel) and shows the
// finest data at hand meanwhile; chunks are decoded on the library's workers
// and the window repaints as they arrive. Painting never waits for a chunk;
// chunks a window no longer shows are cancelled, those next to the cut in
// depth fetched ahead. Chunks that fail are shown in the frame's status bar
// and asked for again, later each time.
template <class T>
class ORV_EXPORT orv_ChunkedImageCanvas : public orv_ImageOrthoscopeCanvas<T>, public orv_ChunkedView {
public:
  // Shows time point `t` and channel `c` of `source` through `mapper` (not
  // owned); `held` is level `heldLevel` of them, read whole.
  orv_ChunkedImageCanvas(wxWindow* parent, const orv_Mapper<T>& mapper,
                         std::shared_ptr<const bix::ChunkedImage> source, unsigned t, unsigned c,
                         std::unique_ptr<bix::Image3d<T>> held, unsigned heldLevel, int id = wxID_ANY,
                         const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize);
  ~orv_ChunkedImageCanvas() override;

  const bix::ChunkedImage& GetSource() const override { return *m_source; }
  unsigned GetHeldLevel() const override { return m_heldLevel; }
  unsigned GetShownLevel(orv_ProjectionType window) const override;
  bool IsCutComplete(orv_ProjectionType window) const override;
  std::size_t GetPendingChunkCount() const override;
  wxString GetChunkFailure() const override;
  wxString GetLoadingStatus() const override;
  // Saves level 0 whole, read into memory (an image too large for memory is
  // refused with a message: convert it to OME-Zarr instead).
  void Save3dData(const wxString& path) override;
  unsigned GetWorkLevel() const override { return m_workLevel; }
  void SetWorkLevel(unsigned level) override;
  void OnContentChange(orv_ProjectionType windows) override;
  void OnVis3dChange(orv_ProjectionType windows) override;
  void UpdateVolVis() override;

protected:
  void ResampleCut(int index, bix::Image3d<T>& slice) override;
  const bix::Image3d<T>& WholeStack() const override;
  wxString PointerValue(int index, const bix::Vector3d<float>& position, const wxString& shown) override;

private:
  struct Mailbox;
  void LoadWorkLevel();
  void LoadWorkLevelIfProjected();
  void OnChunksArrived();
  void Refine(unsigned windows);
  void ScheduleRetry();
  void ShowLoadingStatus();

  std::shared_ptr<const bix::ChunkedImage> m_source;
  unsigned m_t, m_c, m_heldLevel;
  std::shared_ptr<Mailbox> m_mailbox;
  std::unique_ptr<ChunkRequests> m_requests;
  wxTimer m_retry, m_refine;
  unsigned m_refineWindows = 0;  // windows with chunks arrived and not yet resampled
  std::chrono::steady_clock::time_point m_lastRefine;
  unsigned m_level[3] = {0, 0, 0};
  bool m_complete[3] = {false, false, false};
  unsigned m_workLevel;
  std::unique_ptr<bix::Image3d<T>> m_work;  // the work level, once read (when finer than the held one)
  wxString m_status, m_statusFailure;
  std::chrono::steady_clock::time_point m_statusShown;
};

}  // namespace orv

#endif
