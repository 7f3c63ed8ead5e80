#ifndef BIX_IO_STOREDTYPE_H
#define BIX_IO_STOREDTYPE_H

#include <bix/ImageIO.h>
#include <bix/RGB.h>

#include <cstddef>
#include <string>

namespace bix::io {

// The numeric type of one sample (one channel of one voxel) in a file.
enum Numeric { NUM_U8, NUM_S8, NUM_U16, NUM_S16, NUM_U32, NUM_S32, NUM_F32 };

// What a file stores per voxel: `channels` samples (1 grey, 3 RGB) of one
// numeric type, interleaved.
struct StoredType {
  Numeric numeric = NUM_U8;
  unsigned channels = 1;

  friend bool operator==(const StoredType& a, const StoredType& b) {
    return a.numeric == b.numeric && a.channels == b.channels;
  }
  friend bool operator!=(const StoredType& a, const StoredType& b) { return !(a == b); }
};

std::size_t SampleBytes(Numeric numeric);
inline std::size_t VoxelBytes(const StoredType& t) { return SampleBytes(t.numeric) * t.channels; }
bool IsSigned(Numeric numeric);
// "16-bit unsigned", "32-bit float", "8-bit RGB"...
std::string Describe(const StoredType& type);

// The voxel type a stored type reads as by default: 8/16-bit signed and
// 32-bit unsigned integers read as int (the nearest type that holds them; a
// 32-bit unsigned value above INT_MAX is refused when read). Raises
// IOException for combinations no voxel type holds (RGB of 32-bit samples).
VoxelType NaturalVoxelType(const StoredType& type, const std::string& name);

// The stored type each voxel type is written as, and the type's name.
template <class T> struct StoredTypeOf;
#define BIX_STORED_TYPE(T, NUMERIC, CHANNELS)             \
  template <> struct StoredTypeOf<T> {                    \
    static constexpr StoredType value{NUMERIC, CHANNELS}; \
    static constexpr const char* name = #T;               \
  };
BIX_STORED_TYPE(unsigned char, NUM_U8, 1)
BIX_STORED_TYPE(unsigned short, NUM_U16, 1)
BIX_STORED_TYPE(int, NUM_S32, 1)
BIX_STORED_TYPE(unsigned int, NUM_U32, 1)
BIX_STORED_TYPE(float, NUM_F32, 1)
BIX_STORED_TYPE(RGB_generic<unsigned char>, NUM_U8, 3)
BIX_STORED_TYPE(RGB_generic<unsigned short>, NUM_U16, 3)
#undef BIX_STORED_TYPE

}  // namespace bix::io

#endif
