#include <orv/orv_frame.h>
#include <orv/orv_keys.h>

#include <wx/accel.h>
#include <wx/display.h>
#include <wx/log.h>
#include <wx/textentry.h>

namespace orv {

wxBEGIN_EVENT_TABLE(orv_OrthoscopeFrame, wxFrame)
  EVT_MENU(ID_ZOOM_IN, orv_OrthoscopeFrame::OnZoom)
  EVT_MENU(ID_ZOOM_OUT, orv_OrthoscopeFrame::OnZoom)
  EVT_MENU(ID_NORMAL_ZOOM, orv_OrthoscopeFrame::OnZoom)
  EVT_MENU(ID_ADJUST_FRAME, orv_OrthoscopeFrame::OnAdjustFrame)
  EVT_MENU(ID_AUTOFOCUS, orv_OrthoscopeFrame::OnAutofocusAll)
  EVT_MENU_RANGE(ID_AUTOFOCUS_XY, ID_AUTOFOCUS_YZ, orv_OrthoscopeFrame::OnAutofocusWindow)
  EVT_MENU(ID_SHOW_INFO, orv_OrthoscopeFrame::OnShowInfo)
  EVT_MENU_RANGE(ID_SHOW_XY, ID_SHOW_YZ, orv_OrthoscopeFrame::OnShowWindow)
  EVT_MENU_RANGE(ID_REVERSE_X, ID_REVERSE_Z, orv_OrthoscopeFrame::OnReverse)
  EVT_MENU(ID_VOLUME_VISUALIZATION, orv_OrthoscopeFrame::OnVolume)
  EVT_MENU(ID_SAVE_3D_DATA, orv_OrthoscopeFrame::OnSave3dData)
  EVT_MENU(ID_SAVE_VIEW, orv_OrthoscopeFrame::OnSaveView)
  EVT_MENU(ID_SAVE_GALLERY, orv_OrthoscopeFrame::OnSaveGallery)
  EVT_MENU(ID_PREFERENCES, orv_OrthoscopeFrame::OnPreferences)
  EVT_UPDATE_UI_RANGE(6011, 6025, orv_OrthoscopeFrame::OnUpdateUI)
wxEND_EVENT_TABLE()

orv_OrthoscopeFrame::orv_OrthoscopeFrame(wxWindow* parent, int id, const wxString& title, const wxPoint& pos,
                                         const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style) {
  BuildMenu();
  CreateStatusBar(1);
  wxAcceleratorEntry entries[2];
  entries[0].Set(wxACCEL_CTRL, WXK_NUMPAD_ADD, ID_ZOOM_IN);
  entries[1].Set(wxACCEL_CTRL, WXK_NUMPAD_SUBTRACT, ID_ZOOM_OUT);
  SetAcceleratorTable(wxAcceleratorTable(2, entries));
  Bind(wxEVT_CHAR_HOOK, &orv_OrthoscopeFrame::OnCharHook, this);
  Bind(wxEVT_MOVE, [this](wxMoveEvent& event) {
    if (m_canvas) m_canvas->InfoFrame_Move();
    event.Skip();
  });
  Bind(orv_EVT_MAPPING_CHANGED, [this](orv_MappingEvent& event) {
    if (m_canvas) m_canvas->MappingChanged(event);
  });
  Bind(orv_EVT_OVERLAYING_CHANGED, [this](orv_OverlayingEvent& event) {
    if (m_canvas) m_canvas->OverlayingChanged(event);
  });
  SetMinSize(wxSize(200, 200));
  ResizeFrameIfRequired();
}

void orv_OrthoscopeFrame::BuildMenu() {
  auto* view = new wxMenu;
  view->Append(ID_SAVE_3D_DATA, "Save 3d data...\tCtrl-S", "Save original 3d image data");
  view->Append(ID_SAVE_VIEW, "Save view...\tCtrl-V", "Save current view for publication purposes");
  view->Append(ID_SAVE_GALLERY, "Save gallery...\tCtrl-I", "Save slices of 3d data in chosen increment");
  view->AppendSeparator();
  view->Append(ID_ADJUST_FRAME, "Adjust frame size\tCtrl-E", "Adjust frame size according to the visible image");
  view->AppendCheckItem(ID_AUTO_ADJUST_FRAME, "Auto adjust frame size", "Automatically adjust frame on zooming");
  view->AppendSeparator();
  view->Append(ID_VOLUME_VISUALIZATION, "3D volume visualization\tV", "Show 3D visualization");
  view->AppendSeparator();
  view->Append(ID_ZOOM_IN, "Zoom In\tF2", "Zoom in");
  view->Append(ID_ZOOM_OUT, "Zoom Out\tF3", "Zoom out");
  view->Append(ID_NORMAL_ZOOM, "Normal Zoom\t1", "Normal zoom");
  view->AppendSeparator();
  view->AppendCheckItem(ID_AUTOFOCUS, "Auto Focus\tA", "Auto focus");
  view->AppendSeparator();
  view->AppendCheckItem(ID_SHOW_INFO, "Show info\tI", "Show/hide info window");
  view->AppendSeparator();

  auto* windows = new wxMenu;
  windows->AppendCheckItem(ID_SHOW_XY, "Show XY", "Show/hide XY window");
  windows->AppendCheckItem(ID_SHOW_XZ, "Show XZ", "Show/hide XZ window");
  windows->AppendCheckItem(ID_SHOW_YZ, "Show YZ", "Show/hide YZ window");
  view->Append(ID_WINDOW_MENU, "Window", windows, "Show/hide window");

  auto* axes = new wxMenu;
  axes->AppendCheckItem(ID_REVERSE_X, "Reverse X\tF9", "Reverse X axis");
  axes->AppendCheckItem(ID_REVERSE_Y, "Reverse Y\tF10", "Reverse Y axis");
  axes->AppendCheckItem(ID_REVERSE_Z, "Reverse Z\tF11", "Reverse Z axis");
  view->Append(ID_AXIS_MENU, "Axis", axes, "Axis options");

  auto* autofocus = new wxMenu;
  autofocus->AppendCheckItem(ID_AUTOFOCUS_XY, "Window XY", "Autofocus in XY windows on/off");
  autofocus->AppendCheckItem(ID_AUTOFOCUS_XZ, "Window XZ", "Autofocus in XZ windows on/off");
  autofocus->AppendCheckItem(ID_AUTOFOCUS_YZ, "Window YZ", "Autofocus in YZ windows on/off");
  view->Append(ID_AUTOFOCUS_MENU, "Autofocus", autofocus, "Switch autofocus on/off");
  view->AppendSeparator();
  view->Append(ID_PREFERENCES, "Preferences\tCtrl-P", "Change screen options");

  for (int checked : {ID_AUTO_ADJUST_FRAME, ID_SHOW_XY, ID_SHOW_XZ, ID_SHOW_YZ}) view->Check(checked, true);
  for (int unchecked : {ID_AUTOFOCUS_XY, ID_AUTOFOCUS_XZ, ID_AUTOFOCUS_YZ}) view->Check(unchecked, false);

  auto* bar = new wxMenuBar;
  bar->Append(view, "&View");
  SetMenuBar(bar);
}

orv_OrthoscopeFrame::~orv_OrthoscopeFrame() {
  while (!m_moduleOwned.empty()) {
    PopEventHandler(m_moduleOwned.back());
    m_moduleOwned.pop_back();
  }
  // A parent being deleted is taking its children with it: its own
  // destructor has already run, so nothing of it may handle events.
  wxWindow* parent = GetParent();
  if (parent && !parent->IsBeingDeleted()) {
    wxUpdateUIEvent closing(ID_VIEWER_CLOSING);
    closing.SetEventObject(this);
    closing.SetClientData(this);
    parent->ProcessWindowEvent(closing);
  }
}

void orv_OrthoscopeFrame::SetCanvas(orv_OrthoscopeCanvas* canvas) {
  if (m_canvas && m_canvas != canvas) m_canvas->Destroy();
  if (m_sizer && m_sizer->GetItemCount() > 0 && m_sizer->GetItem(std::size_t(0))->GetWindow() == m_canvas)
    m_sizer->Detach(0);
  m_canvas = canvas;
  if (m_sizer && m_canvas) {
    m_sizer->Insert(0, m_canvas, 1, wxEXPAND);
    Layout();
  } else if (m_canvas) {
    m_canvas->SetSize(GetClientSize());
  }
}

void orv_OrthoscopeFrame::AddBelowCanvas(wxWindow* window) {
  if (!m_sizer) {
    m_sizer = new wxBoxSizer(wxVERTICAL);
    if (m_canvas) m_sizer->Add(m_canvas, 1, wxEXPAND);
    SetSizer(m_sizer);
  }
  m_sizer->Add(window, 0, wxEXPAND);
  Layout();
  ResizeFrameIfRequired();
}

void orv_OrthoscopeFrame::AddExtensionModule(orv_ExtensionModule* module, const wxString& title, bool owned) {
  if (owned) {
    if (wxMenu* menu = module->CreateMenu(m_lastMenuId)) GetMenuBar()->Append(menu, title);
  }
  PushEventHandler(module);
  if (!module->GetFrame()) module->SetFrame(this);
  m_moduleOwned.push_back(owned);
}

wxMenu* orv_OrthoscopeFrame::AddExtensionModuleAside(orv_ExtensionModule* module) {
  wxMenu* menu = module->CreateMenu(m_lastMenuId);
  AddExtensionModule(module, wxEmptyString, false);
  m_moduleOwned.back() = true;
  return menu;
}

void orv_OrthoscopeFrame::AppendMenu(const wxMenu* menu, const wxString& title) {
  wxASSERT(menu);
  if (!menu) return;
  auto* copy = new wxMenu;
  for (const wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSeparator())
      copy->AppendSeparator();
    else
      copy->Append(item->GetId(), item->GetItemLabel(), item->GetHelp(),
                   item->IsSubMenu() ? wxITEM_NORMAL : item->GetKind());
  }
  GetMenuBar()->Append(copy, title);
}

