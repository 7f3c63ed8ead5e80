#include <orv/point_set_module.h>

#include <orv/point_prefs_dialog.h>

#include "../wdr/info_frame_wdr.h"
#include "info_frame.h"
#include "preferences_dialog.h"

#include <wx/choicdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace orv {

namespace {

enum {
  ID_POINTS_COUNT_TEXT = 20006,
  ID_POINTS_COUNT = 20007,
  ID_POINTS_ID_TEXT = 20008,
  ID_POINTS_ID = 20009,
  ID_POINTS_POSITION_TEXT = 20010,
  ID_POINTS_POSITION = 20011,
  ID_POINTS_LABELS_TEXT = 20012,
  ID_POINTS_LABELS = 20013,
};

// The "Points" page of the info window: four rows of a name and a value.
wxPanel* MakePointsPage(wxWindow* notebook) {
  auto* page = new wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER);
  auto* grid = new wxFlexGridSizer(2, 0, 0);
  const struct {
    int id;
    const char* name;
    const char* value;
  } rows[] = {{ID_POINTS_COUNT_TEXT, "Count:", "0"},
              {ID_POINTS_ID_TEXT, "Point id:", "0"},
              {ID_POINTS_POSITION_TEXT, "Position (um):", "[]"},
              {ID_POINTS_LABELS_TEXT, "Labels:", "none"}};
  for (const auto& row : rows) {
    grid->Add(new wxStaticText(page, row.id, row.name), 0, wxALIGN_LEFT | wxALL, 5);
    grid->Add(new wxStaticText(page, row.id + 1, row.value), 0, wxALIGN_LEFT | wxALL, 5);
  }
  page->SetSizer(grid);
  grid->SetSizeHints(page);
  return page;
}

bool SetIfChanged(wxWindow* page, int id, const wxString& text) {
  wxWindow* label = page->FindWindow(id);
  if (label->GetLabel() == text) return false;
  label->SetLabel(text);
  return true;
}

// Runs a file action; what went wrong as "Can't <verb> file <file>: <why>",
// or empty.
template <class Action>
wxString FailureOf(const char* verb, const wxString& file, Action action) {
  try {
    action();
  } catch (const std::exception& e) {
    return wxString::Format("Can't %s file %s: %s", verb, file, wxString::FromUTF8(e.what()));
  } catch (...) {
    return wxString::Format("Can't %s file %s: Unknown exception", verb, file);
  }
  return wxString();
}

}  // namespace

template <class T>
orv_PointSetModule<T>::orv_PointSetModule(wxFrame* frame, orv_PointOrthoscopeCanvas<T>* canvas,
                                          const wxString& fileName)
    : orv_ExtensionModule(frame), m_canvas(canvas) {
  if (!fileName.empty()) LoadPoints(fileName);
  MarkUnmodified();
}

template <class T>
wxMenu* orv_PointSetModule<T>::CreateMenu(int& lastId) {
  const int b = TakeMenuIds(lastId, MENU_END);
  auto* menu = new wxMenu;
  menu->Append(b + MENU_LOAD, "&Load...", "Load new point-set from file");
  menu->Append(b + MENU_SAVE, "Save\tCtrl-S", "Save point-set to file");
  menu->Append(b + MENU_SAVE_AS, "Save As...", "Save point-set to a new file");
  menu->AppendSeparator();
  menu->Append(b + MENU_FIRST, "Show first point\tF", "Change cut planes to intersect in the first point in the list");
  menu->Append(b + MENU_PREVIOUS, "Show previous point\tP",
               "Change cut planes to intersect in the previous point in the list");
  menu->Append(b + MENU_NEXT, "Show next point\tN", "Change cut planes to intersect in the next point in the list");
  menu->Append(b + MENU_LAST, "Show last point\tL", "Change cut planes to intersect in the last point in the list");
  menu->Append(b + MENU_CURRENT, "Show selected point\tX", "Change cut planes to intersect in the point last selected");
  menu->AppendSeparator();
  menu->AppendCheckItem(b + MENU_SHOW, "Show points\tY", "Show or hide the points");
  menu->AppendSeparator();
  menu->Append(b + MENU_DELETE, "&Delete Selected\tDel", "Delete selected points");
  menu->AppendSeparator();
  menu->Append(b + MENU_OPTIONS, "Options...", "Change visualization options");
  menu->Append(b + MENU_LABELS, "Labels...", "Select labeles for info window");
  Bind(wxEVT_MENU, &orv_PointSetModule::OnCommand, this, b, b + MENU_DELETE);
  Bind(wxEVT_UPDATE_UI, &orv_PointSetModule::OnUpdateShow, this, b + MENU_SHOW);
  Bind(wxEVT_IDLE, &orv_PointSetModule::OnIdle, this);
  Bind(wxEVT_CLOSE_WINDOW, &orv_PointSetModule::OnClose, this);
  return menu;
}

