#include <orv/orv_factory.h>

#include <orv/orv_imagecanvas.h>

#include "level_reading.h"
#include "series_saving.h"
#include "time_point_cache.h"

#include <bix/Exceptions.h>
#include <bix/Types.h>

#include <wx/log.h>

namespace orv {

namespace {

// Time points of an image in memory, or the held levels of a chunked
// image's time points: the canvas shows one, the cache holds those read
// ahead or shown before. A chunked canvas's cuts move to a new time point
// at once, from its chunks; its held level follows when read.
template <class T>
class HeldTimePoints : public orv_TimeAxis::Source {
public:
  HeldTimePoints(orv_ImageOrthoscopeCanvas<T>& canvas, unsigned shown, orv_TimePointReader<T> read,
                   std::size_t budget)
      : m_canvas(canvas),
        m_shown(shown),
        m_wanted(shown),
        m_cache(std::move(read), budget, [this](unsigned t) {
          // On the reading thread: the axis takes it up on the UI thread.
          if (m_axis) m_axis->CallAfter([this, t] { Arrived(t); });
        }) {}

  void SetAxis(orv_TimeAxis* axis) { m_axis = axis; }

  bool Show(unsigned t) override {
    m_wanted = t;
    std::vector<bix::Image3d<T>> stacks;
    if (!m_cache.Take(t, stacks)) {
      // A chunked canvas's cuts move at once; its held level follows.
      m_canvas.ShowTimePoint(t, nullptr);
      m_cache.Want(t);
      return false;
    }
    m_canvas.ShowTimePoint(t, &stacks);
    const unsigned before = m_shown;
    m_shown = t;
    m_cache.Keep(before, std::move(stacks), t);
    // The next one in the direction of travel is read ahead.
    const unsigned count = m_axis ? m_axis->GetTimePointCount() : 0;
    if (t > before && t + 1 < count) m_cache.Prefetch(t + 1);
    if (t < before && t > 0) m_cache.Prefetch(t - 1);
    return true;
  }

private:
  void Arrived(unsigned t) {
    const std::string error = m_cache.TakeError(t);
    if (!error.empty()) {
      wxLogError("Time point %u cannot be read: %s", t + 1, wxString::FromUTF8(error));
      if (t == m_wanted && m_axis) m_axis->SetTimePoint(m_shown);
      return;
    }
    if (t == m_wanted && t != m_shown && Show(t) && m_axis) m_axis->TimePointShown(t);
  }

  orv_ImageOrthoscopeCanvas<T>& m_canvas;
  orv_TimeAxis* m_axis = nullptr;
  unsigned m_shown, m_wanted;
  TimePointCache<T> m_cache;
};

}  // namespace

template <class T>
orv_TimeAxis* orv_AddTimeAxis(orv_OrthoscopeFrame* frame, unsigned count, unsigned shown, orv_TimePointReader<T> read,
                              std::size_t memoryBytes) {
  auto* canvas = frame ? dynamic_cast<orv_ImageOrthoscopeCanvas<T>*>(frame->GetCanvas()) : nullptr;
  if (!canvas) throw bix::LibException("a time axis is added to a viewer of an image made by the library's factories");
  const std::size_t budget = memoryBytes ? memoryBytes : static_cast<std::size_t>(MemoryBytes() / 4);
  orv_TimePointReader<T> readToSave = read;
  auto source = std::make_unique<HeldTimePoints<T>>(*canvas, shown, std::move(read), budget);
  HeldTimePoints<T>* points = source.get();
  auto* axis = new orv_TimeAxis(frame, count, shown, std::move(source));
  points->SetAxis(axis);
  frame->AddExtensionModule(axis, "&Time", true);
  if constexpr (std::is_arithmetic_v<T>) SeriesSaving<T>::Of(frame).SetTime(axis, std::move(readToSave));
  return axis;
}

#define ORV_INSTANTIATE_TIME_AXIS(T)                                                                            \
  template orv_TimeAxis* orv_AddTimeAxis<T>(orv_OrthoscopeFrame*, unsigned, unsigned, orv_TimePointReader<T>, \
                                            std::size_t);
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_TIME_AXIS)

}  // namespace orv
