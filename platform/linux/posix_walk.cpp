#include <fcntl.h>
#include <sys/stat.h>

#include <set>
#include <utility>

#include "platform/linux/posix_fd.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "platform/linux/posix_metadata.hpp"

namespace orvessa {
namespace {

using namespace posix;

// Sums the sizes of regular files below a folder, each hard-linked file once; with a
// prior copy, only of those files its same place holds as they are.
class SizeWalk {
 public:
  std::uint64_t total = 0;
  std::stop_token stop;  // asked between entries

  // Parts that cannot be read or vanish meanwhile are left out, as they cannot be
  // copied either; only the top folder's own failure is reported.
  void Walk(Fd folder, dev_t device, int prior = -1) {
    Dir dir(std::move(folder));
    if (!dir.valid()) return;
    while (struct dirent* entry = dir.Next()) {
      if (stop.stop_requested()) return;
      struct stat st {};
      if (entry->d_type == DT_LNK || entry->d_type == DT_FIFO || entry->d_type == DT_SOCK ||
          entry->d_type == DT_CHR || entry->d_type == DT_BLK) {
        continue;
      }
      bool folder = entry->d_type == DT_DIR;
      if (!folder) {
        if (::fstatat(dir.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        folder = S_ISDIR(st.st_mode);  // a file system that gave no type
      }
      if (folder) {
        Fd sub(OpenReading(dir.fd(), entry->d_name, kOpenFolder));
        if (!sub.valid() || ::fstat(sub.get(), &st) != 0) continue;
        if (st.st_dev != device && IsPseudoFileSystem(sub.get())) continue;
        Fd sub_prior(prior >= 0 ? OpenReading(prior, entry->d_name, kOpenFolder) : -1);
        Walk(std::move(sub), st.st_dev, sub_prior.get());
      } else if (S_ISREG(st.st_mode)) {
        if (st.st_nlink > 1 && !seen_.insert({st.st_dev, st.st_ino}).second) continue;
        struct stat there {};
        if (prior >= 0 && (::fstatat(prior, entry->d_name, &there, AT_SYMLINK_NOFOLLOW) != 0 ||
                           !posix::MatchesCopy(st, there))) {
          continue;
        }
        total += static_cast<std::uint64_t>(st.st_size);
      }
    }
  }

 private:
  std::set<std::pair<dev_t, ino_t>> seen_;  // only files with more than one name
};

// Empties a folder given by descriptor; see DeleteTree.
FsStatus DeleteContents(int folder, const std::string& path, dev_t device, bool force) {
  Dir dir(Fd(::dup(folder)));
  if (!dir.valid()) return ErrorFromErrno(errno, path);
  while (struct dirent* entry = dir.Next()) {
    // What the listing says is no folder needs no look of its own.
    if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN) {
      if (::unlinkat(dir.fd(), entry->d_name, 0) == 0 || errno == ENOENT) continue;
      if (errno != EISDIR && errno != EPERM) {
        return ErrorFromErrno(errno, JoinPath(path, entry->d_name));
      }
    }
    struct stat st {};
    if (::fstatat(dir.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) continue;
      return ErrorFromErrno(errno, JoinPath(path, entry->d_name));
    }
    if (!S_ISDIR(st.st_mode)) {
      if (::unlinkat(dir.fd(), entry->d_name, 0) != 0 && errno != ENOENT) {
        return ErrorFromErrno(errno, JoinPath(path, entry->d_name));
      }
      continue;
    }
    const std::string sub_path = JoinPath(path, entry->d_name);
    // Whatever is mounted inside belongs to someone else.
    if (st.st_dev != device) return FsError{FsErrorKind::PathFileAccess, EBUSY, sub_path};
    if (force && (st.st_mode & S_IRWXU) != S_IRWXU) {
      ::fchmodat(dir.fd(), entry->d_name, (st.st_mode & 07777) | S_IRWXU, 0);
    }
    Fd sub(OpenReading(dir.fd(), entry->d_name, kOpenFolder));
    if (!sub.valid()) {
      if (errno == ENOENT) continue;
      return ErrorFromErrno(errno, sub_path);
    }
    if (FsStatus emptied = DeleteContents(sub.get(), sub_path, device, force); !emptied) {
      return emptied;
    }
    sub.reset();
    if (::unlinkat(dir.fd(), entry->d_name, AT_REMOVEDIR) != 0 && errno != ENOENT) {
      return ErrorFromErrno(errno, sub_path);
    }
  }
  if (errno != 0) return ErrorFromErrno(errno, path);
  return FsOk{};
}

EntryType TypeOf(mode_t mode) {
  if (S_ISREG(mode)) return EntryType::File;
  if (S_ISDIR(mode)) return EntryType::Folder;
  if (S_ISLNK(mode)) return EntryType::Link;
  return EntryType::Other;
}

}  // namespace

FsResult<std::uint64_t> PosixFileSystem::FolderSize(const std::string& path,
                                                    std::stop_token stop) const {
  Fd top(OpenReading(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!top.valid()) return ErrorFromErrno(errno, path);
  struct stat st {};
  if (::fstat(top.get(), &st) != 0) return ErrorFromErrno(errno, path);
  if (IsPseudoFileSystem(top.get())) return std::uint64_t{0};
  SizeWalk walk;
  walk.stop = std::move(stop);
  walk.Walk(std::move(top), st.st_dev);
  if (walk.stop.stop_requested()) return FsError{FsErrorKind::Cancelled, 0, path};
  return walk.total;
}

FsResult<std::uint64_t> PosixFileSystem::SharedBytes(const std::string& from,
                                                     const std::string& prior) const {
  struct stat st {};
  if (::lstat(from.c_str(), &st) != 0) return ErrorFromErrno(errno, from);
  if (!S_ISDIR(st.st_mode)) {
    struct stat there {};
    if (S_ISREG(st.st_mode) && ::lstat(prior.c_str(), &there) == 0 &&
        posix::MatchesCopy(st, there)) {
      return static_cast<std::uint64_t>(st.st_size);
    }
    return std::uint64_t{0};
  }
  Fd top(OpenReading(from, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!top.valid()) return ErrorFromErrno(errno, from);
  if (IsPseudoFileSystem(top.get())) return std::uint64_t{0};
  Fd prior_top(OpenReading(prior, kOpenFolder));
  if (!prior_top.valid()) return std::uint64_t{0};
  SizeWalk walk;
  walk.Walk(std::move(top), st.st_dev, prior_top.get());
  return walk.total;
}

FsStatus PosixFileSystem::DeleteTree(const std::string& path, bool force) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return ErrorFromErrno(errno, path);
  if (!S_ISDIR(st.st_mode)) {
    if (::unlink(path.c_str()) != 0) return ErrorFromErrno(errno, path);
    return FsOk{};
  }
  if (force && (st.st_mode & S_IRWXU) != S_IRWXU) {
    ::chmod(path.c_str(), (st.st_mode & 07777) | S_IRWXU);
  }
  Fd top(OpenReading(path, kOpenFolder));
  if (!top.valid()) return ErrorFromErrno(errno, path);
  if (IsPseudoFileSystem(top.get())) {
    return FsError{FsErrorKind::PathFileAccess, EBUSY, path};
  }
  if (FsStatus emptied = DeleteContents(top.get(), path, st.st_dev, force); !emptied) {
    return emptied;
  }
  top.reset();
  if (::rmdir(path.c_str()) != 0) return ErrorFromErrno(errno, path);
  return FsOk{};
}

FsResult<std::vector<FolderEntry>> PosixFileSystem::ListFolder(const std::string& path) const {
  Dir dir(Fd(OpenReading(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
  if (!dir.valid()) return ErrorFromErrno(errno, path);
  std::vector<FolderEntry> entries;
  while (struct dirent* entry = dir.Next()) {
    struct stat st {};
    if (::fstatat(dir.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    FolderEntry item;
    item.name = entry->d_name;
    item.type = TypeOf(st.st_mode);
    item.size = static_cast<std::uint64_t>(st.st_size);
    item.read_only = (st.st_mode & S_IWUSR) == 0;
    item.hidden = item.name[0] == '.';
    item.modified = st.st_mtime;
    entries.push_back(std::move(item));
  }
  if (errno != 0) return ErrorFromErrno(errno, path);
  return entries;
}

}  // namespace orvessa
