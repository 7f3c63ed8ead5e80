#ifndef ORV_PYTHON_VIEWER_CALLS_H
#define ORV_PYTHON_VIEWER_CALLS_H

// The module's viewer functions: a viewer on an array, shown until the user
// closes it, or snapshotted without being used.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>

namespace orvpy {

namespace py = pybind11;

// orv.view: returns the points as an (N, 3) array when points were asked
// for, else None.
py::object View(const py::array& image, const py::object& voxelSize, const py::object& labels,
                const py::object& points, const py::object& title);

// orv.snapshot: `view` is "cuts" or "3d".
void Snapshot(const py::array& image, const py::object& path, const py::object& voxelSize, const py::object& labels,
              const py::object& points, const std::string& view);

// A path argument (str or os.PathLike) as a string.
std::string PathOf(const py::object& path);

}  // namespace orvpy

#endif
