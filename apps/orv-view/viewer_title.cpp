#include "viewer_title.h"

namespace orvview {

wxString ViewerTitle(const wxString& fileName, const wxString& voxelType, const bix::Vector3d<unsigned>& size,
                     const bix::Resolution& resolution) {
  const wxString voxels = wxString::Format("%u x %u x %u voxels", size.x, size.y, size.z);
  if (!resolution.IsDefined()) return wxString::Format("%s (%s, %s, voxel size undefined)", fileName, voxelType, voxels);
  // Pixels per micron in the file, microns per voxel for the reader.
  const bix::Vector3d<float>& res = resolution.GetRes();
  return wxString::Format("%s (%s, %s of %g x %g x %g um)", fileName, voxelType, voxels, 1.0 / res.x, 1.0 / res.y,
                          1.0 / res.z);
}

}  // namespace orvview
