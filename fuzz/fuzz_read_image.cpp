// libFuzzer target for one image file reader, chosen by the file name
// extension it is compiled with (FUZZ_EXTENSION: ".tiff", ".ics" or ".bix").
// Arbitrary bytes must never crash, hang or allocate absurdly: reading either
// raises bix::IOException or gives an image whose size matches its voxels.
// The reader is driven as a host drives it: ReadImageType, then ReadImage
// for that type.

#include "fuzz_input_file.h"

#include <bix/ImageIO.h>
#include <bix/bix.h>

#include <cstdint>
#include <string>

namespace {

template <class T>
void Read(const std::string& path) {
  bix::Image3d<T> image;
  bix::ReadImage(path, image, [](double fraction) { return fraction >= 0 && fraction <= 1; });
  const bix::Vector3d<unsigned>& s = image.GetSize();
  if (image.GetVoxelCount() != std::size_t(s.x) * s.y * s.z || image.IsEmpty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzInputFile file(FUZZ_EXTENSION);
  const std::string& path = file.Write(data, size);
  try {
    switch (bix::ReadImageType(path)) {
      case bix::VOXEL_UCHAR: Read<unsigned char>(path); break;
      case bix::VOXEL_USHORT: Read<unsigned short>(path); break;
      case bix::VOXEL_INT: Read<int>(path); break;
      case bix::VOXEL_FLOAT: Read<float>(path); break;
      case bix::VOXEL_RGB8: Read<bix::RGB_generic<unsigned char>>(path); break;
      case bix::VOXEL_RGB16: Read<bix::RGB_generic<unsigned short>>(path); break;
    }
  } catch (const bix::IOException&) {
    // Refusing bad input with a message is the expected outcome.
  }
  return 0;
}
