#ifndef ORV_EVENTS_H
#define ORV_EVENTS_H

#include <orv/orv_export.h>

#include <wx/event.h>

namespace orv {

class orv_MappingEvent;
class orv_OverlayingEvent;

// Sent by a mapping module to its frame when the mapping changed.
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_MAPPING_CHANGED, orv_MappingEvent);
// Sent by an overlaying module to its frame when the overlay changed.
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_OVERLAYING_CHANGED, orv_OverlayingEvent);

class ORV_EXPORT orv_MappingEvent : public wxEvent {
public:
  // `updateVolume`: carry the change to the volume rendering as well (false
  // for the live previews of the levels and thresholding dialogs).
  explicit orv_MappingEvent(bool updateVolume = true);

  bool GetUpdateVolume() const { return m_updateVolume; }
  void SetUpdateVolume(bool updateVolume) { m_updateVolume = updateVolume; }
  wxEvent* Clone() const override { return new orv_MappingEvent(*this); }

private:
  bool m_updateVolume;
};

// A module's report of a menu command it carried out, for hosts: the
// client data is the module, and the event owns a copy of the command (its
// copies copy it again), which a host can replay on another viewer with
// propagation stopped, so that the replay is not announced again.
class ORV_EXPORT orv_ModuleCommandEvent : public wxCommandEvent {
public:
  orv_ModuleCommandEvent(wxEventType type, const wxCommandEvent* command, void* module);
  orv_ModuleCommandEvent(const orv_ModuleCommandEvent& other);
  orv_ModuleCommandEvent& operator=(const orv_ModuleCommandEvent&) = delete;
  ~orv_ModuleCommandEvent() override;

  // The menu command that was carried out; null for an empty event.
  const wxCommandEvent* GetCommandEvent() const { return m_command; }

private:
  wxCommandEvent* m_command;
};

class ORV_EXPORT orv_OverlayingEvent : public wxEvent {
public:
  // Both flags are false for ordinary setting changes and true after the
  // label data were reloaded.
  explicit orv_OverlayingEvent(bool dataChanged = false, bool reload = false);

  bool GetDataChanged() const { return m_dataChanged; }
  bool GetReload() const { return m_reload; }
  void SetDataChanged(bool v) { m_dataChanged = v; }
  void SetReload(bool v) { m_reload = v; }
  wxEvent* Clone() const override { return new orv_OverlayingEvent(*this); }

private:
  bool m_dataChanged;
  bool m_reload;
};

}  // namespace orv

#endif
