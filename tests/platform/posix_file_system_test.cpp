#include "platform/linux/posix_file_system.hpp"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/linux/mount_table.hpp"
#include "tests/support/file_helpers.hpp"

namespace orvessa {
namespace {

using namespace testing;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

struct CountingObserver : CopyObserver {
  std::vector<std::uint64_t> seen;
  std::size_t stop_after = SIZE_MAX;
  bool Continue(std::uint64_t bytes) override {
    seen.push_back(bytes);
    return seen.size() < stop_after;
  }
};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

class Posix : public ::testing::Test {
 protected:
  testing::TempFolder tmp;
  PosixFileSystem posix;
  std::string src = tmp / "src";
  std::string dst = tmp / "dst";
};

TEST_F(Posix, ReadFileGivesTheBytesOrTheFirstOnesAndRefusesWhatIsNotAFile) {
  const std::string path = tmp / "a.cop";
  const std::string bytes("line\r\n\0\xED", 8);
  WriteText(path, bytes);
  for (std::size_t max : {8, 4}) {
    auto read = posix.ReadFile(path, max);
    ASSERT_TRUE(read);
    EXPECT_EQ(read.value().bytes, bytes.substr(0, max));
    EXPECT_EQ(read.value().truncated, max < bytes.size());
  }

  auto missing = posix.ReadFile(tmp / "none/x.cop", 10);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().kind, FsErrorKind::PathNotFound);
  EXPECT_EQ(missing.error().errnum, ENOENT);
  EXPECT_EQ(missing.error().path, tmp / "none/x.cop");
  EXPECT_EQ(posix.ReadFile(tmp.path().string(), 10).error().kind, FsErrorKind::PathFileAccess);
  // A FIFO must not block the reader waiting for a writer that never comes.
  ASSERT_EQ(::mkfifo((tmp / "pipe.cop").c_str(), 0600), 0);
  EXPECT_EQ(posix.ReadFile(tmp / "pipe.cop", 10).error().kind, FsErrorKind::PathFileAccess);
}

TEST_F(Posix, WriteReplacesContentsKeepsTheModeAndLinksAndLeavesNoTemporaryFile) {
  const std::string path = tmp / "job.cop";
  ASSERT_TRUE(posix.WriteFileAtomic(path, "first"));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(posix.WriteFileAtomic(path, std::string("second\0", 7)));
  EXPECT_EQ(ReadText(path), std::string("second\0", 7));
  EXPECT_EQ(ModeOf(path), 0640u);

  fs::create_symlink(path, tmp / "link.cop");
  ASSERT_TRUE(posix.WriteFileAtomic(tmp / "link.cop", "through the link"));
  EXPECT_TRUE(fs::is_symlink(tmp / "link.cop"));
  EXPECT_EQ(ReadText(path), "through the link");
  EXPECT_EQ(Names(tmp.path()), (Strings{"job.cop", "link.cop"}));
  EXPECT_EQ(posix.WriteFileAtomic(tmp / "gone/job.cop", "x").error().kind,
            FsErrorKind::PathNotFound);

  // What a save killed before its rename left goes with the next save of that file; names
  // that only look alike stay.
  const Strings others = {".job.cop.ABCDEFG", ".job.cop.keep", ".other.cop.Ab12Cd",
                          "job.cop.Ab12Cd"};
  for (const auto& name : Strings{".job.cop.Ab12Cd", ".job.cop.zz99ZZ"}) WriteText(tmp / name, "x");
  for (const auto& name : others) WriteText(tmp / name, "x");
  ASSERT_TRUE(posix.WriteFileAtomic(path, "third"));
  Strings left = others;
  left.insert(left.end(), {"job.cop", "link.cop"});
  std::sort(left.begin(), left.end());
  EXPECT_EQ(Names(tmp.path()), left);
}

// The rest of what `cp -a` keeps is compared with cp's own copy end to end.
TEST_F(Posix, CopiesFollowNoLinkAndFillReadOnlyFoldersBeforeTheirMode) {
  WriteText(src + "/sub/deeper/b.txt", "beta");
  WriteText(src + "/.hidden", "h");
  fs::create_symlink(tmp / "nowhere", src + "/dangling");
  fs::create_directory_symlink(tmp.path(), src + "/loop");  // would never end if followed
  const struct timespec old[2] = {{1000000000, 0}, {1000000000, 123456789}};
  ::utimensat(AT_FDCWD, (src + "/sub").c_str(), old, 0);
  ::chmod((src + "/sub").c_str(), 0555);

  CountingObserver observer;
  auto copied = posix.CopyTree(src, dst, {true, {}, &observer});
  ASSERT_TRUE(copied) << copied.error().errnum;
  EXPECT_EQ(Names(dst), (Strings{".hidden", "dangling", "loop", "sub"}));
  EXPECT_EQ(ReadText(dst + "/sub/deeper/b.txt"), "beta");
  EXPECT_EQ(fs::read_symlink(dst + "/loop"), tmp.path());
  EXPECT_TRUE(fs::is_symlink(dst + "/dangling"));
  EXPECT_EQ(ModeOf(dst + "/sub"), 0555u);
  EXPECT_EQ(fs::last_write_time(dst + "/sub"), fs::last_write_time(src + "/sub"));
  EXPECT_EQ(copied.value().failed, 0u);
  EXPECT_EQ(copied.value().folders, 3u);
  EXPECT_FALSE(observer.seen.empty());
  ::chmod((src + "/sub").c_str(), 0755);
  ::chmod((dst + "/sub").c_str(), 0755);
}

// One file that fails does not cost the rest of the tree, when the caller says so.
TEST_F(Posix, AFailedFileIsLeftOutAndTheTreeGoesOn) {
  WriteText(src + "/kept.txt", "kept");
  // Files listed already and gone before they are copied.
  struct VanishingObserver : CopyObserver {
    std::string folder;
    bool leave_out = true;
    std::vector<std::string> skipped;
    bool Continue(std::uint64_t) override {
      fs::remove_all(folder);
      return true;
    }
    bool Skip(const std::string& source, const FsError& error) override {
      skipped.push_back(source);
      return leave_out && error.kind == FsErrorKind::PathNotFound;
    }
  } observer;
  observer.folder = src + "/many";
  for (int i = 0; i < 20; ++i) WriteText(src + "/many/f" + std::to_string(i), "x");
  auto copied = posix.CopyTree(src, dst, {false, {}, &observer});
  ASSERT_TRUE(copied);
  EXPECT_EQ(ReadText(dst + "/kept.txt"), "kept");
  EXPECT_GE(copied.value().failed, 1u);
  EXPECT_EQ(copied.value().failed, observer.skipped.size());
  EXPECT_TRUE(observer.skipped.front().starts_with(src + "/many"));

  // An observer that does not leave it out ends the copy at the first failure.
  observer.leave_out = false;
  for (int i = 0; i < 20; ++i) WriteText(src + "/many/f" + std::to_string(i), "x");
  auto stopped = posix.CopyTree(src, tmp / "other", {false, {}, &observer});
  ASSERT_FALSE(stopped);
  EXPECT_EQ(stopped.error().kind, FsErrorKind::PathNotFound);
}

TEST_F(Posix, MergingReplacesFilesOnlyWhenAskedAndLeavesNoTemporaryName) {
  WriteText(src + "/a.txt", "new");
  WriteText(dst + "/a.txt", "old");
  WriteText(dst + "/own.txt", "kept");
  ::chmod((dst + "/a.txt").c_str(), 0444);

  auto refused = posix.CopyTree(src, dst, {false, {}, nullptr});
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().kind, FsErrorKind::AlreadyExists);
  EXPECT_EQ(ReadText(dst + "/a.txt"), "old");

