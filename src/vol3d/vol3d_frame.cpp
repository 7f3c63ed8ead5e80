// The volume window's frame: menus, status bar, help window, hide on close.

#include <orv/vol3d_canvas.h>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace orv {

wxBEGIN_EVENT_TABLE(vol3D_VolVisFrame, wxFrame)
  EVT_MENU(ID_VOL3D_HELP, vol3D_VolVisFrame::OnHelp)
  EVT_MENU_RANGE(ID_VOL3D_VIEW_XPLUS, ID_VOL3D_VIEW_ZMINUS, vol3D_VolVisFrame::OnViewAlong)
  EVT_MENU(ID_VOL3D_WHITE_BACKGROUND, vol3D_VolVisFrame::OnBackground)
  EVT_MENU(ID_VOL3D_HIDE_PLANE, vol3D_VolVisFrame::OnHidePlane)
  EVT_MENU(ID_VOL3D_HIDE_BOX, vol3D_VolVisFrame::OnHideBox)
  EVT_MENU_RANGE(ID_VOL3D_RENDER_COMPOSITE, ID_VOL3D_RENDER_MAXIMUM, vol3D_VolVisFrame::OnRenderMode)
  EVT_MENU(ID_VOL3D_SMOOTH_SURFACES, vol3D_VolVisFrame::OnSmoothSurfaces)
  EVT_MENU(ID_VOL3D_SAVE_VIEW, vol3D_VolVisFrame::OnSaveView)
  EVT_MENU(ID_VOL3D_LOAD_VIEW, vol3D_VolVisFrame::OnLoadView)
  EVT_SET_FOCUS(vol3D_VolVisFrame::OnSetFocus)
  EVT_CLOSE(vol3D_VolVisFrame::OnClose)
wxEND_EVENT_TABLE()

namespace {

wxMenuBar* MakeMenuBar() {
  auto* help = new wxMenu;
  help->Append(ID_VOL3D_HELP, "&Help\tCtrl-H", "Shows this window's help");
  auto* view = new wxMenu;
  view->Append(ID_VOL3D_VIEW_XPLUS, "x+", "View along positive x axis");
  view->Append(ID_VOL3D_VIEW_XMINUS, "x-", "View along negative x axis");
  view->Append(ID_VOL3D_VIEW_YPLUS, "y+", "View along positive y axis");
  view->Append(ID_VOL3D_VIEW_YMINUS, "y-", "View along negative y axis");
  view->Append(ID_VOL3D_VIEW_ZPLUS, "z+", "View along positive z axis");
  view->Append(ID_VOL3D_VIEW_ZMINUS, "z-", "View along negative z axis");
  view->AppendSeparator();
  view->AppendCheckItem(ID_VOL3D_WHITE_BACKGROUND, "&White background", "Draw white background instead of black");
  view->AppendCheckItem(ID_VOL3D_HIDE_PLANE, "Hide &clipping plane", "Hide the clipping plane");
  view->AppendCheckItem(ID_VOL3D_HIDE_BOX, "Hide &box", "Hide the view box");
  view->AppendSeparator();
  view->AppendRadioItem(ID_VOL3D_RENDER_COMPOSITE, "&Compositing", "Blend the volume's samples back to front");
  view->AppendRadioItem(ID_VOL3D_RENDER_MAXIMUM, "Maximum &intensity",
                        "Show the brightest sample along each ray (maximum-intensity projection)");
  view->AppendSeparator();
  view->AppendCheckItem(ID_VOL3D_SMOOTH_SURFACES, "S&mooth surfaces",
                        "Smooth the surfaces of labelled objects, keeping their volume");
  view->AppendSeparator();
  view->Append(ID_VOL3D_SAVE_VIEW, "&Save view", "Save current view to a file");
  view->Append(ID_VOL3D_LOAD_VIEW, "&Load view", "Load view from a file");
  // View first and Help last, as in every other window.
  auto* bar = new wxMenuBar;
  bar->Append(view, "&View");
  bar->Append(help, "&Help");
  return bar;
}

// Rows of (what, its effect) in a titled box.
wxSizer* HelpBox(wxWindow* parent, const wxString& title, const std::vector<std::pair<wxString, wxString>>& rows) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, parent, title);
  auto* grid = new wxFlexGridSizer(2, 4, 12);
  for (const auto& row : rows) {
    grid->Add(new wxStaticText(box->GetStaticBox(), wxID_ANY, row.first));
    grid->Add(new wxStaticText(box->GetStaticBox(), wxID_ANY, row.second));
  }
  box->Add(grid, 0, wxALL, 5);
  return box;
}

