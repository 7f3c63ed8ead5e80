#ifndef ORV_CHANNEL_MAPPER_H
#define ORV_CHANNEL_MAPPER_H

#include <orv/gray_mapping.h>
#include <orv/orv_export.h>
#include <orv/orv_mapper.h>

#include <bix/RGB.h>

#include <wx/colour.h>
#include <wx/string.h>

namespace orv {

// How one channel of a multi-channel image is shown.
struct ORV_EXPORT orv_ChannelStyle {
  wxString name;  // empty: "C1", "C2"... by its place
  wxColour colour;
  bool visible = true;
};

// The colour channel `c` (from 0) is shown in when its file gives none:
// green, magenta, cyan, yellow, red, blue, then saturated hues halfway
// between those given before (30, 90, ... 330 degrees, then 15, 45, ...).
ORV_EXPORT bix::RGB8 orv_DefaultChannelColour(unsigned c);

// A channel's mapper: its gray mapping (stretches, levels, thresholds),
// whose intensity is shown in the channel's colour (black to the colour),
// or through the palette the mapping chose when that is not the gray one;
// black when the channel is hidden. The canvas adds the channels' colours.
template <class T>
class ORV_EXPORT orv_ChannelMapper : public orv_Mapper<T> {
public:
  orv_ChannelMapper(const orv_GrayMappingModule<T>& mapping, const bix::RGB8& colour, bool visible = true);

  void Map(const T* voxels, Buffer2d<bix::RGB8>& out) const override;

  const orv_GrayMappingModule<T>& GetMapping() const { return m_mapping; }
  bix::RGB8 GetColour() const { return m_colour; }
  void SetColour(const bix::RGB8& colour);
  bool IsVisible() const { return m_visible; }
  void SetVisible(bool visible) { m_visible = visible; }

private:
  const orv_GrayMappingModule<T>& m_mapping;
  bix::RGB8 m_colour;
  bool m_visible;
  // Intensity i shown as (i * colour + 127) / 255 per component.
  unsigned char m_tint[3][256];
};

}  // namespace orv

#endif
