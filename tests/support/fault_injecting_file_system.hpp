#pragma once

#include <string>
#include <vector>

#include "platform/linux/posix_file_system.hpp"

namespace orvessa::testing {

enum class FsOp { WriteFileAtomic, CopyFile, CopyTree };

// The disk, except that chosen operations on chosen paths fail with a chosen kind. A rule
// matches its path and everything below it; an empty path matches every path.
class FaultInjectingFileSystem : public PosixFileSystem {
 public:
  void Fail(FsOp op, std::string path, FsErrorKind kind) {
    rules_.push_back({op, std::move(path), kind});
  }
  void SetNotReady(std::string path) { not_ready_.push_back(std::move(path)); }

  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    return Guard(FsOp::WriteFileAtomic, path,
                 [&] { return PosixFileSystem::WriteFileAtomic(path, bytes); });
  }
  DriveInfo GetDrive(const std::string& path) const override {
    DriveInfo drive = PosixFileSystem::GetDrive(path);
    for (const auto& p : not_ready_) drive.ready = drive.ready && !Matches(p, path);
    return drive;
  }
  FsResult<CopyStats> CopyFile(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    return Guard(FsOp::CopyFile, from,
                 [&] { return PosixFileSystem::CopyFile(from, to, options); });
  }
  FsResult<CopyStats> CopyTree(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    return Guard(FsOp::CopyTree, from,
                 [&] { return PosixFileSystem::CopyTree(from, to, options); });
  }

 protected:
  // The first rule for op and path fails the call; without one, `call` does it.
  template <typename Call>
  auto Guard(FsOp op, const std::string& path, Call call) const -> decltype(call()) {
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
};

}  // namespace orvessa::testing
