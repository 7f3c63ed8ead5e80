#include "batch_options.h"

#include <cstdlib>
#include <functional>
#include <map>

namespace orvview {

bool ParseWhole(const std::string& text, long min, long& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::strtol(text.c_str(), nullptr, 10);
  return value >= min;
}

std::string TakeBatchSaves(std::vector<std::string>& args, BatchSaves& saves) {
  // What each option does with its values; false: the values are wrong.
  using Take = std::function<bool(const std::vector<std::string>&)>;
  struct Option {
    std::size_t values;
    const char* error;
    Take take;
  };
  bool rows = false, columns = false, viewDetails = false, galleryDetails = false;
  const std::map<std::string, Option> options = {
      {"--save-view",
       {1, "--save-view needs the name of a TIFF file, such as view.tif",
        [&](const auto& v) { return !(saves.view = v[0]).empty(); }}},
      {"--projection",
       {1, "--projection needs one of xy, xz, yz, all",
        [&](const auto& v) {
          viewDetails = true;
          saves.projection = v[0];
          return v[0] == "xy" || v[0] == "xz" || v[0] == "yz" || v[0] == "all";
        }}},
      {"--decoration",
       {1, "--decoration needs the gap between the windows in pixels, from 0, such as 10",
        [&](const auto& v) {
          viewDetails = true;
          return ParseWhole(v[0], 0, saves.decoration);
        }}},
      {"--save-gallery",
       {4,
        "--save-gallery needs FILE START END STEP: a TIFF file, the first and the last slice (from 0) and the "
        "step (from 1), such as gallery.tif 0 20 2",
        [&](const auto& v) {
          saves.gallery = v[0];
          return !v[0].empty() && ParseWhole(v[1], 0, saves.start) && ParseWhole(v[2], 0, saves.end) &&
                 ParseWhole(v[3], 1, saves.step);
        }}},
      {"--rows",
       {1, "--rows needs a number of rows from 1",
        [&](const auto& v) {
          rows = galleryDetails = true;
          saves.fixedRows = true;
          return ParseWhole(v[0], 1, saves.count);
        }}},
      {"--columns",
       {1, "--columns needs a number of columns from 1",
        [&](const auto& v) {
          columns = galleryDetails = true;
          saves.fixedRows = false;
          return ParseWhole(v[0], 1, saves.count);
        }}},
      {"--spacing",
       {1, "--spacing needs the gap between the slices in pixels, from 0, such as 10",
        [&](const auto& v) {
          galleryDetails = true;
          return ParseWhole(v[0], 0, saves.spacing);
        }}},
      {"--save-data",
       {1, "--save-data needs the name of an .ics, .bix, .tif or .zarr file",
        [&](const auto& v) { return !(saves.data = v[0]).empty(); }}},
  };
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::vector<std::string> values;
    const std::size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      values.push_back(name.substr(equals + 1));
      name.resize(equals);
    }
    const auto option = options.find(name);
    if (option == options.end()) {
      rest.push_back(args[i]);
      continue;
    }
    // A value is never the next option: "--save-view --projection xy" lacks the file.
    while (values.size() < option->second.values && i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0)
      values.push_back(args[++i]);
    if (values.size() < option->second.values || !option->second.take(values)) return option->second.error;
  }
  if (rows && columns) return "--rows and --columns cannot be used together";
  if (viewDetails && saves.view.empty()) return "--projection and --decoration need --save-view";
  if (galleryDetails && saves.gallery.empty()) return "--rows, --columns and --spacing need --save-gallery";
  if (!saves.gallery.empty() && saves.end < saves.start)
    return "--save-gallery: the ending slice must not be less than the starting slice";
  args = rest;
  return "";
}

std::string BatchUsage() {
  return "  --save-view FILE.tif [--projection xy|xz|yz|all] [--decoration N]\n"
         "                      save the cut windows as one picture (all of them by\n"
         "                      default, N pixels apart, 10 by default) and exit\n"
         "  --save-gallery FILE.tif START END STEP [--rows N | --columns N] [--spacing N]\n"
         "                      save the XY slices START, START+STEP, ... up to END\n"
         "                      (from 0) side by side at zoom level 0, in one row by\n"
         "                      default, N pixels apart (10 by default), and exit\n"
         "  --save-data FILE    save the image itself (.ics, .bix, .tif, or .zarr for\n"
         "                      OME-Zarr) and exit\n";
}

}  // namespace orvview
