#ifndef ORV_VIEW_OPEN_IMAGE_H
#define ORV_VIEW_OPEN_IMAGE_H

#include "label_file.h"
#include "options.h"

#include <orv/orv_frame.h>

#include <bix/ImageIO.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace orvview {

// A request the image cannot meet (a stretch it has not). The message is
// in words for the user.
struct OptionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A complete viewer, not yet shown, on the image the options name (the
// built-in sample without one), read with its own voxel type and shown
// through the chosen stretch. Large files are read under a progress dialog
// (or told `progress`, when given, which can cancel any read). Raises
// bix::IOException, naming the file, when it cannot be read, and
// bix::ReadCancelled when the user cancelled the read.
orv::orv_OrthoscopeFrame* OpenViewer(const ViewerOptions& options,
                                     const bix::ProgressCallback& progress = bix::ProgressCallback());

// The viewer orv-view starts with: OpenViewer's, or the built-in sample's
// when the user cancelled reading the command line's file (a cancel is no
// failure, and nobody asked to quit); `cancelled` tells which.
orv::orv_OrthoscopeFrame* OpenStartViewer(const ViewerOptions& options, bool& cancelled,
                                          const bix::ProgressCallback& progress = bix::ProgressCallback());

// A complete viewer, not yet shown, of an image already in memory (the
// frame takes it), named `name` in the title, with `labels` over it when
// there are any (else the labels the options name), set up as a file's
// viewer is: stretch, range, outlines, zoom, points. Raises OptionError or
// bix::IOException as OpenViewer does.
template <class T>
orv::orv_OrthoscopeFrame* MakeViewer(std::unique_ptr<bix::Image3d<T>> image, const ViewerOptions& options,
                                     const wxString& name, ViewerLabels labels);

// Chooses a stretch of the viewer's "&Mapping" menu, as a user would.
void ApplyStretch(orv::orv_OrthoscopeFrame* frame, const std::string& stretch);

// Sets the zoom level at which the frame fits the display and the XY window
// is not small (see ChooseInitialZoomLevel), and fits the frame to it.
void ApplyInitialZoom(orv::orv_OrthoscopeFrame* frame);

}  // namespace orvview

#endif
