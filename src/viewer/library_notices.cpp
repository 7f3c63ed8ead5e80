// The image library's notices (such as a stale save folder it removed) go to
// the application's log, beside the viewer's own messages, instead of to a
// standard error that a desktop application's user never sees. Installed
// when the library is loaded, before any host code runs.

#include <bix/Notices.h>

#include <wx/log.h>

namespace {

const bool kNoticesToLog = [] {
  bix::SetNoticeHandler([](const std::string& notice) { wxLogMessage("%s", wxString::FromUTF8(notice)); });
  return true;
}();

}  // namespace
