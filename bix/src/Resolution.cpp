#include <bix/Exceptions.h>
#include <bix/Resolution.h>

#include <cmath>
#include <sstream>

namespace bix {

Resolution::Resolution() : m_defined(false), m_res(1.f, 1.f, 1.f) {}

Resolution::Resolution(const Vector3d<float>& pixelsPerMicron)
    : m_defined(true), m_res(pixelsPerMicron) {
  for (unsigned a = 0; a < 3; ++a) {
    const float r = m_res[a];
    if (!(r > 0.f) || !std::isfinite(r)) {
      std::ostringstream msg;
      msg << "Resolution: pixels per micron must be positive and finite, got (" << m_res.x << ", "
          << m_res.y << ", " << m_res.z << ")";
      throw LibException(msg.str());
    }
  }
}

}  // namespace bix
