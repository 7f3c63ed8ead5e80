#ifndef ORV_MAPPING_MODULE_H
#define ORV_MAPPING_MODULE_H

#include <orv/histogram.h>
#include <orv/orv_events.h>
#include <orv/extension_module.h>
#include <orv/orv_mapper.h>

#include <wx/event.h>
#include <wx/fileconf.h>
#include <wx/menu.h>

namespace orv {

class orv_MappingCommandEvent;
wxDECLARE_EXPORTED_EVENT(ORV_EXPORT, orv_EVT_MAPPING_COMMAND, orv_MappingCommandEvent);

// Tells a host which mapping command a viewer just carried out (see
// orv_ModuleCommandEvent).
class ORV_EXPORT orv_MappingCommandEvent : public orv_ModuleCommandEvent {
public:
  explicit orv_MappingCommandEvent(const wxCommandEvent* command = nullptr, void* module = nullptr)
      : orv_ModuleCommandEvent(orv_EVT_MAPPING_COMMAND, command, module) {}
  wxEvent* Clone() const override { return new orv_MappingCommandEvent(*this); }
};

// The base of the mapping modules: the mapper of a viewer and the extension
// module that gives the frame its "&Mapping" menu. It keeps the image's
// histograms and the active stretch, and turns menu commands into calls of
// the operations a concrete module implements.
template <class T>
class ORV_EXPORT orv_MappingModule : public orv_ExtensionModule, public orv_Mapper<T> {
public:
  // Menu offsets from the module's base id; the stretch modes are the
  // offsets of their items.
  enum {
    MENU_RANGE = 0,
    MENU_BITDEPTH = 1,
    MENU_NO_STRETCH = 2,
    MENU_LINEAR = 3,
    MENU_SMART = 4,
    MENU_PERCENTIL = 5,
    MENU_LEVELS = 6,
    MENU_THRESHOLD = 7,
    MENU_LAST = 17,
  };

  orv_MappingModule(wxFrame* frame, const HistogramSet<T>& histograms, double percentil, unsigned int smartThres);

  wxMenu* CreateMenu(int& lastId) override;

  virtual void SetRange() = 0;
  virtual void SetBitdepth() = 0;
  virtual void SetIdentity() = 0;
  virtual void SetLinearStretch() = 0;
  virtual void SetSmartStretch() = 0;
  virtual void SetPercentilStretch() = 0;
  virtual bool SetLevelsStretch() = 0;
  virtual bool SetThreshold() = 0;
  virtual void ReadFromConfig(wxFileConfig& config) = 0;
  virtual void WriteToConfig(wxFileConfig& config) = 0;
  virtual void ReadLevelsFromConfig(wxFileConfig& config) = 0;
  virtual void WriteLevelsToConfig(wxFileConfig& config) = 0;
  virtual void OnHistogramChange(const HistogramSet<T>& histograms) = 0;
  virtual void ResetMapping() = 0;
  virtual bool HasData() const = 0;

  // 0 no stretch, 1 linear, 2 smart, 3 percentil, 4 levels, 5 threshold.
  int GetStretchMode() const { return m_stretchMode - MENU_NO_STRETCH; }
  void SetPercentilValue(double value) { m_percentil = value; }
  void SetSmartStretchThres(unsigned int value) { m_smartThres = value; }
  double GetPercentilValue() const { return m_percentil; }
  unsigned int GetSmartStretchThres() const { return m_smartThres; }
  const HistogramSet<T>& GetHistograms() const { return m_histograms; }
  wxMenu* GetMenu() const { return m_menu; }

  // Menu commands of ids base .. base + 17; a concrete module extends it and
  // calls this first.
  virtual void OnMapping(wxCommandEvent& event);
  void OnUpdateUI(wxUpdateUIEvent& event);

protected:
  // After a command: the frame redraws (the volume as well), and a host
  // learns of the command unless it was a replay with propagation stopped.
  void FinishCommand(wxCommandEvent& event);
  // Tells the frame that the mapping changed.
  void SendMappingChanged(bool updateVolume);
  // Runs the stretch of the mode in force again when it is one of the menu
  // stretches (no, linear, smart, percentil); false for levels and threshold.
  bool RerunStretch();

  HistogramSet<T> m_histograms;
  int m_stretchMode = MENU_NO_STRETCH;
  wxMenu* m_menu = nullptr;
  double m_percentil;
  unsigned int m_smartThres;
};

}  // namespace orv

#endif
