#include "label_surfaces.h"

#include "volume_window.h"

#include <bix/Types.h>

#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/utils.h>

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <atomic>
#include <functional>
#include <thread>

#include <new>

namespace orv {

namespace {

int g_progressDelay = 1000;  // milliseconds

}  // namespace

void BuildUnderProgress(wxWindow* parent, const std::function<void()>& build, IsosurfaceBuilder::Progress& progress,
                        std::size_t layers, std::size_t objects) {
  std::atomic<bool> done(false);
  std::thread worker([&] {
    build();
    done = true;
  });
  wxWindowDisabler disabler;
  wxBusyCursor busy;
  const wxLongLong start = wxGetLocalTimeMillis();
  while (!done && wxGetLocalTimeMillis() - start < g_progressDelay) wxMilliSleep(5);
  if (!done) {
    wxProgressDialog dialog("Surfaces",
                            wxString::Format("Building the surfaces of %zu objects...", objects),
                            static_cast<int>(std::max<std::size_t>(layers, 1)), parent,
                            wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME |
                                wxPD_REMAINING_TIME);
    while (!done) {
      const int value = static_cast<int>(std::min<std::size_t>(progress.layers, layers));
      if (!dialog.Update(std::min(value, std::max(static_cast<int>(layers) - 1, 0)))) progress.cancel = true;
      wxMilliSleep(20);
    }
  }
  worker.join();
}

void SetSurfaceProgressDelay(int milliseconds) { g_progressDelay = milliseconds; }

template <class L, class B>
void UpdateLabelSurfaces(wxFrame* volume, const bix::LabeledImage3d<L, B>& labels, const VolumeGeometry& image,
                         bool show, const std::vector<bix::RGB8>& colours) {
  const VolumeGeometry geometry{labels.GetSize(), labels.GetOffset(), labels.GetResolution().GetRes()};
  const SurfacePlacement placement = PlaceSurfaces(image, geometry);
  IsosurfaceBuilder builder;
  IsosurfaceBuilder::Progress progress;
  bool built = false;
  BuildUnderProgress(
      volume,
      [&] {
        try {
          built = builder.Build(labels.GetFirstVoxelAddr(), LabelIndexMap(labels.GetComponents()), geometry.size.x,
                                geometry.size.y, geometry.size.z, placement.spacing[0], placement.spacing[1],
                                placement.spacing[2], 0, &progress);
        } catch (const std::bad_alloc&) {
          built = false;
        }
      },
      progress, geometry.size.z > 1 ? geometry.size.z - 1 : 0, labels.GetComponents().size());
  if (builder.WasCancelled()) {
    // Surfaces of other labels than those shown would mislead: none are shown.
    SetVolumeWindowSurfaces(volume, {}, placement.offset);
    SetVolumeWindowSurfaceDisplay(volume, show, colours);
    return;
  }
  if (!built) {
    wxMessageBox("Error occured during creation of an isosurface!", "Error", wxOK);
    return;
  }
  if (const std::uint64_t unlisted = builder.GetUnlistedLabel())
    wxLogWarning("The label image holds labels that are not in its list of objects (the smallest is %llu); "
                 "their voxels get no surface.",
                 static_cast<unsigned long long>(unlisted));
#ifdef __GLIBC__
  // The build's working memory (millions of small pieces for many labels)
  // goes back to the system before the window copies the meshes.
  malloc_trim(0);
#endif
  // Handed over, not copied: the window keeps them.
  SetVolumeWindowSurfaces(volume, builder.TakeMeshes(), placement.offset);
  SetVolumeWindowSurfaceDisplay(volume, show, colours);
}

#define ORV_INSTANTIATE_LABEL_SURFACES(L, B)                                                                    \
  template void UpdateLabelSurfaces<L, B>(wxFrame*, const bix::LabeledImage3d<L, B>&, const VolumeGeometry&, bool, \
                                          const std::vector<bix::RGB8>&);
BIX_FOR_EACH_LABEL_PAIR(ORV_INSTANTIATE_LABEL_SURFACES)

}  // namespace orv
