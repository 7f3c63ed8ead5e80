#ifndef ORV_IMAGECANVAS_H
#define ORV_IMAGECANVAS_H

#include <orv/orv_buffer2d.h>
#include <orv/orv_canvas.h>
#include <orv/orv_chunkedview.h>
#include <orv/orv_layer.h>
#include <orv/orv_mapper.h>

#include <bix/ChunkedImage.h>
#include <bix/Image3d.h>

#include <wx/bitmap.h>
#include <wx/icon.h>

#include <memory>
#include <vector>

namespace orv {

template <class T>
class CutPipeline;
template <class T>
class ChunkedSource;
template <class T>
class ChannelStack;

// The image canvas's settings: the same content as the canvas's.
struct ORV_EXPORT orv_ImageCanvasSettings : orv_CanvasSettings {};

// The canvas bound to one 3D image and one mapper. Each cut window's cut is
// resampled at the window's zoom (one voxel per screen pixel), mapped to RGB,
// painted over by the layers and turned into a bitmap, mirrored and rotated
// as the axes require. Each stage is cached per window and redone only when
// a change invalidates it. Layers (labels, points, a host's own) are called
// in the order they were added.
template <class T>
class ORV_EXPORT orv_ImageOrthoscopeCanvas : public orv_OrthoscopeCanvas {
public:
  using RGBBuffer = RGB8Buffer;
  using Voxel = T;

  // The mapper is not owned; the image is deleted with the canvas when
  // `ownsImage` is true. A null image draws nothing.
  orv_ImageOrthoscopeCanvas(wxWindow* parent, const orv_Mapper<T>& mapper, bix::Image3d<T>* image,
                            bool ownsImage, int id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                            const wxSize& size = wxDefaultSize);
  ~orv_ImageOrthoscopeCanvas() override;

  void ReverseAxis(int axis) override;
  void Draw(wxDC& dc, orv_ProjectionType window) override;
  void GetIcons(wxIconBundle& icons) override;
  bix::Vector3d<unsigned> GetImageSize() override;
  orv_VoxelGrid GetImageGrid() const override;
  void Save3dData(const wxString& path) override;
  void SaveActualView(const char* path, int border, orv_ProjectionType windows) override;
  void SaveGalleryView(const char* path, int first, int last, int step, bool labels, int columns,
                       int border) override;
  void OnCutChange(orv_ProjectionType windows) override;
  void OnVis3dChange(orv_ProjectionType windows) override;
  void OnContentChange(orv_ProjectionType windows) override;
  void MappingChanged(orv_MappingEvent& event) override;
  void OnDataChange() override;
  void UpdateVolVis() override;
  void InfoFrame_UpdatePixelInfo() override;
  void InfoFrame_UpdateImageInfo() override;
  void InfoFrame_UpdateCutAndVisBoxInfo() override;

  void GetSettings(orv_ImageCanvasSettings& settings) const { orv_OrthoscopeCanvas::GetSettings(settings); }
  void SetSettings(const orv_ImageCanvasSettings& settings) { orv_OrthoscopeCanvas::SetSettings(settings); }

  // How often each window's cut was resampled, mapped, and its projection
  // computed: lets hosts and tests see that work is not repeated.
  unsigned long GetExtractionCount(orv_ProjectionType window) const;
  unsigned long GetMappingCount(orv_ProjectionType window) const;
  unsigned long GetProjectionCount(orv_ProjectionType window) const;

  // From now on the image comes from time point `t` and channel `c` of a
  // multiscale image that need not fit in memory, whose level `heldLevel`
  // the canvas's image is (read whole): the canvas is laid out on level 0's
  // grid; each cut window shows the finest data at hand at once and
  // sharpens as the chunks its zoom asks for arrive, decoded on the
  // library's workers; autofocus projections read the work level, the
  // volume window a level that fits its texture budget, saving level 0 (see
  // orv_ChunkedView). Gray voxel types only, and once (LibException
  // otherwise). Layers (labels, points) work as over an image in memory.
  void AttachChunkedSource(std::shared_ptr<const bix::ChunkedImage> source, unsigned t, unsigned c,
                           unsigned heldLevel);
  orv_ChunkedView* GetChunkedView() override;

  // Shows the image through `mapper` from now on (not owned; it must
  // outlive the canvas).
  void SetMapper(const orv_Mapper<T>& mapper);

