#include "channel_stack.h"

#include "colour_sum.h"

#include <bix/Algorithms.h>
#include <bix/Types.h>

namespace orv {

template <class T>
void ProjectStack(int window, const bix::Image3d<T>& stack, bix::Image3d<T>& out) {
  switch (window) {
    case 0: bix::Get_AF_XY(stack, out); break;
    case 1: bix::Get_AF_XZ(stack, out); break;
    default: bix::Get_AF_YZ(stack, out); break;
  }
}

template <class T>
void ChannelStack<T>::Add(std::unique_ptr<bix::Image3d<T>> image, const orv_Mapper<T>& mapper) {
  Channel channel;
  channel.image = std::move(image);
  channel.mapper = &mapper;
  m_channels.push_back(std::move(channel));
}

template <class T>
void ChannelStack<T>::Resample(int window, const bix::Image3d<T>& placed, bool projection) {
  for (std::size_t k = 0; k < m_channels.size(); ++k) {
    Channel& channel = m_channels[k];
    bix::Image3d<T>& slice = channel.slice[window];
    if (slice.GetSize() != placed.GetSize()) slice.MakeRoomUninitialized(placed.GetSize());
    slice.SetOffset(placed.GetOffset());
    slice.SetResolution(placed.GetResolution());
    if (projection) {
      if (channel.projectionStale[window]) {
        ProjectStack(window, *channel.image, channel.projection[window]);
        channel.projectionStale[window] = false;
      }
      bix::CopyToImage(channel.projection[window], slice);
    } else if (m_sample) {
      m_sample(k, window, slice);
    } else {
      bix::CopyToImage(*channel.image, slice);
    }
  }
}

template <class T>
void ChannelStack<T>::AddOver(int window, RGB8Buffer& picture) {
  if (m_channels.empty() || picture.IsEmpty()) return;
  if (m_mapped.width != picture.width || m_mapped.height != picture.height || m_mapped.IsEmpty())
    m_mapped.Resize(picture.width, picture.height);
  for (const Channel& channel : m_channels) {
    channel.mapper->Map(channel.slice[window].GetFirstVoxelAddr(), m_mapped);
    AddColoursClamped(m_mapped.data, picture.data, std::size_t(picture.width) * picture.height);
  }
}

template <class T>
T ChannelStack<T>::SliceVoxel(std::size_t k, int window, const bix::Vector3d<unsigned>& voxel) const {
  return m_channels.at(k).slice[window].GetVoxel(voxel.x, voxel.y, voxel.z);
}

template <class T>
void ChannelStack<T>::ProjectionsStale() {
  for (Channel& channel : m_channels)
    for (bool& stale : channel.projectionStale) stale = true;
}

#define ORV_INSTANTIATE_CHANNEL_STACK(T) \
  template class ChannelStack<T>;        \
  template void ProjectStack<T>(int, const bix::Image3d<T>&, bix::Image3d<T>&);
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_CHANNEL_STACK)

}  // namespace orv
