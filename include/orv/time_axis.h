#ifndef ORV_TIME_AXIS_H
#define ORV_TIME_AXIS_H

#include <orv/extension_module.h>
#include <orv/orv_export.h>
#include <orv/orv_frame.h>

#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <memory>

namespace orv {

// The time axis of a viewer whose windows show one time point of several:
// the "&Time" menu (next "]", previous "[", first, last) and a slider under
// the cut windows. Moving along it keeps the cut point, the zoom and the
// mappings; what shows the new time point is the axis's source. Time
// points count from 0 here and from 1 where users read them.
class ORV_EXPORT orv_TimeAxis : public orv_ExtensionModule {
public:
  // Shows the time points; the axis owns it.
  class ORV_EXPORT Source {
  public:
    virtual ~Source();
    // Shows time point t now (true), or starts reading it and tells the
    // axis with TimePointShown once it is shown (false).
    virtual bool Show(unsigned t) = 0;
  };

  // Menu offsets from the module's base id.
  enum { MENU_NEXT = 0, MENU_PREVIOUS = 1, MENU_FIRST = 2, MENU_LAST = 3 };

  // The axis of `count` time points, `shown` shown now, placed in `frame`
  // (its slider under the canvas).
  orv_TimeAxis(orv_OrthoscopeFrame* frame, unsigned count, unsigned shown, std::unique_ptr<Source> source);
  ~orv_TimeAxis() override;

  wxMenu* CreateMenu(int& lastId) override;

  unsigned GetTimePointCount() const { return m_count; }
  // The time point asked for last (the slider's), and the one the windows show.
  unsigned GetTimePoint() const { return m_wanted; }
  unsigned GetShownTimePoint() const { return m_shown; }
  // Moves to time point t (clamped to the axis), as the slider, the keys
  // and the menu do.
  void SetTimePoint(unsigned t);
  // The source shows time point t now.
  void TimePointShown(unsigned t);
  wxSlider* GetSlider() const { return m_slider; }

private:
  void OnCommand(wxCommandEvent& event);
  void ShowState();

  unsigned m_count, m_wanted, m_shown;
  std::unique_ptr<Source> m_source;
  wxPanel* m_bar = nullptr;
  wxSlider* m_slider = nullptr;
  wxStaticText* m_text = nullptr;
};

}  // namespace orv

#endif
