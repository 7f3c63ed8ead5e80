#include "open_image.h"

#include "sample_volume.h"

#include <orv/orv_factory.h>

#include <bix/Exceptions.h>
#include <bix/ImageIO.h>

#include <wx/filename.h>
#include <wx/progdlg.h>

#include <memory>

namespace orvview {

namespace {

// Files above this size are read under a progress dialog.
constexpr unsigned long long kProgressFromBytes = 64ull << 20;

void ApplyVoxelSize(const ViewerOptions& options, bix::Resolution& resolution) {
  if (!options.hasVoxelSize) return;
  const bix::Vector3d<float>& size = options.voxelSize;
  // Microns per voxel (what microscopists type) to pixels per micron.
  resolution = bix::Resolution(bix::Vector3d<float>(1.0f / size.x, 1.0f / size.y, 1.0f / size.z));
}

template <class T>
orv::orv_OrthoscopeFrame* MakeViewer(std::unique_ptr<bix::Image3d<T>> image, const ViewerOptions& options,
                                     const wxString& title) {
  bix::Resolution resolution = image->GetResolution();
  ApplyVoxelSize(options, resolution);
  image->SetResolution(resolution);
  orv::orv_OrthoscopeFrame* frame = orv::orv_CreateImage3dFrame<T>(image.get(), true, nullptr, wxID_ANY, title);
  image.release();  // the frame's canvas owns it now (or it was deleted with a failed frame)
  if (!frame) throw bix::IOException("There is not enough memory to show the image.");
  ApplyStretch(frame, options.stretch);
  return frame;
}

template <class T>
orv::orv_OrthoscopeFrame* OpenFile(const ViewerOptions& options) {
  auto image = std::make_unique<bix::Image3d<T>>();
  const wxFileName file(wxString::FromUTF8(options.image));
  std::unique_ptr<wxProgressDialog> progress;
  if (file.GetSize() != wxInvalidSize && file.GetSize().GetValue() > kProgressFromBytes)
    progress = std::make_unique<wxProgressDialog>("orv-view", "Reading " + file.GetFullName() + "...", 1000, nullptr,
                                                  wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
  bix::ProgressCallback report;
  if (progress) report = [&](double fraction) { return progress->Update(static_cast<int>(fraction * 1000)); };
  bix::ReadImage<T>(options.image, *image, report);
  progress.reset();
  return MakeViewer<T>(std::move(image), options, file.GetFullName());
}

}  // namespace

void ApplyStretch(orv::orv_OrthoscopeFrame* frame, const std::string& stretch) {
  const int offset = StretchMenuOffset(stretch);
  auto* module = dynamic_cast<orv::orv_ExtensionModule*>(frame->GetEventHandler());
  if (!module || offset < 0) return;
  wxCommandEvent command(wxEVT_MENU, module->GetMenuId(offset));
  command.SetEventObject(frame);
  frame->ProcessWindowEvent(command);
}

orv::orv_OrthoscopeFrame* OpenViewer(const ViewerOptions& options) {
  if (options.image.empty()) {
    orv::orv_OrthoscopeFrame* frame = MakeViewer<unsigned short>(
        MakeSampleVolume(), options, "orv-view: sample stack (256 x 256 x 64, 0.2 x 0.2 x 0.5 um)");
    frame->GetCanvas()->ZoomIn();  // the sample is small: show it at twice its pixel size
    frame->ResizeFrameIfRequired();
    return frame;
  }
  switch (bix::ReadImageType(options.image)) {
    case bix::VOXEL_UCHAR:
      return OpenFile<unsigned char>(options);
    case bix::VOXEL_USHORT:
      return OpenFile<unsigned short>(options);
    case bix::VOXEL_INT:
      return OpenFile<int>(options);
    case bix::VOXEL_FLOAT:
      return OpenFile<float>(options);
    case bix::VOXEL_RGB8:
      return OpenFile<bix::RGB_generic<unsigned char>>(options);
    case bix::VOXEL_RGB16:
      return OpenFile<bix::RGB_generic<unsigned short>>(options);
  }
  throw bix::IOException("'" + options.image + "': unknown voxel type");
}

}  // namespace orvview
