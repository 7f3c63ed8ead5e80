#ifndef ORV_PYTHON_ARRAY_IMAGES_H
#define ORV_PYTHON_ARRAY_IMAGES_H

// numpy arrays as the library's images and back. Axis order is numpy's:
// (z, y, x), with a trailing axis of 3 for RGB; voxel sizes and offsets are
// given (z, y, x) in microns as well.

#include <bix/Image3d.h>
#include <bix/LabeledImage3d.h>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvpy {

namespace py = pybind11;

// The voxel types of images, in the order of bix's voxel-type list.
enum class ArrayVoxel { U8, U16, I32, F32, RGB8, RGB16 };

// The voxel type of an image array: 3D uint8, uint16, int32 or float32, or
// 4D uint8 or uint16 with a trailing axis of 3 (RGB). Raises TypeError or
// ValueError naming `argument`.
ArrayVoxel VoxelOfArray(const py::array& array, const char* argument);

// Calls f(T()) with the voxel type of `voxel`.
template <class F>
decltype(auto) WithVoxelType(ArrayVoxel voxel, F&& f) {
  switch (voxel) {
    case ArrayVoxel::U8: return f((unsigned char)0);
    case ArrayVoxel::U16: return f((unsigned short)0);
    case ArrayVoxel::I32: return f(0);
    case ArrayVoxel::F32: return f(0.f);
    case ArrayVoxel::RGB8: return f(bix::RGB8());
    default: return f(bix::RGB16());
  }
}

// The resolution (pixels per micron) of a voxel size (z, y, x) in microns;
// undefined for None. Raises ValueError naming `argument`.
bix::Resolution ResolutionOf(const py::object& voxelSize, const char* argument);
// An offset (z, y, x) in microns as the library's (x, y, z); zero for None.
bix::Vector3d<float> OffsetOf(const py::object& offset, const char* argument);

// An image of the array's voxels: the array's own memory when it is
// C-contiguous (then `keep` holds the array, which must outlive the image),
// else a C-contiguous copy that `keep` holds. The array's type must be T's.
template <class T>
std::unique_ptr<bix::Image3d<T>> ImageOfArray(const py::array& array, const bix::Resolution& resolution,
                                             const bix::Vector3d<float>& offset, py::object& keep);

// Labels (an integer array of the image's shape, 0 for background, none
// negative) as the library's 32-bit label image. Raises TypeError or
// ValueError naming the argument "labels".
std::unique_ptr<bix::LabeledImage3d<unsigned, unsigned char>> LabelsOfArray(const py::array& labels,
                                                                            const bix::Vector3d<unsigned>& size,
                                                                            const bix::Resolution& resolution);

// Points (an (N, 3) array of z, y, x in microns) as the library's (x, y, z).
std::vector<bix::Vector3d<float>> PointsOfArray(const py::object& points);
// And back, as an (N, 3) float64 array of z, y, x.
py::array_t<double> ArrayOfPoints(const std::vector<bix::Vector3d<float>>& points);

// A numpy array over an image's voxels (no copy): it owns the image.
template <class T>
py::array ArrayOfImage(std::unique_ptr<bix::Image3d<T>> image);

}  // namespace orvpy

#endif
