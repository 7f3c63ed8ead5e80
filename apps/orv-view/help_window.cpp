#include "help_window.h"

#include "cut_mouse.h"

#include <orv/orv_keys.h>

#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

namespace orvview {

namespace {

const char* const kHelpWindowName = "keys-and-mouse";

wxFrame* MakeHelpWindow(orv::orv_OrthoscopeFrame* viewer) {
  auto* window = new wxFrame(viewer, wxID_ANY, "Keys and mouse", wxDefaultPosition, wxDefaultSize,
                             wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT, kHelpWindowName);
  auto* text = new wxTextCtrl(window, wxID_ANY, KeysAndMouseText(KeysAndMouseRows(viewer->GetMenuBar())),
                              wxDefaultPosition, wxSize(620, 560), wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP);
  text->SetFont(wxFontInfo().Family(wxFONTFAMILY_TELETYPE));
  // Read from the top: setting the text leaves the caret, and the view, at its end.
  text->SetInsertionPoint(0);
  text->ShowPosition(0);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(text, 1, wxEXPAND);
  window->SetSizerAndFit(sizer);
  // Closing only hides it: the next request shows the same window.
  window->Bind(wxEVT_CLOSE_WINDOW, [window](wxCloseEvent& event) {
    if (event.CanVeto()) {
      window->Hide();
      return;
    }
    event.Skip();
  });
  return window;
}

}  // namespace

std::vector<HelpRow> KeysAndMouseRows(const wxMenuBar* bar) {
  std::vector<HelpRow> rows;
  rows.emplace_back("", "In the cut windows (XY, XZ, YZ)");
  for (const MouseAction& action : CutWindowMouseActions()) rows.emplace_back(action.buttons, action.description);
  for (const orv::orv_CutKey& key : orv::CutWindowKeys()) rows.emplace_back(key.keys, key.description);
  rows.emplace_back("", "Anywhere in the viewer (the menu commands)");
  for (const orv::orv_MenuKey& key : orv::MenuKeys(bar)) rows.emplace_back(key.keys, key.menu);
  return rows;
}

wxString KeysAndMouseText(const std::vector<HelpRow>& rows) {
  wxString text;
  for (const HelpRow& row : rows) {
    if (row.first.empty())
      text << (text.empty() ? "" : "\n") << row.second << "\n";
    else
      text << wxString::Format("  %-22s %s\n", row.first, row.second);
  }
  return text;
}

void AddHelpMenu(orv::orv_OrthoscopeFrame* frame) {
  wxMenu help;
  help.Append(kKeysAndMouseId, "Keys and mouse", "Show every key and mouse button of the viewer");
  frame->AppendMenu(&help, "&Help");
  frame->Bind(
      wxEVT_MENU,
      [frame](wxCommandEvent&) {
        wxWindow* window = wxWindow::FindWindowByName(kHelpWindowName, frame);
        if (!window) window = MakeHelpWindow(frame);
        window->Show();
        window->Raise();
      },
      kKeysAndMouseId);
}

}  // namespace orvview