void orv_OrthoscopeFrame::RefreshIcon() {
  if (!m_canvas) return;
  wxIconBundle icons;
  m_canvas->GetIcons(icons);
  SetIcons(icons);
  m_canvas->RefreshVolVisIcon(icons);
}

void orv_OrthoscopeFrame::ResizeFrameIfRequired() {
  if (GetMenuBar()->IsChecked(ID_AUTO_ADJUST_FRAME)) AdjustFrameSize();
}

void orv_OrthoscopeFrame::AdjustFrameSize() {
  if (!m_canvas) return;
  wxSize canvas = m_canvas->GetOptimalSize();
  // The windows below the canvas keep their height.
  if (m_sizer)
    for (const wxSizerItem* item : m_sizer->GetChildren())
      if (item->GetWindow() && item->GetWindow() != m_canvas) canvas.y += item->GetWindow()->GetBestSize().y;
  wxSize size = ClientToWindowSize(canvas);
  size.IncTo(wxSize(100, 100));
  size.DecTo(wxGetClientDisplayRect().GetSize());
  if (!IsMaximized()) SetSize(size);
}

// The commands below act on the canvas; a host may show a frame before it
// sets one, and then they do nothing.
void orv_OrthoscopeFrame::OnZoom(wxCommandEvent& event) {
  if (!m_canvas) return;
  // One change told once, the frame's new size included.
  orv_OrthoscopeCanvas::ViewAction action(*m_canvas);
  if (event.GetId() == ID_ZOOM_IN) m_canvas->ZoomIn();
  if (event.GetId() == ID_ZOOM_OUT) m_canvas->ZoomOut();
  if (event.GetId() == ID_NORMAL_ZOOM) m_canvas->NormalZoom();
  ResizeFrameIfRequired();
}

