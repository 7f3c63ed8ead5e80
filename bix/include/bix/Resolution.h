#ifndef BIX_RESOLUTION_H
#define BIX_RESOLUTION_H

#include <bix/Vector3d.h>

namespace bix {

// Pixels per micron along x, y and z. An image may carry an undefined
// resolution; every computation that needs a number then uses 1 pixel per
// micron, and IsDefined() lets a display say that the spacing is unknown.
class Resolution {
public:
  Resolution();
  // Raises LibException unless all three values are positive and finite.
  explicit Resolution(const Vector3d<float>& pixelsPerMicron);

  bool IsDefined() const { return m_defined; }
  // The pixels per micron; (1, 1, 1) when undefined.
  const Vector3d<float>& GetRes() const { return m_res; }

  friend bool operator==(const Resolution& a, const Resolution& b) {
    return a.m_defined == b.m_defined && a.m_res == b.m_res;
  }
  friend bool operator!=(const Resolution& a, const Resolution& b) { return !(a == b); }

private:
  bool m_defined;
  Vector3d<float> m_res;
};

}  // namespace bix

#endif
