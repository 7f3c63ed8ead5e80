#include <orv/orv_events.h>

namespace orv {

wxDEFINE_EVENT(orv_EVT_MAPPING_CHANGED, orv_MappingEvent);
wxDEFINE_EVENT(orv_EVT_OVERLAYING_CHANGED, orv_OverlayingEvent);

orv_MappingEvent::orv_MappingEvent(bool updateVolume)
    : wxEvent(0, orv_EVT_MAPPING_CHANGED), m_updateVolume(updateVolume) {}

orv_OverlayingEvent::orv_OverlayingEvent(bool dataChanged, bool reload)
    : wxEvent(0, orv_EVT_OVERLAYING_CHANGED), m_dataChanged(dataChanged), m_reload(reload) {}

}  // namespace orv
