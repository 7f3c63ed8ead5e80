#ifndef ORV_FRAME_H
#define ORV_FRAME_H

#include <orv/orv_canvas.h>
#include <orv/extension_module.h>
#include <orv/orv_export.h>
#include <orv/orv_ids.h>

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/sizer.h>

#include <deque>

namespace orv {

// The top-level window of one viewer: the canvas, the "&View" menu, the
// status bar and the extension modules.
class ORV_EXPORT orv_OrthoscopeFrame : public wxFrame {
public:
  orv_OrthoscopeFrame(wxWindow* parent, int id, const wxString& title, const wxPoint& pos = wxDefaultPosition,
                      const wxSize& size = wxDefaultSize, long style = wxDEFAULT_FRAME_STYLE);
  ~orv_OrthoscopeFrame() override;

  orv_OrthoscopeCanvas* GetCanvas() const { return m_canvas; }
  // Replaces (destroys) any previous canvas and sizes the new one to the
  // client area.
  void SetCanvas(orv_OrthoscopeCanvas* canvas);
  // An owned module gets a menu under `title` and is deleted with the frame;
  // every module is pushed onto the event handler chain.
  void AddExtensionModule(orv_ExtensionModule* module, const wxString& title, bool owned);
  // The module of type M along the frame's chain of event handlers (the
  // one added last, when there are several), or null.
  template <class M>
  M* FindModule() const {
    for (wxEvtHandler* h = GetEventHandler(); h && h != this; h = h->GetNextHandler())
      if (auto* module = dynamic_cast<M*>(h)) return module;
    return nullptr;
  }
  // An owned module whose menu is made (over its own block of ids) but not
  // put in the menu bar: returned for the caller to place or delete. For
  // modules that take turns under one title (the channels' mappings).
  wxMenu* AddExtensionModuleAside(orv_ExtensionModule* module);
  // Puts `window` (a child of the frame) under the canvas, across the
  // frame; the canvas keeps the rest of the client area.
  void AddBelowCanvas(wxWindow* window);
  // Appends a copy of a host's menu (ids, labels, help strings, kinds).
  void AppendMenu(const wxMenu* menu, const wxString& title);
  void RefreshIcon();
  // Fits the frame to the canvas when "Auto adjust frame size" is checked.
  void ResizeFrameIfRequired();

private:
  void BuildMenu();
  void AdjustFrameSize();
  void OnZoom(wxCommandEvent& event);
  void OnAdjustFrame(wxCommandEvent& event);
  void OnAutofocusAll(wxCommandEvent& event);
  void OnAutofocusWindow(wxCommandEvent& event);
  void OnShowInfo(wxCommandEvent& event);
  void OnShowWindow(wxCommandEvent& event);
  void OnReverse(wxCommandEvent& event);
  void OnVolume(wxCommandEvent& event);
  // The save commands and the preferences (orv_frame_dialogs.cpp): each
  // runs its dialogs, then the canvas's operation.
  void OnSaveView(wxCommandEvent& event);
  void OnSaveGallery(wxCommandEvent& event);
  void OnSave3dData(wxCommandEvent& event);
  void OnPreferences(wxCommandEvent& event);
  void OnUpdateUI(wxUpdateUIEvent& event);
  void OnCharHook(wxKeyEvent& event);

  int m_lastMenuId = FIRST_MODULE_ID;
  wxBoxSizer* m_sizer = nullptr;  // the canvas over the windows below it, once there are any
  std::deque<bool> m_moduleOwned;
  orv_OrthoscopeCanvas* m_canvas = nullptr;

  wxDECLARE_EVENT_TABLE();
};

}  // namespace orv

#endif
