#include "saved_views.h"

#include "image_save.h"
#include "saved_layouts.h"
#include "view_model.h"

#include <bix/Exceptions.h>
#include <bix/Image3d.h>

#include <wx/dcmemory.h>
#include <wx/log.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orv {

namespace {

using RGBPicture = bix::Image3d<bix::RGB8>;

const char* const kNotVisible = "Selected projection(s) can not be saved\nbecause they are not visible!";

// A white width x height picture, one voxel deep, without offset or resolution.
RGBPicture WhitePicture(int width, int height) {
  RGBPicture picture(bix::Vector3d<unsigned>(static_cast<unsigned>(std::max(width, 0)),
                                             static_cast<unsigned>(std::max(height, 0)), 1));
  if (picture.GetVoxelCount())
    std::memset(static_cast<void*>(picture.GetFirstVoxelAddr()), 255, picture.GetVoxelCount() * 3);
  return picture;
}

// The size of a window's picture; none for a window not saved.
wxSize Extent(const wxImage& picture) { return picture.IsOk() ? picture.GetSize() : wxSize(0, 0); }

void Paste(const wxImage& image, RGBPicture& picture, const PixelRect& place) {
  if (!image.IsOk()) return;
  const int w = static_cast<int>(picture.GetSize().x), h = static_cast<int>(picture.GetSize().y);
  CopyFitted(image.GetData(), image.GetWidth(), image.GetHeight(), static_cast<std::size_t>(image.GetWidth()) * 3,
             reinterpret_cast<unsigned char*>(picture.GetFirstVoxelAddr()), w, h, static_cast<std::size_t>(w) * 3,
             place);
}

wxFont LabelFont(int pixels) {
  wxFont font(wxFontInfo().Family(wxFONTFAMILY_SWISS));
  font.SetPixelSize(wxSize(0, pixels));
  return font;
}

int LabelWidth(const std::string& text, int pixels) {
  wxBitmap scratch(1, 1);
  wxMemoryDC dc(scratch);
  dc.SetFont(LabelFont(pixels));
  return dc.GetTextExtent(wxString::FromUTF8(text)).x;
}

// The bar in plain black pixels (its length is the figure's measure); the
// label drawn by the toolkit on white, black, centred under it.
void DrawScaleBar(const ScaleBar& bar, RGBPicture& picture) {
  const int w = static_cast<int>(picture.GetSize().x), h = static_cast<int>(picture.GetSize().y);
  for (int y = std::max(bar.bar.y, 0); y < std::min(bar.bar.y + bar.bar.height, h); ++y)
    for (int x = std::max(bar.bar.x, 0); x < std::min(bar.bar.x + bar.bar.width, w); ++x)
      picture.GetVoxel(static_cast<unsigned>(x), static_cast<unsigned>(y), 0) = bix::RGB8(0, 0, 0);
  wxBitmap label(bar.label.width, bar.label.height, 24);
  {
    wxMemoryDC dc(label);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(LabelFont(bar.fontPixels));
    dc.SetTextForeground(*wxBLACK);
    dc.DrawLabel(wxString::FromUTF8(bar.text), wxRect(0, 0, bar.label.width, bar.label.height),
                 wxALIGN_CENTER_HORIZONTAL | wxALIGN_TOP);
  }
  Paste(label.ConvertToImage(), picture, bar.label);
}

// Pastes the XY cut of each of the gallery's slices into its tile; the cut
// goes back where it was however this ends.
void PasteGallerySlices(orv_OrthoscopeCanvas& canvas, const GalleryLayout& layout, int start, int step,
                        RGBPicture& picture) {
  struct RestoreCut {
    orv_OrthoscopeCanvas& canvas;
    const bix::Vector3d<float> cut;
    ~RestoreCut() {
      canvas.View().cut = cut;
      canvas.AnnounceCutChange(PROJ_ALL);
    }
  };
  ViewModel& view = canvas.View();
  const RestoreCut restore{canvas, view.cut};
  orv_DrWin3d* xy = canvas.GetDrWin(PROJ_XY);
  for (int i = 0; i < layout.slices; ++i) {
    // The centre of slice k, from the image's own offset: a cut on a voxel
    // boundary could show the neighbouring slice.
    const int k = layout.Slice(start, step, i);
    bix::Vector3d<float> cut = view.cut;
    cut.z = static_cast<float>(view.imageBox.offset.z + (k + 0.5) * view.voxelStep.z);
    canvas.ChangeCut(cut);
    if (xy->IsShownOnScreen()) {
      xy->Refresh(false);
      xy->Update();
    }
    const PixelPoint at = layout.Tile(i);
    Paste(xy->GetBitmapImage(), picture, {at.x, at.y, layout.tileWidth, layout.tileHeight});
  }
}

}  // namespace

