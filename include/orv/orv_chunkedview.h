#ifndef ORV_CHUNKEDVIEW_H
#define ORV_CHUNKEDVIEW_H

#include <orv/orv_export.h>
#include <orv/orv_types.h>

#include <bix/ChunkedCut.h>
#include <bix/ChunkedImage.h>

#include <wx/string.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace orv {

// What a host asks of a canvas whose image comes from the chunks of a
// multiscale image (orv_OrthoscopeCanvas::GetChunkedView), without knowing
// its voxel type.
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
  // projections; the volume window too once it is read, else the finest
  // level that fits its texture budget): by default the finest that takes at
  // most a quarter of the memory, never coarser than the held one. It is
  // read when first needed, under a progress dialog with Cancel (cancelled,
  // the held level serves); setting another drops the one read and computes
  // what shows again.
  virtual unsigned GetWorkLevel() const = 0;
  // The time point the cuts show. Another one is shown at once from what
  // the cache holds of it, over the held level of the one before until the
  // canvas's image becomes this one's held level (ShowTimePoint); the
  // chunks the cuts lack are fetched as for a moved cut. Whole-stack work
  // reads its level of the new time point when next needed.
  virtual unsigned GetTimePoint() const = 0;
  virtual void SetTimePoint(unsigned t) = 0;
  // The source's channel of each of the canvas's channels, channel 0 first.
  virtual std::vector<unsigned> GetChannels() const = 0;
  virtual void SetWorkLevel(unsigned level) = 0;
  // What an overlay drawn from another chunked image (a label pyramid) found
  // missing when it sampled its cut in `window`, in place of what it found
  // before: those chunks are fetched with the image's own, the window is
  // sampled again as they arrive, and its cut is complete only once they
  // are all there.
  virtual void WantOverlayChunks(orv_ProjectionType window, const std::shared_ptr<const bix::ChunkedImage>& overlay,
                                 const bix::CutChunks& found) = 0;
};

}  // namespace orv

#endif
