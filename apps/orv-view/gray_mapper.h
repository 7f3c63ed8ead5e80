#ifndef ORV_VIEW_GRAY_MAPPER_H
#define ORV_VIEW_GRAY_MAPPER_H

#include <orv/orv_mapper.h>

#include <bix/Image3d.h>

#include <vector>

namespace orvview {

// The application's own mapper: a linear gray ramp from the 0.1th to the
// 99.9th percentile of the image, so that a few hot voxels do not darken the
// picture.
class LinearGrayMapper : public orv::orv_Mapper<unsigned short> {
public:
  explicit LinearGrayMapper(const bix::Image3d<unsigned short>& image);
  void Map(const unsigned short* voxels,
           orv::Buffer2d<bix::RGB_generic<unsigned char>>& out) const override;

private:
  std::vector<unsigned char> m_table;  // one entry per 16-bit value
};

}  // namespace orvview

#endif
