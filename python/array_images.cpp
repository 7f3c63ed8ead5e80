#include "array_images.h"

#include <bix/Types.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace orvpy {

namespace {

template <class Scalar>
bool HasDtype(const py::array& array) {
  return array.dtype().equal(py::dtype::of<Scalar>());
}

// The scalar of a voxel type: itself, or an RGB voxel's component.
template <class T>
struct ScalarOf {
  using type = T;
};
template <class C>
struct ScalarOf<bix::RGB_generic<C>> {
  using type = C;
};

constexpr bool kRGB(ArrayVoxel v) { return v == ArrayVoxel::RGB8 || v == ArrayVoxel::RGB16; }

std::string ShapeText(const py::array& array) {
  std::string text = "(";
  for (py::ssize_t i = 0; i < array.ndim(); ++i) text += (i ? ", " : "") + std::to_string(array.shape(i));
  return text + (array.ndim() == 1 ? ",)" : ")");
}

// Three finite numbers (z, y, x) from a sequence, as (x, y, z).
bix::Vector3d<float> ThreeNumbers(const py::object& value, const char* argument, bool positive) {
  const std::string what = std::string(argument) + ": three " + (positive ? "positive " : "") +
                           "numbers (z, y, x) in microns";
  if (!py::isinstance<py::sequence>(value) || py::isinstance<py::str>(value) || py::len(value) != 3)
    throw py::value_error(what);
  double zyx[3];
  const py::sequence sequence = value.cast<py::sequence>();
  for (int i = 0; i < 3; ++i) {
    try {
      zyx[i] = sequence[i].cast<double>();
    } catch (const py::cast_error&) {
      throw py::value_error(what);
    }
    if (!std::isfinite(zyx[i]) || (positive && zyx[i] <= 0) || std::fabs(zyx[i]) > 1e30) throw py::value_error(what);
  }
  return bix::Vector3d<float>(static_cast<float>(zyx[2]), static_cast<float>(zyx[1]), static_cast<float>(zyx[0]));
}

}  // namespace

ArrayVoxel VoxelOfArray(const py::array& array, const char* argument) {
  const std::string name = argument;
  const bool rgb = array.ndim() == 4 && array.shape(3) == 3;
  if (array.ndim() != 3 && !rgb)
    throw py::value_error(name + ": a 3D array (z, y, x), or 4D with a last axis of 3 for RGB, not shape " +
                          ShapeText(array));
  for (int a = 0; a < 3; ++a)
    if (array.shape(a) < 1 || array.shape(a) > std::numeric_limits<unsigned>::max())
      throw py::value_error(name + ": every axis needs from 1 to 4294967295 voxels, not shape " + ShapeText(array));
  if (HasDtype<std::uint8_t>(array)) return rgb ? ArrayVoxel::RGB8 : ArrayVoxel::U8;
  if (HasDtype<std::uint16_t>(array)) return rgb ? ArrayVoxel::RGB16 : ArrayVoxel::U16;
  const std::string type = py::str(array.dtype()).cast<std::string>();
  if (rgb) throw py::type_error(name + ": an RGB array holds uint8 or uint16, not " + type);
  if (HasDtype<std::int32_t>(array)) return ArrayVoxel::I32;
  if (HasDtype<float>(array)) return ArrayVoxel::F32;
  throw py::type_error(name + ": the voxels are uint8, uint16, int32 or float32 (native byte order), not " + type);
}

bix::Resolution ResolutionOf(const py::object& voxelSize, const char* argument) {
  if (voxelSize.is_none()) return bix::Resolution();
  const bix::Vector3d<float> size = ThreeNumbers(voxelSize, argument, true);
  return bix::Resolution(bix::Vector3d<float>(1.f / size.x, 1.f / size.y, 1.f / size.z));
}

bix::Vector3d<float> OffsetOf(const py::object& offset, const char* argument) {
  if (offset.is_none()) return bix::Vector3d<float>();
  return ThreeNumbers(offset, argument, false);
}

template <class T>
std::unique_ptr<bix::Image3d<T>> ImageOfArray(const py::array& array, const bix::Resolution& resolution,
                                             const bix::Vector3d<float>& offset, py::object& keep) {
  using Scalar = typename ScalarOf<T>::type;
  auto contiguous = py::array_t<Scalar, py::array::c_style>::ensure(array);
  if (!contiguous) throw py::error_already_set();
  keep = contiguous;
  const bix::Vector3d<unsigned> size(static_cast<unsigned>(array.shape(2)), static_cast<unsigned>(array.shape(1)),
                                     static_cast<unsigned>(array.shape(0)));
  auto image = std::make_unique<bix::Image3d<T>>(&offset, &resolution);
  // The viewer and the writers only read the voxels.
  image->Borrow(reinterpret_cast<T*>(const_cast<Scalar*>(contiguous.data())), size);
  return image;
}

