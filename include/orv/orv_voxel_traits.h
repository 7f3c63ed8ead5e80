#ifndef ORV_VOXEL_TRAITS_H
#define ORV_VOXEL_TRAITS_H

// What the component says about each voxel type, in one table: the name the
// info window shows, the C++ spelling (qualified operation names, histogram
// file headers) and the text of one value. Each type has its own
// specialization, so a type without one does not compile and nothing asks
// for a type at run time. The header needs no toolkit, so code without a
// display can name and print voxels too.

#include <bix/RGB.h>
#include <bix/Types.h>

#include <cstdio>
#include <string>

namespace orv {

template <class T>
struct VoxelTraits;

namespace voxel_text {

// Integer voxels print as "%d" of the value widened to int.
template <class T>
struct Integer {
  static std::string ValueText(T value) {
    char text[16];  // "-2147483648"
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return text;
  }
};

// Real voxels print as "%g" of the value widened to double: the shorter of
// the fixed and exponent forms, six significant digits.
template <class T>
struct Real {
  static std::string ValueText(T value) {
    char text[16];  // "-1.79769e+308"
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
  }
};

// Colour voxels print red, green and blue right-aligned in three columns, so
// the texts of 8-bit voxels line up; 16-bit components above 999 widen their
// column.
template <class C>
struct Colour {
  static std::string ValueText(const bix::RGB_generic<C>& value) {
    char text[40];  // "65535 65535 65535"
    std::snprintf(text, sizeof text, "%3d %3d %3d", static_cast<int>(value.red), static_cast<int>(value.green),
                  static_cast<int>(value.blue));
    return text;
  }
};

}  // namespace voxel_text

template <>
struct VoxelTraits<unsigned char> : voxel_text::Integer<unsigned char> {
  static constexpr const char* kDisplayName = "GRAY8";
  static constexpr const char* kCppName = "unsigned char";
};

template <>
struct VoxelTraits<unsigned short> : voxel_text::Integer<unsigned short> {
  static constexpr const char* kDisplayName = "GRAY16";
  static constexpr const char* kCppName = "unsigned short";
};

// The info window has always had no name of its own for 32-bit integer
// images; hosts and users know them as "Unknown".
template <>
struct VoxelTraits<int> : voxel_text::Integer<int> {
  static constexpr const char* kDisplayName = "Unknown";
  static constexpr const char* kCppName = "int";
};

template <>
struct VoxelTraits<float> : voxel_text::Real<float> {
  static constexpr const char* kDisplayName = "float";
  static constexpr const char* kCppName = "float";
};

// double and bool are no voxel types of the viewer, but the info window's
// table of names has always named them; they stay so that a canvas of either
// would be named as before.
template <>
struct VoxelTraits<double> : voxel_text::Real<double> {
  static constexpr const char* kDisplayName = "double";
  static constexpr const char* kCppName = "double";
};

template <>
struct VoxelTraits<bool> : voxel_text::Integer<bool> {
  static constexpr const char* kDisplayName = "BINARY";
  static constexpr const char* kCppName = "bool";
};

template <>
struct VoxelTraits<bix::RGB8> : voxel_text::Colour<unsigned char> {
  static constexpr const char* kDisplayName = "RGB";
  static constexpr const char* kCppName = "bix::RGB_generic<unsigned char>";
};

template <>
struct VoxelTraits<bix::RGB16> : voxel_text::Colour<unsigned short> {
  static constexpr const char* kDisplayName = "RGB16";
  static constexpr const char* kCppName = "bix::RGB_generic<unsigned short>";
};

// Every voxel type of the library has its traits: a type added to the list
// without them fails here rather than deep in some instantiation.
#define ORV_REQUIRE_VOXEL_TRAITS(T) static_assert(VoxelTraits<T>::kDisplayName != nullptr);
BIX_FOR_EACH_VOXEL_TYPE(ORV_REQUIRE_VOXEL_TRAITS)
#undef ORV_REQUIRE_VOXEL_TRAITS

}  // namespace orv

#endif