template <class T>
void orv_PointSetModule<T>::OnCommand(wxCommandEvent& event) {
  switch (event.GetId() - GetMenuId(0)) {
    case MENU_LOAD: ChooseAndLoad(); break;
    case MENU_SAVE:
      if (m_fileName.empty())
        ChooseAndSave();
      else
        SavePoints(m_fileName);
      break;
    case MENU_SAVE_AS: ChooseAndSave(); break;
    case MENU_FIRST: m_canvas->ShowFirst(); break;
    case MENU_PREVIOUS: m_canvas->ShowPrevious(); break;
    case MENU_NEXT: m_canvas->ShowNext(); break;
    case MENU_LAST: m_canvas->ShowLast(); break;
    case MENU_CURRENT: m_canvas->ShowCurrent(); break;
    case MENU_SHOW: m_canvas->SetPointsShown(!m_canvas->GetPointsShown()); break;
    case MENU_DELETE: m_canvas->DeleteSelected(); break;
    case MENU_OPTIONS: EditOptions(); break;
    case MENU_LABELS: ChooseLabels(); break;
    default: event.Skip();
  }
}

template <class T>
void orv_PointSetModule<T>::OnUpdateShow(wxUpdateUIEvent& event) {
  event.Check(m_canvas->GetPointsShown());
}

template <class T>
wxString orv_PointSetModule<T>::TryLoadPoints(const wxString& file) {
  m_fileName.clear();
  const wxString failure = FailureOf("load", file, [&] { m_canvas->Load(file); });
  // What a failed load read is in no file, but nobody made it either.
  MarkUnmodified();
  if (!failure.empty()) return failure;
  m_fileName = file;
  ResetInfoLabels();
  return wxString();
}

template <class T>
bool orv_PointSetModule<T>::LoadPoints(const wxString& file) {
  const wxString failure = TryLoadPoints(file);
  if (!failure.empty()) wxMessageBox(failure, "Error", wxOK | wxICON_ERROR, m_frame);
  return failure.empty();
}

template <class T>
bool orv_PointSetModule<T>::SavePoints(const wxString& file) {
  const wxString failure = FailureOf("save", file, [&] { m_canvas->Save(file); });
  if (!failure.empty()) {
    wxMessageBox(failure, "Error", wxOK | wxICON_ERROR, m_frame);
    return false;
  }
  m_fileName = file;
  MarkUnmodified();
  return true;
}

template <class T>
bool orv_PointSetModule<T>::IsModified() const {
  return m_canvas->GetPoints().GetChangeCount() != m_savedChanges;
}

template <class T>
void orv_PointSetModule<T>::MarkUnmodified() {
  m_savedChanges = m_canvas->GetPoints().GetChangeCount();
  ShowModifiedInTitle();
}

// A leading "*" while there are unsaved changes; the rest of the title is
// the host's.
template <class T>
void orv_PointSetModule<T>::ShowModifiedInTitle() {
  if (!m_frame) return;
  const wxString title = m_frame->GetTitle();
  const bool modified = IsModified();
  if (modified && !title.StartsWith("*")) m_frame->SetTitle("*" + title);
  if (!modified && m_titleStarred && title.StartsWith("*")) m_frame->SetTitle(title.Mid(1));
  m_titleStarred = modified;
}

template <class T>
bool orv_PointSetModule<T>::ConfirmUnsavedPoints() {
  if (!IsModified()) return true;
  const wxString question = m_fileName.empty() ? wxString("Save changes to the points?")
                                               : wxString::Format("Save changes to the points of '%s'?", m_fileName);
  wxMessageDialog ask(m_frame, question, "Unsaved points", wxYES_NO | wxCANCEL | wxICON_QUESTION);
  ask.SetYesNoCancelLabels("Save", "Discard", "Cancel");
  switch (ask.ShowModal()) {
    case wxID_YES: return m_fileName.empty() ? ChooseAndSave() : SavePoints(m_fileName);
    case wxID_NO: return true;
    default: return false;
  }
}

// A close that may be refused (the user's, not a host's forced one) first
// settles unsaved points.
template <class T>
void orv_PointSetModule<T>::OnClose(wxCloseEvent& event) {
  if (event.CanVeto() && !ConfirmUnsavedPoints()) {
    event.Veto();
    return;
  }
  event.Skip();
}

