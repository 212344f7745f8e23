#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/mount_table.hpp"
#include "platform/linux/posix_fd.hpp"
#include "platform/linux/posix_file_system.hpp"

namespace orvessa {
namespace posix {

bool IsPseudoFileSystem(int fd) {
  struct statfs fs {};
  if (::fstatfs(fd, &fs) != 0) return false;
  static constexpr std::array<unsigned long, 18> kPseudo = {PROC_SUPER_MAGIC,
                                                            SYSFS_MAGIC,
                                                            DEVPTS_SUPER_MAGIC,
                                                            CGROUP_SUPER_MAGIC,
                                                            CGROUP2_SUPER_MAGIC,
                                                            DEBUGFS_MAGIC,
                                                            TRACEFS_MAGIC,
                                                            SECURITYFS_MAGIC,
                                                            BPF_FS_MAGIC,
                                                            PSTOREFS_MAGIC,
                                                            EFIVARFS_MAGIC,
                                                            0x19800202 /* mqueue */,
                                                            BINFMTFS_MAGIC,
                                                            AUTOFS_SUPER_MAGIC,
                                                            0x62656570 /* configfs */,
                                                            0x65735543 /* fusectl */,
                                                            NSFS_MAGIC,
                                                            0x1cd1 /* devpts (old) */};
  for (unsigned long magic : kPseudo) {
    if (static_cast<unsigned long>(fs.f_type) == magic) return true;
  }
  return false;
}

// Kernel files report a size of 0, so this reads to the end instead of by size.
std::string ReadMountTable() {
  std::ifstream in("/proc/self/mountinfo");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> UnitTexts(const std::vector<std::string>& folders) {
  std::vector<std::string> texts;
  for (const std::string& folder : folders) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      const std::string name = entry.path().filename().string();
      if (name.ends_with(".mount") || name.ends_with(".automount")) {
        texts.push_back(ReadText(entry.path().string()));
      }
    }
  }
  return texts;
}

}  // namespace
}  // namespace posix

DriveInfo PosixFileSystem::GetDrive(const std::string& path) const {
  DriveInfo drive;
  drive.network = path.rfind("//", 0) == 0 || path.rfind("\\\\", 0) == 0;
  if (!FolderExists(path)) return drive;
  struct statvfs vfs {};
  if (::statvfs(path.c_str(), &vfs) != 0) return drive;
  drive.ready = true;
  drive.free_bytes = static_cast<double>(vfs.f_bavail) * static_cast<double>(vfs.f_frsize);
  drive.capacity = static_cast<double>(vfs.f_blocks) * static_cast<double>(vfs.f_frsize);
  drive.used_bytes =
      static_cast<double>(vfs.f_blocks - vfs.f_bfree) * static_cast<double>(vfs.f_frsize);

  auto real = RealPath(path);
  if (real) {
    drive.configured_mount = posix::InnermostHolding(
        posix::ConfiguredMountPoints(posix::ReadText(mounts_.fstab),
                                     posix::UnitTexts(mounts_.unit_folders)),
        real.value());
    if (auto mount = posix::MountOf(posix::ReadMountTable(), real.value())) {
      drive.mount_point = mount->path;
      drive.network = drive.network || posix::IsNetworkFileSystemType(mount->type);
    }
  }
  return drive;
}

FsResult<bool> PosixFileSystem::IsRootFolder(const std::string& path) const {
  struct stat here {};
  if (::stat(path.c_str(), &here) != 0) return ErrorFromErrno(errno, path);
  if (!S_ISDIR(here.st_mode)) return false;
  struct stat above {};
  const std::string parent = path.back() == '/' ? path + ".." : path + "/..";
  if (::stat(parent.c_str(), &above) != 0) return ErrorFromErrno(errno, path);
  // "/" is its own parent; a mount point's parent lies on another file system.
  return here.st_dev != above.st_dev || here.st_ino == above.st_ino;
}

}  // namespace orvessa
