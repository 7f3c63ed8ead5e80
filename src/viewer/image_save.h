#ifndef ORV_SRC_VIEWER_IMAGE_SAVE_H
#define ORV_SRC_VIEWER_IMAGE_SAVE_H

#include <bix/Exceptions.h>
#include <bix/Image3d.h>

#include <wx/log.h>
#include <wx/string.h>

#include <new>
#include <string>

namespace orv {

// The picture of a saved view or gallery, w x h pixels, may be made: at
// most kMaxSavedPicturePixels (768 MiB of RGB). A larger one is refused in
// the log, naming the file and the size, before any memory is asked for.
inline constexpr long long kMaxSavedPicturePixels = 1LL << 28;
inline bool SavedPictureFits(long long w, long long h, const std::string& path) {
  if (w * h <= kMaxSavedPicturePixels) return true;
  wxLogError("'%s': a picture of %lld x %lld pixels is too large to save (at most %lld pixels).",
             wxString::FromUTF8(path), w, h, kMaxSavedPicturePixels);
  return false;
}

inline void LogNoMemoryToSave(const std::string& path) {
  wxLogError("'%s': there is not enough memory to save it.", wxString::FromUTF8(path));
}

// Runs a save; memory running out on the way is said in the log (the
// viewer goes on, and any previous file stays, as it is replaced last).
template <class Save>
void SaveOrLogNoMemory(const std::string& path, Save save) {
  try {
    save();
  } catch (const std::bad_alloc&) {
    LogNoMemoryToSave(path);
  }
}

// Runs a save of image data to `path`, saying in the log why it failed:
// the library writes beside the file first, so a failure keeps any previous
// file, and its message names the file and the fault, which the user reads
// as it is. A cancelled read is no failure.
template <class Save>
void SaveOrLogErrors(const std::string& path, Save save) {
  try {
    save();
  } catch (const bix::ReadCancelled&) {
  } catch (const bix::IOException& e) {
    wxLogError("%s", wxString::FromUTF8(e.what()));
  } catch (const bix::LibException& e) {
    wxLogError("%s", wxString::FromUTF8(e.what()));
  } catch (const std::bad_alloc&) {
    LogNoMemoryToSave(path);
  }
}

// Saves `image` in the format its name asks for (see SaveOrLogErrors).
template <class T>
void SaveImageOrLog(const bix::Image3d<T>& image, const std::string& path) {
  SaveOrLogErrors(path, [&] { image.SaveImage(path, 0, true); });
}

}  // namespace orv

#endif
