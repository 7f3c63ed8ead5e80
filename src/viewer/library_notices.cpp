// The image library's notices (such as a stale save folder it removed) go to
// the application's log, beside the viewer's own messages, instead of to a
// standard error that a desktop application's user never sees. Installed
// when the library is loaded, before any host code runs.

#include <bix/Notices.h>

#include <wx/log.h>
#include <wx/strconv.h>

namespace {

// File names in notices need not be UTF-8: bytes that are not show as octal
// escapes instead of emptying the message.
wxString ReadableText(const std::string& text) {
  static const wxMBConvUTF8 conversion(wxMBConvUTF8::MAP_INVALID_UTF8_TO_OCTAL);
  return wxString(text.c_str(), conversion);
}

// A handler a host installed before the library was loaded stays.
const bool kNoticesToLog = [] {
  bix::NoticeHandler previous =
      bix::SetNoticeHandler([](const std::string& notice) { wxLogMessage("%s", ReadableText(notice)); });
  if (previous) bix::SetNoticeHandler(std::move(previous));
  return true;
}();

}  // namespace
