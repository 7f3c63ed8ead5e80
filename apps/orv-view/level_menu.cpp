#include "level_menu.h"

#include <orv/orv_chunkedview.h>

#include <wx/menu.h>

#include <algorithm>

namespace orvview {

wxString LevelItemText(unsigned level, const bix::ChunkLevel& l, std::size_t voxelBytes) {
  const double bytes = double(l.size.x) * l.size.y * l.size.z * double(voxelBytes);
  const bool gigabytes = bytes >= 1e9;
  return wxString::Format("Whole-stack work on level %u: %u x %u x %u voxels (%.1f %s)", level, l.size.x, l.size.y,
                          l.size.z, gigabytes ? bytes / 1e9 : bytes / 1e6, gigabytes ? "GB" : "MB");
}

void AddLevelMenu(orv::orv_OrthoscopeFrame* frame) {
  auto* view = frame->GetCanvas()->GetChunkedView();
  if (!view) return;
  const bix::ChunkedImage& source = view->GetSource();
  const std::size_t voxelBytes = source.Type() == bix::VOXEL_UCHAR ? 1 : source.Type() == bix::VOXEL_USHORT ? 2 : 4;
  // Levels coarser than the one held at opening would be no better than it.
  const unsigned count = std::max(view->GetWorkLevel(), view->GetHeldLevel()) + 1;
  const wxWindowID first = wxWindow::NewControlId(static_cast<int>(count));
  wxMenu levels;
  for (unsigned level = 0; level < count; ++level)
    levels.AppendRadioItem(first + static_cast<int>(level), LevelItemText(level, source.Level(level), voxelBytes));
  levels.Check(first + static_cast<int>(view->GetWorkLevel()), true);
  frame->AppendMenu(&levels, "&Levels");
  frame->Bind(
      wxEVT_MENU, [view, first](wxCommandEvent& event) { view->SetWorkLevel(unsigned(event.GetId() - first)); },
      first, first + static_cast<int>(count) - 1);
}

}  // namespace orvview
