#ifndef ORV_TESTS_TEST_MAPPERS_H
#define ORV_TESTS_TEST_MAPPERS_H

// Mappers whose colours the tests know by heart.

#include <orv/orv_mapper.h>

#include <cstddef>

namespace orvtest {

// Value v shows as the gray (v, v, v); counts its calls.
class GrayMapper : public orv::orv_Mapper<unsigned char> {
public:
  using RGB8 = bix::RGB_generic<unsigned char>;
  void Map(const unsigned char* v, orv::Buffer2d<RGB8>& out) const override {
    ++calls;
    for (std::size_t i = 0; i < static_cast<std::size_t>(out.width) * out.height; ++i) out.data[i] = RGB8(v[i], v[i], v[i]);
  }
  mutable int calls = 0;
};

}  // namespace orvtest

#endif
