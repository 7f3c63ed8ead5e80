// Saving replaces a file only once the new one is complete: a save that
// fails, however far it got, leaves the previous file byte for byte and no
// temporary files behind.

#include "io_test_support.h"

#include <csignal>

#include <bix/Notices.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/stat.h>

using namespace iotest;
using bix::Image3d;
using bix::Resolution;

namespace {

struct Target {
  bix::FileFormat format;
  std::vector<std::string> files;  // the first is the name saved to
};
const Target kTargets[] = {{bix::FORMAT_TIFF, {"a.tif"}},
                           {bix::FORMAT_ICS, {"a.ics"}},
                           {bix::FORMAT_ICS_V1, {"a.ics", "a.ids"}},
                           {bix::FORMAT_BIX, {"a.bix"}}};

std::vector<std::string> Contents(const ScratchDir& dir, const std::vector<std::string>& files) {
  std::vector<std::string> bytes;
  for (const std::string& f : files) bytes.push_back(FileBytes(dir / f));
  return bytes;
}

TEST(AtomicSave, AWriteThatFailsPartWayKeepsThePreviousFile) {
  ScratchDir dir;
  const Resolution res(Vector3d<float>(1, 1, 1));
  const auto old = MakeImage<unsigned short>(Vector3d<unsigned>(8, 8, 2), Vector3d<float>(), res);
  const auto big = MakeImage<unsigned short>(Vector3d<unsigned>(256, 256, 8), Vector3d<float>(), res);
  for (const Target& t : kTargets) {
    SCOPED_TRACE(t.files[0] + " format " + std::to_string(t.format));
    old.SaveImage(dir / t.files[0], t.format, false);
    const std::vector<std::string> before = Contents(dir, t.files);
    const std::vector<std::string> listing = dir.List();
    std::string error;
    {
      FileSizeLimit limit(64 * 1024);  // a quarter of a slice of the new image
      error = IOErrorOf([&] { big.SaveImage(dir / t.files[0], t.format, false); });
    }
    EXPECT_EQ(error.rfind("'" + (dir / t.files[0]) + "': cannot be written", 0), 0u) << error;
    EXPECT_NE(error.find(std::strerror(EFBIG)), std::string::npos) << "the system's reason: " << error;
    EXPECT_EQ(Contents(dir, t.files), before);
    EXPECT_EQ(dir.List(), listing) << "temporary files were left behind";
    Image3d<unsigned short> back;
    bix::ReadImage(dir / t.files[0], back);
    EXPECT_TRUE(SameVoxels(back, old));
  }
}

// A small file system of its own under the scratch directory.
class SmallDisk {
public:
  SmallDisk(const ScratchDir& dir, const char* size) : m_path(dir / "disk") {
    ::mkdir(m_path.c_str(), 0700);
    const std::string options = std::string("size=") + size;
    if (::mount("tmpfs", m_path.c_str(), "tmpfs", 0, options.c_str()) == 0) m_mounted = true;
    else m_error = std::strerror(errno);
  }
  ~SmallDisk() {
    if (m_mounted) ::umount2(m_path.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return m_mounted; }
  const std::string& Error() const { return m_error; }
  std::string operator/(const std::string& file) const { return m_path + "/" + file; }

private:
  std::string m_path;
  bool m_mounted = false;
  std::string m_error;
};

TEST(AtomicSave, AFullDiskIsNamedInEveryFormat) {
  ScratchDir dir;
  SmallDisk disk(dir, "512k");
  if (!disk.Mounted()) GTEST_SKIP() << "a small tmpfs cannot be mounted here (" << disk.Error() << ")";
  const Resolution res(Vector3d<float>(1, 1, 1));
  const auto old = MakeImage<unsigned short>(Vector3d<unsigned>(8, 8, 2), Vector3d<float>(), res);
  // Noise: compression cannot bring it under the disk's size.
  auto big = MakeImage<unsigned short>(Vector3d<unsigned>(256, 256, 8), Vector3d<float>(), res);
  std::uint32_t state = 12345;
  for (unsigned short* v = big.GetFirstVoxelAddr(); v != big.GetFirstVoxelAddr() + big.GetVoxelCount(); ++v)
    *v = static_cast<unsigned short>((state = state * 1664525u + 1013904223u) >> 16);
  for (const Target& t : kTargets) {
    for (bool compress : {false, true}) {
      SCOPED_TRACE(t.files[0] + " format " + std::to_string(t.format) + (compress ? " compressed" : ""));
      old.SaveImage(disk / t.files[0], t.format, compress);
      const std::string error = IOErrorOf([&] { big.SaveImage(disk / t.files[0], t.format, compress); });
      EXPECT_EQ(error.rfind("'" + (disk / t.files[0]) + "': cannot be written", 0), 0u) << error;
      EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
      Image3d<unsigned short> back;
      bix::ReadImage(disk / t.files[0], back);
      EXPECT_TRUE(SameVoxels(back, old));
    }
  }
}

TEST(AtomicSave, ARefusedRegionKeepsThePreviousFile) {
  ScratchDir dir;
  const auto image = MakeImage<float>(Vector3d<unsigned>(4, 4, 4), Vector3d<float>(), Resolution());
  const bix::VOI<float> outside(Vector3d<float>(-10, -10, -10), Vector3d<float>(5, 5, 5));
  for (const Target& t : kTargets) {
    image.SaveImage(dir / t.files[0], t.format, true);
    const std::vector<std::string> before = Contents(dir, t.files);
    const std::vector<std::string> listing = dir.List();
    EXPECT_NE(IOErrorOf([&] { image.SaveImage(dir / t.files[0], t.format, true, &outside); }), "");
    EXPECT_EQ(Contents(dir, t.files), before);
    EXPECT_EQ(dir.List(), listing);
  }
}

TEST(AtomicSave, TargetsThatCannotBeReplacedAreReported) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(2, 2, 2), Vector3d<float>(), Resolution());
  std::filesystem::create_directory(dir / "d.tif");
  EXPECT_EQ(IOErrorOf([&] { image.SaveImage(dir / "d.tif"); }),
            "'" + (dir / "d.tif") + "': cannot replace '" + (dir / "d.tif") + "': Is a directory");
  EXPECT_EQ(dir.List(), std::vector<std::string>{"d.tif"});
  EXPECT_EQ(IOErrorOf([&] { image.SaveImage(dir / "missing/a.bix"); }),
            "'" + (dir / "missing/a.bix") +
                "': cannot be written: no new file can be made in its directory (No such file or directory)");
}

