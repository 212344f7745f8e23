#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/forwarding_file_system.hpp"

namespace orvessa::testing {

enum class FsOp {
  ReadFile,
  WriteFileAtomic,
  FileSize,
  FolderSize,
  ListFolder,
  MakeFolder,
  MakeFolders,
  RemoveFolder,
  DeleteTree,
  Rename,
  CopyFile,
  CopyTree,
  ClearReadOnly
};

// Makes chosen operations on chosen paths fail with a chosen kind, and passes the
// rest to the real file system. A rule matches its path and everything below it;
// an empty path matches every path.
class FaultInjectingFileSystem : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

  // times < 0: every matching call fails; else only the next `times` calls.
  void Fail(FsOp op, std::string path, FsErrorKind kind, int times = -1) {
    rules_.push_back({op, std::move(path), kind, times});
  }
  void SetNotReady(std::string path) { not_ready_.push_back(std::move(path)); }
  void Clear() {
    rules_.clear();
    not_ready_.clear();
  }
  // The paths of the last call of an operation, failed or not: (path or from, to).
  std::pair<std::string, std::string> LastPaths(FsOp op) const {
    auto it = last_.find(op);
    return it == last_.end() ? std::pair<std::string, std::string>{} : it->second;
  }
  int Calls(FsOp op) const {
    auto it = calls_.find(op);
    return it == calls_.end() ? 0 : it->second;
  }

  FsResult<FileContent> ReadFile(const std::string& path, std::size_t max_bytes) const override {
    if (auto e = Check(FsOp::ReadFile, path)) return *e;
    return inner_.ReadFile(path, max_bytes);
  }
  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    if (auto e = Check(FsOp::WriteFileAtomic, path)) return *e;
    return inner_.WriteFileAtomic(path, bytes);
  }
  DriveInfo GetDrive(const std::string& path) const override {
    DriveInfo drive = inner_.GetDrive(path);
    for (const auto& p : not_ready_) {
      if (Matches(p, path)) drive.ready = false;
    }
    return drive;
  }
  FsResult<std::uint64_t> FileSize(const std::string& path) const override {
    if (auto e = Check(FsOp::FileSize, path)) return *e;
    return inner_.FileSize(path);
  }
  FsResult<std::uint64_t> FolderSize(const std::string& path) const override {
    if (auto e = Check(FsOp::FolderSize, path)) return *e;
    return inner_.FolderSize(path);
  }
  FsResult<std::vector<FolderEntry>> ListFolder(const std::string& path) const override {
    if (auto e = Check(FsOp::ListFolder, path)) return *e;
    return inner_.ListFolder(path);
  }
  FsStatus MakeFolder(const std::string& path) override {
    if (auto e = Check(FsOp::MakeFolder, path)) return *e;
    return inner_.MakeFolder(path);
  }
  FsStatus MakeFolders(const std::string& path) override {
    if (auto e = Check(FsOp::MakeFolders, path)) return *e;
    return inner_.MakeFolders(path);
  }
  FsStatus RemoveFolder(const std::string& path) override {
    if (auto e = Check(FsOp::RemoveFolder, path)) return *e;
    return inner_.RemoveFolder(path);
  }
  FsStatus DeleteTree(const std::string& path, bool force) override {
    if (auto e = Check(FsOp::DeleteTree, path)) return *e;
    return inner_.DeleteTree(path, force);
  }
  FsStatus Rename(const std::string& from, const std::string& to) override {
    if (auto e = Check(FsOp::Rename, from, to)) return *e;
    return inner_.Rename(from, to);
  }
  FsResult<CopyStats> CopyFile(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    if (auto e = Check(FsOp::CopyFile, from, to)) return *e;
    return inner_.CopyFile(from, to, options);
  }
  FsResult<CopyStats> CopyTree(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    if (auto e = Check(FsOp::CopyTree, from, to)) return *e;
    return inner_.CopyTree(from, to, options);
  }
  FsStatus ClearReadOnly(const std::string& path) override {
    if (auto e = Check(FsOp::ClearReadOnly, path)) return *e;
    return inner_.ClearReadOnly(path);
  }

 private:
  struct Rule {
    FsOp op;
    std::string path;
    FsErrorKind kind;
    int times;
  };

  static bool Matches(const std::string& rule, const std::string& path) {
    if (rule.empty() || rule == path) return true;
    std::string folder = rule.back() == '/' ? rule : rule + "/";
    return path.compare(0, folder.size(), folder) == 0;
  }

  std::optional<FsError> Check(FsOp op, const std::string& path, const std::string& to = {}) const {
    last_[op] = {path, to};
    ++calls_[op];
    for (auto& rule : rules_) {
      if (rule.op != op || rule.times == 0 || !Matches(rule.path, path)) continue;
      if (rule.times > 0) --rule.times;
      return FsError{rule.kind, 0, path};
    }
    return std::nullopt;
  }

  mutable std::vector<Rule> rules_;
  std::vector<std::string> not_ready_;
  mutable std::map<FsOp, std::pair<std::string, std::string>> last_;
  mutable std::map<FsOp, int> calls_;
};

}  // namespace orvessa::testing
