#include "level_reading.h"

#include <bix/Types.h>

#include <cstring>
#include <unistd.h>

namespace orv {

namespace {

// Levels above this size are read under a progress dialog.
constexpr double kProgressFromBytes = 64.0 * (1 << 20);

}  // namespace

double LevelBytes(const bix::ChunkLevel& l, std::size_t voxelBytes) {
  return double(l.size.x) * l.size.y * l.size.z * double(voxelBytes);
}

double MemoryBytes() { return double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGESIZE)); }

std::unique_ptr<wxProgressDialog> ProgressFor(wxWindow* parent, double bytes, const wxString& title,
                                              const wxString& message) {
  if (bytes <= kProgressFromBytes) return nullptr;
  return std::make_unique<wxProgressDialog>(title, message, 1000, parent,
                                            wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
}

// Slab by slab of chunks along z, so that the dialog can follow and cancel.
template <class T>
std::unique_ptr<bix::Image3d<T>> ReadWholeLevel(const bix::ChunkedImage& source, unsigned level, unsigned t, unsigned c,
                                                wxWindow* parent, const wxString& why) {
  const bix::ChunkLevel& l = source.Level(level);
  const double bytes = LevelBytes(l, sizeof(T));
  const auto progress = ProgressFor(parent, bytes, "Reading",
                                    wxString::Format("Reading level %u (%.0f MB) %s...", level, bytes / 1e6, why));
  auto image = std::make_unique<bix::Image3d<T>>();
  image->MakeRoomUninitialized(l.size);
  bix::Image3d<T> slab;
  const std::size_t plane = std::size_t(l.size.x) * l.size.y;
  for (unsigned z = 0; z < l.size.z; z += l.chunk.z) {
    const unsigned depth = std::min(l.chunk.z, l.size.z - z);
    source.ReadBox(level, t, c, bix::Vector3d<unsigned>(0, 0, z), bix::Vector3d<unsigned>(l.size.x, l.size.y, depth),
                   slab);
    std::memcpy(static_cast<void*>(image->GetFirstVoxelAddr() + plane * z), slab.GetFirstVoxelAddr(),
                plane * depth * sizeof(T));
    if (progress && !progress->Update(static_cast<int>(1000.0 * (z + depth) / l.size.z))) return nullptr;
  }
  image->SetOffset(l.offset);
  image->SetResolution(l.GetResolution());
  return image;
}

#define ORV_INSTANTIATE_READ_WHOLE_LEVEL(T)                                                                    \
  template std::unique_ptr<bix::Image3d<T>> ReadWholeLevel<T>(const bix::ChunkedImage&, unsigned, unsigned, \
                                                              unsigned, wxWindow*, const wxString&);
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_READ_WHOLE_LEVEL)
BIX_FOR_EACH_EXTRA_LABEL_TYPE(ORV_INSTANTIATE_READ_WHOLE_LEVEL)

}  // namespace orv
