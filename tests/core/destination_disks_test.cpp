#include "core/destination_disks.hpp"

#include <gtest/gtest.h>

#include "platform/linux/posix_file_system.hpp"
#include "tests/support/file_helpers.hpp"

namespace orvessa {
namespace {

using namespace testing;

DriveInfo On(std::string mount, std::string configured = {}) {
  DriveInfo drive;
  drive.ready = true;
  drive.mount_point = std::move(mount);
  drive.configured_mount = std::move(configured);
  return drive;
}

// The bare folder left where a disk was mounted is not the disk; another disk there is.
TEST(DestinationDisks, AFolderWhoseFileSystemIsNotMountedIsNotItsDisk) {
  struct Case {
    DriveInfo drive;
    std::string remembered;
    bool on_its_disk;
  };
  const Case cases[] = {
      {On("/"), "/mnt/backup", false},
      {On("/mnt"), "/mnt/backup", false},
      {On("/mnt/backup"), "/mnt/backup", true},  // that disk or another one
      {On("/mnt/backup/inner"), "/mnt/backup", true},
      {On("/mnt/backup2"), "/mnt/backup", true},
      {On("/mnt/backup"), "/", true},  // a plain folder that became a mount point
      {On("/"), "", true},
      {On("/", "/mnt/usb"), "", false},  // named in fstab, first run included
      {On("/mnt/usb", "/mnt/usb"), "", true},
      {On("/", "/"), "/", true},
      {On(""), "/mnt/backup", true},  // nothing known of the mounts
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OnItsDisk(c.drive, c.remembered), c.on_its_disk)
        << c.drive.mount_point << " configured " << c.drive.configured_mount << " remembered "
        << c.remembered;
  }
}

TEST(DestinationDisks, TheRecordKeepsOneMountPerDestinationAndIsReplacedWhole) {
  TempFolder tmp;
  PosixFileSystem fs;
  const std::string state = tmp / "state/Orvessa";
  EXPECT_EQ(RememberedMount(fs, state, "/mnt/a"), "");
  ASSERT_TRUE(RememberMount(fs, state, "/mnt/a/", "/mnt/a"));
  ASSERT_TRUE(RememberMount(fs, state, "/home/ana/backup", "/"));
  ASSERT_TRUE(RememberMount(fs, state, "/mnt/a", "/"));
  EXPECT_EQ(RememberedMount(fs, state, "/mnt/a"), "/");
  EXPECT_EQ(RememberedMount(fs, state, "/home/ana/backup/"), "/");
  EXPECT_EQ(ReadText(state + "/destination-disks"), "/\t/home/ana/backup\n/\t/mnt/a\n");
  EXPECT_EQ(Names(state), std::vector<std::string>{"destination-disks"});

  // A ready destination that a remembered mount says is bare is not ready.
  const std::string here = tmp.path().string();
  EXPECT_TRUE(DestinationReady(fs, state, here));
  ASSERT_TRUE(RememberMount(fs, state, here, here));
  EXPECT_TRUE(DestinationReady(fs, "", here)) << "without a record nothing is known";
  DriveInfo drive;
  EXPECT_FALSE(DestinationReady(fs, state, here, &drive));
  EXPECT_TRUE(drive.ready);
}

}  // namespace
}  // namespace orvessa
