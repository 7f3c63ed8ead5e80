#ifndef ORV_VIEW_OPTIONS_H
#define ORV_VIEW_OPTIONS_H

#include "batch_options.h"

#include <bix/ImageIO.h>
#include <bix/Vector3d.h>

#include <string>
#include <vector>

namespace orvview {

// What the command line asks of orv-view.
struct ViewerOptions {
  std::string image;  // empty: the built-in sample stack
  bool hasVoxelSize = false;
  bix::Vector3d<float> voxelSize;  // microns per voxel along x, y, z
  std::string snapshot;            // save a picture of the cuts here and exit
  std::string snapshot3d;          // save a picture of the volume window here and exit
  std::string view3d;              // the volume window's preset view: x+, x-, y+, y-, z+, z-; empty: the start view
  bool maximumIntensity = false;   // --render mip: the volume window's maximum-intensity projection
  std::string stretch;             // the mapping applied on opening; empty: the image's default
  bool fullRange = false;          // 16-bit gray: keep the range 0..65535
  std::vector<unsigned> channels;  // channel numbers from 1 in the order shown; empty: all
  bool asRgb = false;              // up to three channels read as one RGB image (red, green, blue)
  unsigned timePoint = 1;          // the time point shown, from 1
  std::string labels;              // a label image shown over the image
  bool noLabels = false;           // the sample without its segmentation
  std::string points;              // a point file shown (and saved) with the image
  bool pointViewer = false;        // a point viewer also without a point file (a host's own points)
  std::size_t cacheBytes = 0;      // the chunk cache's budget; 0: the library's default
  BatchSaves saves;                // views, galleries and data to save before exiting
  bool verbose = false;            // log verbose messages (the OpenGL driver, ...)
  bool help = false;
  bool version = false;

  // A script's run: it saves something and ends, with no box waiting for a click.
  bool Scripted() const { return !snapshot.empty() || !snapshot3d.empty() || saves.Any(); }
};

// The channels and time point the command line chose, as the image library
// takes them.
bix::ReadOptions ReadOptionsOf(const ViewerOptions& options);

// The volume frame's menu offset of a preset view name ("x+" 0 to "z-" 5);
// -1 for any other name.
int ViewDirectionIndex(const std::string& name);

// The "&Mapping" menu offset of a stretch name ("none", "linear", "smart",
// "percentil"); -1 for any other name.
int StretchMenuOffset(const std::string& name);

// Parses the arguments after the program name with wxWidgets' command-line
// parser (options as "--name value" or "--name=value"). Returns an empty
// string on success, otherwise what is wrong, in words for the user: the
// parser's own for unknown options and missing values, ours for values that
// make no sense.
std::string ParseOptions(const std::vector<std::string>& args, ViewerOptions& options);

std::string Usage();

// A size in bytes as "2G", "512M", "1.5GiB" or a plain number of bytes
// (units of 1024), at least one megabyte.
bool ParseByteSize(const std::string& text, std::size_t& bytes);

// Whether there is a display to open windows on (DISPLAY or WAYLAND_DISPLAY set).
bool HasDisplay();

// What to say when there is no display to open windows on.
std::string NoDisplayMessage();

}  // namespace orvview

#endif
