#ifndef ORV_SRC_OVERLAY_LABEL_SURFACES_H
#define ORV_SRC_OVERLAY_LABEL_SURFACES_H

// The surfaces of a label image's objects in the volume window.

#include "isosurface_builder.h"
#include "surface_placement.h"

#include <bix/LabeledImage3d.h>
#include <bix/RGB.h>

#include <wx/frame.h>

#include <vector>

namespace orv {

// Builds one surface per listed object of `labels` (with the application's
// windows disabled and a busy notice shown) and gives them to the volume
// window `volume`, placed over `image`, with the display switch and colours.
// Tells the user when the surfaces cannot be made.
template <class L, class B>
void UpdateLabelSurfaces(wxFrame* volume, const bix::LabeledImage3d<L, B>& labels, const VolumeGeometry& image,
                         bool show, const std::vector<bix::RGB_generic<unsigned char>>& colours);

}  // namespace orv

#endif
