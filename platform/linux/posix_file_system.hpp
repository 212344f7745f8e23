#pragma once

#include "platform/file_system.hpp"

namespace orvessa {

// FileSystem on POSIX calls.
class PosixFileSystem : public FileSystem {
 public:
  FsResult<FileContent> ReadFile(const std::string& path, std::size_t max_bytes) const override;
  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override;
};

}  // namespace orvessa