  ASSERT_TRUE(posix.CopyTree(src, dst, {true, {}, nullptr}));
  EXPECT_EQ(ReadText(dst + "/a.txt"), "new");
  EXPECT_EQ(Names(dst), (Strings{"a.txt", "own.txt"}));
}

TEST_F(Posix, NeverCopiesIntoItselfOrIntoExcludedFolders) {
  WriteText(src + "/a.txt", "alpha");
  WriteText(src + "/backup/old.txt", "old");
  auto onto_itself = posix.CopyTree(src, src, {});
  ASSERT_FALSE(onto_itself);
  EXPECT_EQ(ReadText(src + "/a.txt"), "alpha");

  // The target lies inside the source: its own copy is not copied again.
  ASSERT_TRUE(posix.CopyTree(src, src + "/backup/copy", {}));
  EXPECT_EQ(Names(src + "/backup/copy"), (Strings{"a.txt", "backup"}));
  EXPECT_EQ(Names(src + "/backup/copy/backup"), (Strings{"old.txt"}));

  ASSERT_TRUE(posix.CopyTree(src, dst, {true, {src + "/backup"}, nullptr}));
  EXPECT_EQ(Names(dst), (Strings{"a.txt"}));

  // Kernel files are never read, not even when asked for directly.
  auto proc = posix.CopyTree("/proc", tmp / "proc", {});
  ASSERT_TRUE(proc);
  EXPECT_EQ(proc.value().files, 0u);
  EXPECT_FALSE(Exists(tmp / "proc"));
}

