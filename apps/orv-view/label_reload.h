#ifndef ORV_VIEW_LABEL_RELOAD_H
#define ORV_VIEW_LABEL_RELOAD_H

#include "label_file.h"

#include <orv/orv_frame.h>

#include <string>

namespace orvview {

// Makes "Overlaying > Reload" of a viewer read its label file again (a
// segmentation run anew): the new labels replace the shown ones in place.
// A file that now has another size or needs another label type is refused
// in a message box with the reader's words, and the old labels stay.
// The label image shown is `narrow` or `wide` (the other null), owned by
// the frame; `wideAllowed` and `resolution` are what the labels were first
// read with.
struct ShownLabels {
  bix::LabeledImage3d<unsigned short, bool>* narrow = nullptr;
  bix::LabeledImage3d<unsigned int, unsigned char>* wide = nullptr;
  bool wideAllowed = false;
  bix::Resolution resolution;
};
void ReloadLabelsFromFile(orv::orv_OrthoscopeFrame* frame, const std::string& path, const ShownLabels& shown);

// Reads `path` again into the shown labels. Returns an empty string when
// they were replaced, else why not (and they are unchanged).
std::string ReplaceLabels(const std::string& path, const ShownLabels& shown);

}  // namespace orvview

#endif
