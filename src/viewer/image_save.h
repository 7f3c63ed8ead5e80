#ifndef ORV_SRC_VIEWER_IMAGE_SAVE_H
#define ORV_SRC_VIEWER_IMAGE_SAVE_H

#include <bix/Exceptions.h>
#include <bix/Image3d.h>

#include <wx/log.h>
#include <wx/string.h>

#include <string>

namespace orv {

// Saves `image` in the format its name asks for. The library writes beside
// the file first, so a failure keeps any previous file, and its message
// names the file and the fault: the user reads it as it is.
template <class T>
void SaveImageOrLog(const bix::Image3d<T>& image, const std::string& path) {
  try {
    image.SaveImage(path, 0, true);
  } catch (const bix::IOException& e) {
    wxLogError("%s", wxString::FromUTF8(e.what()));
  } catch (const bix::LibException& e) {
    wxLogError("%s", wxString::FromUTF8(e.what()));
  }
}

}  // namespace orv

#endif
