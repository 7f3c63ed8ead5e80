// The Python module "orv": viewers on numpy arrays, snapshots, and the image
// files of the library.

#include "array_images.h"
#include "toolkit.h"
#include "viewer_calls.h"

#include "open_image.h"

#include <bix/Exceptions.h>
#include <bix/ImageIO.h>

#include <pybind11/stl.h>

namespace py = pybind11;

namespace {

const char* const kModuleDoc = R"(Look at 3D images from Python with orv.

Axis order and voxel size follow numpy's (z, y, x), as napari's "scale"
does: an array of shape (z, y, x) with voxel_size=(0.5, 0.2, 0.2) has
slices 0.5 microns apart and pixels of 0.2 microns. Positions (points,
offsets) are (z, y, x) in microns as well.

Voxel types: uint8, uint16, int32 and float32 arrays of shape (z, y, x),
and uint8 or uint16 arrays of shape (z, y, x, 3) for RGB.

    import numpy, orv
    image = numpy.random.randint(0, 4096, (20, 64, 80)).astype("uint16")
    clicked = orv.view(image, voxel_size=(0.5, 0.2, 0.2), points=True)
    orv.snapshot(image, "cuts.png", voxel_size=(0.5, 0.2, 0.2))
    array, voxel_size, offset = orv.read("stack.tif")

The viewers need a display (an X server), as orv-view does.)";

const char* const kViewDoc = R"(view(image, voxel_size=None, labels=None, points=None, title=None)

Opens a viewer on `image` and returns when the user has closed it.

image       numpy array (z, y, x) of uint8, uint16, int32 or float32, or
            (z, y, x, 3) of uint8 or uint16 for RGB. A C-contiguous array
            is shown without a copy (do not change it meanwhile); others
            are copied.
voxel_size  (z, y, x) in microns; None: 1 micron.
labels      integer array of the image's shape (0 for background):
            outlines over the image.
points      None: no points. True: an empty point set to click into (a
            right click adds a point, a left click selects). An (N, 3) array
            of (z, y, x) in microns, or the name of a point file (read when
            it exists; "Save" writes there).
title       the window's title.

Returns the points as an (N, 3) float array of (z, y, x) in microns when
`points` was given, else None. Other Python threads run meanwhile.)";

const char* const kSnapshotDoc = R"(snapshot(image, path, voxel_size=None, labels=None, points=None, view="cuts")

Writes as a PNG what a viewer shows at start, without waiting for a user:
the three cuts (view="cuts", as orv-view --snapshot) or the volume window
(view="3d", as orv-view --snapshot-3d). The arguments are view()'s. Raises
OSError when the file cannot be written. A display is needed.)";

const char* const kReadDoc = R"(read(path, channels=None, time=None) -> (array, voxel_size, offset)

Reads a TIFF (also OME-TIFF and ImageJ hyperstacks), ICS, BIX or OME-Zarr
image. `channels` chooses up to three channels (numbered from 1) read as
RGB; `time` a time point (from 1). Returns the array (z, y, x) or
(z, y, x, 3), the voxel size (z, y, x) in microns (None when the file gives
none) and the offset (z, y, x) in microns. Raises OSError with the
library's message.)";

const char* const kSaveDoc = R"(save(path, array, voxel_size=None, offset=None)

Writes `array` as an image file chosen by the name's extension: .tif/.tiff,
.ics, .bix or .zarr (OME-Zarr). `voxel_size` and `offset` are (z, y, x) in
microns. The file is written beside `path` and renamed over it when
complete, so a failure leaves an earlier file as it was. Raises OSError
with the library's message.)";

