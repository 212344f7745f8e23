#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/posix_file_system.hpp"

namespace orvessa::testing {

enum class FsOp { WriteFileAtomic, WriteNewFile, CopyFile, CopyTree, LinkFile, Sync };

// The disk, except that chosen operations on chosen paths fail with a chosen kind. A rule
// matches its path and everything below it; an empty path matches every path.
class FaultInjectingFileSystem : public PosixFileSystem {
 public:
  // `errnum` is the host's reason the failure carries.
  void Fail(FsOp op, std::string path, FsErrorKind kind, int errnum = 0) {
    rules_.push_back({op, std::move(path), kind, errnum});
  }
  // A disk that writes one byte wrong: after a copy, the first byte of the copied file
  // whose source is `source` is flipped, its times put back.
  void CorruptCopyOf(std::string source) { corrupt_.push_back(std::move(source)); }
  void SetNotReady(std::string path) { not_ready_.push_back(std::move(path)); }

  FsStatus WriteFileAtomic(const std::string& path, std::string_view bytes) override {
    return Guard(FsOp::WriteFileAtomic, path,
                 [&] { return PosixFileSystem::WriteFileAtomic(path, bytes); });
  }
  FsStatus WriteNewFile(const std::string& path, std::string_view bytes) override {
    return Guard(FsOp::WriteNewFile, path,
                 [&] { return PosixFileSystem::WriteNewFile(path, bytes); });
  }
  DriveInfo GetDrive(const std::string& path) const override {
    DriveInfo drive = PosixFileSystem::GetDrive(path);
    for (const auto& p : not_ready_) drive.ready = drive.ready && !Matches(p, path);
    return drive;
  }
  FsResult<CopyStats> CopyFile(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    return Copied(FsOp::CopyFile, from, to,
                  [&] { return PosixFileSystem::CopyFile(from, to, options); });
  }
  FsResult<CopyStats> CopyTree(const std::string& from, const std::string& to,
                               const CopyOptions& options) override {
    return Copied(FsOp::CopyTree, from, to,
                  [&] { return PosixFileSystem::CopyTree(from, to, options); });
  }
  // Matched on the file to be linked to, whose new name is a temporary one.
  FsStatus LinkFileAt(int from_folder, const char* from_name, int to_folder, const char* to_name,
                      const std::string& existing) override {
    ++link_calls;
    return Guard(FsOp::LinkFile, existing, [&] {
      return PosixFileSystem::LinkFileAt(from_folder, from_name, to_folder, to_name, existing);
    });
  }

  FsStatus SyncFileSystem(const std::string& path) override {
    journal.push_back("syncfs " + path);
    return Guard(FsOp::Sync, path, [&] { return PosixFileSystem::SyncFileSystem(path); });
  }
  FsStatus SyncFolder(const std::string& path) override {
    journal.push_back("fsync " + path);
    return Guard(FsOp::Sync, path, [&] { return PosixFileSystem::SyncFolder(path); });
  }
  FsStatus Rename(const std::string& from, const std::string& to) override {
    journal.push_back("rename " + from + " " + to);
    return PosixFileSystem::Rename(from, to);
  }
  FsStatus DeleteTree(const std::string& path, bool force) override {
    if (FolderExists(path) || FileExists(path)) journal.push_back("delete " + path);
    return PosixFileSystem::DeleteTree(path, force);
  }

  int link_calls = 0;
  // Syncs, renames and deletions in the order they were asked for.
  std::vector<std::string> journal;
  // Called with the source after each file or tree copy, e.g. to change it meanwhile.
  std::function<void(const std::string& from)> after_copy;

 protected:
  // The first rule for op and path fails the call; without one, `call` does it.
  template <typename Call>
  auto Guard(FsOp op, const std::string& path, Call call) const -> decltype(call()) {
    for (const Rule& rule : rules_) {
      if (rule.op == op && Matches(rule.path, path)) return FsError{rule.kind, rule.errnum, path};
    }
    return call();
  }

 private:
  struct Rule {
    FsOp op;
    std::string path;
    FsErrorKind kind;
    int errnum;
  };

  template <typename Call>
  FsResult<CopyStats> Copied(FsOp op, const std::string& from, const std::string& to, Call call) {
    return Guard(op, from, [&] {
      auto done = call();
      Corrupt(from, to);
      if (after_copy) after_copy(from);
      return done;
    });
  }
  void Corrupt(const std::string& from, const std::string& to) const {
    for (const std::string& source : corrupt_) {
      if (!Matches(from, source)) continue;
      const std::string copy = to + source.substr(from.size());
      struct stat st {};
      const int fd = ::open(copy.c_str(), O_RDWR);
      if (fd < 0) continue;
      char byte = 0;
      if (::fstat(fd, &st) == 0 && ::pread(fd, &byte, 1, 0) == 1) {
        byte = static_cast<char>(byte ^ 0x20);
        (void)::pwrite(fd, &byte, 1, 0);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(fd, times);
      }
      ::close(fd);
    }
  }

  static bool Matches(const std::string& rule, const std::string& path) {
    if (rule.empty() || rule == path) return true;
    std::string folder = rule.back() == '/' ? rule : rule + "/";
    return path.compare(0, folder.size(), folder) == 0;
  }

  std::vector<Rule> rules_;
  std::vector<std::string> not_ready_;
  std::vector<std::string> corrupt_;
};

}  // namespace orvessa::testing
