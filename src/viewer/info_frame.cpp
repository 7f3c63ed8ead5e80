#include "info_frame.h"

#include "../wdr/info_frame_wdr.h"

#include <orv/orv_voxel_traits.h>

#include <bix/Algorithms.h>

#include <wx/minifram.h>
#include <wx/notebook.h>
#include <wx/stattext.h>

#include <algorithm>
#include <climits>

namespace orv {

namespace {

const char* const kNoVoxel = "---";
const char* const kUndefined = "undef";

wxNotebook* Notebook(const wxFrame* frame) {
  return wxStaticCast(frame->FindWindow(ID_INFO_NOTEBOOK), wxNotebook);
}

void SetText(wxFrame* frame, int id, const wxString& text) {
  wxStaticCast(frame->FindWindow(id), wxStaticText)->SetLabel(text);
}

}  // namespace

// The notebook asks for exactly what its pages need now (also less than
// before, so the minimum is cleared first), and the window fits around it.
void FitInfoFrame(wxFrame* frame) {
  wxNotebook* notebook = Notebook(frame);
  notebook->SetMinSize(wxDefaultSize);
  notebook->InvalidateBestSize();
  notebook->SetMinSize(notebook->GetBestSize());
  frame->Fit();
  frame->Layout();
  for (size_t i = 0; i < notebook->GetPageCount(); ++i) notebook->GetPage(i)->Layout();
}

wxString FormatInfoPoint(const bix::Vector3d<double>& p) {
  return wxString::Format("[%.3f, %.3f, %.3f]", p.x, p.y, p.z);
}

wxString FormatInfoExtent(const bix::Vector3d<double>& s) {
  return wxString::Format("%.3f x %.3f x %.3f", s.x, s.y, s.z);
}

wxString FormatInfoIndex(const bix::Vector3d<int>& v) { return wxString::Format("[%d, %d, %d]", v.x, v.y, v.z); }

wxString FormatInfoCounts(const bix::Vector3d<unsigned>& n) {
  return wxString::Format("%3u x %3u x %3u", n.x, n.y, n.z);
}

// A mapped colour is an 8-bit RGB voxel and reads as one.
wxString FormatInfoColour(const wxColour& c) {
  return wxString(VoxelTraits<bix::RGB8>::ValueText({c.Red(), c.Green(), c.Blue()}));
}

wxFrame* CreateInfoFrame(orv_OrthoscopeCanvas* canvas) {
  auto* frame = new wxMiniFrame(canvas, wxID_ANY, "Info frame", wxDefaultPosition, wxDefaultSize,
                                wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT);
  MouseInfoFunc(frame);
  // The canvas keeps the window until the canvas itself goes: a close request
  // (a window manager may offer one) only hides it.
  frame->Bind(wxEVT_CLOSE_WINDOW, [frame](wxCloseEvent& event) {
    if (!event.CanVeto()) {
      event.Skip();
      return;
    }
    event.Veto();
    frame->Hide();
  });
  return frame;
}

bool LocateInfoPointer(const orv_OrthoscopeCanvas& canvas, const wxPoint& screen, InfoPointer& pointer) {
  for (orv_ProjectionType type : kCutWindows) {
    orv_DrWin3d* window = canvas.GetDrWin(type);
    if (!window->IsShownOnScreen()) continue;
    const wxPoint client = window->ScreenToClient(screen);
    if (!window->IsInside(client)) continue;
    // The same image point a mouse event at that pixel reports.
    wxMouseEvent mouse(wxEVT_MOTION);
    mouse.m_x = client.x;
    mouse.m_y = client.y;
    pointer.window = window;
    pointer.client = client;
    pointer.position = orv_Mouse3dEvent(window, mouse).GetPosition3d();
    const bix::VOI<float>& box = canvas.GetImageBox();
    return pointer.position.InCO(box.offset, box.End());
  }
  return false;
}

bix::Vector3d<int> InfoVoxelIndex(const bix::Vector3d<float>& position, const bix::Vector3d<float>& offset,
                                  const bix::Vector3d<float>& resolution) {
  bix::Vector3d<int> voxel;
  for (unsigned a = 0; a < 3; ++a)
    voxel[a] = static_cast<int>(bix::VoxelIndexAt(position[a], offset[a], resolution[a]));
  return voxel;
}

bool InfoFrameShowsPixelPage(const wxFrame* frame) { return Notebook(frame)->GetSelection() == 0; }

void ShowInfoPixel(wxFrame* frame, const InfoPixel* pixel) {
  wxWindow* swatch = frame->FindWindow(ID_INFO_COLOUR_SWATCH);
  // A pixel without a colour is one the window has no picture for yet (its
  // first paint, or a resize not yet painted): nothing to tell.
  if (pixel && pixel->colour.IsOk()) {
    SetText(frame, ID_INFO_POSITION_UM, FormatInfoPoint(pixel->position));
    SetText(frame, ID_INFO_POSITION_PIX, FormatInfoIndex(pixel->voxel));
    SetText(frame, ID_INFO_ORIGINAL_VALUE, pixel->value);
    SetText(frame, ID_INFO_MAPPED_COLOUR, FormatInfoColour(pixel->colour));
    swatch->SetBackgroundColour(pixel->colour);
    swatch->ClearBackground();
    swatch->Show();
  } else {
    for (int id : {ID_INFO_POSITION_UM, ID_INFO_POSITION_PIX, ID_INFO_ORIGINAL_VALUE, ID_INFO_MAPPED_COLOUR})
      SetText(frame, id, kNoVoxel);
    swatch->Hide();
  }
  FitInfoFrame(frame);
}

// Relative error a single-precision resolution may carry (2^-24), with room to spare.
constexpr double kSinglePrecisionSlack = 1e-6;

void ShowInfoImage(wxFrame* frame, const InfoImage& image) {
  SetText(frame, ID_INFO_IMAGE_TYPE, image.type);
  SetText(frame, ID_INFO_IMAGE_SIZE_PIX, FormatInfoCounts(image.size));
  if (image.resolution.IsDefined()) {
    const bix::Vector3d<float>& res = image.resolution.GetRes();
    bix::Vector3d<double> microns;
    bix::Vector3d<unsigned> nanometres;
    for (unsigned a = 0; a < 3; ++a) {
      const double perMicron = res[a];
      microns[a] = image.size[a] / perMicron;
      // Truncated, but not below what the resolution stands for: 350 nm pixels
      // are 2.857143 per micron in single precision, 1000 / which is 349.99999.
      // A valid resolution is positive; the clamp keeps an absurdly coarse one a number.
      const double nm = 1000.0 / perMicron * (1 + kSinglePrecisionSlack);
      nanometres[a] = static_cast<unsigned>(std::min(nm, double{UINT_MAX}));
    }
    SetText(frame, ID_INFO_IMAGE_SIZE_UM, FormatInfoExtent(microns));
    SetText(frame, ID_INFO_PIXEL_SIZE_NM, FormatInfoCounts(nanometres));
  } else {
    SetText(frame, ID_INFO_IMAGE_SIZE_UM, kUndefined);
    SetText(frame, ID_INFO_PIXEL_SIZE_NM, kUndefined);
  }
  SetText(frame, ID_INFO_BBOX_OFFSET, FormatInfoPoint(image.box.offset));
  SetText(frame, ID_INFO_BBOX_SIZE, FormatInfoExtent(image.box.size));
  FitInfoFrame(frame);
}

void ShowInfoView(wxFrame* frame, const bix::VOI<float>& visible, const bix::Vector3d<float>& cut) {
  SetText(frame, ID_INFO_VISIBLE_OFFSET, FormatInfoPoint(visible.offset));
  SetText(frame, ID_INFO_VISIBLE_SIZE, FormatInfoExtent(visible.size));
  SetText(frame, ID_INFO_CUT_POSITION, FormatInfoPoint(cut));
  FitInfoFrame(frame);
}

}  // namespace orv
