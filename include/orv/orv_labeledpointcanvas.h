#ifndef ORV_LABELEDPOINTCANVAS_H
#define ORV_LABELEDPOINTCANVAS_H

// A viewer of labels and points at once: segmented cells with their
// outlines, annotated with points.

#include <orv/orv_labeledcanvas.h>
#include <orv/orv_pointcanvas.h>

namespace orv {

// The point canvas with a label overlay under the markers: everything the
// point canvas does (files, styles, clicks, the "Points" page) and
// everything the labeled canvas does (outlines, projections, surfaces).
template <class T, class L, class B>
class ORV_EXPORT orv_LabeledPointOrthoscopeCanvas
    : public orv_LabelOverlayCanvas<orv_PointOrthoscopeCanvas<T>, L, B> {
public:
  using orv_LabelOverlayCanvas<orv_PointOrthoscopeCanvas<T>, L, B>::orv_LabelOverlayCanvas;
};

// A complete viewer of `image` with `labels` over it and a point set: the
// frame with the "&View", "&Mapping", "&Overlaying" and "&Points" menus,
// the mapping module of the voxel type, the basic overlaying module (which
// deletes the labels with itself when `ownLabels`), the point set module
// (reading `pointFile` when it is not empty) and the canvas; not yet shown.
// Returns null (deleting what it owns) when memory for the mapping ran out.
template <class T, class L, class B>
ORV_EXPORT orv_OrthoscopeFrame* orv_CreateLabeledImage3dPointsFrame(
    bix::Image3d<T>* image, bix::LabeledImage3d<L, B>* labels, bool ownImage, bool ownLabels,
    const wxString& pointFile, wxWindow* parent, int id, const wxString& title,
    const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize, long style = wxDEFAULT_FRAME_STYLE);

}  // namespace orv

#endif
