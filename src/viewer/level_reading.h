#ifndef ORV_SRC_LEVEL_READING_H
#define ORV_SRC_LEVEL_READING_H

// Whole levels of a chunked image read into memory for whole-stack work,
// with a progress dialog and Cancel when they are large.

#include <bix/ChunkedImage.h>
#include <bix/Image3d.h>

#include <wx/progdlg.h>
#include <wx/string.h>
#include <wx/window.h>

#include <memory>

namespace orv {

// The bytes of a level of voxels of `voxelBytes` bytes.
double LevelBytes(const bix::ChunkLevel& level, std::size_t voxelBytes);
// The machine's memory in bytes.
double MemoryBytes();

// A progress dialog over `parent` with Cancel for work on `bytes` bytes, or
// none when the work is short.
std::unique_ptr<wxProgressDialog> ProgressFor(wxWindow* parent, double bytes, const wxString& title,
                                              const wxString& message);

// Level `level` of time point t and channel c of `source`, read slab by slab
// of chunks along z under ProgressFor's dialog ("Reading level L (N MB)
// `why`..."); null when the user cancelled. T is a gray voxel type, or
// unsigned int for labels. Raises what the source raises.
template <class T>
std::unique_ptr<bix::Image3d<T>> ReadWholeLevel(const bix::ChunkedImage& source, unsigned level, unsigned t, unsigned c,
                                                wxWindow* parent, const wxString& why);

}  // namespace orv

#endif
