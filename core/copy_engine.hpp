#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/fs_error.hpp"

namespace orvessa {

// Bytes [offset, offset + length) of a file.
struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// A regular file a copy has put in place, for checking it against its source later.
struct PlacedFile {
  const std::string& from;
  const std::string& to;
  std::uint64_t size = 0;        // of the source when it was copied
  std::int64_t modified_ns = 0;  // the source's modification time then
  bool shared = false;           // a further name of a prior copy's file
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

// Copies files and trees as `cp -a` does and compares copies with their sources: what a
// run needs of the host besides its file system. Paths are UTF-8 and absolute; failures
// come back as FsError, never as exceptions.
class CopyEngine {
 public:
  virtual ~CopyEngine() = default;

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
};

}  // namespace orvessa