template <class T>
void orv_PointSetModule<T>::ChooseAndLoad() {
  if (!ConfirmUnsavedPoints()) return;
  wxFileDialog dialog(m_frame, "Choose a file to open", wxEmptyString, wxEmptyString,
                      "Text file (*.txt)|*.txt|Points (*.pts) |*.pts|All files (*.*) |*",
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_CHANGE_DIR);
  if (dialog.ShowModal() == wxID_OK) LoadPoints(dialog.GetPath());
}

template <class T>
bool orv_PointSetModule<T>::ChooseAndSave() {
  wxFileDialog dialog(m_frame, "Save file to", wxEmptyString, wxEmptyString,
                      "Points (*.pts) |*.pts|Text file (*.txt) |*.txt|All files (*.*) |*",
                      wxFD_SAVE | wxFD_CHANGE_DIR);
  return dialog.ShowModal() == wxID_OK && SavePoints(dialog.GetPath());
}

template <class T>
void orv_PointSetModule<T>::ResetInfoLabels() {
  m_infoLabels.Clear();
  const unsigned count = std::min(m_canvas->GetPoints().GetLabelNameCount(), 10u);
  for (unsigned i = 0; i < count; ++i) m_infoLabels.Add(static_cast<int>(i));
}

template <class T>
void orv_PointSetModule<T>::ChooseLabels() {
  const LabelledPointSet& points = m_canvas->GetPoints();
  wxArrayString names;
  for (unsigned i = 0; i < points.GetLabelNameCount(); ++i) names.Add(points.GetLabelName(i));
  wxArrayInt chosen = m_infoLabels;
  if (wxGetSelectedChoices(chosen, "Select Labels", "Labels for info window", names, m_frame, -1, -1, true, 200,
                           150) >= 0)
    m_infoLabels = chosen;
}

template <class T>
void orv_PointSetModule<T>::EditOptions() {
  orv_PointCanvasSettings settings;
  m_canvas->GetSettings(settings);
  // The custom colours are the program's, shared with the canvas's preferences.
  wxColourData colours = ApplicationColourData();
  PointCanvasPreferencesDialog dialog(m_frame, &settings, &colours);
  if (dialog.ShowModal() != wxID_OK) return;
  m_canvas->SetSettings(settings);
  ApplicationColourData() = colours;
}

template <class T>
void orv_PointSetModule<T>::OnIdle(wxIdleEvent& event) {
  event.Skip();
  ShowModifiedInTitle();
  if (m_canvas->InfoFrame_IsShown()) UpdateInfoPage();
}

template <class T>
void orv_PointSetModule<T>::UpdateInfoPage() {
  wxFrame* info = m_canvas->InfoFrame_Get();
  auto* notebook = dynamic_cast<wxNotebook*>(info->FindWindow(ID_INFO_NOTEBOOK));
  wxCHECK_RET(notebook, "the info window has its notebook");
  const bool made = m_infoPage == -1;
  if (made) {
    notebook->AddPage(MakePointsPage(notebook), "Points", true);
    m_infoPage = static_cast<int>(notebook->GetPageCount()) - 1;
  }
  if (notebook->GetSelection() != m_infoPage) return;
  wxWindow* page = notebook->GetPage(static_cast<size_t>(m_infoPage));
  const LabelledPointSet& points = m_canvas->GetPoints();
  const unsigned current = m_canvas->GetCurrentPoint();
  wxString id = "none", position = "none", labels = "none";
  if (current < points.GetCount()) {
    const bix::Vector3d<float>& p = points[current];
    id = wxString::Format("%lu", static_cast<unsigned long>(current));
    position = wxString::Format("%.3f   %.3f   %.3f", p.x, p.y, p.z);
    if (!m_infoLabels.IsEmpty()) labels.clear();
    for (int k : m_infoLabels)
      if (static_cast<unsigned>(k) < points.GetLabelNameCount())
        labels += points.GetLabelName(k) + ": " + points.GetLabel(current, k) + "\n";
  }
  bool changed = SetIfChanged(page, ID_POINTS_COUNT, wxString::Format("%lu", static_cast<unsigned long>(points.GetCount())));
  changed |= SetIfChanged(page, ID_POINTS_ID, id);
  changed |= SetIfChanged(page, ID_POINTS_POSITION, position);
  changed |= SetIfChanged(page, ID_POINTS_LABELS, labels);
  if (changed || made) FitInfoFrame(info);
}

#define ORV_INSTANTIATE_POINT_MODULE(T) template class orv_PointSetModule<T>;
ORV_FOR_EACH_POINT_VOXEL_TYPE(ORV_INSTANTIATE_POINT_MODULE)

}  // namespace orv