TEST(AtomicSave, ReplacingKeepsThePermissionsOfTheOldFile) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(2, 2, 2), Vector3d<float>(), Resolution());
  image.SaveImage(dir / "p.bix");
  ASSERT_EQ(::chmod((dir / "p.bix").c_str(), 0640), 0);
  image.SaveImage(dir / "p.bix", bix::FORMAT_BIX, false);
  struct stat st;
  ASSERT_EQ(::stat((dir / "p.bix").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(FileBytes(dir / "p.bix").size(), 72u + 8);
}

// A file made read-only (raw data, say) is not replaced: renaming would need
// no write permission on it, a plain write would be refused.
TEST(AtomicSave, ReadOnlyFilesAreNotReplaced) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(2, 2, 2), Vector3d<float>(), Resolution());
  image.SaveImage(dir / "raw.bix");
  const std::string before = FileBytes(dir / "raw.bix");
  ASSERT_EQ(::chmod((dir / "raw.bix").c_str(), 0444), 0);
  const auto other = MakeImage<unsigned char>(Vector3d<unsigned>(3, 2, 2), Vector3d<float>(), Resolution());
  EXPECT_EQ(IOErrorOf([&] { other.SaveImage(dir / "raw.bix"); }),
            "'" + (dir / "raw.bix") + "': cannot be written: it is read-only");
  EXPECT_EQ(FileBytes(dir / "raw.bix"), before);
  EXPECT_EQ(dir.List(), std::vector<std::string>{"raw.bix"});
}

// Saving to a symbolic link writes the file it names; the link stays.
// ICS version 1 names its data file after that file.
TEST(AtomicSave, SymbolicLinksStayAndTheirFilesAreReplaced) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "store");
  const auto small = MakeImage<unsigned char>(Vector3d<unsigned>(2, 2, 2), Vector3d<float>(), Resolution());
  const auto large = MakeImage<unsigned char>(Vector3d<unsigned>(5, 4, 3), Vector3d<float>(), Resolution());
  small.SaveImage(dir / "store/real.tif");
  std::filesystem::create_symlink(dir / "store/real.tif", dir / "link.tif");
  large.SaveImage(dir / "link.tif");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.tif"));
  bix::Image3d<unsigned char> back;
  bix::ReadImage(dir / "store/real.tif", back);
  EXPECT_EQ(back.GetSize(), Vector3d<unsigned>(5, 4, 3));

  // A relative link to a file not there yet: made where the link points.
  std::filesystem::create_symlink("store/cell.ics", dir / "cell.ics");
  small.SaveImage(dir / "cell.ics", bix::FORMAT_ICS_V1, false);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"cell.ics", "link.tif", "store"}));
  EXPECT_TRUE(std::filesystem::exists(dir / "store/cell.ids"));
  large.SaveImage(dir / "cell.ics", bix::FORMAT_ICS_V1, false);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "cell.ics"));
  bix::ReadImage(dir / "cell.ics", back);
  EXPECT_EQ(back.GetSize(), Vector3d<unsigned>(5, 4, 3));
  EXPECT_TRUE(std::filesystem::exists(dir / "store/cell.ids"));
}

