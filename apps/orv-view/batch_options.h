#ifndef ORV_VIEW_BATCH_OPTIONS_H
#define ORV_VIEW_BATCH_OPTIONS_H

// The command-line options that save a view, a gallery or the 3D data
// without the dialogs (figures made in batch), then end the run.

#include <string>
#include <vector>

namespace orvview {

struct BatchSaves {
  std::string view;                // --save-view FILE.tif
  std::string projection = "all";  // --projection xy|xz|yz|all
  int decoration = 10;             // --decoration N (pixels between the windows)
  std::string gallery;             // --save-gallery FILE.tif START END STEP
  int start = 0, end = 0, step = 1;
  bool fixedRows = true;  // --rows N (the default: one row) or --columns N
  int count = 1;
  int spacing = 10;  // --spacing N
  std::string data;  // --save-data FILE.{ics,bix,tif}

  bool Any() const { return !view.empty() || !gallery.empty() || !data.empty(); }
};

// Takes the save options (and their values) out of `args`, leaving the
// others for the toolkit's parser (which cannot take an option of four
// values). Options are "--name value" or "--name=value". Returns an empty
// string, or what is wrong in words for the user.
std::string TakeBatchSaves(std::vector<std::string>& args, BatchSaves& saves);

// A whole number of at most 9 digits, without sign, of at least `min`.
bool ParseWhole(const std::string& text, long min, long& value);
template <class N>
bool ParseWhole(const std::string& text, long min, N& value) {
  long whole = 0;
  if (!ParseWhole(text, min, whole)) return false;
  value = static_cast<N>(whole);
  return true;
}

// The usage lines of these options.
std::string BatchUsage();

}  // namespace orvview

#endif
