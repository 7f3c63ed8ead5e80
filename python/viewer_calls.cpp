#include "viewer_calls.h"

#include "array_images.h"
#include "toolkit.h"

#include "frame_modules.h"
#include "open_image.h"
#include "snapshot.h"
#include "snapshot_3d.h"

#include <orv/orv_pointcanvas.h>
#include <orv/point_set_module.h>

#include <wx/filename.h>

#include <functional>
#include <type_traits>

namespace orvpy {

namespace {

// What the caller asked for with `points`.
struct PointRequest {
  bool wanted = false;                      // a point viewer
  std::string file;                         // a point file to load (and save to)
  std::vector<bix::Vector3d<float>> given;  // points given as an array
};

PointRequest PointsOf(const py::object& points) {
  PointRequest request;
  if (points.is_none()) return request;
  if (py::isinstance<py::bool_>(points)) {
    request.wanted = points.cast<bool>();
    return request;
  }
  request.wanted = true;
  if (py::isinstance<py::str>(points) || py::hasattr(points, "__fspath__"))
    request.file = PathOf(points);
  else
    request.given = PointsOfArray(points);
  return request;
}

// A viewer of the request, not yet shown, and what takes its points over
// (empty without points).
struct Viewer {
  orv::orv_OrthoscopeFrame* frame = nullptr;
  std::function<std::vector<bix::Vector3d<float>>()> takePoints;
};

// Loads the requested file or adds the given points; `takePoints` then gives
// the viewer's points and marks them kept (closing asks nothing about them).
template <class T>
void AttachPoints(Viewer& viewer, const PointRequest& points) {
  auto* canvas = dynamic_cast<orv::orv_PointOrthoscopeCanvas<T>*>(viewer.frame->GetCanvas());
  auto* module = orvview::FindModule<orv::orv_PointSetModule<T>>(viewer.frame);
  if (!points.file.empty()) {
    const wxString file = wxString::FromUTF8(points.file);
    module->SetFileName(file);
    if (wxFileName::FileExists(file))
      if (const wxString failure = module->TryLoadPoints(file); !failure.empty()) {
        viewer.frame->Destroy();
        PyErr_SetString(PyExc_OSError, ("points: " + failure.utf8_string()).c_str());
        throw py::error_already_set();
      }
  }
  for (const bix::Vector3d<float>& p : points.given) canvas->AddPoint(p);
  module->MarkUnmodified();
  viewer.takePoints = [canvas, module] {
    module->MarkUnmodified();
    return canvas->GetPoints().GetCoords();
  };
}

template <class T>
Viewer MakeArrayViewer(const py::array& image, const bix::Resolution& resolution, const py::object& labels,
                       const PointRequest& points, const std::string& name, py::object& keep) {
  if constexpr (std::is_same_v<T, int>)
    if (points.wanted)
      throw py::value_error("points: 32-bit integer images have no point viewer (uint8, uint16, float32 and RGB have)");
  auto voxels = ImageOfArray<T>(image, resolution, bix::Vector3d<float>(), keep);
  orvview::ViewerLabels shown;
  if (!labels.is_none()) {
    const py::array array = py::array::ensure(labels);
    if (!array) throw py::type_error("labels: an integer array of the image's shape");
    shown = orvview::LabelsFromImage(LabelsOfArray(array, voxels->GetSize(), resolution),
                                     std::is_same_v<T, unsigned char>, "labels");
  }
  orvview::ViewerOptions options;
  options.pointViewer = points.wanted;
  Viewer viewer;
  {
    py::gil_scoped_release release;
    viewer.frame = orvview::MakeViewer<T>(std::move(voxels), options, wxString::FromUTF8(name), std::move(shown));
  }
  if constexpr (!std::is_same_v<T, int>)
    if (points.wanted) AttachPoints<T>(viewer, points);
  return viewer;
}

std::string NameOf(const py::object& title) { return title.is_none() ? "numpy array" : py::str(title).cast<std::string>(); }

}  // namespace

std::string PathOf(const py::object& path) {
  return py::module_::import("os").attr("fspath")(path).cast<std::string>();
}

py::object View(const py::array& image, const py::object& voxelSize, const py::object& labels,
                const py::object& points, const py::object& title) {
  const ArrayVoxel voxel = VoxelOfArray(image, "image");
  const bix::Resolution resolution = ResolutionOf(voxelSize, "voxel_size");
  const PointRequest request = PointsOf(points);
  const std::string name = NameOf(title);
  StartToolkit();
  return WithVoxelType(voxel, [&](auto tag) -> py::object {
    using T = decltype(tag);
    py::object keep;
    Viewer viewer = MakeArrayViewer<T>(image, resolution, labels, request, name, keep);
    std::vector<bix::Vector3d<float>> taken;
    {
      py::gil_scoped_release release;
      RunUntilClosed(viewer.frame, [&] {
        if (viewer.takePoints) taken = viewer.takePoints();
      });
    }
    if (!request.wanted) return py::none();
    return ArrayOfPoints(taken);
  });
}

void Snapshot(const py::array& image, const py::object& path, const py::object& voxelSize, const py::object& labels,
              const py::object& points, const std::string& view) {
  if (view != "cuts" && view != "3d") throw py::value_error("view: \"cuts\" or \"3d\", not \"" + view + "\"");
  const std::string file = PathOf(path);
  const ArrayVoxel voxel = VoxelOfArray(image, "image");
  const bix::Resolution resolution = ResolutionOf(voxelSize, "voxel_size");
  const PointRequest request = PointsOf(points);
  StartToolkit();
  const std::string error = WithVoxelType(voxel, [&](auto tag) {
    using T = decltype(tag);
    py::object keep;
    Viewer viewer = MakeArrayViewer<T>(image, resolution, labels, request, NameOf(py::none()), keep);
    py::gil_scoped_release release;
    const wxString where = wxString::FromUTF8(file);
    return UseWhenShown(viewer.frame, [&] {
      return view == "3d" ? orvview::SaveVolumeSnapshot(viewer.frame, -1, where)
                          : orvview::SaveCanvasSnapshot(viewer.frame->GetCanvas(), where);
    });
  });
  if (!error.empty()) {
    PyErr_SetString(PyExc_OSError, error.c_str());
    throw py::error_already_set();
  }
}

}  // namespace orvpy
