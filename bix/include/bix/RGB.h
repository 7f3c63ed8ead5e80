#ifndef BIX_RGB_H
#define BIX_RGB_H

#include <bix/Export.h>

namespace bix {

// One colour voxel: red, green, blue, packed with nothing between them, so an
// array of RGB_generic<unsigned char> is the 24-bit RGB layout of a picture.
template <class T>
struct BIX_EXPORT RGB_generic {
  using component_type = T;
  T red, green, blue;

  constexpr RGB_generic() : red(0), green(0), blue(0) {}
  constexpr RGB_generic(T r, T g, T b) : red(r), green(g), blue(b) {}

  // Channel 0 is red, 1 green, 2 blue.
  T GetComponent(unsigned index) const { return index == 0 ? red : (index == 1 ? green : blue); }
  T& GetComponent(unsigned index) { return index == 0 ? red : (index == 1 ? green : blue); }

  friend bool operator==(const RGB_generic& a, const RGB_generic& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
  }
  friend bool operator!=(const RGB_generic& a, const RGB_generic& b) { return !(a == b); }
};

static_assert(sizeof(RGB_generic<unsigned char>) == 3, "RGB voxels must be packed");
static_assert(sizeof(RGB_generic<unsigned short>) == 6, "RGB voxels must be packed");

// The 8-bit colour (mapped pictures, overlays, palettes, textures) and the
// 16-bit one, under the one name every part uses.
using RGB8 = RGB_generic<unsigned char>;
using RGB16 = RGB_generic<unsigned short>;

}  // namespace bix

#endif
