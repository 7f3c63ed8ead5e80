#include "label_surfaces.h"

#include "busy_notice.h"
#include "volume_window.h"

#include <bix/Types.h>

#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <new>

namespace orv {

template <class L, class B>
void UpdateLabelSurfaces(wxFrame* volume, const bix::LabeledImage3d<L, B>& labels, const VolumeGeometry& image,
                         bool show, const std::vector<bix::RGB_generic<unsigned char>>& colours) {
  wxWindowDisabler disabler;
  auto notice = ShowBusyNotice("Updating isosurface data...");
  const VolumeGeometry geometry{labels.GetSize(), labels.GetOffset(), labels.GetResolution().GetRes()};
  const SurfacePlacement placement = PlaceSurfaces(image, geometry);
  IsosurfaceBuilder builder;
  bool built = false;
  try {
    built = builder.Build(labels.GetFirstVoxelAddr(), LabelIndexMap(labels.GetComponents()), geometry.size.x,
                          geometry.size.y, geometry.size.z, placement.spacing[0], placement.spacing[1],
                          placement.spacing[2]);
  } catch (const std::bad_alloc&) {
    built = false;
  }
  if (!built) {
    notice.reset();
    wxMessageBox("Error occured during creation of an isosurface!", "Error", wxOK);
    return;
  }
  if (const std::uint64_t unlisted = builder.GetUnlistedLabel())
    wxLogWarning("The label image holds labels that are not in its list of objects (the smallest is %llu); "
                 "their voxels get no surface.",
                 static_cast<unsigned long long>(unlisted));
  SetVolumeWindowSurfaces(volume, builder.GetMeshes(), placement.offset);
  SetVolumeWindowSurfaceDisplay(volume, show, colours);
}

#define ORV_INSTANTIATE_LABEL_SURFACES(L, B)                                                                    \
  template void UpdateLabelSurfaces<L, B>(wxFrame*, const bix::LabeledImage3d<L, B>&, const VolumeGeometry&, bool, \
                                          const std::vector<bix::RGB_generic<unsigned char>>&);
BIX_FOR_EACH_LABEL_PAIR(ORV_INSTANTIATE_LABEL_SURFACES)

}  // namespace orv
