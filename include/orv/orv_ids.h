#ifndef ORV_IDS_H
#define ORV_IDS_H

namespace orv {

// The viewer frame's command ids; extension modules take blocks above
// FIRST_MODULE_ID.
enum orv_CommandId {
  ID_ZOOM_IN = 5999,
  ID_ZOOM_OUT = 6000,
  ID_NORMAL_ZOOM = 6001,
  ID_PREFERENCES = 6002,
  ID_AXIS_MENU = 6003,
  ID_WINDOW_MENU = 6004,
  ID_SAVE_3D_DATA = 6005,
  ID_SAVE_VIEW = 6006,
  ID_SAVE_GALLERY = 6007,
  ID_ADJUST_FRAME = 6008,
  ID_AUTO_ADJUST_FRAME = 6009,
  ID_VOLUME_VISUALIZATION = 6010,
  ID_SHOW_XY = 6012,
  ID_SHOW_XZ = 6013,
  ID_SHOW_YZ = 6014,
  ID_AUTOFOCUS = 6015,
  ID_SHOW_INFO = 6016,
  ID_REVERSE_X = 6017,
  ID_REVERSE_Y = 6018,
  ID_REVERSE_Z = 6019,
  ID_AUTOFOCUS_XY = 6020,
  ID_AUTOFOCUS_XZ = 6021,
  ID_AUTOFOCUS_YZ = 6022,
  ID_AUTOFOCUS_MENU = 6023,
  // An update-UI event with this id asks the frame to rebuild its icon from
  // the current XY view.
  ID_ICON_REFRESH = 6024,
  // An update-UI event with this id, carrying the frame as client data, tells
  // the frame's parent window that the viewer is closing.
  ID_VIEWER_CLOSING = 6026,
  FIRST_MODULE_ID = 6027,
};

}  // namespace orv

#endif
