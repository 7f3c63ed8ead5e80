#include <orv/time_axis.h>

#include <wx/sizer.h>

#include <algorithm>

namespace orv {

orv_TimeAxis::Source::~Source() = default;

orv_TimeAxis::orv_TimeAxis(orv_OrthoscopeFrame* frame, unsigned count, unsigned shown, std::unique_ptr<Source> source)
    : orv_ExtensionModule(frame),
      m_count(std::max(count, 1u)),
      m_wanted(std::min(shown, m_count - 1)),
      m_shown(m_wanted),
      m_source(std::move(source)) {
  m_bar = new wxPanel(frame, wxID_ANY);
  m_slider = new wxSlider(m_bar, wxID_ANY, int(m_shown) + 1, 1, int(m_count));
  m_text = new wxStaticText(m_bar, wxID_ANY, wxEmptyString);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(m_bar, wxID_ANY, "Time"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 6);
  row->Add(m_slider, 1, wxALIGN_CENTER_VERTICAL);
  row->Add(m_text, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 6);
  m_bar->SetSizer(row);
  // The slider moves the time point as it is dragged: each position asked
  // for replaces the last one not yet shown.
  m_slider->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) { SetTimePoint(unsigned(m_slider->GetValue() - 1)); });
  ShowState();
  frame->AddBelowCanvas(m_bar);
}

orv_TimeAxis::~orv_TimeAxis() = default;

wxMenu* orv_TimeAxis::CreateMenu(int& lastId) {
  const int base = TakeMenuIds(lastId, MENU_LAST);
  auto* menu = new wxMenu;
  menu->Append(GetMenuId(MENU_NEXT), "Next time point\t]", "Show the next time point");
  menu->Append(GetMenuId(MENU_PREVIOUS), "Previous time point\t[", "Show the previous time point");
  menu->Append(GetMenuId(MENU_FIRST), "First time point", "Show the first time point");
  menu->Append(GetMenuId(MENU_LAST), "Last time point", "Show the last time point");
  Bind(wxEVT_MENU, &orv_TimeAxis::OnCommand, this, base, lastId);
  return menu;
}

void orv_TimeAxis::OnCommand(wxCommandEvent& event) {
  switch (event.GetId() - GetMenuId(0)) {
    case MENU_NEXT: SetTimePoint(m_wanted + 1); break;
    case MENU_PREVIOUS: SetTimePoint(m_wanted > 0 ? m_wanted - 1 : 0); break;
    case MENU_FIRST: SetTimePoint(0); break;
    default: SetTimePoint(m_count - 1); break;
  }
}

void orv_TimeAxis::SetTimePoint(unsigned t) {
  t = std::min(t, m_count - 1);
  if (t == m_wanted) return;
  m_wanted = t;
  if (m_source->Show(t)) m_shown = t;
  ShowState();
}

void orv_TimeAxis::TimePointShown(unsigned t) {
  m_shown = t;
  ShowState();
}

void orv_TimeAxis::ShowState() {
  if (m_slider->GetValue() != int(m_wanted) + 1) m_slider->SetValue(int(m_wanted) + 1);
  wxString text = wxString::Format("%u / %u", m_wanted + 1, m_count);
  if (m_shown != m_wanted) text += " (reading...)";
  m_text->SetLabel(text);
  m_bar->Layout();
}

}  // namespace orv
