#include "viewer_session.h"

#include "open_image.h"

#include <bix/Exceptions.h>
#include <bix/WholeFiles.h>

#include <orv/settings_file.h>

#include <wx/app.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sstream.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <functional>

namespace orvview {

const char* const kOpenWildcard =
    "Image stacks (*.tif, *.tiff, *.ics, *.bix, OME-Zarr .zattrs)|*.tif;*.tiff;*.ics;*.bix;*.TIF;*.TIFF;*.ICS;*.BIX;"
    ".zattrs|TIFF (*.tif, *.tiff)|*.tif;*.tiff;*.TIF;*.TIFF|ICS (*.ics)|*.ics;*.ICS|BIX (*.bix)|*.bix;*.BIX|"
    "OME-Zarr (.zattrs in the store's folder)|.zattrs|All files|*";

namespace {

const char* const kRecentPath = "/RecentFiles";

using Self = std::weak_ptr<ViewerSession*>;

// Runs `action` on the session if it still exists.
void WithSession(const Self& self, const std::function<void(ViewerSession&)>& action) {
  if (auto session = self.lock()) action(**session);
}

class FileDrop : public wxFileDropTarget {
public:
  FileDrop(Self self, wxWindow* frame) : m_self(std::move(self)), m_frame(frame) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
    bool opened = false;
    WithSession(m_self, [&](ViewerSession& session) {
      for (const wxString& file : files) opened = session.Open(file, m_frame) || opened;
    });
    return opened;
  }

private:
  Self m_self;
  wxWindow* m_frame;
};

}  // namespace

wxString DefaultConfigFile() {
  wxStandardPaths& paths = wxStandardPaths::Get();
  paths.SetFileLayout(wxStandardPaths::FileLayout_XDG);
  return wxFileName(paths.GetUserConfigDir(), "orv-view.conf").GetFullPath();
}

ViewerSession::ViewerSession(const ViewerOptions& options, const wxString& configFile)
    : m_configFile(configFile), m_self(std::make_shared<ViewerSession*>(this)) {
  // Only what holds for every file: a voxel size or a stretch was asked for
  // the command line's image.
  m_options.fullRange = options.fullRange;
  // A file that cannot be read is said to be so and left as it is: the
  // recent files start empty and are not saved over it in this session.
  std::string problem;
  if (m_configFile.Exists()) {
    const std::string path(configFile.fn_str());
    try {
      m_config = orv::ReadSettingsText(bix::ReadWholeFile(path), path, problem);
    } catch (const bix::IOException& e) {
      problem = e.what();
    }
  }
  if (!m_config) {
    wxStringInputStream nothing(wxEmptyString);
    m_config = std::make_unique<wxFileConfig>(nothing);
  }
  if (!problem.empty()) {
    m_configSaved = false;
    wxLogWarning("%s; the recent files start empty, and the file is left as it is.", wxString::FromUTF8(problem));
  }
  m_config->SetPath(kRecentPath);
  m_recent.Load(*m_config);
}

ViewerSession::~ViewerSession() {
  m_self.reset();
  for (const auto& [frame, menu] : m_recentMenus) m_recent.RemoveMenu(menu);
}

orv::orv_OrthoscopeFrame* ViewerSession::Open(const wxString& path, wxWindow* parent) {
  ViewerOptions options = m_options;
  options.image = path.utf8_string();
  orv::orv_OrthoscopeFrame* frame = nullptr;
  try {
    frame = OpenViewer(options, m_progress);
  } catch (const bix::ReadCancelled&) {
    return nullptr;  // the user's choice: nothing to report
  } catch (const std::exception& e) {
    wxMessageBox(wxString::Format("The image cannot be opened.\n\n%s", wxString::FromUTF8(e.what())), "orv-view",
                 wxOK | wxICON_ERROR, parent);
    return nullptr;
  }
  Adopt(frame);
  AddRecent(path);
  frame->Show();
  return frame;
}

