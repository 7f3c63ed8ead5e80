#ifndef ORV_BASIC_OVERLAYING_H
#define ORV_BASIC_OVERLAYING_H

#include <orv/overlaying_module.h>

#include <bix/Image3d.h>
#include <bix/LabeledImage3d.h>

#include <memory>
#include <vector>

// The label pairs that have a basic overlaying module.
#define ORV_FOR_EACH_BASIC_OVERLAY_PAIR(M) \
  M(unsigned short, bool)                  \
  M(unsigned int, unsigned char)

namespace orv {

// The labels under one window: one layer for a cut (boundary pixels carry
// the highest bit of L), two for a projection or the volume (layer 0 the
// outlines, painted solid; layer 1 the areas, blended). Layers are stored
// row by row as the window's mapped picture is.
template <class L>
class ORV_EXPORT orv_OverlayBuffer {
public:
  explicit orv_OverlayBuffer(orv_OverlayWindowType type) : m_type(type) {}

  orv_OverlayWindowType GetType() const { return m_type; }
  // y size of layer 0 across for YZ windows, x size otherwise.
  unsigned int GetWidth() const;
  // y size of layer 0 down for the volume and XY windows, z size otherwise.
  unsigned int GetHeight() const;
  unsigned int GetLayersCount() const { return m_layersCount; }
  void SetLayersCount(unsigned int count) { m_layersCount = count; }
  bix::Image3d<L>& GetLayer(unsigned int i) { return m_layers[i]; }
  const bix::Image3d<L>& GetLayer(unsigned int i) const { return m_layers[i]; }

private:
  bix::Image3d<L> m_layers[2];
  unsigned int m_layersCount = 1;
  orv_OverlayWindowType m_type;
};

// The overlaying module that a labeled viewer uses: it samples the label
// image under every window, marks the boundaries of label cuts, keeps the
// label projections of the three planes, and paints labels over the mapped
// cuts. Labels at or above the boundary bit (0x8000 for unsigned short,
// 0x80000000 for unsigned int) cannot be told from boundary marks: they are
// never shown, neither in cuts nor in projections.
template <class L, class B>
class ORV_EXPORT orv_BasicOverlayingModule : public orv_OverlayingModule<L, B> {
public:
  using typename orv_Overlayer<L, B>::Colour;

  // With `ownsImage` the label image is deleted with the module. A null
  // image shows nothing.
  orv_BasicOverlayingModule(wxFrame* frame, bix::LabeledImage3d<L, B>* image, bool ownsImage);
  ~orv_BasicOverlayingModule() override;

  void Overlay(unsigned int buffer, Buffer2d<Colour>& rgb) const override;
  bool SetPosition(bool, const wxString&, const wxRect*) override { return false; }
  // The label image is the module's: nothing is loaded. The label data may
  // have changed in place, though: the label projections are made again when
  // next needed and the labels shown follow the highest label.
  bool LoadOverlay(bool, const bix::Vector3d<unsigned int>& size, const bix::Vector3d<float>& offset,
                   const bix::Resolution& resolution) override;
  bool IsEmpty(bool) const override;
  unsigned int Buffer_Create(orv_OverlayWindowType type) override;
  void Buffer_SetDim(unsigned int buffer, const bix::Vector3d<unsigned int>& size,
                     const bix::Vector3d<float>& offset, const bix::Vector3d<float>& resolution) override;
  void Buffer_Render(unsigned int buffer) override;
  void Buffer_OnMouse(unsigned int, int, int, const bix::Vector3d<unsigned int>&, wxFrame*,
                      const wxMouseEvent&) override {}
  // Labels of the chunked label image that the held level lacks (small
  // objects a coarse level drops) are shown as cuts come upon them: the
  // highest label shown rises with them.
  bool AttachChunkedLabels(std::shared_ptr<const bix::ChunkedImage> source, unsigned heldLevel) override;
  std::shared_ptr<const bix::ChunkedImage> GetChunkedLabels() const override { return m_chunked; }
  bix::CutChunks GetMissingChunks(unsigned int buffer) const override;
  bool UseChunkedLevel(unsigned level, wxWindow* parent) override;

protected:
  const bix::LabeledImage3d<L, B>* GetLabeledImage(bool, bool) const override { return m_image; }
  // The visibility table, one entry per label value from 0 to the highest
  // shown (0 hidden). The module itself needs none: it shows every label
  // from 1 to the highest below the boundary bit. The table is built when
  // first asked for; a subclass may give its own instead, which the module
  // then follows.
  virtual const std::vector<B>& GetVis(bool) const;
  void ComputeBoundary(unsigned int buffer);
  static L GetHighestBit();

private:
  void ResetVisibility();
  void RenderProjection(orv_OverlayBuffer<L>& buffer, int plane);
  void RenderChunkedCut(unsigned int buffer);
  // Labels a cut from the chunks holds: those at or above the boundary bit
  // become background, those above the highest known join the components.
  void AdmitCutLabels(bix::Image3d<L>& cut);
  // Adds `more` to the label image's components; the projections and the
  // labels shown follow.
  void JoinComponents(std::vector<L> more);

  // The table a subclass gives through GetVis; null when the module's own
  // rule holds.
  const std::vector<B>* SubclassVisibility(bool volume) const;

  bix::LabeledImage3d<L, B>* m_image;
  L m_highestShown = 0;
  mutable std::vector<B> m_visibility;  // GetVis's, built when asked for
  mutable bool m_visibilityBuilt = false;
  mutable bool m_probing = false;  // GetVis asked only whether it is overridden
  bool m_ownsImage;
  bix::Image3d<L> m_projection[3][2];
  bool m_projectionReady[3] = {false, false, false};
  std::vector<std::unique_ptr<orv_OverlayBuffer<L>>> m_buffers;
  std::shared_ptr<const bix::ChunkedImage> m_chunked;
  unsigned m_chunkedHeld = 0;  // the level the label image is
  unsigned m_chunkedBase = 0;  // the level attached with, the coarsest used
  std::vector<bix::CutChunks> m_missing;  // per buffer: what its cut lacks of chunked labels
};

}  // namespace orv

#endif
