#ifndef ORV_LABELEDCANVAS_H
#define ORV_LABELEDCANVAS_H

#include <orv/orv_frame.h>
#include <orv/orv_imagecanvas.h>
#include <orv/orv_overlayer.h>

#include <bix/LabeledImage3d.h>
#include <bix/RGB.h>

namespace orv {

template <class L, class B>
class LabelOverlayLayer;

// A canvas `Base` (an image canvas, or one that adds to it, such as the
// point canvas) with a label overlay layer over every cut window: each
// window keeps an overlay buffer for its cut and one for its projection,
// both placed where its slice is; the overlay is painted on the mapped
// picture, so a change of transparency or colours maps and paints again but
// resamples nothing. Mouse events over the image reach the overlayer after
// `Base` and its earlier layers have had them.
template <class Base, class L, class B>
class ORV_EXPORT orv_LabelOverlayCanvas : public Base {
public:
  using Voxel = typename Base::Voxel;

  // The overlayer is not owned; it must outlive the canvas.
  orv_LabelOverlayCanvas(wxWindow* parent, const orv_Mapper<Voxel>& mapper, orv_Overlayer<L, B>& overlayer,
                         bix::Image3d<Voxel>* image, bool ownImage, int id = wxID_ANY,
                         const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize);

  void OverlayingChanged(orv_OverlayingEvent& event) override;
  void UpdateIsosurface() override;
  // The overlayer's labels shown from the chunks of `labels`, of which they
  // are level `heldLevel` (orv_Overlayer::AttachChunkedLabels); over an image
  // from its chunks, those chunks are fetched with the image's.
  bool AttachChunkedLabels(std::shared_ptr<const bix::ChunkedImage> labels, unsigned heldLevel) override;

  orv_Overlayer<L, B>& GetOverlayer() const { return m_overlayer; }
  // The overlay buffer of a window kind (OVERLAY_CUT_XY .. OVERLAY_PROJ_YZ).
  unsigned int GetOverlayBuffer(orv_OverlayWindowType type) const;

private:
  orv_Overlayer<L, B>& m_overlayer;
  LabelOverlayLayer<L, B>* m_layer;  // owned by the canvas
};

// The image canvas with a label overlay.
template <class T, class L, class B>
class ORV_EXPORT orv_LabeledImageOrthoscopeCanvas : public orv_LabelOverlayCanvas<orv_ImageOrthoscopeCanvas<T>, L, B> {
public:
  using orv_LabelOverlayCanvas<orv_ImageOrthoscopeCanvas<T>, L, B>::orv_LabelOverlayCanvas;
};

// A complete viewer of `image` with `labels` over it: the frame with the
// "&View", "&Mapping" and "&Overlaying" menus, the mapping module of the
// voxel type, the basic overlaying module (which deletes the labels with
// itself when `ownLabels`), and the labeled canvas; not yet shown. Returns
// null (deleting what it owns) when memory for the mapping ran out.
template <class T, class L, class B>
ORV_EXPORT orv_OrthoscopeFrame* orv_CreateLabeledImage3dFrame(bix::Image3d<T>* image,
                                                              bix::LabeledImage3d<L, B>* labels, bool ownImage,
                                                              bool ownLabels, wxWindow* parent, int id,
                                                              const wxString& title,
                                                              const wxPoint& pos = wxDefaultPosition,
                                                              const wxSize& size = wxDefaultSize,
                                                              long style = wxDEFAULT_FRAME_STYLE);

}  // namespace orv

// Every (voxel type, label type, flag type) triple of viewers with labels
// and points: the point viewers' voxel types with 16-bit labels, and 8-bit
// images with 32-bit labels.
#define ORV_FOR_EACH_LABELED_POINT_TRIPLE(M)                 \
  M(unsigned char, unsigned int, unsigned char)              \
  M(unsigned char, unsigned short, bool)                     \
  M(unsigned short, unsigned short, bool)                    \
  M(float, unsigned short, bool)                             \
  M(bix::RGB8, unsigned short, bool)   \
  M(bix::RGB16, unsigned short, bool)

// Every triple of labeled viewers: those above and 32-bit integer images.
#define ORV_FOR_EACH_LABELED_TRIPLE(M) \
  ORV_FOR_EACH_LABELED_POINT_TRIPLE(M) \
  M(int, unsigned short, bool)

#endif