void ViewerSession::AddRecent(const wxString& given) {
  // A web address stays as it is; a file is remembered by its absolute path.
  const bool url = given.StartsWith("http://") || given.StartsWith("https://");
  const wxString path = url ? given : wxFileName(given).GetAbsolutePath();
  m_recent.AddFileToHistory(path);
  m_config->SetPath(kRecentPath);
  m_recent.Save(*m_config);
  if (!m_configSaved) return;
  // Saved as any file of ours: through a link, never half written.
  wxStringOutputStream text;
  m_config->Save(text, wxConvUTF8);
  m_configFile.Mkdir(wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  try {
    bix::ReplaceWholeFile(std::string(m_configFile.GetFullPath().fn_str()), text.GetString().utf8_string());
  } catch (const bix::IOException& e) {
    // Said once: every file opened would say it again.
    m_configSaved = false;
    wxLogWarning("The recent files cannot be saved: %s", wxString::FromUTF8(e.what()));
  }
}

void ViewerSession::Adopt(orv::orv_OrthoscopeFrame* frame) {
  m_viewers.push_back(frame);
  m_link.Add(frame);
  AddFileMenu(frame);
  frame->SetDropTarget(new FileDrop(m_self, frame));
  const Self self = m_self;
  // The link follows each user action once it is done: the steps within it
  // (a gallery moving the cut through every slice and back) are not seen.
  frame->Bind(orv::orv_EVT_VIEW_CHANGED, [self](orv::orv_ViewChangedEvent& event) {
    event.Skip();
    WithSession(self, [&self](ViewerSession& session) {
      if (session.m_followPosted) return;
      session.m_followPosted = true;
      wxTheApp->CallAfter([self] {
        WithSession(self, [](ViewerSession& later) {
          later.m_followPosted = false;
          later.m_link.Follow();
        });
      });
    });
  });
  frame->Bind(wxEVT_DESTROY, [self, frame](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == frame) WithSession(self, [frame](ViewerSession& session) { session.Forget(frame); });
    event.Skip();
  });
}

void ViewerSession::AddFileMenu(orv::orv_OrthoscopeFrame* frame) {
  auto* recent = new wxMenu;
  auto* file = new wxMenu;
  file->Append(wxID_OPEN, "&Open...\tCtrl-O", "Open an image stack (TIFF, ICS, BIX) in a new viewer");
  file->Append(kOpenRecentId, "Open &recent", recent, "Open one of the last files opened");
  file->AppendSeparator();
  file->AppendCheckItem(kLinkCutPointsId, "&Link cut points",
                        "Make every open viewer follow the cut point and zoom of the viewer in use");
  file->AppendSeparator();
  file->Append(wxID_CLOSE, "&Close\tCtrl-W", "Close this viewer");
  file->Append(wxID_EXIT, "&Quit\tCtrl-Q", "Close every viewer and quit");
  frame->GetMenuBar()->Insert(0, file, "&File");
  m_recent.UseMenu(recent);
  m_recent.AddFilesToMenu(recent);
  m_recentMenus[frame] = recent;

  const Self self = m_self;
  auto bind = [&](int id, std::function<void(ViewerSession&, wxCommandEvent&)> action) {
    frame->Bind(
        wxEVT_MENU,
        [self, action](wxCommandEvent& event) {
          WithSession(self, [&](ViewerSession& session) { action(session, event); });
        },
        id);
  };
  bind(wxID_OPEN, [frame](ViewerSession& session, wxCommandEvent&) { session.ChooseAndOpen(frame); });
  bind(wxID_CLOSE, [frame](ViewerSession&, wxCommandEvent&) { frame->Close(); });
  bind(wxID_EXIT, [](ViewerSession& session, wxCommandEvent&) {
    // A viewer that keeps itself open (unsaved points, Cancel) ends the quit.
    const std::vector<orv::orv_OrthoscopeFrame*> viewers = session.m_viewers;
    for (orv::orv_OrthoscopeFrame* viewer : viewers)
      if (!viewer->Close()) return;
  });
  bind(kLinkCutPointsId, [frame](ViewerSession& session, wxCommandEvent& event) {
    session.m_link.SetLinked(event.IsChecked(), frame);
  });
  frame->Bind(wxEVT_UPDATE_UI, [self](wxUpdateUIEvent& event) {
    WithSession(self, [&](ViewerSession& session) { event.Check(session.m_link.IsLinked()); });
  }, kLinkCutPointsId);
  frame->Bind(
      wxEVT_MENU,
      [self, frame](wxCommandEvent& event) {
        WithSession(self, [&](ViewerSession& session) {
          const size_t index = static_cast<size_t>(event.GetId() - session.m_recent.GetBaseId());
          if (index < session.m_recent.GetCount()) session.Open(session.m_recent.GetHistoryFile(index), frame);
        });
      },
      m_recent.GetBaseId(), m_recent.GetBaseId() + m_recent.GetMaxFiles() - 1);
}

void ViewerSession::ChooseAndOpen(orv::orv_OrthoscopeFrame* frame) {
  wxString folder;
  if (m_recent.GetCount() > 0) folder = wxFileName(m_recent.GetHistoryFile(0)).GetPath();
  wxFileDialog dialog(frame, "Open an image stack", folder, wxEmptyString, kOpenWildcard,
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return;
  Open(dialog.GetPath(), frame);
}

void ViewerSession::Forget(orv::orv_OrthoscopeFrame* frame) {
  m_viewers.erase(std::remove(m_viewers.begin(), m_viewers.end(), frame), m_viewers.end());
  m_link.Remove(frame);
  // The menu may be gone with the menu bar already: only its address is used.
  const auto menu = m_recentMenus.find(frame);
  if (menu == m_recentMenus.end()) return;
  m_recent.RemoveMenu(menu->second);
  m_recentMenus.erase(menu);
}

}  // namespace orvview
