#ifndef ORV_OVERLAYER_H
#define ORV_OVERLAYER_H

#include <orv/orv_buffer2d.h>
#include <orv/orv_export.h>

#include <bix/ChunkedCut.h>
#include <bix/ChunkedImage.h>
#include <bix/LabeledImage3d.h>
#include <bix/RGB.h>
#include <bix/Resolution.h>
#include <bix/Vector3d.h>

#include <wx/event.h>
#include <wx/frame.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <memory>

namespace orv {

template <class T, class L, class B>
class orv_LabeledImageOrthoscopeCanvas;

// What an overlay buffer covers: the whole label volume, one cut of a
// window, or the label projection along a window's depth axis.
enum orv_OverlayWindowType {
  OVERLAY_VOLUME = 0,
  OVERLAY_CUT_XY = 1,
  OVERLAY_CUT_XZ = 2,
  OVERLAY_CUT_YZ = 3,
  OVERLAY_PROJ_XY = 4,
  OVERLAY_PROJ_XZ = 5,
  OVERLAY_PROJ_YZ = 6,
};

// What a labeled canvas asks of a label overlay: settings (shown, how
// transparent, which colours) and buffers, one per window kind, that hold
// the labels under a window and paint them over its mapped picture. L is the
// label voxel type, B the second parameter of the label image type.
template <class L, class B>
class ORV_EXPORT orv_Overlayer {
public:
  using Colour = bix::RGB8;

  orv_Overlayer() = default;
  orv_Overlayer(const orv_Overlayer&) = delete;
  orv_Overlayer& operator=(const orv_Overlayer&) = delete;
  virtual ~orv_Overlayer();

  // Paints the labels of overlay buffer `buffer` over a mapped RGB cut of
  // the same size.
  virtual void Overlay(unsigned int buffer, Buffer2d<Colour>& rgb) const = 0;
  virtual bool SetPosition(bool, const wxString& position, const wxRect* rect) = 0;
  // (Re)loads the label data for an image of this geometry.
  virtual bool LoadOverlay(bool, const bix::Vector3d<unsigned int>& size, const bix::Vector3d<float>& offset,
                           const bix::Resolution& resolution) = 0;
  // True when there are no label data to show.
  virtual bool IsEmpty(bool) const = 0;
  // A new buffer for one kind of window; returns its index.
  virtual unsigned int Buffer_Create(orv_OverlayWindowType type) = 0;
  // Places buffer `buffer`: size in voxels, offset in microns, resolution in
  // pixels per micron (the canvas's zoom).
  virtual void Buffer_SetDim(unsigned int buffer, const bix::Vector3d<unsigned int>& size,
                             const bix::Vector3d<float>& offset, const bix::Vector3d<float>& resolution) = 0;
  // Refills the buffer from the label data.
  virtual void Buffer_Render(unsigned int buffer) = 0;
  // A mouse event over a window that shows this buffer, on image voxel `voxel`.
  virtual void Buffer_OnMouse(unsigned int buffer, int x, int y, const bix::Vector3d<unsigned int>& voxel,
                              wxFrame* frame, const wxMouseEvent& event) = 0;
  // Labels shown from the chunks of a chunked label image (an OME-Zarr label
  // pyramid) whose level `heldLevel` is the overlay's label image: each cut
  // buffer then shows the finest chunks at hand of the level that suits its
  // zoom, over the held level. False when the overlay cannot (the default).
  virtual bool AttachChunkedLabels(std::shared_ptr<const bix::ChunkedImage>, unsigned) { return false; }
  // The chunked label image (null without one), and what the last rendering
  // of cut buffer `buffer` found missing of it.
  virtual std::shared_ptr<const bix::ChunkedImage> GetChunkedLabels() const { return nullptr; }
  virtual bix::CutChunks GetMissingChunks(unsigned int) const { return {}; }
  // Reads level `level` of the chunked labels (never coarser than the one
  // they were attached with) to be the label image, for whole-stack work
  // (projections, surfaces), under a progress dialog over `parent` when it
  // is large. Returns whether the label image changed (not when the level
  // is the one held, or reading it was cancelled or failed, which is said).
  virtual bool UseChunkedLevel(unsigned, wxWindow*) { return false; }

  bool GetOverlaying() const { return m_overlaying; }
  void SetOverlaying(bool overlaying) { m_overlaying = overlaying; }
  float GetTransparency() const { return m_transparency; }
  void SetTransparency(float transparency) { m_transparency = transparency; }
  // The label colours (null before any palette was set).
  const Colour* GetPalette() const { return m_palette.get(); }
  unsigned int GetPaletteSize() const { return m_paletteSize; }

protected:
  // The canvases with labels build the surfaces of the label image themselves.
  template <class Base, class L2, class B2>
  friend class orv_LabelOverlayCanvas;

  // The label image to take data from; the second flag selects the layer of
  // a two-layer buffer.
  virtual const bix::LabeledImage3d<L, B>* GetLabeledImage(bool, bool) const = 0;
  // Replaces the palette with `count` colours copied from `colours`.
  void SetPaletteColours(const Colour* colours, unsigned int count);

  bool m_overlaying = false;
  float m_transparency = 0.0f;
  std::unique_ptr<Colour[]> m_palette;
  unsigned int m_paletteSize = 0;
};

}  // namespace orv

#endif
