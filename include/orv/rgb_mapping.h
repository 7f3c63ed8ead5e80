#ifndef ORV_RGB_MAPPING_H
#define ORV_RGB_MAPPING_H

#include <orv/level_records.h>
#include <orv/mapping_module.h>

#include <bix/LUT.h>
#include <bix/RGB.h>

#include <vector>
#include <mutex>

namespace orv {

// The mapping module of RGB images (channel type C = unsigned char or
// unsigned short): each channel goes through its own table to an 8-bit
// channel of the screen pixel, with its own range, levels and thresholds;
// channels can be hidden one by one. Its settings are kept in a
// configuration file under the RGBMAP_* keys.
template <class C>
class ORV_EXPORT orv_RGBMappingModule : public orv_MappingModule<bix::RGB_generic<C>> {
public:
  using Voxel = bix::RGB_generic<C>;
  using Base = orv_MappingModule<Voxel>;
  using Levels = TLevelsParams<C, unsigned char>;
  using Table = bix::LUT<C, unsigned char>;
  enum { MENU_SHOW_RGB = 13, MENU_RED = 14, MENU_GREEN = 15, MENU_BLUE = 16 };

  orv_RGBMappingModule(wxFrame* frame, const HistogramSet<Voxel>& histograms);

  void Map(const Voxel* voxels, Buffer2d<bix::RGB8>& out) const override;
  wxMenu* CreateMenu(int& lastId) override;

  void SetRange() override;
  void SetBitdepth() override;
  // Sets every channel's range high end to 2^bits - 1 and remaps, as "Set
  // bitdepth..." does when answered with `bits`. False, changing nothing, for
  // a depth beyond the channel type or below a channel's range low end.
  bool SetBitdepth(int bits);
  void SetIdentity() override;
  void SetLinearStretch() override;
  void SetSmartStretch() override;
  void SetPercentilStretch() override;
  bool SetLevelsStretch() override;
  bool SetThreshold() override;
  void ReadFromConfig(wxFileConfig& config) override;
  void WriteToConfig(wxFileConfig& config) override;
  void ReadLevelsFromConfig(wxFileConfig& config) override;
  void WriteLevelsToConfig(wxFileConfig& config) override;
  void OnHistogramChange(const HistogramSet<Voxel>& histograms) override;
  void ResetMapping() override;
  bool HasData() const override;

  void OnMapping(wxCommandEvent& event) override;
  void OnUpdateUI(wxUpdateUIEvent& event);
  void OnPreviewLevels(orv_LevelsEvent& event);
  void OnPreviewThresholding(orv_ThresholdingEvent& event);

  const Voxel& GetRangeLow() const { return m_rangeLow; }
  const Voxel& GetRangeHigh() const { return m_rangeHigh; }
  bool IsChannelShown(int channel) const { return m_show[channel]; }
  const std::vector<Levels>& GetLevels() const { return m_levels; }
  const std::vector<ThresParams<C>>& GetThresholds() const { return m_thresholds; }
  const Table& GetChannelLUT(int channel) const { return m_luts[channel]; }

private:
  void UpdateLUTs();
  void UpdateChannelLUT(Table& table, const Levels& levels);
  void DoThresholding();
  void DoChannelThresholding(Table& table, const ThresParams<C>& thresholds, int channel);
  // Channel c's histogram of the values within its range.
  Histogram<C> RangeHistogram(int channel) const;
  // Sets every channel's levels to the range a stretch picks from its
  // histogram, then rebuilds the tables.
  template <class Pick>
  void Stretch(const char* name, Pick pick);
  // Per channel, the displayed byte of every channel value (0 for a hidden
  // channel); rebuilt after any change of the tables or the show flags.
  void RebuildDisplayTables() const;

  Voxel m_rangeLow;
  Voxel m_rangeHigh;
  bool m_show[3] = {true, true, true};
  std::vector<Levels> m_levels;
  std::vector<ThresParams<C>> m_thresholds;
  Table m_luts[3];
  Table m_hidden;
  // Map runs on several threads at once (the volume texture maps its slices
  // in parallel): the first to find the tables stale rebuilds them.
  mutable std::mutex m_displayLock;
  mutable bool m_displayDirty = true;
  mutable std::vector<unsigned char> m_channelBytes[3];
};

}  // namespace orv

#endif
