#ifndef BIX_VOI_H
#define BIX_VOI_H

#include <bix/Resolution.h>
#include <bix/Vector3d.h>

namespace bix {

// A box given by its lower corner and its size.
template <class T>
class VOI {
public:
  Vector3d<T> offset;
  Vector3d<T> size;

  VOI() = default;
  VOI(const Vector3d<T>& o, const Vector3d<T>& s) : offset(o), size(s) {}

  Vector3d<T> End() const { return offset + size; }
};

// The extent in microns of `size` voxels at `resolution` pixels per micron.
inline Vector3d<float> PixelsToMicrons(const Vector3d<unsigned>& size,
                                       const Resolution& resolution) {
  const Vector3d<float>& r = resolution.GetRes();
  return Vector3d<float>(size.x / r.x, size.y / r.y, size.z / r.z);
}

}  // namespace bix

#endif