void orv_OrthoscopeFrame::OnAdjustFrame(wxCommandEvent&) { AdjustFrameSize(); }

void orv_OrthoscopeFrame::OnAutofocusAll(wxCommandEvent& event) {
  if (!m_canvas) return;
  m_canvas->ChangeContent(event.IsChecked() ? CONTENT_AUTOFOCUS : CONTENT_CUT, PROJ_ALL);
}

void orv_OrthoscopeFrame::OnAutofocusWindow(wxCommandEvent& event) {
  if (!m_canvas) return;
  m_canvas->ChangeContent(event.IsChecked() ? CONTENT_AUTOFOCUS : CONTENT_CUT,
                          kCutWindows[event.GetId() - ID_AUTOFOCUS_XY]);
}

void orv_OrthoscopeFrame::OnShowInfo(wxCommandEvent& event) {
  if (!m_canvas) return;
  m_canvas->InfoFrame_Show(event.IsChecked());
}

void orv_OrthoscopeFrame::OnShowWindow(wxCommandEvent& event) {
  if (!m_canvas) return;
  const orv_ProjectionType window = kCutWindows[event.GetId() - ID_SHOW_XY];
  m_canvas->ShowDrWin(window, !m_canvas->IsDrWinShown(window));
}

void orv_OrthoscopeFrame::OnReverse(wxCommandEvent& event) {
  if (!m_canvas) return;
  m_canvas->ToggleAxisReverse(event.GetId() - ID_REVERSE_X);
}

