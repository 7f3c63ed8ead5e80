#ifndef ORV_VIEW_VIEWER_TITLE_H
#define ORV_VIEW_VIEWER_TITLE_H

#include <bix/Resolution.h>
#include <bix/Vector3d.h>

#include <wx/string.h>

namespace orvview {

// The title of a viewer frame: the file's name, its voxel type, its size in
// voxels and the size of one voxel in microns, e.g.
// "stack.tif (16-bit, 6 x 5 x 4 voxels of 0.25 x 0.25 x 0.5 um)".
// An undefined resolution reads "voxel size undefined".
wxString ViewerTitle(const wxString& fileName, const wxString& voxelType, const bix::Vector3d<unsigned>& size,
                     const bix::Resolution& resolution);

}  // namespace orvview

#endif
