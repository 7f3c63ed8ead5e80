#ifndef ORV_SRC_OVERLAY_LABEL_SURFACES_H
#define ORV_SRC_OVERLAY_LABEL_SURFACES_H

// The surfaces of a label image's objects in the volume window.

#include "isosurface_builder.h"
#include "surface_placement.h"

#include <bix/LabeledImage3d.h>
#include <bix/RGB.h>

#include <wx/frame.h>

#include <functional>
#include <vector>

namespace orv {

// How long a surface build runs before its progress dialog shows (1000 ms;
// tests make it 0).
void SetSurfaceProgressDelay(int milliseconds);

// Runs `build` on a thread of its own. A build that takes longer than the
// delay shows its progress (the cell layers `progress` counts, of `layers`)
// in a dialog over `parent` whose Cancel asks the build to stop; the
// application's windows take no input meanwhile. Returns when the build has
// ended.
void BuildUnderProgress(wxWindow* parent, const std::function<void()>& build, IsosurfaceBuilder::Progress& progress,
                        std::size_t layers, std::size_t objects);

// Builds one surface per listed object of `labels` (with the application's
// windows disabled; after a second, under a progress dialog whose Cancel
// leaves the volume window without surfaces) and gives them to the volume
// window `volume`, placed over `image`, with the display switch and colours.
// Tells the user when the surfaces cannot be made.
template <class L, class B>
void UpdateLabelSurfaces(wxFrame* volume, const bix::LabeledImage3d<L, B>& labels, const VolumeGeometry& image,
                         bool show, const std::vector<bix::RGB8>& colours);

}  // namespace orv

#endif
