#pragma once

#include "platform/file_system.hpp"

namespace orvessa::testing {

// Passes every call to another file system; test doubles override what they change.
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  FsResult<FileContent> ReadFile(const std::string& path, std::size_t max_bytes) const override {
    return inner_.ReadFile(path, max_bytes);
  }
  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    return inner_.WriteFileAtomic(path, bytes);
  }
  DriveInfo GetDrive(const std::string& path) const override { return inner_.GetDrive(path); }
  bool FolderExists(const std::string& path) const override { return inner_.FolderExists(path); }
  bool FileExists(const std::string& path) const override { return inner_.FileExists(path); }
  FsResult<std::uint64_t> FileSize(const std::string& path) const override {
    return inner_.FileSize(path);
  }
  FsResult<std::uint64_t> FolderSize(const std::string& path) const override {
    return inner_.FolderSize(path);
  }
  FsResult<bool> IsRootFolder(const std::string& path) const override {
    return inner_.IsRootFolder(path);
  }
  FsResult<std::vector<FolderEntry>> ListFolder(const std::string& path) const override {
    return inner_.ListFolder(path);
  }
  FsResult<std::string> RealPath(const std::string& path) const override {
    return inner_.RealPath(path);
  }
  FsStatus MakeFolder(const std::string& path) override { return inner_.MakeFolder(path); }
  FsStatus MakeFolders(const std::string& path) override { return inner_.MakeFolders(path); }
  FsStatus RemoveFolder(const std::string& path) override { return inner_.RemoveFolder(path); }
  FsStatus DeleteTree(const std::string& path, bool force) override {
    return inner_.DeleteTree(path, force);
  }
  FsStatus Rename(const std::string& from, const std::string& to) override {
    return inner_.Rename(from, to);
  }
  FsResult<CopyStats> CopyFile(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    return inner_.CopyFile(from, to, options);
  }
  FsResult<CopyStats> CopyTree(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    return inner_.CopyTree(from, to, options);
  }
  FsResult<bool> IsReadOnly(const std::string& path) const override {
    return inner_.IsReadOnly(path);
  }
  FsStatus ClearReadOnly(const std::string& path) override { return inner_.ClearReadOnly(path); }

 protected:
  FileSystem& inner_;
};

}  // namespace orvessa::testing
