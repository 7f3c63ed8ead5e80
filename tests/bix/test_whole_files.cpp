// Small files read and written whole: by the rules image files follow.

#include "io_test_support.h"

#include <bix/Notices.h>
#include <bix/WholeFiles.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace iotest;

// Saving through a link replaces the file it names; a read-only file is
// refused with the reason; what a killed save left in the folder goes.
TEST(WholeFiles, ReplacedAsImagesAre) {
  ScratchDir dir;
  WriteBytes(dir / "real.txt", "old");
  std::filesystem::create_symlink(dir / "real.txt", dir / "link.txt");
  bix::ReplaceWholeFile(dir / "link.txt", "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.txt"));
  EXPECT_EQ(FileBytes(dir / "real.txt"), "new");

  ASSERT_EQ(::chmod((dir / "real.txt").c_str(), 0444), 0);
  EXPECT_EQ(IOErrorOf([&] { bix::ReplaceWholeFile(dir / "real.txt", "newer"); }),
            "'" + (dir / "real.txt") + "': cannot be written: it is read-only");
  EXPECT_EQ(IOErrorOf([&] { bix::ReplaceWholeFile(dir / "link.txt", "newer"); }),
            "'" + (dir / "link.txt") + "': cannot be written: '" + (dir / "real.txt") + "' is read-only");
  EXPECT_EQ(FileBytes(dir / "real.txt"), "new");
  ASSERT_EQ(::chmod((dir / "real.txt").c_str(), 0644), 0);

  // The folder a save of an ended process left (its host file unlocked).
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
  const std::string left = dir / (".orv-save-" + std::to_string(ended) + "-0");
  ASSERT_EQ(::mkdir(left.c_str(), 0700), 0);
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  WriteBytes(left + "/.orv-save-host", std::string(host) + "\n");
  WriteBytes(left + "/p.txt", "half a save");
  std::vector<std::string> notices;
  const bix::NoticeHandler previous = bix::SetNoticeHandler([&](const std::string& n) { notices.push_back(n); });
  bix::ReplaceWholeFile(dir / "p.txt", "points");
  bix::SetNoticeHandler(previous);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"link.txt", "p.txt", "real.txt"}));
  EXPECT_EQ(notices.size(), 1u);
  EXPECT_EQ(FileBytes(dir / "p.txt"), "points");
}

// One read() returns at most 2 GiB: a file past that is read whole in
// pieces (a sparse file, so the test writes a few bytes only).
TEST(WholeFiles, FilesOfTwoGigabytesAndMoreAreReadWhole) {
  ScratchDir dir;
  const std::string path = dir / "big.txt";
  const std::string head = "x0\ty0\tz0\n", tail = "\n4\t5\t6\n";
  const off_t far = (off_t(1) << 31) + 1;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  const bool written = ::pwrite(fd, head.data(), head.size(), 0) == ssize_t(head.size()) &&
                       ::pwrite(fd, tail.data(), tail.size(), far) == ssize_t(tail.size());
  ::close(fd);
  ASSERT_TRUE(written);
  std::string bytes = bix::ReadWholeFile(path);
  ASSERT_EQ(bytes.size(), std::size_t(far) + tail.size());
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  EXPECT_EQ(bytes.substr(std::size_t(far)), tail);
  EXPECT_EQ(bytes[std::size_t(far) - 1], '\0');
  bytes = std::string();
  EXPECT_EQ(IOErrorOf([&] { bix::ReadWholeFile(dir.Path()); }), "'" + dir.Path() + "': cannot be opened: it is a folder");
  EXPECT_EQ(IOErrorOf([&] { bix::ReadWholeFile(dir / "none"); }),
            "'" + (dir / "none") + "': cannot be opened: No such file or directory");
}
