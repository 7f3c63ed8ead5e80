#ifndef ORV_WDR_INFO_FRAME_WDR_H
#define ORV_WDR_INFO_FRAME_WDR_H

// Layout of the info window: a notebook with the pages "Pixel info", "Image
// info" and "View info", each a grid of captions and value texts. The texts
// start with placeholders that give the layout its size; the canvas finds
// them later by these ids and replaces them.

#include <wx/sizer.h>
#include <wx/window.h>

namespace orv {

enum {
  ID_INFO_CAPTION = 10000,  // every caption text
  ID_INFO_POSITION_UM = 10001,
  ID_INFO_POSITION_PIX = 10002,
  ID_INFO_ORIGINAL_VALUE = 10003,
  ID_INFO_MAPPED_COLOUR = 10004,
  ID_INFO_COLOUR_SWATCH = 10005,  // a plain window painted in the mapped colour
  ID_INFO_IMAGE_TYPE = 10006,
  ID_INFO_IMAGE_SIZE_PIX = 10007,
  ID_INFO_PIXEL_SIZE_NM = 10008,
  ID_INFO_IMAGE_SIZE_UM = 10009,
  ID_INFO_NOTEBOOK = 10010,
  ID_INFO_BBOX_OFFSET = 10011,
  ID_INFO_BBOX_SIZE = 10012,
  ID_INFO_VISIBLE_OFFSET = 10013,
  ID_INFO_VISIBLE_SIZE = 10014,
  ID_INFO_CUT_POSITION = 10015,
};

// Fills `parent` (the info window) with the notebook and its three pages and
// returns the sizer that makes the notebook fill it.
wxSizer* MouseInfoFunc(wxWindow* parent);
// The grids of the three pages, each set as the sizer of its page.
wxSizer* PixelInfoPageFunc(wxWindow* page);
wxSizer* ImageInfoPageFunc(wxWindow* page);
wxSizer* ViewInfoPageFunc(wxWindow* page);

}  // namespace orv

#endif