TEST_F(Posix, ProgressMovesInsideALargeFileAndStoppingRemovesIt) {
  WriteText(src + "/big.bin", std::string(20u << 20, 'y'));
  CountingObserver observer;
  auto copied = posix.CopyFile(src + "/big.bin", dst + ".bin", {true, {}, &observer});
  ASSERT_TRUE(copied);
  EXPECT_EQ(copied.value().bytes, 20u << 20);
  ASSERT_GE(observer.seen.size(), 2u);
  EXPECT_LT(observer.seen.front(), observer.seen.back());
  EXPECT_EQ(fs::file_size(dst + ".bin"), 20u << 20);

  observer.stop_after = observer.seen.size() + 1;
  auto stopped = posix.CopyTree(src, dst, {true, {}, &observer});
  ASSERT_FALSE(stopped);
  EXPECT_EQ(stopped.error().kind, FsErrorKind::Cancelled);
  EXPECT_EQ(Names(dst), Strings{});
}

TEST_F(Posix, CopyFileHandlesItselfLinksSpecialFilesAndMissingPaths) {
  WriteText(src + "/a.txt", "alpha");
  ASSERT_TRUE(posix.CopyFile(src + "/a.txt", src + "/a.txt", {}));
  EXPECT_EQ(ReadText(src + "/a.txt"), "alpha");

  fs::create_symlink("a.txt", src + "/link");
  ASSERT_EQ(::mkfifo((src + "/pipe").c_str(), 0600), 0);
  ASSERT_TRUE(posix.CopyFile(src + "/link", tmp / "link-copy", {}));
  ASSERT_TRUE(posix.CopyFile(src + "/pipe", tmp / "pipe-copy", {}));
  EXPECT_EQ(fs::read_symlink(tmp / "link-copy"), "a.txt");
  EXPECT_TRUE(fs::is_fifo(tmp / "pipe-copy"));

  EXPECT_EQ(posix.CopyFile(src + "/gone.txt", tmp / "x", {}).error().kind,
            FsErrorKind::PathNotFound);
  auto no_folder = posix.CopyFile(src + "/a.txt", tmp / "missing/x", {});
  ASSERT_FALSE(no_folder);
  EXPECT_EQ(no_folder.error().kind, FsErrorKind::PathNotFound);
  EXPECT_EQ(no_folder.error().path, tmp / "missing/x");
}

TEST_F(Posix, FolderSizeCountsFilesOnceAndFollowsNoLinks) {
  WriteText(src + "/a", std::string(1000, 'a'));
  WriteText(src + "/sub/b", std::string(234, 'b'));
  fs::create_hard_link(src + "/a", src + "/sub/a-again");
  WriteText(tmp / "outside/big", std::string(5000, 'c'));
  fs::create_directory_symlink(tmp / "outside", src + "/out");
  auto size = posix.FolderSize(src);
  ASSERT_TRUE(size);
  EXPECT_EQ(size.value(), 1234u);
  EXPECT_FALSE(posix.FolderSize(tmp / "none"));
  EXPECT_EQ(posix.FolderSize("/proc").value(), 0u);
}

