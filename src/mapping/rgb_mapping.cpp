#include <orv/rgb_mapping.h>

#include <orv/levels_dialog.h>
#include <orv/range_dialogs.h>
#include <orv/thresholding_dialog.h>

#include "mapping_support.h"
#include "packed_rgb.h"
#include "stretches.h"

#include <bix/Types.h>

#include <wx/frame.h>
#include <wx/log.h>
#include <wx/menu.h>

#include <algorithm>
#include <limits>

namespace orv {

namespace {

const char* const kChannelKey[3] = {"RED", "GREEN", "BLUE"};
const char* const kThresholdKey[3] = {"R", "G", "B"};

}  // namespace

template <class C>
orv_RGBMappingModule<C>::orv_RGBMappingModule(wxFrame* frame, const HistogramSet<Voxel>& histograms)
    : Base(frame, histograms, 0.001, 5), m_levels(3), m_thresholds(3) {
  for (int c = 0; c < 3; ++c) {
    const Histogram<C>& h = histograms.Get(c);
    m_rangeLow.GetComponent(c) = h.empty() ? C() : h.GetLeftCenter();
    m_rangeHigh.GetComponent(c) = h.empty() ? C() : h.GetRightCenter();
    m_levels[c] = Levels(m_rangeLow.GetComponent(c), m_rangeHigh.GetComponent(c), 1.0, 0, 255);
    m_thresholds[c] = ThresParams<C>{m_rangeLow.GetComponent(c), m_rangeHigh.GetComponent(c)};
  }
  ResetMapping();
}

template <class C>
void orv_RGBMappingModule<C>::RebuildDisplayTables() const {
  constexpr std::size_t count = static_cast<std::size_t>(std::numeric_limits<C>::max()) + 1;
  for (int c = 0; c < 3; ++c) {
    const Table& table = m_show[c] ? m_luts[c] : m_hidden;
    m_channelBytes[c].resize(count);
    for (std::size_t v = 0; v < count; ++v) m_channelBytes[c][v] = table.Get(static_cast<C>(v));
  }
  m_displayDirty = false;
}

template <class C>
void orv_RGBMappingModule<C>::Map(const Voxel* voxels, Buffer2d<bix::RGB8>& out) const {
  {
    const std::lock_guard<std::mutex> lock(m_displayLock);
    if (m_displayDirty) RebuildDisplayTables();
  }
  const unsigned char* red = m_channelBytes[0].data();
  const unsigned char* green = m_channelBytes[1].data();
  const unsigned char* blue = m_channelBytes[2].data();
  const std::size_t n = static_cast<std::size_t>(out.width) * out.height;
  WritePackedOnAllCores(n, out.data, [=](std::size_t i) {
    const Voxel& v = voxels[i];
    return PackRGB(red[v.red], green[v.green], blue[v.blue]);
  });
}

template <class C>
bool orv_RGBMappingModule<C>::HasData() const {
  for (int c = 0; c < 3; ++c)
    if (!this->m_histograms.Get(c).empty()) return true;
  return false;
}

template <class C>
Histogram<C> orv_RGBMappingModule<C>::RangeHistogram(int channel) const {
  Histogram<C> sub;
  sub.CreateSubHist(this->m_histograms.Get(channel), m_rangeLow.GetComponent(channel),
                    m_rangeHigh.GetComponent(channel));
  return sub;
}

template <class C>
void orv_RGBMappingModule<C>::UpdateChannelLUT(Table& table, const Levels& levels) {
  m_displayDirty = true;
  RunTableOperation([&] {
    table.CreateGamma(levels.in_min, levels.in_max, static_cast<float>(levels.gamma), levels.out_min,
                      levels.out_max);
  });
}

template <class C>
void orv_RGBMappingModule<C>::UpdateLUTs() {
  for (int c = 0; c < 3; ++c) UpdateChannelLUT(m_luts[c], m_levels[c]);
}

template <class C>
void orv_RGBMappingModule<C>::DoChannelThresholding(Table& table, const ThresParams<C>& thresholds, int channel) {
  // Thresholds spanning the channel's whole range leave it under its levels.
  if (thresholds.lower == m_rangeLow.GetComponent(channel) && thresholds.upper == m_rangeHigh.GetComponent(channel)) {
    UpdateChannelLUT(table, m_levels[channel]);
    return;
  }
  m_displayDirty = true;
  RunTableOperation([&] { table.CreateThresholding(thresholds.lower, thresholds.upper, 0, 255); });
}

template <class C>
void orv_RGBMappingModule<C>::DoThresholding() {
  for (int c = 0; c < 3; ++c) DoChannelThresholding(m_luts[c], m_thresholds[c], c);
}

template <class C>
void orv_RGBMappingModule<C>::ResetMapping() {
  constexpr C top = std::numeric_limits<C>::max();
  m_displayDirty = true;
  for (Table& table : m_luts) table.Init(static_cast<long>(top) + 1, 0, top);
  m_hidden.Init(static_cast<long>(top) + 1, 0, top);
  m_hidden.CreateAffine(0.0f, 0.0f, 0, 255);
  for (int c = 0; c < 3; ++c) {
    const C low = m_rangeLow.GetComponent(c), high = std::max(low, m_rangeHigh.GetComponent(c));
    for (C* value : {&m_levels[c].in_min, &m_levels[c].in_max, &m_thresholds[c].lower, &m_thresholds[c].upper})
      *value = std::clamp(*value, low, high);
  }
  if (this->RerunStretch()) return;
  if (this->m_stretchMode == Base::MENU_LEVELS)
    UpdateLUTs();
  else if (this->m_stretchMode == Base::MENU_THRESHOLD)
    DoThresholding();
}

template <class C>
void orv_RGBMappingModule<C>::SetIdentity() {
  for (int c = 0; c < 3; ++c) m_levels[c] = Levels(m_rangeLow.GetComponent(c), m_rangeHigh.GetComponent(c), 1.0, 0, 255);
  UpdateLUTs();
}

template <class C>
template <class Pick>
void orv_RGBMappingModule<C>::Stretch(const char* name, Pick pick) {
  for (int c = 0; c < 3; ++c) {
    const Histogram<C> sub = RangeHistogram(c);
    if (sub.empty()) continue;
    const auto [lo, hi] = pick(sub);
    m_levels[c] = Levels(lo, hi, 1.0, 0, 255);
    wxLogDebug("%s %d - %u %u", name, c, static_cast<unsigned>(lo), static_cast<unsigned>(hi));
  }
  UpdateLUTs();
}

template <class C>
void orv_RGBMappingModule<C>::SetLinearStretch() {
  Stretch("linear stretch", [](const Histogram<C>& sub) { return LinearStretchRange(sub); });
}

template <class C>
void orv_RGBMappingModule<C>::SetPercentilStretch() {
  const double p = this->m_percentil;
  Stretch("percentil stretch", [p](const Histogram<C>& sub) { return PercentilStretchRange(sub, p); });
}

template <class C>
void orv_RGBMappingModule<C>::SetSmartStretch() {
  const unsigned threshold = this->m_smartThres;
  Stretch("Smart stretch", [threshold](const Histogram<C>& sub) { return SmartStretchRange(sub, threshold); });
}

template <class C>
void orv_RGBMappingModule<C>::SetRange() {
  if (!HasData()) return;
  Voxel first, last;
  for (int c = 0; c < 3; ++c) {
    const Histogram<C>& h = this->m_histograms.Get(c);
    first.GetComponent(c) = h.empty() ? C() : h.GetLeftCenter();
    last.GetComponent(c) = h.empty() ? C() : h.GetRightCenter();
  }
  Voxel low = m_rangeLow, high = m_rangeHigh;
  SetRGBRangeDlg<C> dialog(this->m_frame, first, last, &low, &high);
  if (dialog.ShowModal() != wxID_OK) return;
  m_rangeLow = low;
  m_rangeHigh = high;
  ResetMapping();
}

template <class C>
void orv_RGBMappingModule<C>::SetBitdepth() {
  if (!HasData()) return;
  C lowest = 0, highest = std::numeric_limits<C>::max(), last = std::numeric_limits<C>::max();
  for (int c = 0; c < 3; ++c) {
    lowest = std::max(lowest, m_rangeLow.GetComponent(c));
    highest = std::min(highest, m_rangeHigh.GetComponent(c));
    const Histogram<C>& h = this->m_histograms.Get(c);
    if (!h.empty()) last = std::min(last, h.GetRightCenter());
  }
  const int bits = AskBitDepth(this->m_frame, lowest, highest, last);
  if (bits <= 0) return;
  const C top = static_cast<C>(BitDepthMaximum(bits));
  m_rangeHigh = Voxel(top, top, top);
  ResetMapping();
}

template <class C>
bool orv_RGBMappingModule<C>::SetBitdepth(int bits) {
  if (!HasData() || bits < 1 || bits > static_cast<int>(8 * sizeof(C))) return false;
  const double top = BitDepthMaximum(bits);
  for (int c = 0; c < 3; ++c)
    if (top < static_cast<double>(m_rangeLow.GetComponent(c))) return false;
  const C high = static_cast<C>(top);
  m_rangeHigh = Voxel(high, high, high);
  ResetMapping();
  return true;
}

template <class C>
void orv_RGBMappingModule<C>::OnHistogramChange(const HistogramSet<Voxel>& histograms) {
  this->m_histograms = histograms;
  for (int c = 0; c < 3; ++c) {
    const Histogram<C>& h = this->m_histograms.Get(c);
    if (h.empty()) continue;
    m_rangeLow.GetComponent(c) = std::max(m_rangeLow.GetComponent(c), h.GetLeftCenter());
    m_rangeHigh.GetComponent(c) = std::min(m_rangeHigh.GetComponent(c), h.GetRightCenter());
  }
  ResetMapping();
}

template <class C>
bool orv_RGBMappingModule<C>::SetLevelsStretch() {
  if (!HasData()) return false;
  Histogram<C> subs[3] = {RangeHistogram(0), RangeHistogram(1), RangeHistogram(2)};
  std::vector<Histogram<C>*> histograms{&subs[0], &subs[1], &subs[2]};
  if (!RunRecordDialog<LevelsWidget<C, unsigned char>>(this->m_frame, histograms, m_levels,
                                                       ChannelNames({"Red", "Green", "Blue"}), "Adjust Levels")) {
    ResetMapping();  // undoes the previews
    return false;
  }
  UpdateLUTs();
  return true;
}

template <class C>
bool orv_RGBMappingModule<C>::SetThreshold() {
  if (!HasData()) return false;
  Histogram<C> subs[3] = {RangeHistogram(0), RangeHistogram(1), RangeHistogram(2)};
  std::vector<Histogram<C>*> histograms{&subs[0], &subs[1], &subs[2]};
  if (!RunRecordDialog<ThresholdingDialog<C>>(this->m_frame, histograms, m_thresholds,
                                              ChannelNames({"Red", "Green", "Blue"}), "Adjust Thresholds")) {
    ResetMapping();
    return false;
  }
  DoThresholding();
  return true;
}

template <class C>
void orv_RGBMappingModule<C>::OnPreviewLevels(orv_LevelsEvent& event) {
  const Levels preview(event.GetParams());
  const int channel = event.GetChannel();
  for (int c = 0; c < 3; ++c)
    if (channel == 3 || channel == c) UpdateChannelLUT(m_luts[c], preview);
  this->SendMappingChanged(false);
}

template <class C>
void orv_RGBMappingModule<C>::OnPreviewThresholding(orv_ThresholdingEvent& event) {
  const ThresParams<C> preview{TruncateTo<C>(event.GetLower()), TruncateTo<C>(event.GetUpper())};
  const int channel = event.GetChannel();
  for (int c = 0; c < 3; ++c)
    if (channel == 3 || channel == c) DoChannelThresholding(m_luts[c], preview, c);
  this->SendMappingChanged(false);
}

template <class C>
wxMenu* orv_RGBMappingModule<C>::CreateMenu(int& lastId) {
  wxMenu* menu = Base::CreateMenu(lastId);
  const int b = this->GetMenuId(0);
  menu->Insert(1, b + Base::MENU_BITDEPTH, "Set bitdepth...", "Set \"real\" image bitdepth");
  menu->AppendSeparator();
  menu->Append(b + MENU_SHOW_RGB, "&Show RGB\tF5", "Show all three rgb channels");
  menu->AppendSeparator();
  menu->AppendCheckItem(b + MENU_RED, "&Red channel\tF6", "Show/hide red channel");
  menu->AppendCheckItem(b + MENU_GREEN, "&Green channel\tF7", "Show/hide green channel");
  menu->AppendCheckItem(b + MENU_BLUE, "&Blue channel\tF8", "Show/hide blue channel");
  this->Bind(wxEVT_UPDATE_UI, &orv_RGBMappingModule::OnUpdateUI, this, b + MENU_SHOW_RGB, b + MENU_BLUE);
  this->Bind(orv_EVT_LEVELS_PREVIEW, &orv_RGBMappingModule::OnPreviewLevels, this);
  this->Bind(orv_EVT_THRESHOLDING_PREVIEW, &orv_RGBMappingModule::OnPreviewThresholding, this);
  return menu;
}

template <class C>
void orv_RGBMappingModule<C>::OnMapping(wxCommandEvent& event) {
  Base::OnMapping(event);
  const int k = event.GetId() - this->GetMenuId(0);
  if (k == MENU_SHOW_RGB) std::fill(std::begin(m_show), std::end(m_show), true);
  if (k >= MENU_RED && k <= MENU_BLUE) m_show[k - MENU_RED] = event.IsChecked();
  m_displayDirty = true;
  this->FinishCommand(event);
}

template <class C>
void orv_RGBMappingModule<C>::OnUpdateUI(wxUpdateUIEvent& event) {
  const int k = event.GetId() - this->GetMenuId(0);
  event.Enable(HasData());
  if (k >= MENU_RED && k <= MENU_BLUE) event.Check(m_show[k - MENU_RED]);
  if (k == MENU_SHOW_RGB) event.Skip();
}

template <class C>
void orv_RGBMappingModule<C>::WriteToConfig(wxFileConfig& config) {
  config.Write("RGBMAP_STRETCH_MODE", this->m_stretchMode);
  config.Write("RGBMAP_PERCENTIL_VALUE", this->m_percentil);
  config.Write("RGBMAP_SMART_THRES", static_cast<long>(this->m_smartThres));
  for (int c = 0; c < 3; ++c)
    config.Write(wxString("RGBMAP_MIN_") + kChannelKey[c], static_cast<long>(m_rangeLow.GetComponent(c)));
  for (int c = 0; c < 3; ++c)
    config.Write(wxString("RGBMAP_MAX_") + kChannelKey[c], static_cast<long>(m_rangeHigh.GetComponent(c)));
  for (int c = 0; c < 3; ++c) config.Write(wxString("RGBMAP_SHOW_") + kChannelKey[c], m_show[c]);
  for (int c = 0; c < 3; ++c) {
    config.Write(wxString("RGBMAP_THRES_") + kThresholdKey[c] + "MIN", static_cast<long>(m_thresholds[c].lower));
    config.Write(wxString("RGBMAP_THRES_") + kThresholdKey[c] + "MAX", static_cast<long>(m_thresholds[c].upper));
  }
  WriteLevelsToConfig(config);
}

template <class C>
void orv_RGBMappingModule<C>::ReadFromConfig(wxFileConfig& config) {
  constexpr long top = std::numeric_limits<C>::max();
  int mode = Base::MENU_NO_STRETCH;
  config.Read("RGBMAP_STRETCH_MODE", &mode, Base::MENU_NO_STRETCH);
  // A mode that names no stretch would leave the tables unbuilt.
  this->m_stretchMode = (mode >= Base::MENU_NO_STRETCH && mode <= Base::MENU_THRESHOLD) ? mode : Base::MENU_NO_STRETCH;
  config.Read("RGBMAP_PERCENTIL_VALUE", &this->m_percentil, 0.001);
  long smart = 5;
  config.Read("RGBMAP_SMART_THRES", &smart, 5L);
  this->m_smartThres = static_cast<unsigned>(smart);
  auto readChannel = [&](const wxString& key, long fallback) {
    long value = fallback;
    config.Read(key, &value, fallback);
    return static_cast<C>(value);  // the low 8 or 16 bits
  };
  for (int c = 0; c < 3; ++c) m_rangeLow.GetComponent(c) = readChannel(wxString("RGBMAP_MIN_") + kChannelKey[c], 0);
  for (int c = 0; c < 3; ++c) m_rangeHigh.GetComponent(c) = readChannel(wxString("RGBMAP_MAX_") + kChannelKey[c], top);
  for (int c = 0; c < 3; ++c) config.Read(wxString("RGBMAP_SHOW_") + kChannelKey[c], &m_show[c], true);
  m_displayDirty = true;
  for (int c = 0; c < 3; ++c) {
    m_thresholds[c].lower = readChannel(wxString("RGBMAP_THRES_") + kThresholdKey[c] + "MIN", 0);
    m_thresholds[c].upper = readChannel(wxString("RGBMAP_THRES_") + kThresholdKey[c] + "MAX", top);
  }
  if (this->m_menu && this->m_frame && this->m_frame->GetMenuBar()) {
    wxMenuBar* bar = this->m_frame->GetMenuBar();
    const int b = this->GetMenuId(0);
    for (int k = Base::MENU_NO_STRETCH; k <= Base::MENU_THRESHOLD; ++k)
      if (bar->FindItem(b + k)) bar->Check(b + k, k == this->m_stretchMode);
    for (int c = 0; c < 3; ++c)
      if (bar->FindItem(b + MENU_RED + c)) bar->Check(b + MENU_RED + c, m_show[c]);
  }
  ReadLevelsFromConfig(config);
}

template <class C>
void orv_RGBMappingModule<C>::WriteLevelsToConfig(wxFileConfig& config) {
  for (int c = 0; c < 3; ++c) {
    const wxString channel = kChannelKey[c];
    config.Write("RGBMAP_LEVELS_IMIN_" + channel, static_cast<long>(m_levels[c].in_min));
    config.Write("RGBMAP_LEVELS_IMAX_" + channel, static_cast<long>(m_levels[c].in_max));
    config.Write("RGBMAP_LEVELS_IGAMMA_" + channel, m_levels[c].gamma);
    config.Write("RGBMAP_LEVELS_OMIN_" + channel, static_cast<long>(m_levels[c].out_min));
    config.Write("RGBMAP_LEVELS_OMAX_" + channel, static_cast<long>(m_levels[c].out_max));
  }
}

template <class C>
void orv_RGBMappingModule<C>::ReadLevelsFromConfig(wxFileConfig& config) {
  constexpr long top = std::numeric_limits<C>::max();
  for (int c = 0; c < 3; ++c) {
    const wxString channel = kChannelKey[c];
    long value = 0;
    config.Read("RGBMAP_LEVELS_IMIN_" + channel, &value, 0L);
    m_levels[c].in_min = static_cast<C>(value);
    config.Read("RGBMAP_LEVELS_IMAX_" + channel, &value, top);
    m_levels[c].in_max = static_cast<C>(value);
    config.Read("RGBMAP_LEVELS_IGAMMA_" + channel, &m_levels[c].gamma, 1.0);
    config.Read("RGBMAP_LEVELS_OMIN_" + channel, &value, 0L);
    m_levels[c].out_min = static_cast<unsigned char>(value);
    config.Read("RGBMAP_LEVELS_OMAX_" + channel, &value, 255L);
    m_levels[c].out_max = static_cast<unsigned char>(value);
  }
}

// The module takes the component type of the colour voxels it maps.
#define ORV_INSTANTIATE_RGB_MAPPING_MODULE(T) template class orv_RGBMappingModule<T::component_type>;
BIX_FOR_EACH_RGB_TYPE(ORV_INSTANTIATE_RGB_MAPPING_MODULE)

}  // namespace orv
