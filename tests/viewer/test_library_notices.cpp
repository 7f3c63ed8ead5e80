// What the image library does on its own reaches the application's log.

#include "gui_test.h"

#include <bix/bix.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

class RecordingLog : public wxLog {
public:
  std::vector<wxString> messages;

protected:
  void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override {
    if (level == wxLOG_Message) messages.push_back(text);
  }
};

TEST(LibraryNotices, AStaleSaveFolderRemovedIsLogged) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("orv-notice-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  // A process that has ended, as if killed mid-save on this host.
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::filesystem::path stale = dir / (".orv-save-" + std::to_string(gone) + "-0");
  std::filesystem::create_directory(stale);
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  std::ofstream(stale / ".orv-save-host") << host << '\n';

  auto* log = new RecordingLog;
  wxLog* previous = wxLog::SetActiveTarget(log);
  bix::Image3d<unsigned char> image(bix::Vector3d<unsigned>(2, 2, 2));
  image.SaveImage((dir / "a.bix").string());
  wxLog::FlushActive();
  const std::vector<wxString> messages = log->messages;
  delete wxLog::SetActiveTarget(previous);
  std::filesystem::remove_all(dir);

  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "removed '" + stale.string() + "' (" + std::to_string(std::strlen(host) + 1) +
                             " bytes), left by an unfinished save of process " + std::to_string(gone) +
                             ", which no longer runs");
}

}  // namespace
