#ifndef ORV_IDS_H
#define ORV_IDS_H

namespace orv {

// Command ids the viewer uses between its canvas and its frame.
enum orv_CommandId {
  // An update-UI event with this id asks the frame to rebuild its icon from
  // the current XY view.
  ID_ICON_REFRESH = 6024,
};

}  // namespace orv

#endif