TEST_F(Posix, DeleteTreeRemovesReadOnlyFoldersWithForceAndNeverFollowsLinks) {
  WriteText(src + "/locked/a.txt", "a");
  WriteText(tmp / "keep/precious.txt", "precious");
  fs::create_directory_symlink(tmp / "keep", src + "/to-keep");
  ::chmod((src + "/locked").c_str(), 0555);

  if (::geteuid() != 0) {  // root may delete whatever the modes say
    ASSERT_FALSE(posix.DeleteTree(src, false));
  }
  ASSERT_TRUE(posix.DeleteTree(src, true));
  EXPECT_FALSE(Exists(src));
  EXPECT_EQ(ReadText(tmp / "keep/precious.txt"), "precious");
  EXPECT_EQ(posix.DeleteTree(src, true).error().kind, FsErrorKind::PathNotFound);
}

TEST_F(Posix, ListingsFoldersRenamesRootsAndDrives) {
  WriteText(src + "/a.txt", "abc");
  WriteText(src + "/.dot", "");
  fs::create_directory(src + "/sub");
  fs::create_symlink("a.txt", src + "/link");
  ::chmod((src + "/a.txt").c_str(), 0444);
  auto listing = posix.ListFolder(src);
  ASSERT_TRUE(listing);
  std::map<std::string, FolderEntry> by_name;
  for (const auto& entry : listing.value()) by_name[entry.name] = entry;
  ASSERT_EQ(by_name.size(), 4u);
  EXPECT_TRUE(by_name["a.txt"].type == EntryType::File && by_name["a.txt"].size == 3u &&
              by_name["a.txt"].read_only);
  EXPECT_TRUE(by_name[".dot"].hidden);
  EXPECT_TRUE(by_name["sub"].type == EntryType::Folder && !by_name["sub"].read_only);
  EXPECT_EQ(by_name["link"].type, EntryType::Link);

  EXPECT_TRUE(posix.ClearReadOnly(src + "/a.txt"));
  EXPECT_FALSE(posix.IsReadOnly(src + "/a.txt").value());
  EXPECT_EQ(posix.ListFolder(src + "/a.txt").error().kind, FsErrorKind::PathNotFound);

  ASSERT_TRUE(posix.MakeFolders(src + "/x/y/z"));
  EXPECT_TRUE(posix.MakeFolders(src + "/x/y/z"));
  EXPECT_EQ(posix.MakeFolder(src + "/x").error().kind, FsErrorKind::AlreadyExists);
  EXPECT_EQ(posix.RemoveFolder(src + "/x").error().kind, FsErrorKind::PathFileAccess);
  ASSERT_TRUE(posix.MakeFolder(tmp / "other"));
  EXPECT_EQ(posix.Rename(src + "/x", tmp / "other").error().kind, FsErrorKind::AlreadyExists);
  ASSERT_TRUE(posix.Rename(src + "/x", tmp / "moved"));
  EXPECT_TRUE(posix.FolderExists(tmp / "moved/y/z"));

  EXPECT_TRUE(posix.IsRootFolder("/").value());
  EXPECT_TRUE(posix.IsRootFolder("/proc").value());
  EXPECT_FALSE(posix.IsRootFolder(tmp / "moved").value());

  // Drives are ready only where the folder exists.
  DriveInfo here = posix.GetDrive(tmp.path().string());
  EXPECT_TRUE(here.ready);
  EXPECT_GT(here.capacity, 0);
  EXPECT_LE(here.free_bytes, here.capacity);
  EXPECT_FALSE(here.mount_point.empty());
  EXPECT_FALSE(posix.GetDrive(tmp / "missing").ready);
  EXPECT_TRUE(posix.GetDrive("//server/share").network);
}

TEST(MountTable, FindsTheInnermostMountAndItsType) {
  const std::string info =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "30 22 0:40 / /mnt/my\\040share rw - cifs //nas/share rw\n"
      "31 22 0:41 / /mnt/myother rw - nfs4 nas:/x rw\n"
      "32 22 0:42 / /home rw master:2 - btrfs /dev/sdb rw\n";
  EXPECT_EQ(posix::MountOf(info, "/mnt/my share/docs")->path, "/mnt/my share");
  EXPECT_TRUE(posix::IsNetworkFileSystemType(posix::MountOf(info, "/mnt/my share")->type));
  EXPECT_EQ(posix::MountOf(info, "/mnt/myotherness")->type, "ext4");  // not under /mnt/myother
  EXPECT_EQ(posix::MountOf(info, "/home/me")->type, "btrfs");
  EXPECT_FALSE(posix::IsNetworkFileSystemType("btrfs"));
}

