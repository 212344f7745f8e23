#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs_error.hpp"

namespace orvessa {

// Contents of a file read whole, or its first bytes when it is larger than asked for.
struct FileContent {
  std::string bytes;
  bool truncated = false;  // the file holds more than the bytes returned
};

// The file system a path lies on, as the program sees a "drive".
struct DriveInfo {
  bool ready = false;     // the folder exists and its file system answers
  bool network = false;   // "\\" or "//" path, or a network file system type
  double free_bytes = 0;  // bytes an unprivileged user may still write
  double capacity = 0;    // total bytes of the file system
  double used_bytes = 0;  // bytes its files take (capacity less every free block)
  std::string mount_point;
  // The innermost mount point the system's configuration (fstab, mount units) names for
  // the path; deeper than mount_point when that file system is not mounted now.
  std::string configured_mount;
};

enum class EntryType { File, Folder, Link, Other };  // Other: FIFO, socket, device

// One direct child of a folder.
struct FolderEntry {
  std::string name;
  EntryType type = EntryType::Other;
  std::uint64_t size = 0;     // bytes of a file; length of a link's target
  bool read_only = false;     // the owner may not write it
  bool hidden = false;        // the name starts with "."
  std::int64_t modified = 0;  // seconds since the epoch
};

// Size and modification time of a file, to tell whether it changed.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

// Held while a folder must not be worked on by anyone else; released when destroyed.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};

// The host's files and folders; copying them is CopyEngine's. Paths are UTF-8 and absolute.
// Failures come back as FsError with the host's errno and the path concerned, never as exceptions.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads at most max_bytes of the file at path.
  virtual FsResult<FileContent> ReadFile(const std::string& path, std::size_t max_bytes) const = 0;

  // Replaces the file at path with bytes so that readers see either the old or the
  // new contents, never a mix: written beside it, flushed to disk, then renamed.
  // A failure leaves the previous file as it was and no temporary file behind; what a
  // killed save of the same file left is removed.
  virtual FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) = 0;

  // Creates the file at path with bytes, without waiting for the disk; AlreadyExists when
  // there is one. A failure removes what was written.
  virtual FsStatus WriteNewFile(const std::string& path, std::string_view bytes) = 0;

  // The file system holding path. A missing folder is not ready.
  virtual DriveInfo GetDrive(const std::string& path) const = 0;

  virtual bool FolderExists(const std::string& path) const = 0;  // a folder, links followed
  virtual bool FileExists(const std::string& path) const = 0;    // anything but a folder

  // Size of a file, links followed.
  virtual FsResult<std::uint64_t> FileSize(const std::string& path) const = 0;
  // Bytes of all files in the tree: links not followed, a hard-linked file once,
  // pseudo file systems (proc, sysfs, ...) not entered. A stop request ends the walk with
  // Cancelled.
  virtual FsResult<std::uint64_t> FolderSize(const std::string& path,
                                             std::stop_token stop = {}) const = 0;
  // True for "/" and for mount points.
  virtual FsResult<bool> IsRootFolder(const std::string& path) const = 0;
  // Direct children in the order the host lists them, "." and ".." left out.
  virtual FsResult<std::vector<FolderEntry>> ListFolder(const std::string& path) const = 0;
  // The path with links, "." and ".." resolved; the path must exist.
  virtual FsResult<std::string> RealPath(const std::string& path) const = 0;

  virtual FsStatus MakeFolder(const std::string& path) = 0;    // AlreadyExists if present
  virtual FsStatus MakeFolders(const std::string& path) = 0;   // with parents; present is fine
  virtual FsStatus RemoveFolder(const std::string& path) = 0;  // an empty folder
  // Removes the folder tree; with force, read-only contents too. Links are removed,
  // never followed; another file system mounted inside is not entered.
  virtual FsStatus DeleteTree(const std::string& path, bool force) = 0;
  // Renames without replacing: an existing `to` is AlreadyExists.
  virtual FsStatus Rename(const std::string& from, const std::string& to) = 0;

  // Forgets the file's cached pages that are already on the disk, so that the next read
  // comes from the disk itself. Best effort.
  virtual void DropCached(const std::string& path) const = 0;
  virtual FsResult<FileStamp> Stamp(const std::string& path) const = 0;  // links not followed

  // Writes whatever is cached for the file system holding path to its disk. A write the
  // disk (or a network server) failed to take is reported here, also one of other files.
  virtual FsStatus SyncFileSystem(const std::string& path) = 0;
  // Makes the names in a folder (made, renamed, removed) durable.
  virtual FsStatus SyncFolder(const std::string& path) = 0;

  virtual FsResult<bool> IsReadOnly(const std::string& path) const = 0;
  virtual FsStatus ClearReadOnly(const std::string& path) = 0;  // gives the owner write

  // Locks the folder against other lockers, in this process or another, without
  // writing anything into it. nullptr: someone else holds it. A failure means the
  // folder cannot be locked here (missing, or a file system without locks).
  virtual FsResult<std::shared_ptr<FolderLock>> LockFolder(const std::string& path) = 0;
};

}  // namespace orvessa
