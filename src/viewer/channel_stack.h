#ifndef ORV_SRC_VIEWER_CHANNEL_STACK_H
#define ORV_SRC_VIEWER_CHANNEL_STACK_H

// The channels of an image canvas beyond its own image (channel 0): each a
// stack of the image's size shown through its own mapper. For every cut
// window it keeps each channel's slice, resampled where the window's slice
// of channel 0 lies, and adds their mapped colours to channel 0's mapped
// picture (clamped). Display-free.

#include <orv/orv_buffer2d.h>
#include <orv/orv_mapper.h>

#include <bix/Image3d.h>

#include <functional>
#include <memory>
#include <vector>

namespace orv {

// The autofocus projection of `stack` along the depth axis of window
// `window` (0 XY, 1 XZ, 2 YZ) into `out`.
template <class T>
void ProjectStack(int window, const bix::Image3d<T>& stack, bix::Image3d<T>& out);

template <class T>
class ChannelStack {
public:
  // Adds a channel after those added before (channel 1, 2, ...).
  void Add(std::unique_ptr<bix::Image3d<T>> image, const orv_Mapper<T>& mapper);
  // The channels added (channel 0 not counted).
  std::size_t Count() const { return m_channels.size(); }
  bix::Image3d<T>& Image(std::size_t k) { return *m_channels.at(k).image; }
  const bix::Image3d<T>& Image(std::size_t k) const { return *m_channels.at(k).image; }
  const orv_Mapper<T>& Mapper(std::size_t k) const { return *m_channels.at(k).mapper; }

  // Resamples every channel's slice of window `window` where `placed` (the
  // window's slice of channel 0) lies: from the stack, or from the
  // channel's autofocus projection.
  void Resample(int window, const bix::Image3d<T>& placed, bool projection);
  // Adds each channel's mapped slice of window `window` to `picture` (channel
  // 0 mapped), component by component, clamped at 255.
  void AddOver(int window, RGB8Buffer& picture);
  // Channel k's voxel of window `window`'s slice at slice voxel `voxel`.
  T SliceVoxel(std::size_t k, int window, const bix::Vector3d<unsigned>& voxel) const;
  // The stacks changed: projections are made again when next needed.
  void ProjectionsStale();
  // Resamples channel k's cut slices (not projections) instead of copying
  // them from its stack (which is then a coarse level of a chunked image).
  using CutSampler = std::function<void(std::size_t k, int window, bix::Image3d<T>& slice)>;
  void SetCutSampler(CutSampler sample) { m_sample = std::move(sample); }

private:
  struct Channel {
    std::unique_ptr<bix::Image3d<T>> image;
    const orv_Mapper<T>* mapper;
    bix::Image3d<T> slice[3];
    bix::Image3d<T> projection[3];
    bool projectionStale[3] = {true, true, true};
  };
  std::vector<Channel> m_channels;
  CutSampler m_sample;
  RGB8Buffer m_mapped;  // one channel's colours before they are added
};

}  // namespace orv

#endif