void orv_OrthoscopeFrame::OnVolume(wxCommandEvent&) {
  if (!m_canvas) return;
  m_canvas->ShowVolVis(GetIcons());
}

// GTK hands a plain key (I, A, 1, V) pressed in any of our windows to its
// input method, which takes it as typed text before the menu's accelerators
// are looked at: only keys with Ctrl, Alt or a function key would work. So
// the frame matches every key pressed in one of its own windows against the
// accelerators of its menu labels first. Keys pressed in other top-level
// windows (dialogs, the info window) whose events travel up to here are
// theirs, and so are keys typed into anything that takes text (text fields,
// combo and spin boxes, search fields: every wxTextEntry).
void orv_OrthoscopeFrame::OnCharHook(wxKeyEvent& event) {
  auto* source = dynamic_cast<wxWindow*>(event.GetEventObject());
  if (!source || wxGetTopLevelParent(source) != this || dynamic_cast<wxTextEntry*>(source)) {
    event.Skip();
    return;
  }
  const int id = FindMenuKey(MenuKeys(GetMenuBar()), event.GetKeyCode(), event.GetModifiers());
  if (id == wxID_NONE) {
    event.Skip();
    return;
  }
  // The check marks follow the viewer's state; a check item toggles from there.
  DoMenuUpdates();
  ProcessCommand(id);
}

void orv_OrthoscopeFrame::OnUpdateUI(wxUpdateUIEvent& event) {
  if (!m_canvas) return;
  const int id = event.GetId();
  if (id >= ID_SHOW_XY && id <= ID_SHOW_YZ) {
    event.Check(m_canvas->IsDrWinShown(kCutWindows[id - ID_SHOW_XY]));
  } else if (id == ID_AUTOFOCUS) {
    event.Check(m_canvas->GetContent(PROJ_ALL) == CONTENT_AUTOFOCUS);
  } else if (id == ID_SHOW_INFO) {
    event.Check(m_canvas->InfoFrame_IsShown());
  } else if (id >= ID_REVERSE_X && id <= ID_REVERSE_Z) {
    event.Check(m_canvas->IsAxisReversed(id - ID_REVERSE_X));
  } else if (id >= ID_AUTOFOCUS_XY && id <= ID_AUTOFOCUS_YZ) {
    event.Check(m_canvas->GetContent(kCutWindows[id - ID_AUTOFOCUS_XY]) == CONTENT_AUTOFOCUS);
  } else if (id == ID_ICON_REFRESH) {
    RefreshIcon();
  }
}

}  // namespace orv
