#ifndef ORV_VIEW_LEVEL_MENU_H
#define ORV_VIEW_LEVEL_MENU_H

#include <orv/orv_frame.h>

#include <bix/ChunkedImage.h>

#include <wx/string.h>

namespace orvview {

// For a viewer shown from a chunked image, a "&Levels" menu whose radio
// items choose the level whole-stack work (autofocus projections, the
// volume window once it is read) reads into memory; other viewers get none.
void AddLevelMenu(orv::orv_OrthoscopeFrame* frame);

// One level's item: "Whole-stack work on level 1: 1024 x 1024 x 1024 voxels (2.1 GB)".
wxString LevelItemText(unsigned level, const bix::ChunkLevel& l, std::size_t voxelBytes);

}  // namespace orvview

#endif
