#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/copy_engine.hpp"
#include "platform/file_system.hpp"

namespace orvessa {

// Where the system says which file systems belong where.
struct MountConfig {
  std::string fstab = "/etc/fstab";
  std::vector<std::string> unit_folders = {"/etc/systemd/system"};  // *.mount, *.automount
};

// FileSystem and CopyEngine on POSIX calls, one object: copies and size walks share their
// walk. Tree walks go through directory descriptors and never
// follow links below the folder they start from.
class PosixFileSystem : public FileSystem, public CopyEngine {
 public:
  explicit PosixFileSystem(MountConfig mounts = {}) : mounts_(std::move(mounts)) {}

  FsResult<FileContent> ReadFile(const std::string& path, std::size_t max_bytes) const override;
  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override;
  FsStatus WriteNewFile(const std::string& path, std::string_view bytes) override;

  DriveInfo GetDrive(const std::string& path) const override;
  bool FolderExists(const std::string& path) const override;
  bool FileExists(const std::string& path) const override;
  FsResult<std::uint64_t> FileSize(const std::string& path) const override;
  FsResult<std::uint64_t> FolderSize(const std::string& path,
                                     std::stop_token stop = {}) const override;
  FsResult<bool> IsRootFolder(const std::string& path) const override;
  FsResult<std::vector<FolderEntry>> ListFolder(const std::string& path) const override;
  FsResult<std::string> RealPath(const std::string& path) const override;

  FsStatus MakeFolder(const std::string& path) override;
  FsStatus MakeFolders(const std::string& path) override;
  FsStatus RemoveFolder(const std::string& path) override;
  FsStatus DeleteTree(const std::string& path, bool force) override;
  FsStatus Rename(const std::string& from, const std::string& to) override;

  FsResult<CopyStats> CopyFile(const std::string& from, const std::string& to,
                               const CopyOptions& options) override;
  FsResult<CopyStats> CopyTree(const std::string& from, const std::string& to,
                               const CopyOptions& options) override;

  // Makes to_name in to_folder a further name (hard link) of from_name in from_folder.
  // Relative to open folders, which spares the kernel looking up both paths again for
  // every file of a tree; `existing` names the file in an error, and the host's errno
  // tells why a destination refuses (EPERM, EOPNOTSUPP, EMLINK, EXDEV, ...).
  virtual FsStatus LinkFileAt(int from_folder, const char* from_name, int to_folder,
                              const char* to_name, const std::string& existing);
  FsResult<std::uint64_t> SharedBytes(const std::string& from,
                                      const std::string& prior) const override;
  FsResult<bool> SameContent(const std::string& a, const std::string& b, CopyObserver* observer,
                             const std::vector<ByteRange>& ranges = {}) const override;
  void DropCached(const std::string& path) const override;
  FsStatus SyncFileSystem(const std::string& path) override;
  FsStatus SyncFolder(const std::string& path) override;
  FsResult<FileStamp> Stamp(const std::string& path) const override;

  FsResult<bool> IsReadOnly(const std::string& path) const override;
  FsStatus ClearReadOnly(const std::string& path) override;
  FsResult<std::shared_ptr<FolderLock>> LockFolder(const std::string& path) override;

 private:
  MountConfig mounts_;
};

}  // namespace orvessa