// A name as long as a file name may be still saves: the temporary folder's
// name does not repeat it.
TEST(AtomicSave, LongFileNamesSave) {
  ScratchDir dir;
  const auto image = MakeImage<unsigned short>(Vector3d<unsigned>(3, 2, 2), Vector3d<float>(), Resolution());
  const std::string name = std::string(250, 'n') + ".tif";
  image.SaveImage(dir / name);
  EXPECT_EQ(dir.List(), std::vector<std::string>{name});
}

}  // namespace

namespace {

// The save folders of process `pid` in `dir` and the bytes their files hold.
std::uint64_t SaveFolderBytes(const ScratchDir& dir, pid_t pid, std::vector<std::string>* names = nullptr) {
  std::uint64_t bytes = 0;
  const std::string prefix = ".orv-save-" + std::to_string(pid) + "-";
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
    if (e.path().filename().string().rfind(prefix, 0) != 0) continue;
    if (names) names->push_back(e.path().filename());
    for (const auto& f : std::filesystem::directory_iterator(e.path())) bytes += f.file_size();
  }
  return bytes;
}

}  // namespace

// A save killed mid-way leaves its folder; the next save in that folder
// removes it (and says so), but never the folder of a process still running.
TEST(AtomicSave, FoldersOfKilledSavesAreRemovedByTheNextSave) {
  ScratchDir dir;
  const auto old = MakeImage<unsigned char>(Vector3d<unsigned>(8, 8, 2), Vector3d<float>(), Resolution());
  old.SaveImage(dir / "stack.tif", bix::FORMAT_TIFF, false);
  const std::string before = FileBytes(dir / "stack.tif");
  // Noise compresses slowly and hardly at all: the save takes seconds.
  Image3d<unsigned char> big(Vector3d<unsigned>(1024, 1024, 64));
  std::uint32_t state = 99;
  for (unsigned char* v = big.GetFirstVoxelAddr(); v != big.GetFirstVoxelAddr() + big.GetVoxelCount(); ++v)
    *v = static_cast<unsigned char>((state = state * 1664525u + 1013904223u) >> 24);

  std::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    try {
      big.SaveImage(dir / "stack.tif", bix::FORMAT_TIFF, true);
    } catch (...) {
    }
    ::_exit(0);
  }
  bool started = false;
  for (int i = 0; i < 20000 && !started; ++i) {
    started = SaveFolderBytes(dir, child) > (1u << 20);
    if (!started) ::usleep(500);
  }
  ::kill(child, started ? SIGSTOP : SIGKILL);
  ASSERT_TRUE(started) << "the child's save never got under way";

  // Stopped mid-save, the child still runs: its folder stays.
  std::vector<std::string> notices;
  const bix::NoticeHandler previous =
      bix::SetNoticeHandler([&](const std::string& notice) { notices.push_back(notice); });
  old.SaveImage(dir / "other.tif", bix::FORMAT_TIFF, false);
  std::vector<std::string> folders;
  const std::uint64_t leftBytes = SaveFolderBytes(dir, child, &folders);
  EXPECT_EQ(folders.size(), 1u);
  EXPECT_TRUE(notices.empty());

  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(FileBytes(dir / "stack.tif"), before) << "the killed save left the old file as it was";
  ASSERT_EQ(folders.size(), 1u);

  old.SaveImage(dir / "third.bix", bix::FORMAT_BIX, false);
  bix::SetNoticeHandler(previous);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"other.tif", "stack.tif", "third.bix"}));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], "removed '" + (dir / folders[0]) + "' (" + std::to_string((leftBytes + (1u << 19)) >> 20) +
                            " MB), left by an unfinished save of process " + std::to_string(child) +
                            ", which no longer runs");
  EXPECT_EQ(FileBytes(dir / "stack.tif"), before);
}

// A save of another PID namespace (a sandbox) on this host has ids of its
// own: its folder's process id may look ended here. Its lock says it runs.
TEST(AtomicSave, FoldersWhoseLockIsHeldStayWhateverTheirProcessId) {
  ScratchDir dir;
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string folder = dir / (".orv-save-" + std::to_string(gone) + "-0");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  const int fd = ::open((folder + "/.orv-save-host").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  const std::string line = std::string(host) + "\n";
  ASSERT_EQ(::write(fd, line.data(), line.size()), ssize_t(line.size()));
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);  // a live save holds it (through another descriptor)
  const auto image = MakeImage<unsigned char>(Vector3d<unsigned>(2, 2, 2), Vector3d<float>(), Resolution());
  image.SaveImage(dir / "a.bix");
  EXPECT_TRUE(std::filesystem::exists(folder)) << "a locked folder was taken for stale";
  ::close(fd);
  image.SaveImage(dir / "b.bix");
  EXPECT_FALSE(std::filesystem::exists(folder)) << "its lock is free now: stale";
}