wxDialog* MakeHelpWindow(wxWindow* parent) {
  auto* dialog = new wxDialog(parent, wxID_ANY, "Volume Visualization Help", wxDefaultPosition, wxDefaultSize,
                              wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(HelpBox(dialog, "Mouse",
                   {{"Left button:", "model / clipping plane rotation"},
                    {"Right button:", "model / clipping plane translation"}}),
           0, wxEXPAND | wxALL, 5);
  top->Add(HelpBox(dialog, "Keyboard",
                   {{"ESC:", "close the window"},
                    {"'+':", "increase the number of slices"},
                    {"'-':", "decrease the number of slices"},
                    {"SPACE:", "switch between controlling the model\nand controlling the plane"},
                    {"Up arrow:", "increase the intensity of voxels"},
                    {"Down arrow:", "decrease the intensity of voxels"},
                    {"Left arrow:", "decrease the intensity treshold"},
                    {"Right arrow:", "increase the intensity treshold"}}),
           0, wxEXPAND | wxALL, 5);
  auto* ok = new wxButton(dialog, wxID_OK, "OK");
  ok->Bind(wxEVT_BUTTON, [dialog](wxCommandEvent&) { dialog->Hide(); });
  top->Add(ok, 0, wxALIGN_CENTER | wxALL, 5);
  dialog->SetSizerAndFit(top);
  return dialog;
}

}  // namespace

vol3D_VolVisFrame::vol3D_VolVisFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                     const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style) {
  SetMenuBar(MakeMenuBar());
  wxStatusBar* status = CreateStatusBar(3);
  // The mode, the parameters, and the reduction of the volume (if any).
  const int widths[3] = {-4, -7, -3};
  status->SetStatusWidths(3, widths);
  m_canvas = new vol3D_VolVisCanvas(status, this, wxID_ANY, wxPoint(0, 0), GetClientSize(), 0, "VolGLCanvas");
  GetMenuBar()->Check(ID_VOL3D_SMOOTH_SURFACES, m_canvas->GetSmoothSurfaces());
}

vol3D_VolVisFrame::~vol3D_VolVisFrame() {
  if (m_help) m_help->Destroy();
}

void vol3D_VolVisFrame::ShowHelp() {
  if (!m_help) m_help = MakeHelpWindow(this);
  m_help->Show();
  m_help->SetFocus();
}

void vol3D_VolVisFrame::OnHelp(wxCommandEvent&) { ShowHelp(); }

void vol3D_VolVisFrame::OnViewAlong(wxCommandEvent& event) {
  using V = bix::Vector3d<float>;
  static const V forward[6] = {V(1, 0, 0), V(-1, 0, 0), V(0, 1, 0), V(0, -1, 0), V(0, 0, 1), V(0, 0, -1)};
  static const V up[6] = {V(0, 1, 0), V(0, 1, 0), V(0, 0, -1), V(0, 0, -1), V(0, 1, 0), V(0, 1, 0)};
  const int i = event.GetId() - ID_VOL3D_VIEW_XPLUS;
  m_canvas->SetViewAlong(-5.0f, forward[i], up[i]);
}

void vol3D_VolVisFrame::OnBackground(wxCommandEvent& event) { m_canvas->SetWhiteBackground(event.IsChecked()); }
void vol3D_VolVisFrame::OnHidePlane(wxCommandEvent& event) { m_canvas->SetDrawPlane(!event.IsChecked()); }
void vol3D_VolVisFrame::OnHideBox(wxCommandEvent& event) { m_canvas->SetDrawBox(!event.IsChecked()); }
void vol3D_VolVisFrame::OnRenderMode(wxCommandEvent& event) {
  m_canvas->SetMaximumIntensity(event.GetId() == ID_VOL3D_RENDER_MAXIMUM);
}
void vol3D_VolVisFrame::OnSmoothSurfaces(wxCommandEvent& event) { m_canvas->SetSmoothSurfaces(event.IsChecked()); }
void vol3D_VolVisFrame::OnSaveView(wxCommandEvent&) { m_canvas->SaveView(); }
void vol3D_VolVisFrame::OnLoadView(wxCommandEvent&) { m_canvas->LoadView(); }

// The canvas takes the keys.
void vol3D_VolVisFrame::OnSetFocus(wxFocusEvent&) { m_canvas->SetFocus(); }

void vol3D_VolVisFrame::OnClose(wxCloseEvent& event) {
  if (!event.CanVeto()) {
    Destroy();
    return;
  }
  if (m_help) {
    m_help->Destroy();
    m_help = nullptr;
  }
  Hide();
  event.Veto();
}

}  // namespace orv
