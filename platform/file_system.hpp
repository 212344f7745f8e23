#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
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

// Bytes [offset, offset + length) of a file.
struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
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

// A regular file a copy has put in place, for checking it against its source later.
struct PlacedFile {
  const std::string& from;
  const std::string& to;
  std::uint64_t size = 0;        // of the source when it was copied
  std::int64_t modified_ns = 0;  // the source's modification time then
  bool shared = false;           // a further name of a prior copy's file
};

// Size and modification time of a file, to tell whether it changed.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

// Told about progress during a copy; lets the caller yield and stop it.
class CopyObserver {
 public:
  virtual ~CopyObserver() = default;
  // Called between chunks and between files with the bytes this copy has written so
  // far. Returning false stops the copy: the file in progress is removed and the copy
  // fails with Cancelled.
  virtual bool Continue(std::uint64_t bytes_copied) = 0;
  // A file or folder inside a tree copy that could not be copied: `source` is its path in
  // the source tree, error.path the side that failed. Returning true leaves it out and
  // goes on with the rest of the tree; false ends the copy with that error.
  virtual bool Skip(const std::string& /*source*/, const FsError& /*error*/) { return false; }
  // A regular file whose bytes are about to be copied.
  virtual void Starting(const std::string& /*source*/) {}
  // Each regular file once it has its name in the copy.
  virtual void Placed(const PlacedFile& /*file*/) {}
};

// Whether the destination takes hard links, learnt during one run: once it refuses them
// as unsupported, no further file tries.
struct LinkSupport {
  bool refused = false;
};

// The copies of files with several names, so that further names become links to them,
// also across the tree copies of one run.
struct HardLinks {
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::string> first_copy;  // file -> path
};

struct CopyOptions {
  // false: an existing target file, or folder below the top one, is AlreadyExists (in a
  // new tree that is a name the destination does not tell from another, e.g. by case)
  bool overwrite = true;
  std::vector<std::string> exclude;  // folders a tree copy leaves out (never descended)
  CopyObserver* observer = nullptr;
  HardLinks* links = nullptr;  // shared by several copies; else each tree keeps its own
  // A prior copy of `from` (tree or file): a regular file whose size, modification time,
  // mode and owner match the same path there becomes a further name of that file instead
  // of a copy. Empty: every file is copied.
  std::string share_from = {};
  LinkSupport* link_support = nullptr;  // kept across the copies of one run
  // Every regular file becomes a further name (hard link) of its source where the
  // destination takes links, a copy elsewhere: for carrying files over from an older copy.
  bool link_files = false;
};

struct CopyStats {
  std::uint64_t files = 0;    // regular files and links written
  std::uint64_t folders = 0;  // folders written, the top one included
  std::uint64_t bytes = 0;    // written
  std::uint64_t shared = 0;   // files given a further name instead of being copied
  std::uint64_t shared_bytes = 0;
  std::uint64_t regular = 0;  // regular files put in place, copied or shared
  std::uint64_t skipped = 0;  // excluded folders and kernel file systems
  std::uint64_t failed = 0;   // files and folders left out through CopyObserver::Skip
};

// Held while a folder must not be worked on by anyone else; released when destroyed.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};

// The host's files and folders. Paths are UTF-8 and absolute. Failures come back as
// FsError with the host's errno and the path concerned, never as exceptions.
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

  // Copies the file from to the file path to as `cp -a` does: a link as a link, a FIFO,
  // socket or device made anew (never opened), holes, mode bits, times, extended
  // attributes and, for root, the owner kept where the destination can hold them. The
  // bytes go under a temporary name first, so no cut-off file ever has the final name.
  // A file is never copied onto itself.
  virtual FsResult<CopyStats> CopyFile(const std::string& from, const std::string& to,
                                       const CopyOptions& options) = 0;
  // Copies the folder from so that to is its copy, created when missing and merged
  // into when present (existing files replaced when options.overwrite). Each file as
  // CopyFile does, hard links inside the tree kept as links, folders' modes and times
  // set once their contents are in. A file or folder that fails (vanished, unreadable, a
  // name the destination cannot hold) goes to options.observer's Skip. Excluded folders
  // and pseudo file systems are left out.
  virtual FsResult<CopyStats> CopyTree(const std::string& from, const std::string& to,
                                       const CopyOptions& options) = 0;

  // Bytes a CopyTree (or CopyFile) of `from` with share_from `prior` would share rather
  // than write: the files that match their counterpart in prior, a hard-linked file once.
  virtual FsResult<std::uint64_t> SharedBytes(const std::string& from,
                                              const std::string& prior) const = 0;
  // Whether two regular files hold the same bytes, read in chunks; the observer is told
  // the bytes read so far and may stop the comparison (Cancelled). With ranges, only those
  // parts are compared besides the sizes.
  virtual FsResult<bool> SameContent(const std::string& a, const std::string& b,
                                     CopyObserver* observer,
                                     const std::vector<ByteRange>& ranges = {}) const = 0;
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
