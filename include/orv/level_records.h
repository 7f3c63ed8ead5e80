#ifndef ORV_LEVEL_RECORDS_H
#define ORV_LEVEL_RECORDS_H

#include <orv/orv_export.h>

#include <wx/event.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace orv {

// A float converted to T by truncation toward zero, first held inside T's
// range (a float outside it has no value of T to truncate to).
template <class T>
T TruncateTo(float value) {
  if constexpr (std::is_integral_v<T>) {
    if (std::isnan(value)) return T(0);
    const double low = static_cast<double>(std::numeric_limits<T>::lowest());
    const double high = static_cast<double>(std::numeric_limits<T>::max());
    return static_cast<T>(std::trunc(std::clamp(static_cast<double>(value), low, high)));
  } else {
    return static_cast<T>(value);
  }
}

// The levels of one channel: input values in_min..in_max are mapped through
// a gamma curve onto the output values out_min..out_max.
template <class T, class U>
struct TLevelsParams {
  T in_min{};
  T in_max{};
  double gamma = 1.0;
  U out_min{};
  U out_max{};

  TLevelsParams() = default;
  TLevelsParams(T inMin, T inMax, double g, U outMin, U outMax)
      : in_min(inMin), in_max(inMax), gamma(g), out_min(outMin), out_max(outMax) {}
  // From a preview's record: each limit truncated toward zero, the gamma copied.
  template <class A, class B, std::enable_if_t<std::is_same_v<A, float> && std::is_same_v<B, float>, int> = 0>
  explicit TLevelsParams(const TLevelsParams<A, B>& p)
      : in_min(TruncateTo<T>(p.in_min)),
        in_max(TruncateTo<T>(p.in_max)),
        gamma(p.gamma),
        out_min(TruncateTo<U>(p.out_min)),
        out_max(TruncateTo<U>(p.out_max)) {}

  bool operator==(const TLevelsParams& o) const {
    return in_min == o.in_min && in_max == o.in_max && gamma == o.gamma && out_min == o.out_min &&
           out_max == o.out_max;
  }
  bool operator!=(const TLevelsParams& o) const { return !(*this == o); }
};

// The lower and upper threshold of one channel.
template <class T>
struct ThresParams {
  T lower{};
  T upper{};

  bool operator==(const ThresParams& o) const { return lower == o.lower && upper == o.upper; }
  bool operator!=(const ThresParams& o) const { return !(*this == o); }
};

class orv_LevelsEvent;
class orv_ThresholdingEvent;
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_LEVELS_PREVIEW, orv_LevelsEvent);
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_THRESHOLDING_PREVIEW, orv_ThresholdingEvent);

// A levels record to preview on `channel` (0, 1, 2, or the "All" entry's
// index for every channel at once).
class ORV_EXPORT orv_LevelsEvent : public wxEvent {
public:
  orv_LevelsEvent(const TLevelsParams<float, float>& params = {}, int channel = 0)
      : wxEvent(0, orv_EVT_LEVELS_PREVIEW), m_params(params), m_channel(channel) {}
  const TLevelsParams<float, float>& GetParams() const { return m_params; }
  int GetChannel() const { return m_channel; }
  wxEvent* Clone() const override { return new orv_LevelsEvent(*this); }

private:
  TLevelsParams<float, float> m_params;
  int m_channel;
};

// Thresholds to preview on `channel`, as for orv_LevelsEvent.
class ORV_EXPORT orv_ThresholdingEvent : public wxEvent {
public:
  orv_ThresholdingEvent(float lower = 0, float upper = 0, int channel = 0)
      : wxEvent(0, orv_EVT_THRESHOLDING_PREVIEW), m_lower(lower), m_upper(upper), m_channel(channel) {}
  float GetLower() const { return m_lower; }
  float GetUpper() const { return m_upper; }
  int GetChannel() const { return m_channel; }
  wxEvent* Clone() const override { return new orv_ThresholdingEvent(*this); }

private:
  float m_lower, m_upper;
  int m_channel;
};

}  // namespace orv

#endif
