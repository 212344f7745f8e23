#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/fs_error.hpp"

namespace orvessa {

// Contents of a file read whole, or its first bytes when it is larger than asked for.
struct FileContent {
  std::string bytes;
  bool truncated = false;  // the file holds more than the bytes returned
};

// The host's files and folders. Paths are UTF-8. Failures come back as FsError,
// never as exceptions.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads at most max_bytes of the file at path.
  virtual FsResult<FileContent> ReadFile(const std::string& path, std::size_t max_bytes) const = 0;

  // Replaces the file at path with bytes so that readers see either the old or the
  // new contents, never a mix: written beside it, flushed to disk, then renamed.
  // A failure leaves the previous file as it was and no temporary file behind.
  virtual FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) = 0;
};

}  // namespace orvessa