// Where the system says a file system belongs, mounted now or not.
TEST(MountTable, ConfiguredMountPointsComeFromFstabAndMountUnits) {
  const std::string fstab =
      "# <file system> <mount point> <type> <options> <dump> <pass>\n"
      "UUID=1234 / ext4 errors=remount-ro 0 1\n"
      "\n"
      "UUID=5678 none swap sw 0 0\n"
      "/dev/sdb1\t/mnt/my\\040backup/  ext4 noauto,user 0 2\n"
      "   LABEL=usb /media/usb vfat noauto 0 0\n";
  const std::vector<std::string> units = {
      "[Unit]\nDescription=x\n[Mount]\nWhat=nas:/b\nWhere=/srv/nas\n",
      "[Automount]\n  Where=/mnt/auto \n"};
  const auto points = posix::ConfiguredMountPoints(fstab, units);
  EXPECT_EQ(points, (Strings{"/", "/mnt/my backup", "/media/usb", "/srv/nas", "/mnt/auto"}));
  EXPECT_EQ(posix::InnermostHolding(points, "/mnt/my backup/daily"), "/mnt/my backup");
  EXPECT_EQ(posix::InnermostHolding(points, "/mnt/my backupx"), "/");
  EXPECT_EQ(posix::InnermostHolding(points, "/media/usb"), "/media/usb");
  EXPECT_EQ(posix::InnermostHolding({}, "/media/usb"), "");

  // What the drive says of a folder such a file system is not mounted on.
  TempFolder tmp;
  WriteText(tmp / "fstab", "/dev/sdz9 " + (tmp / "disk") + " ext4 noauto 0 0\n");
  WriteText(tmp / "units/backup.mount", "[Mount]\nWhere=" + (tmp / "unit") + "\n");
  fs::create_directories(tmp / "disk/inner");
  PosixFileSystem configured(MountConfig{tmp / "fstab", {tmp / "units"}});
  const DriveInfo drive = configured.GetDrive(tmp / "disk/inner");
  EXPECT_EQ(drive.configured_mount, tmp / "disk");
  EXPECT_NE(drive.mount_point, tmp / "disk");
  EXPECT_EQ(configured.GetDrive(tmp.path().string()).configured_mount, "");
}

// A real small file system filled up: a full disk is reported, the previous file is kept
// and no half-written file is left behind.
TEST_F(Posix, AFullDiskIsReportedAndLeavesNoPartialFile) {
  const std::string small = tmp / "small";
  fs::create_directory(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=1m") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
  }
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount(at.c_str()); }
  } unmount{small};

  const std::string job = small + "/job.cop";
  ASSERT_TRUE(posix.WriteFileAtomic(job, std::string(20 << 10, 'a')));
  auto full = posix.WriteFileAtomic(job, std::string(2 << 20, 'b'));
  ASSERT_FALSE(full);
  EXPECT_EQ(full.error().kind, FsErrorKind::DiskFull);
  EXPECT_EQ(full.error().path, job);
  EXPECT_EQ(ReadText(job), std::string(20 << 10, 'a'));
  EXPECT_EQ(Names(small), Strings{"job.cop"});

  WriteText(src + "/big.bin", std::string(3 << 20, 'z'));
  for (const auto& copied : {posix.CopyFile(src + "/big.bin", small + "/big.bin", {}),
                             posix.CopyTree(src, small + "/copy", {})}) {
    ASSERT_FALSE(copied);
    EXPECT_EQ(copied.error().kind, FsErrorKind::DiskFull);
  }
  EXPECT_FALSE(Exists(small + "/big.bin"));
  EXPECT_EQ(Names(small + "/copy"), Strings{});
}

}  // namespace
}  // namespace orvessa