std::unique_ptr<bix::LabeledImage3d<unsigned, unsigned char>> LabelsOfArray(const py::array& labels,
                                                                            const bix::Vector3d<unsigned>& size,
                                                                            const bix::Resolution& resolution) {
  const char kind = labels.dtype().kind();
  if (kind != 'u' && kind != 'i' && kind != 'b')
    throw py::type_error("labels: an integer array (0 for background), not " +
                         py::str(labels.dtype()).cast<std::string>());
  if (labels.ndim() != 3 || labels.shape(0) != size.z || labels.shape(1) != size.y || labels.shape(2) != size.x)
    throw py::value_error("labels: shape " + ShapeText(labels) + " differs from the image's (" +
                          std::to_string(size.z) + ", " + std::to_string(size.y) + ", " + std::to_string(size.x) +
                          ")");
  // Checked in the array's own type: a cast would wrap negative labels.
  const py::object numpy = py::module_::import("numpy");
  if (labels.size() > 0) {
    if (numpy.attr("min")(labels).cast<long long>() < 0) throw py::value_error("labels: negative labels");
    if (kind != 'b' && numpy.attr("max")(labels).cast<unsigned long long>() > std::numeric_limits<unsigned>::max())
      throw py::value_error("labels: labels above 4294967295");
  }
  auto wide = py::array_t<unsigned, py::array::c_style | py::array::forcecast>::ensure(labels);
  if (!wide) throw py::error_already_set();
  auto image = std::make_unique<bix::LabeledImage3d<unsigned, unsigned char>>(size, nullptr, &resolution);
  std::memcpy(image->GetFirstVoxelAddr(), wide.data(), image->GetVoxelCount() * sizeof(unsigned));
  return image;
}

std::vector<bix::Vector3d<float>> PointsOfArray(const py::object& points) {
  const py::array array = py::array::ensure(points);
  if (!array || array.ndim() != 2 || array.shape(1) != 3)
    throw py::value_error("points: an (N, 3) array of z, y, x in microns, a point file's name, or True");
  const char kind = array.dtype().kind();
  if (kind != 'f' && kind != 'i' && kind != 'u')
    throw py::type_error("points: numbers, not " + py::str(array.dtype()).cast<std::string>());
  auto zyx = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(array);
  std::vector<bix::Vector3d<float>> result;
  result.reserve(static_cast<std::size_t>(zyx.shape(0)));
  const auto view = zyx.unchecked<2>();
  for (py::ssize_t i = 0; i < zyx.shape(0); ++i) {
    for (int a = 0; a < 3; ++a)
      if (!std::isfinite(view(i, a))) throw py::value_error("points: point " + std::to_string(i) + " is not finite");
    result.emplace_back(static_cast<float>(view(i, 2)), static_cast<float>(view(i, 1)), static_cast<float>(view(i, 0)));
  }
  return result;
}

py::array_t<double> ArrayOfPoints(const std::vector<bix::Vector3d<float>>& points) {
  py::array_t<double> array({static_cast<py::ssize_t>(points.size()), py::ssize_t(3)});
  auto out = array.mutable_unchecked<2>();
  for (std::size_t i = 0; i < points.size(); ++i)
    for (int a = 0; a < 3; ++a) out(static_cast<py::ssize_t>(i), a) = points[i][2 - a];
  return array;
}

template <class T>
py::array ArrayOfImage(std::unique_ptr<bix::Image3d<T>> image) {
  using Scalar = typename ScalarOf<T>::type;
  const bix::Vector3d<unsigned> n = image->GetSize();
  std::vector<py::ssize_t> shape{n.z, n.y, n.x};
  if constexpr (!std::is_same_v<T, Scalar>) shape.push_back(3);
  auto* data = reinterpret_cast<Scalar*>(image->GetFirstVoxelAddr());
  py::capsule owner(image.release(), [](void* p) { delete static_cast<bix::Image3d<T>*>(p); });
  return py::array_t<Scalar>(shape, data, owner);
}

#define ORVPY_INSTANTIATE(T)                                                                                     \
  template std::unique_ptr<bix::Image3d<T>> ImageOfArray<T>(const py::array&, const bix::Resolution&,            \
                                                            const bix::Vector3d<float>&, py::object&);           \
  template py::array ArrayOfImage<T>(std::unique_ptr<bix::Image3d<T>>);
BIX_FOR_EACH_VOXEL_TYPE(ORVPY_INSTANTIATE)

}  // namespace orvpy
