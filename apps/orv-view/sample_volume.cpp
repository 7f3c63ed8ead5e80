#include "sample_volume.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orvview {

namespace {

// A small deterministic generator (splitmix64), the same on every platform.
class Random {
public:
  explicit Random(std::uint64_t seed) : m_state(seed) {}
  double Uniform() {  // [0, 1)
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<double>((z ^ (z >> 31)) >> 11) / 9007199254740992.0;
  }
  double Normal() {  // Box-Muller
    const double u = std::max(Uniform(), 1e-12), v = Uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }

private:
  std::uint64_t m_state;
};

}  // namespace

std::unique_ptr<bix::Image3d<unsigned short>> MakeSampleVolume() {
  const bix::Vector3d<unsigned> n(256, 256, 64);
  const bix::Vector3d<float> voxel(0.2f, 0.2f, 0.5f);  // microns
  const bix::Resolution res(bix::Vector3d<float>(1 / voxel.x, 1 / voxel.y, 1 / voxel.z));
  const bix::Vector3d<float> offset(0, 0, 0);
  auto image = std::make_unique<bix::Image3d<unsigned short>>(n, &offset, &res);
  std::vector<float> signal(image->GetVoxelCount(), 0.f);
  Random random(20261207);

  // Nuclei: ellipsoids of 2 to 4 microns radius, a soft edge (the optics'
  // blur, longer along z), brightness varying tenfold, a little texture.
  const int nuclei = 320;
  for (int k = 0; k < nuclei; ++k) {
    const double cx = random.Uniform() * n.x * voxel.x, cy = random.Uniform() * n.y * voxel.y;
    const double cz = (0.15 + 0.7 * random.Uniform()) * n.z * voxel.z;
    const double r = 2.0 + 2.0 * random.Uniform();
    const double rx = r * (0.8 + 0.4 * random.Uniform()), ry = r * (0.8 + 0.4 * random.Uniform());
    const double rz = r * 0.9;
    const double brightness = 300.0 + 2700.0 * std::pow(random.Uniform(), 2.0);
    const double blur = 0.6;  // microns in x and y; twice that along z
    const double reach = 1.0 + 3.0 * blur / r;
    const int x0 = std::max(0, static_cast<int>((cx - rx * reach) / voxel.x));
    const int x1 = std::min<int>(n.x - 1, static_cast<int>((cx + rx * reach) / voxel.x));
    const int y0 = std::max(0, static_cast<int>((cy - ry * reach) / voxel.y));
    const int y1 = std::min<int>(n.y - 1, static_cast<int>((cy + ry * reach) / voxel.y));
    const int z0 = std::max(0, static_cast<int>((cz - rz * reach * 1.5) / voxel.z));
    const int z1 = std::min<int>(n.z - 1, static_cast<int>((cz + rz * reach * 1.5) / voxel.z));
    for (int z = z0; z <= z1; ++z)
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
          const double dx = ((x + 0.5) * voxel.x - cx) / rx, dy = ((y + 0.5) * voxel.y - cy) / ry;
          const double dz = ((z + 0.5) * voxel.z - cz) / rz;
          const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
          const double edge = (d - 1.0) * r / (blur * (1.0 + std::fabs(dz)));
          const double inside = 1.0 / (1.0 + std::exp(4.0 * edge));
          const double texture = 1.0 + 0.15 * std::sin(7.0 * dx + 3.0) * std::cos(6.0 * dy - 1.0);
          signal[image->Index(x, y, z)] += static_cast<float>(brightness * inside * texture);
        }
  }

  // Background: a dim gradient plus camera offset; noise grows with signal.
  unsigned short* out = image->GetFirstVoxelAddr();
  for (unsigned z = 0; z < n.z; ++z)
    for (unsigned y = 0; y < n.y; ++y)
      for (unsigned x = 0; x < n.x; ++x) {
        const std::size_t i = image->Index(x, y, z);
        const double background = 100.0 + 60.0 * x / n.x + 40.0 * z / n.z;
        const double mean = background + signal[i];
        const double value = mean + std::sqrt(mean) * 1.5 * random.Normal();
        out[i] = static_cast<unsigned short>(std::clamp(value, 0.0, 65535.0));
      }
  return image;
}

}  // namespace orvview
