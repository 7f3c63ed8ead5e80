#include "StoredType.h"

#include "IOError.h"

namespace bix::io {

std::size_t SampleBytes(Numeric numeric) {
  switch (numeric) {
    case NUM_U8: case NUM_S8: return 1;
    case NUM_U16: case NUM_S16: return 2;
    default: return 4;
  }
}

bool IsSigned(Numeric numeric) {
  return numeric == NUM_S8 || numeric == NUM_S16 || numeric == NUM_S32 || numeric == NUM_F32;
}

std::string Describe(const StoredType& type) {
  const std::string bits = std::to_string(8 * SampleBytes(type.numeric)) + "-bit ";
  const std::string kind =
      type.numeric == NUM_F32 ? "float" : (IsSigned(type.numeric) ? "signed" : "unsigned");
  if (type.channels != 3) return bits + kind;
  return bits + (kind == "unsigned" ? "RGB" : kind + " RGB");
}

VoxelType NaturalVoxelType(const StoredType& type, const std::string& name) {
  if (type.channels == 3) {
    if (type.numeric == NUM_U8) return VOXEL_RGB8;
    if (type.numeric == NUM_U16) return VOXEL_RGB16;
  } else if (type.channels == 1) {
    switch (type.numeric) {
      case NUM_U8: return VOXEL_UCHAR;
      case NUM_U16: return VOXEL_USHORT;
      case NUM_F32: return VOXEL_FLOAT;
      default: return VOXEL_INT;
    }
  }
  Fail(name, Describe(type) + " voxels (" + std::to_string(type.channels) +
                 " channels) are not supported; RGB must have 8 or 16-bit unsigned samples");
}

}  // namespace bix::io
