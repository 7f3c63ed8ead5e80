// Writes a synthetic 16-bit OME-Zarr stack of any size with its pyramid,
// chunk by chunk, without holding it in memory: a microscope-like
// background (a ramp with noise) and bright round cells on a 64-voxel grid.
// With "labels" it also writes the cells' segmentation, each cell its own
// label, as the store's label image "labels/cells". Used by
// bench/make_lazy_datasets.sh for the lazy-viewer benchmarks.
//
//   orv_make_zarr_stack OUT.zarr X Y Z [VOXEL_MICRONS] [CNAME] [labels]

#include <bix/ChunkedImage.h>
#include <bix/OmeZarr.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

class SyntheticStack : public bix::ChunkedImage {
public:
  static std::shared_ptr<SyntheticStack> Make(const bix::Vector3d<unsigned>& size, float voxel, bool labels) {
    bix::ChunkLevel l;
    l.size = size;
    l.chunk = bix::Vector3d<unsigned>(64, 64, 64);
    l.voxelSize = bix::Vector3d<float>(voxel, voxel, voxel);
    l.offset = bix::Vector3d<float>(0, 0, 0);
    return std::shared_ptr<SyntheticStack>(new SyntheticStack({l}, labels));
  }

protected:
  void DecodeChunk(const bix::ChunkKey& key, std::vector<unsigned char>& out) const override {
    const bix::ChunkLevel& l = Level(0);
    out.resize(std::size_t(l.chunk.x) * l.chunk.y * l.chunk.z * 2);
    auto* v = reinterpret_cast<unsigned short*>(out.data());
    for (unsigned z = 0; z < l.chunk.z; ++z)
      for (unsigned y = 0; y < l.chunk.y; ++y) {
        const unsigned gz = key.k * l.chunk.z + z, gy = key.j * l.chunk.y + y;
        for (unsigned x = 0; x < l.chunk.x; ++x) {
          const unsigned gx = key.i * l.chunk.x + x;
          std::uint32_t h = gx * 73856093u ^ gy * 19349663u ^ gz * 83492791u;
          h = (h ^ (h >> 13)) * 0x5bd1e995u;
          const int dx = int(gx & 63) - 32, dy = int(gy & 63) - 32, dz = int(gz & 63) - 32;
          const bool cell = dx * dx + dy * dy + dz * dz < 400;
          if (m_labels)
            *v++ = cell ? static_cast<unsigned short>(1 + (gx / 64 + (gy / 64 + gz / 64 * 64) * 64) % 65000) : 0;
          else
            *v++ = static_cast<unsigned short>(1000 + ((gx + gy + 2 * gz) & 1023) + (h >> 26) + (cell ? 2000 : 0));
        }
      }
  }

private:
  SyntheticStack(std::vector<bix::ChunkLevel> levels, bool labels)
      : bix::ChunkedImage("synthetic", bix::VOXEL_USHORT, std::move(levels), 1, 1), m_labels(labels) {}
  bool m_labels;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s OUT.zarr X Y Z [VOXEL_MICRONS] [CNAME] [labels]\n", argv[0]);
    return 2;
  }
  const bix::Vector3d<unsigned> size(std::strtoul(argv[2], nullptr, 10), std::strtoul(argv[3], nullptr, 10),
                                     std::strtoul(argv[4], nullptr, 10));
  const float voxel = argc > 5 ? std::strtof(argv[5], nullptr) : 0.2f;
  bix::OmeZarrWriteOptions options;
  if (argc > 6) options.cname = argv[6];
  try {
    bix::WriteOmeZarr(*SyntheticStack::Make(size, voxel, false), 0, 0, 0, argv[1], options);
    if (argc > 7 && std::string(argv[7]) == "labels") {
      options.labels = true;
      bix::WriteOmeZarr(*SyntheticStack::Make(size, voxel, true), 0, 0, 0, std::string(argv[1]) + "/labels/cells",
                        options);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