template <class T>
py::tuple ReadAs(const std::string& path, const bix::ReadOptions& options) {
  auto image = std::make_unique<bix::Image3d<T>>();
  {
    py::gil_scoped_release release;
    bix::ReadImage<T>(path, *image, bix::ProgressCallback(), options);
  }
  const bix::Resolution resolution = image->GetResolution();
  const bix::Vector3d<float> res = resolution.GetRes();
  const bix::Vector3d<float> offset = image->GetOffset();
  py::object voxelSize = py::none();
  if (resolution.IsDefined()) voxelSize = py::make_tuple(1.0 / res.z, 1.0 / res.y, 1.0 / res.x);
  py::array array = orvpy::ArrayOfImage(std::move(image));
  return py::make_tuple(array, voxelSize, py::make_tuple(offset.z, offset.y, offset.x));
}

py::tuple Read(const py::object& path, const py::object& channels, const py::object& time) {
  const std::string name = orvpy::PathOf(path);
  bix::ReadOptions options;
  if (!channels.is_none()) {
    for (const py::handle c : channels) {
      const long channel = c.cast<long>();
      if (channel < 1) throw py::value_error("channels: channel numbers count from 1");
      options.channels.push_back(static_cast<unsigned>(channel));
    }
  }
  if (!time.is_none()) {
    const long t = time.cast<long>();
    if (t < 1) throw py::value_error("time: time points count from 1");
    options.timePoint = static_cast<unsigned>(t);
  }
  switch (bix::ReadImageType(name, options)) {
    case bix::VOXEL_UCHAR: return ReadAs<unsigned char>(name, options);
    case bix::VOXEL_USHORT: return ReadAs<unsigned short>(name, options);
    case bix::VOXEL_INT: return ReadAs<int>(name, options);
    case bix::VOXEL_FLOAT: return ReadAs<float>(name, options);
    case bix::VOXEL_RGB8: return ReadAs<bix::RGB8>(name, options);
    case bix::VOXEL_RGB16: return ReadAs<bix::RGB16>(name, options);
  }
  throw bix::IOException("'" + name + "': unknown voxel type");
}

void Save(const py::object& path, const py::array& array, const py::object& voxelSize, const py::object& offset) {
  const std::string name = orvpy::PathOf(path);
  const orvpy::ArrayVoxel voxel = orvpy::VoxelOfArray(array, "array");
  const bix::Resolution resolution = orvpy::ResolutionOf(voxelSize, "voxel_size");
  const bix::Vector3d<float> origin = orvpy::OffsetOf(offset, "offset");
  orvpy::WithVoxelType(voxel, [&](auto tag) {
    using T = decltype(tag);
    py::object keep;
    auto image = orvpy::ImageOfArray<T>(array, resolution, origin, keep);
    py::gil_scoped_release release;
    image->SaveImage(name);
  });
}

}  // namespace

PYBIND11_MODULE(orv, m) {
  m.doc() = kModuleDoc;
  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const bix::IOException& e) {
      PyErr_SetString(PyExc_OSError, e.what());
    } catch (const orvview::OptionError& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const bix::LibException& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    }
  });
  m.def("view", &orvpy::View, kViewDoc, py::arg("image"), py::arg("voxel_size") = py::none(),
        py::arg("labels") = py::none(), py::arg("points") = py::none(), py::arg("title") = py::none());
  m.def("snapshot", &orvpy::Snapshot, kSnapshotDoc, py::arg("image"), py::arg("path"),
        py::arg("voxel_size") = py::none(), py::arg("labels") = py::none(), py::arg("points") = py::none(),
        py::arg("view") = "cuts");
  m.def("read", &Read, kReadDoc, py::arg("path"), py::arg("channels") = py::none(), py::arg("time") = py::none());
  m.def("save", &Save, kSaveDoc, py::arg("path"), py::arg("array"), py::arg("voxel_size") = py::none(),
        py::arg("offset") = py::none());
  // For the module's own tests: drive the viewer that view() shows from
  // another thread.
  m.def("_viewer_shown", &orvpy::ViewerShown);
  m.def("_drive", &orvpy::Drive, py::arg("action"));
}
