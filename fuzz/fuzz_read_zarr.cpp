// libFuzzer target for the OME-Zarr reader. One input is a whole store:
// the group's ".zattrs", the level's ".zarray" and one chunk's bytes,
// separated by NUL bytes. Whatever they hold, reading must never crash, hang
// or allocate absurdly: it raises bix::IOException (or LibException), or
// gives an image whose size matches its voxels.

#include <bix/ImageIO.h>
#include <bix/OmeZarr.h>
#include <bix/bix.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& bytes) {
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

// The store of this process, removed when it ends.
struct Store {
  fs::path root = fs::temp_directory_path() / ("bixfuzz-" + std::to_string(::getpid()) + ".zarr");
  Store() {
    fs::create_directories(root / "0" / "0" / "0");
    // Reading may take at most this much memory for a level.
    bix::SharedChunkCache().SetBudget(64u << 20);
  }
  ~Store() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

template <class T>
void Read(const std::string& path) {
  bix::Image3d<T> image;
  bix::ReadImage(path, image);
  const bix::Vector3d<unsigned>& s = image.GetSize();
  if (image.GetVoxelCount() != std::size_t(s.x) * s.y * s.z || image.IsEmpty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Store store;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t first = input.find('\0');
  const std::size_t second = first == std::string::npos ? first : input.find('\0', first + 1);
  WriteFile(store.root / ".zattrs", input.substr(0, first));
  WriteFile(store.root / "0" / ".zarray", first == std::string::npos ? "" : input.substr(first + 1, second - first - 1));
  const std::string chunk = second == std::string::npos ? "" : input.substr(second + 1);
  WriteFile(store.root / "0" / "0.0.0", chunk);
  WriteFile(store.root / "0" / "0" / "0" / "0", chunk);
  try {
    switch (bix::ReadImageType(store.root)) {
      case bix::VOXEL_UCHAR: Read<unsigned char>(store.root); break;
      case bix::VOXEL_USHORT: Read<unsigned short>(store.root); break;
      case bix::VOXEL_INT: Read<int>(store.root); break;
      case bix::VOXEL_FLOAT: Read<float>(store.root); break;
      default: break;
    }
  } catch (const bix::IOException&) {
  } catch (const bix::LibException&) {
  }
  return 0;
}
