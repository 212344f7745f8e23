#include "platform/linux/posix_file_system.hpp"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/fake_services.hpp"

namespace orvessa {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

std::string Contents(const std::string& path) {
  std::stringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

std::size_t EntriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(PosixFileSystemRead, ReadsAWholeFileOrItsFirstBytes) {
  TempFolder folder;
  PosixFileSystem files;
  const std::string path = folder / "a.cop";
  std::ofstream(path, std::ios::binary) << std::string("line\r\n\0\xED", 8);
  auto whole = files.ReadFile(path, 8);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole.value().bytes, std::string("line\r\n\0\xED", 8));
  EXPECT_FALSE(whole.value().truncated);
  auto first = files.ReadFile(path, 4);
  ASSERT_TRUE(first);
  EXPECT_EQ(first.value().bytes, "line");
  EXPECT_TRUE(first.value().truncated);
}

TEST(PosixFileSystemRead, ReportsMissingPathsAndRefusesFilesThatAreNotRegular) {
  TempFolder folder;
  PosixFileSystem files;
  auto missing = files.ReadFile(folder / "none/x.cop", 10);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().kind, FsErrorKind::PathNotFound);
  EXPECT_EQ(missing.error().errnum, ENOENT);
  EXPECT_EQ(missing.error().path, folder / "none/x.cop");
  EXPECT_EQ(files.ReadFile(folder.path().string(), 10).error().kind, FsErrorKind::PathFileAccess);
  // A FIFO must not block the reader waiting for a writer that never comes.
  ASSERT_EQ(::mkfifo((folder / "pipe.cop").c_str(), 0600), 0);
  EXPECT_EQ(files.ReadFile(folder / "pipe.cop", 10).error().kind, FsErrorKind::PathFileAccess);
}

TEST(PosixFileSystemWrite, ReplacesContentsKeepsPermissionsAndLinksLeavesNoTemporaryFile) {
  TempFolder folder;
  PosixFileSystem files;
  const std::string path = folder / "job.cop";
  ASSERT_TRUE(files.WriteFileAtomic(path, "first"));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(files.WriteFileAtomic(path, std::string("second\0", 7)));
  EXPECT_EQ(Contents(path), std::string("second\0", 7));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));

  fs::create_symlink(path, folder / "link.cop");
  ASSERT_TRUE(files.WriteFileAtomic(folder / "link.cop", "through the link"));
  EXPECT_TRUE(fs::is_symlink(folder / "link.cop"));
  EXPECT_EQ(Contents(path), "through the link");
  EXPECT_EQ(EntriesIn(folder.path()), 2u);

  auto missing = files.WriteFileAtomic(folder / "gone/job.cop", "x");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().kind, FsErrorKind::PathNotFound);
}

// A tiny tmpfs of its own gives a real full disk; it needs the right to mount.
TEST(PosixFileSystemWrite, AFullDiskIsReportedAndKeepsThePreviousFile) {
  TempFolder folder;
  const std::string mount_point = folder / "small";
  fs::create_directory(mount_point);
  if (::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here";
  }
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount(at.c_str()); }
  } unmount{mount_point};

  PosixFileSystem files;
  const std::string path = mount_point + "/job.cop";
  ASSERT_TRUE(files.WriteFileAtomic(path, std::string(20 * 1024, 'a')));
  auto full = files.WriteFileAtomic(path, std::string(200 * 1024, 'b'));
  ASSERT_FALSE(full);
  EXPECT_EQ(full.error().kind, FsErrorKind::DiskFull);
  EXPECT_EQ(full.error().path, path);
  EXPECT_EQ(Contents(path), std::string(20 * 1024, 'a'));
  EXPECT_EQ(EntriesIn(mount_point), 1u) << "the temporary file is removed";
}

}  // namespace
}  // namespace orvessa
