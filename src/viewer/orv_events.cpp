#include <orv/orv_events.h>

namespace orv {

wxDEFINE_EVENT(orv_EVT_MAPPING_CHANGED, orv_MappingEvent);
wxDEFINE_EVENT(orv_EVT_OVERLAYING_CHANGED, orv_OverlayingEvent);

orv_MappingEvent::orv_MappingEvent(bool updateVolume)
    : wxEvent(0, orv_EVT_MAPPING_CHANGED), m_updateVolume(updateVolume) {}

orv_OverlayingEvent::orv_OverlayingEvent(bool dataChanged, bool reload)
    : wxEvent(0, orv_EVT_OVERLAYING_CHANGED), m_dataChanged(dataChanged), m_reload(reload) {}

orv_ModuleCommandEvent::orv_ModuleCommandEvent(wxEventType type, const wxCommandEvent* command, void* module)
    : wxCommandEvent(type, 0), m_command(command ? static_cast<wxCommandEvent*>(command->Clone()) : nullptr) {
  SetClientData(module);
}

orv_ModuleCommandEvent::orv_ModuleCommandEvent(const orv_ModuleCommandEvent& other)
    : wxCommandEvent(other),
      m_command(other.m_command ? static_cast<wxCommandEvent*>(other.m_command->Clone()) : nullptr) {}

orv_ModuleCommandEvent::~orv_ModuleCommandEvent() { delete m_command; }

}  // namespace orv