  // Adds a channel after the image (channel 0, shown through the canvas's
  // mapper) and the channels added before: a stack of the image's size,
  // shown through `mapper`, which must outlive the canvas. The windows, the
  // icon, saved views and the volume window show the sum of every channel's
  // mapped colour, each component clamped at 255; the info window lists
  // every channel's voxel. Over a chunked source (AttachChunkedSource
  // first), `image` is the held level of the source's channel
  // `sourceChannel`, and the cuts sample its chunks as they do channel 0's.
  // Gray voxel types only (LibException otherwise, for a stack of another
  // size, and for a chunked source without a channel).
  void AddChannel(std::unique_ptr<bix::Image3d<T>> image, const orv_Mapper<T>& mapper, int sourceChannel = -1);
  // Channel 0 (the image) and those added.
  unsigned GetChannelCount() const;
  const bix::Image3d<T>& GetChannelImage(unsigned c) const;
  // Names the channels in the info window (one per channel; "C1", "C2"...
  // by default).
  void SetChannelNames(const std::vector<wxString>& names);
  // The windows show time point `t` (from 0) of the same image, keeping
  // the cut, zoom and mappings: a chunked source's cuts move to it at once
  // (orv_ChunkedView::SetTimePoint), and `stacks`, when given, are
  // exchanged with every channel's voxels (one per channel, each of the
  // image's size, else LibException and nothing changes; a chunked source's
  // held levels), so that the caller gets the former ones back, to keep or
  // drop. The windows, projections and the volume window follow once.
  void ShowTimePoint(unsigned t, std::vector<bix::Image3d<T>>* stacks);

  // Adds a layer over the image and the layers before it; the canvas owns
  // it. Every window takes its cut again.
  orv_CanvasLayer& AddLayer(std::unique_ptr<orv_CanvasLayer> layer);
  std::size_t GetLayerCount() const { return m_layers.size(); }
  orv_CanvasLayer& GetLayer(std::size_t i) const { return *m_layers.at(i); }

protected:
  // Fills window `index`'s slice (its size, offset and resolution place it)
  // with the image's voxels: the nearest voxel of the image in memory, or
  // the finest at hand of a chunked source.
  void ResampleCut(int index, bix::Image3d<T>& slice);
  // What the info window says of the voxel at `position` (microns) under
  // window `index`, whose picture shows `shown` there: that, or for a
  // chunked source the full-resolution voxel once its chunk is there.
  wxString PointerValue(int index, const bix::Vector3d<float>& position, const wxString& shown);
  // Marks window `index`'s cut as stale and repaints it.
  void ResampleAgain(int index);
  // The whole image in memory for whole-stack work (autofocus projections):
  // the canvas's image, or a chunked source's work level once read.
  const bix::Image3d<T>& WholeStack() const;
  // The projections are computed again when next shown (WholeStack changed).
  void ProjectionsStale();

  void OnMouse3d(orv_Mouse3dEvent& event) override;
  virtual void MakeDirtyAndRefresh(orv_ProjectionType windows);
  // The voxel shown at window pixel (x, y) and its displayed colour; both are
  // left unchanged for another window or a pixel outside the picture.
  void GetColourInfo(orv_ProjectionType window, int x, int y, wxString& value, wxColour& colour) const;
  wxString GetImageTypeName() const;
  // Fills `icon` (w x h) with the XY view, letter-boxed with transparent margins.
  void CreateIcon(wxIcon& icon, int w, int h, const wxBitmap& bitmap, const RGBBuffer& buffer) const;

  const bix::Image3d<T>* GetImage() const { return m_image; }
  const RGBBuffer& GetBuffer(int index) const;
  const bix::Image3d<T>& GetSlice(int index) const;

  // Brings window `index`'s picture up to date: every stage the changes
  // since the last time made stale (a hidden window keeps its old cut).
  void UpdatePicture(int index);
  // The mapped pictures are stale (a new mapping): all windows map and
  // paint over again, the icon and the info window follow.
  void RemapPictures();
  // What the layers paint over the pictures changed (an overlay's
  // transparency or colours): they paint again over the mapped pictures,
  // which are not mapped again.
  void RepaintLayers();

private:
  friend class ChunkedSource<T>;
  void Init();
  void TakeGeometry();
  void Invalidate(orv_ProjectionType windows);
  const bix::Image3d<T>& Projection(int index);

  std::unique_ptr<CutPipeline<T>> m_pipeline[3];
  std::vector<std::unique_ptr<orv_CanvasLayer>> m_layers;
  bix::Image3d<T> m_projection[3];
  bool m_projectionDirty[3] = {true, true, true};
  const orv_Mapper<T>* m_mapper;
  bix::Image3d<T>* m_image;
  bool m_ownsImage;
  // The full image's grid: the image's own unless a derived canvas gave one.
  orv_VoxelGrid m_grid;
  bool m_gridFromImage;
  std::unique_ptr<ChunkedSource<T>> m_chunked;
  std::unique_ptr<ChannelStack<T>> m_channels;  // channels after the first; null for one
  std::vector<wxString> m_channelNames;
  unsigned long m_projections[3] = {0, 0, 0};
};

}  // namespace orv

#endif
