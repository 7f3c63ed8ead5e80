#ifndef BIX_VECTOR3D_H
#define BIX_VECTOR3D_H

namespace bix {

// A point or extent in 3D: x, y, z. Arithmetic is element-wise.
template <class T>
class Vector3d {
public:
  T x, y, z;

  constexpr Vector3d() : x(0), y(0), z(0) {}
  constexpr Vector3d(T vx, T vy, T vz) : x(vx), y(vy), z(vz) {}
  template <class U>
  constexpr explicit Vector3d(const Vector3d<U>& o)
      : x(static_cast<T>(o.x)), y(static_cast<T>(o.y)), z(static_cast<T>(o.z)) {}

  // Axis 0 is x, 1 is y, 2 is z.
  T& operator[](unsigned axis) { return axis == 0 ? x : (axis == 1 ? y : z); }
  const T& operator[](unsigned axis) const { return axis == 0 ? x : (axis == 1 ? y : z); }

  Vector3d& operator+=(const Vector3d& o) { x += o.x; y += o.y; z += o.z; return *this; }
  Vector3d& operator-=(const Vector3d& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
  Vector3d& operator*=(const Vector3d& o) { x *= o.x; y *= o.y; z *= o.z; return *this; }
  Vector3d& operator/=(const Vector3d& o) { x /= o.x; y /= o.y; z /= o.z; return *this; }
  Vector3d& operator*=(T s) { x *= s; y *= s; z *= s; return *this; }
  Vector3d& operator/=(T s) { x /= s; y /= s; z /= s; return *this; }

  friend Vector3d operator+(Vector3d a, const Vector3d& b) { return a += b; }
  friend Vector3d operator-(Vector3d a, const Vector3d& b) { return a -= b; }
  friend Vector3d operator*(Vector3d a, const Vector3d& b) { return a *= b; }
  friend Vector3d operator/(Vector3d a, const Vector3d& b) { return a /= b; }
  friend Vector3d operator*(Vector3d a, T s) { return a *= s; }
  friend Vector3d operator/(Vector3d a, T s) { return a /= s; }
  friend bool operator==(const Vector3d& a, const Vector3d& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
  }
  friend bool operator!=(const Vector3d& a, const Vector3d& b) { return !(a == b); }

  // Box tests against the box from a to b; C marks a closed end, O an open one.
  bool InCC(const Vector3d& a, const Vector3d& b) const {
    return a.x <= x && x <= b.x && a.y <= y && y <= b.y && a.z <= z && z <= b.z;
  }
  bool InOO(const Vector3d& a, const Vector3d& b) const {
    return a.x < x && x < b.x && a.y < y && y < b.y && a.z < z && z < b.z;
  }
  bool InCO(const Vector3d& a, const Vector3d& b) const {
    return a.x <= x && x < b.x && a.y <= y && y < b.y && a.z <= z && z < b.z;
  }
};

}  // namespace bix

#endif
