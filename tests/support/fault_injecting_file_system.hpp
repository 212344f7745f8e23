#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/posix_file_system.hpp"

namespace orvessa::testing {

enum class FsOp {
  WriteFileAtomic,
  ListFolder,
  MakeFolders,
  DeleteTree,
  Rename,
  CopyFile,
  CopyTree
};

// The disk, except that chosen operations on chosen paths fail with a chosen kind. A rule
// matches its path and everything below it; an empty path matches every path.
class FaultInjectingFileSystem : public PosixFileSystem {
 public:
  void Fail(FsOp op, std::string path, FsErrorKind kind) {
    rules_.push_back({op, std::move(path), kind});
  }
  void SetNotReady(std::string path) { not_ready_.push_back(std::move(path)); }
  // The paths of the last call of an operation, failed or not: (path or from, to).
  std::pair<std::string, std::string> LastPaths(FsOp op) const { return last_[op]; }

  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    return Guard(FsOp::WriteFileAtomic, path, {},
                 [&] { return PosixFileSystem::WriteFileAtomic(path, bytes); });
  }
  DriveInfo GetDrive(const std::string& path) const override {
    DriveInfo drive = PosixFileSystem::GetDrive(path);
    for (const auto& p : not_ready_) drive.ready = drive.ready && !Matches(p, path);
    return drive;
  }
  FsResult<std::vector<FolderEntry>> ListFolder(const std::string& path) const override {
    return Guard(FsOp::ListFolder, path, {}, [&] { return PosixFileSystem::ListFolder(path); });
  }
  FsStatus MakeFolders(const std::string& path) override {
    return Guard(FsOp::MakeFolders, path, {}, [&] { return PosixFileSystem::MakeFolders(path); });
  }
  FsStatus DeleteTree(const std::string& path, bool force) override {
    return Guard(FsOp::DeleteTree, path, {},
                 [&] { return PosixFileSystem::DeleteTree(path, force); });
  }
  FsStatus Rename(const std::string& from, const std::string& to) override {
    return Guard(FsOp::Rename, from, to, [&] { return PosixFileSystem::Rename(from, to); });
  }
  FsResult<CopyStats> CopyFile(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    return Guard(FsOp::CopyFile, from, to,
                 [&] { return PosixFileSystem::CopyFile(from, to, options); });
  }
  FsResult<CopyStats> CopyTree(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    return Guard(FsOp::CopyTree, from, to,
                 [&] { return PosixFileSystem::CopyTree(from, to, options); });
  }

 protected:
  // The first rule for op and path fails the call; without one, `call` does it.
  template <typename Call>
  auto Guard(FsOp op, const std::string& path, const std::string& to, Call call) const
      -> decltype(call()) {
    last_[op] = {path, to};
    for (const Rule& rule : rules_) {
      if (rule.op == op && Matches(rule.path, path)) return FsError{rule.kind, 0, path};
    }
    return call();
  }

 private:
  struct Rule {
    FsOp op;
    std::string path;
    FsErrorKind kind;
  };

  static bool Matches(const std::string& rule, const std::string& path) {
    if (rule.empty() || rule == path) return true;
    std::string folder = rule.back() == '/' ? rule : rule + "/";
    return path.compare(0, folder.size(), folder) == 0;
  }

  std::vector<Rule> rules_;
  std::vector<std::string> not_ready_;
  mutable std::map<FsOp, std::pair<std::string, std::string>> last_;
};

}  // namespace orvessa::testing
