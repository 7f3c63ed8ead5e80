#include "label_reload.h"

#include <orv/orv_events.h>

#include <wx/msgdlg.h>

namespace orvview {

namespace {

std::string SizeText(const bix::Vector3d<unsigned>& s) {
  return std::to_string(s.x) + " x " + std::to_string(s.y) + " x " + std::to_string(s.z);
}

template <class L, class B>
std::string Replace(const std::string& path, bix::LabeledImage3d<L, B>& shown,
                    std::unique_ptr<bix::LabeledImage3d<L, B>>& read) {
  if (!read)
    return "'" + path + "' now holds labels of another type than the viewer shows; open the image again to see them.";
  if (read->GetSize() != shown.GetSize())
    return "'" + path + "' is now " + SizeText(read->GetSize()) + " voxels; the viewer shows labels of " +
           SizeText(shown.GetSize()) + " voxels.";
  shown = std::move(*read);
  return "";
}

}  // namespace

std::string ReplaceLabels(const std::string& path, const ShownLabels& shown) {
  ViewerLabels read;
  try {
    read = ReadLabelFile(path, shown.wideAllowed, shown.resolution);
  } catch (const std::exception& e) {
    return e.what();
  }
  return shown.narrow ? Replace(path, *shown.narrow, read.narrow) : Replace(path, *shown.wide, read.wide);
}

void ReloadLabelsFromFile(orv::orv_OrthoscopeFrame* frame, const std::string& path, const ShownLabels& shown) {
  // Bound after the frame's own handler, so it runs first: the labels are
  // new before the canvas reloads its overlay.
  frame->Bind(orv::orv_EVT_OVERLAYING_CHANGED, [=](orv::orv_OverlayingEvent& event) {
    if (event.GetReload()) {
      const std::string refused = ReplaceLabels(path, shown);
      if (!refused.empty()) {
        wxMessageBox(wxString::FromUTF8(refused), "Error", wxOK | wxICON_ERROR, frame);
        return;
      }
    }
    event.Skip();
  });
}

}  // namespace orvview
