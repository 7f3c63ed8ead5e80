#include <orv/mapping_module.h>

#include <orv/orv_events.h>

#include <bix/Types.h>

#include <type_traits>

namespace orv {

wxDEFINE_EVENT(orv_EVT_MAPPING_COMMAND, orv_MappingCommandEvent);

template <class T>
orv_MappingModule<T>::orv_MappingModule(wxFrame* frame, const HistogramSet<T>& histograms, double percentil,
                                        unsigned int smartThres)
    : orv_ExtensionModule(frame), m_histograms(histograms), m_percentil(percentil), m_smartThres(smartThres) {}

template <class T>
wxMenu* orv_MappingModule<T>::CreateMenu(int& lastId) {
  const int b = TakeMenuIds(lastId, MENU_LAST);
  auto* menu = new wxMenu;
  menu->Append(b + MENU_RANGE, "Set image &range...", "Open dialog for setting the image ranges");
  menu->AppendSeparator();
  menu->AppendCheckItem(b + MENU_NO_STRETCH, "&No stretch\tAlt-1", "Apply no stretching");
  menu->AppendCheckItem(b + MENU_LINEAR, "&Linear stretch\tAlt-2", "Apply linear stretch");
  menu->AppendCheckItem(b + MENU_SMART, "&Smart stretch\tAlt-3", "Apply smart stretch");
  menu->AppendCheckItem(b + MENU_PERCENTIL, "&Percentil stretch\tAlt-4", "Apply percentil stretch");
  menu->AppendCheckItem(b + MENU_LEVELS, "Levels\tAlt-5", "Show levels dialog");
  menu->AppendSeparator();
  menu->AppendCheckItem(b + MENU_THRESHOLD, "Threshold\tAlt-6", "Apply thresholding");
  // Through a virtual call, so that a concrete module's handler runs.
  Bind(wxEVT_MENU, [this](wxCommandEvent& event) { OnMapping(event); }, b, b + MENU_LAST);
  Bind(wxEVT_UPDATE_UI, &orv_MappingModule::OnUpdateUI, this, b, b + MENU_THRESHOLD);
  m_menu = menu;
  return menu;
}

template <class T>
void orv_MappingModule<T>::OnMapping(wxCommandEvent& event) {
  const int k = event.GetId() - GetMenuId(0);
  switch (k) {
    case MENU_RANGE:
      SetRange();
      break;
    case MENU_BITDEPTH:
      SetBitdepth();
      break;
    case MENU_NO_STRETCH:
    case MENU_LINEAR:
    case MENU_SMART:
    case MENU_PERCENTIL:
      // The stretch runs while GetStretchMode() still tells the previous mode.
      if (k == MENU_NO_STRETCH) SetIdentity();
      if (k == MENU_LINEAR) SetLinearStretch();
      if (k == MENU_SMART) SetSmartStretch();
      if (k == MENU_PERCENTIL) SetPercentilStretch();
      m_stretchMode = k;
      break;
    case MENU_LEVELS:
    case MENU_THRESHOLD:
      if (k == MENU_LEVELS ? SetLevelsStretch() : SetThreshold()) {
        m_stretchMode = k;
      } else if (m_menu) {
        // The toolkit toggled the clicked item: check the mode still in force.
        m_menu->Check(GetMenuId(m_stretchMode), true);
        if (wxMenuItem* item = m_menu->FindItem(event.GetId())) item->Check(m_stretchMode == k);
      }
      break;
    default:
      break;
  }
}

template <class T>
void orv_MappingModule<T>::OnUpdateUI(wxUpdateUIEvent& event) {
  const int k = event.GetId() - GetMenuId(0);
  // The smart stretch balances colour channels: gray images have none.
  event.Enable(HasData() && (k != MENU_SMART || !std::is_arithmetic_v<T>));
  if (k >= MENU_NO_STRETCH && k <= MENU_THRESHOLD) event.Check(k == m_stretchMode);
}

template <class T>
bool orv_MappingModule<T>::RerunStretch() {
  switch (m_stretchMode) {
    case MENU_NO_STRETCH:
      SetIdentity();
      return true;
    case MENU_LINEAR:
      SetLinearStretch();
      return true;
    case MENU_SMART:
      SetSmartStretch();
      return true;
    case MENU_PERCENTIL:
      SetPercentilStretch();
      return true;
    default:
      return false;
  }
}

template <class T>
void orv_MappingModule<T>::SendMappingChanged(bool updateVolume) {
  orv_MappingEvent changed(updateVolume);
  changed.SetEventObject(this);
  if (m_frame) m_frame->ProcessWindowEvent(changed);
}

template <class T>
void orv_MappingModule<T>::FinishCommand(wxCommandEvent& event) {
  SendMappingChanged(true);
  if (event.ShouldPropagate() && m_frame) {
    orv_MappingCommandEvent command(&event, this);
    command.SetEventObject(m_frame);
    m_frame->ProcessWindowEvent(command);
  }
}

#define ORV_INSTANTIATE_MAPPING_MODULE(T) template class orv_MappingModule<T>;
BIX_FOR_EACH_VOXEL_TYPE(ORV_INSTANTIATE_MAPPING_MODULE)

}  // namespace orv