void SaveCompositeView(orv_OrthoscopeCanvas& canvas, const std::string& path, int decoration,
                       orv_ProjectionType windows) {
  bool saved[3];
  wxImage pictures[3];
  for (int i = 0; i < 3; ++i) {
    saved[i] = canvas.IsDrWinShown(kCutWindows[i]) && (windows & kCutWindows[i]) != 0;
    if (saved[i]) pictures[i] = canvas.GetDrWin(kCutWindows[i])->GetBitmapImage();
  }
  if (!saved[0] && !saved[1] && !saved[2]) {
    wxMessageBox(kNotVisible, "Error", wxOK | wxICON_ERROR, &canvas);
    return;
  }
  // A hidden window's picture is not kept current: its extents are taken
  // from the pictures that share them (XZ has XY's width, YZ its height,
  // and YZ is as wide as XZ is high).
  const wxSize xy = Extent(pictures[0]), xz = Extent(pictures[1]), yz = Extent(pictures[2]);
  const int wXY = saved[0] ? xy.x : xz.x;
  const int hXY = saved[0] ? xy.y : yz.y;
  const int hXZ = saved[1] ? xz.y : yz.x;
  const CompositeLayout layout = ComputeCompositeLayout(saved, wXY, hXY, hXZ, decoration);
  if (!SavedPictureFits(layout.width, layout.height, path)) return;
  RGBPicture picture = WhitePicture(layout.width, layout.height);
  for (int i = 0; i < 3; ++i)
    if (saved[i]) Paste(pictures[i], picture, layout.part[i]);
  const ScaleBar bar = ChooseScaleBar(layout.corner, canvas.GetZoom().x, LabelWidth);
  if (bar.shown) DrawScaleBar(bar, picture);
  SaveImageOrLog(picture, path);
}

void SaveGalleryView(orv_OrthoscopeCanvas& canvas, const std::string& path, int start, int end, int step,
                     bool fixedRows, int count, int spacing) {
  if (step < 1 || count < 1) {
    wxLogError("'%s': a gallery needs a step and a row or column count of at least 1.", wxString::FromUTF8(path));
    return;
  }
  if (!canvas.IsDrWinShown(PROJ_XY)) {
    wxMessageBox(kNotVisible, "Error", wxOK | wxICON_ERROR, &canvas);
    return;
  }
  const bix::Vector3d<unsigned> size = canvas.GetImageSize();
  const int slices = static_cast<int>(size.z);
  start = std::max(start, 0);
  end = std::min(end, slices - 1);
  GalleryLayout layout;
  if (!ComputeGalleryLayout(start, end, step, fixedRows, count, std::max(spacing, 0), static_cast<int>(size.x),
                            static_cast<int>(size.y), layout)) {
    // The request is sound otherwise (step, count, spacing and tiles are),
    // so the layout failed for the order of the slices or for its size.
    if (end < start)
      wxLogError("'%s': no slice of the image lies between the starting and the ending slice.",
                 wxString::FromUTF8(path));
    else
      wxLogError("'%s': the gallery would be more than %d pixels wide or high.", wxString::FromUTF8(path),
                 kMaxPictureSide);
    return;
  }
  if (!SavedPictureFits(layout.width, layout.height, path)) return;
  RGBPicture picture = WhitePicture(layout.width, layout.height);
  PasteGallerySlices(canvas, layout, start, step, picture);
  SaveImageOrLog(picture, path);
}

}  // namespace orv
