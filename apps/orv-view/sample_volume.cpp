#include "sample_volume.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

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

// One nucleus: an ellipsoid (centre and radii in microns) of a brightness.
struct Nucleus {
  double cx, cy, cz, r, rx, ry, rz, brightness;
};

const bix::Vector3d<unsigned> kSize(256, 256, 64);
const bix::Vector3d<float> kVoxel(0.2f, 0.2f, 0.5f);  // microns
constexpr std::uint64_t kSeed = 20261207;
constexpr double kBlur = 0.6;  // microns in x and y; twice that along z

// Nuclei of 2 to 4 microns radius, brightness varying tenfold.
std::vector<Nucleus> DrawNuclei(Random& random) {
  std::vector<Nucleus> nuclei(320);
  for (Nucleus& k : nuclei) {
    k.cx = random.Uniform() * kSize.x * kVoxel.x;
    k.cy = random.Uniform() * kSize.y * kVoxel.y;
    k.cz = (0.15 + 0.7 * random.Uniform()) * kSize.z * kVoxel.z;
    k.r = 2.0 + 2.0 * random.Uniform();
    k.rx = k.r * (0.8 + 0.4 * random.Uniform());
    k.ry = k.r * (0.8 + 0.4 * random.Uniform());
    k.rz = k.r * 0.9;
    k.brightness = 300.0 + 2700.0 * std::pow(random.Uniform(), 2.0);
  }
  return nuclei;
}

// Calls visit(index, light, inside) for every voxel a nucleus lights: its
// light there (a soft edge for the optics' blur, longer along z, and a
// little texture) and whether the voxel centre lies in its ellipsoid.
template <class Visit>
void LightNucleus(const Nucleus& k, const bix::Image3d<unsigned short>& grid, Visit visit) {
  const double reach = 1.0 + 3.0 * kBlur / k.r;
  const int x0 = std::max(0, static_cast<int>((k.cx - k.rx * reach) / kVoxel.x));
  const int x1 = std::min<int>(kSize.x - 1, static_cast<int>((k.cx + k.rx * reach) / kVoxel.x));
  const int y0 = std::max(0, static_cast<int>((k.cy - k.ry * reach) / kVoxel.y));
  const int y1 = std::min<int>(kSize.y - 1, static_cast<int>((k.cy + k.ry * reach) / kVoxel.y));
  const int z0 = std::max(0, static_cast<int>((k.cz - k.rz * reach * 1.5) / kVoxel.z));
  const int z1 = std::min<int>(kSize.z - 1, static_cast<int>((k.cz + k.rz * reach * 1.5) / kVoxel.z));
  for (int z = z0; z <= z1; ++z)
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const double dx = ((x + 0.5) * kVoxel.x - k.cx) / k.rx, dy = ((y + 0.5) * kVoxel.y - k.cy) / k.ry;
        const double dz = ((z + 0.5) * kVoxel.z - k.cz) / k.rz;
        const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
        const double edge = (d - 1.0) * k.r / (kBlur * (1.0 + std::fabs(dz)));
        const double inside = 1.0 / (1.0 + std::exp(4.0 * edge));
        const double texture = 1.0 + 0.15 * std::sin(7.0 * dx + 3.0) * std::cos(6.0 * dy - 1.0);
        visit(grid.Index(x, y, z), k.brightness * inside * texture, d <= 1.0);
      }
}

template <class T>
std::unique_ptr<T> MakeSampleGrid() {
  const bix::Resolution res(bix::Vector3d<float>(1 / kVoxel.x, 1 / kVoxel.y, 1 / kVoxel.z));
  const bix::Vector3d<float> offset(0, 0, 0);
  return std::make_unique<T>(kSize, &offset, &res);
}

}  // namespace

SampleStack MakeSampleStack(bool withLabels) {
  SampleStack sample;
  sample.image = MakeSampleGrid<bix::Image3d<unsigned short>>();
  bix::Image3d<unsigned short>& image = *sample.image;
  std::vector<float> signal(image.GetVoxelCount(), 0.f);
  // Labels: the nucleus that gives each voxel inside it the most light.
  std::vector<float> strongest;
  unsigned short* label = nullptr;
  if (withLabels) {
    sample.labels = MakeSampleGrid<bix::LabeledImage3d<unsigned short, bool>>();
    strongest.assign(image.GetVoxelCount(), 0.f);
    label = sample.labels->GetFirstVoxelAddr();
  }
  Random random(kSeed);
  const std::vector<Nucleus> nuclei = DrawNuclei(random);
  for (std::size_t k = 0; k < nuclei.size(); ++k)
    LightNucleus(nuclei[k], image, [&](std::size_t i, double light, bool inside) {
      signal[i] += static_cast<float>(light);
      if (!label || !inside || static_cast<float>(light) <= strongest[i]) return;
      strongest[i] = static_cast<float>(light);
      label[i] = static_cast<unsigned short>(k + 1);
    });
  if (sample.labels) sample.labels->UpdateComponents();

  // Background: a dim gradient plus camera offset; noise grows with signal.
  const bix::Vector3d<unsigned>& n = kSize;
  unsigned short* out = image.GetFirstVoxelAddr();
  for (unsigned z = 0; z < n.z; ++z)
    for (unsigned y = 0; y < n.y; ++y)
      for (unsigned x = 0; x < n.x; ++x) {
        const std::size_t i = image.Index(x, y, z);
        const double background = 100.0 + 60.0 * x / n.x + 40.0 * z / n.z;
        const double mean = background + signal[i];
        const double value = mean + std::sqrt(mean) * 1.5 * random.Normal();
        out[i] = static_cast<unsigned short>(std::clamp(value, 0.0, 65535.0));
      }
  return sample;
}

std::unique_ptr<bix::Image3d<unsigned short>> MakeSampleVolume() { return MakeSampleStack(false).image; }

std::unique_ptr<bix::LabeledImage3d<unsigned short, bool>> MakeSampleLabels() { return MakeSampleStack(true).labels; }

}  // namespace orvview
