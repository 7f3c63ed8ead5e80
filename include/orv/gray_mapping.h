#ifndef ORV_GRAY_MAPPING_H
#define ORV_GRAY_MAPPING_H

#include <orv/level_records.h>
#include <orv/mapping_module.h>

#include <bix/LUT.h>

#include <cstdint>
#include <mutex>
#include <type_traits>
#include <vector>

namespace orv {

// The mapping module of gray images (T = unsigned char, unsigned short, int,
// float): each voxel goes through an intensity table to an 8-bit intensity,
// shown as gray or through a 256-colour palette. The table is rebuilt from
// the value range and the levels or thresholds record.
template <class T>
class ORV_EXPORT orv_GrayMappingModule : public orv_MappingModule<T> {
public:
  using Base = orv_MappingModule<T>;
  using Colour = bix::RGB8;
  using Levels = TLevelsParams<T, unsigned char>;
  // Menu offsets of the palette items; the palette modes are these offsets.
  enum { MENU_GRAY = 8, MENU_SATURATION = 9, MENU_LABELS = 10, MENU_PERIODIC = 11, MENU_PALETTE_FILE = 12 };

  orv_GrayMappingModule(wxFrame* frame, const HistogramSet<T>& histograms);

  void Map(const T* voxels, Buffer2d<Colour>& out) const override;
  wxMenu* CreateMenu(int& lastId) override;

  void SetRange() override;
  void SetBitdepth() override;
  // Sets the range's high end to 2^bits - 1 and remaps, as "Set bitdepth..."
  // does when answered with `bits`. False, changing nothing, for a depth the
  // dialog would not offer (below the range's low end, above the data type).
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
  void OnHistogramChange(const HistogramSet<T>& histograms) override;
  void ResetMapping() override;
  bool HasData() const override;

  void OnMapping(wxCommandEvent& event) override;
  void OnUpdateUI(wxUpdateUIEvent& event);
  void OnPreviewLevels(orv_LevelsEvent& event);
  void OnPreviewThresholding(orv_ThresholdingEvent& event);

  T GetRangeLow() const { return m_rangeLow; }
  T GetRangeHigh() const { return m_rangeHigh; }
  const Levels& GetLevels() const { return m_levels; }
  const ThresParams<T>& GetThresholds() const { return m_thresholds; }
  int GetPaletteMode() const { return m_paletteMode; }
  const bix::LUT<T, unsigned char>& GetIntensityLUT() const { return m_lut; }
  const bix::LUT<unsigned char, Colour>& GetPaletteLUT() const { return m_palette; }

private:
  // Rebuild the intensity table from a levels record or two thresholds
  // (the module's own, or a dialog's preview, which is not stored).
  void ApplyLevels(const Levels& levels);
  void ApplyThresholds(T lower, T upper);
  void UpdateLUT();
  void DoThresholding();
  // Rebuilds the table of the mode in force (after a cancelled dialog's previews).
  void RestoreMapping();
  void SetPal(const std::vector<Colour>& colours);
  // The histogram of the values within the range.
  Histogram<T> RangeHistogram() const;
  void LogNotImplemented(const char* operation) const;
  // The display tables follow the intensity table, the palette and the
  // palette mode; every change of those marks them for rebuilding.
  void RebuildDisplayTables() const;

  T m_rangeLow;
  T m_rangeHigh;
  int m_paletteMode = MENU_GRAY;
  bix::LUT<T, unsigned char> m_lut;
  bix::LUT<unsigned char, Colour> m_palette;
  Levels m_levels;
  ThresParams<T> m_thresholds;
  // Map runs on several threads at once (the volume texture maps its slices
  // in parallel): the first to find the tables stale rebuilds them.
  mutable std::mutex m_displayLock;
  mutable bool m_displayDirty = true;
  mutable std::uint32_t m_colours[256] = {};      // intensity to packed colour
  mutable std::vector<unsigned char> m_voxelIntensity;  // 16-bit voxel value to intensity
  mutable std::uint32_t m_byteColours[256] = {};       // 8-bit voxel value to packed colour
};

}  // namespace orv

#endif
