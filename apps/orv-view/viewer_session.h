#ifndef ORV_VIEW_VIEWER_SESSION_H
#define ORV_VIEW_VIEWER_SESSION_H

#include "options.h"

#include <bix/ImageIO.h>
#include "viewer_link.h"

#include <orv/orv_frame.h>

#include <wx/filehistory.h>
#include <wx/fileconf.h>
#include <wx/filename.h>

#include <map>
#include <memory>
#include <vector>

namespace orvview {

// The command id of "&Link cut points", above "Keys and mouse".
constexpr int kLinkCutPointsId = 7001;
// The command id of the "Open &recent" submenu.
constexpr int kOpenRecentId = 7002;

// The wildcard of the "Open" dialog: the formats orv-view reads.
extern const char* const kOpenWildcard;

// Where orv-view keeps its configuration (the recent files) by default:
// orv-view.conf in the user's configuration folder ($XDG_CONFIG_HOME or
// ~/.config).
wxString DefaultConfigFile();

// The open viewers of orv-view and what they share: the "&File" menu each
// one carries (open, recent files, link, close, quit), the files dropped on
// them, the recently opened files kept in a configuration file across runs,
// and the link between their cut points.
class ViewerSession {
public:
  // `options`: the command line's settings that every opened file keeps
  // (the full 16-bit range); `configFile`: wxFileConfig's file for the
  // recent files.
  ViewerSession(const ViewerOptions& options, const wxString& configFile);
  ~ViewerSession();
  ViewerSession(const ViewerSession&) = delete;
  ViewerSession& operator=(const ViewerSession&) = delete;

  // Opens a file in a new viewer, shows it and adds it to the recent
  // files. When the file cannot be opened, says so in a message box over
  // `parent` and returns null.
  orv::orv_OrthoscopeFrame* Open(const wxString& path, wxWindow* parent = nullptr);
  // Gives a viewer made elsewhere the "&File" menu, the drop target and
  // the link.
  void Adopt(orv::orv_OrthoscopeFrame* frame);
  // Opened files are read telling `progress` (which may cancel) instead
  // of under a progress dialog.
  void SetReadProgress(bix::ProgressCallback progress) { m_progress = std::move(progress); }
  // Puts a file (by its absolute path) or a web address at the top of the
  // recent files and saves the list.
  void AddRecent(const wxString& path);

  const std::vector<orv::orv_OrthoscopeFrame*>& Viewers() const { return m_viewers; }
  const wxFileHistory& Recent() const { return m_recent; }
  ViewerLink& Link() { return m_link; }

private:
  void AddFileMenu(orv::orv_OrthoscopeFrame* frame);
  void ChooseAndOpen(orv::orv_OrthoscopeFrame* frame);
  void Forget(orv::orv_OrthoscopeFrame* frame);

  ViewerOptions m_options;
  bix::ProgressCallback m_progress;
  wxFileName m_configFile;
  std::unique_ptr<wxFileConfig> m_config;
  bool m_configSaved = true;  // false once the file could not be read or written
  wxFileHistory m_recent;
  ViewerLink m_link;
  bool m_followPosted = false;  // the link follows once the current action is done
  std::vector<orv::orv_OrthoscopeFrame*> m_viewers;
  // Each viewer's "Open recent" submenu, which the file history keeps up to date.
  std::map<orv::orv_OrthoscopeFrame*, wxMenu*> m_recentMenus;
  // The handlers bound to the frames hold a weak reference: a frame that
  // outlives the session (destroyed later) finds it gone and does nothing.
  std::shared_ptr<ViewerSession*> m_self;
};

}  // namespace orvview

#endif
