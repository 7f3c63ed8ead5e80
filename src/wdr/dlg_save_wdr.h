#ifndef ORV_WDR_DLG_SAVE_WDR_H
#define ORV_WDR_DLG_SAVE_WDR_H

// Layouts of the two dialogs that come before saving a picture: the
// decoration dialog (which windows, how wide the gaps) and the gallery
// dialog (which slices, how they are tiled). Each creates its controls with
// the ids below inside `parent` and returns the sizer that arranges them.

#include <wx/sizer.h>
#include <wx/window.h>

namespace orv {

enum {
  ID_DECORATION_PROJECTION = 10000,  // radio box "Choose projection"
  ID_DECORATION_CAPTION = 10001,
  ID_DECORATION_SIZE = 10002,
  ID_GALLERY_SLICE_COUNT = 10003,
  ID_GALLERY_CAPTION = 10004,  // every spin control's caption
  ID_GALLERY_START = 10005,
  ID_GALLERY_END = 10006,
  ID_GALLERY_STEP = 10007,
  ID_GALLERY_ROWS = 10008,
  ID_GALLERY_COLUMNS = 10009,
  ID_GALLERY_COUNT = 10010,
  ID_GALLERY_SPACING = 10011,
};

wxSizer* DecorationDialogFunc(wxWindow* parent);
// The spin controls are made with their full ranges unset (0 to 100); the
// dialog sets them from the image.
wxSizer* GalleryDialogFunc(wxWindow* parent);

}  // namespace orv

#endif
