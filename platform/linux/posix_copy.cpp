#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "platform/linux/posix_fd.hpp"
#include "platform/linux/posix_file_system.hpp"
#include "platform/linux/posix_metadata.hpp"

namespace orvessa {
namespace {

using namespace posix;

constexpr std::size_t kChunk = 8u << 20;  // bytes between two looks at the observer
constexpr const char* kTempPrefix = ".orvessa-part-";

using FileId = std::pair<dev_t, ino_t>;

mode_t ProcessUmask() {
  static const mode_t mask = [] {
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
  }();
  return mask;
}

bool CopyOffloadUnsupported(int errnum) {
  return errnum == EXDEV || errnum == EINVAL || errnum == ENOSYS || errnum == EOPNOTSUPP ||
         errnum == ENOTTY || errnum == EBADF || errnum == EPERM;
}

// Fewer blocks than the size needs: the file has holes worth keeping.
bool HasHoles(const struct stat& st) {
  return st.st_size > 0 &&
         static_cast<std::uint64_t>(st.st_blocks) * 512u < static_cast<std::uint64_t>(st.st_size);
}

// The two sides of one file's copy, for naming the one that failed.
struct Paths {
  const std::string& from;
  const std::string& to;
};

// Refusals that mean the destination holds no hard links at all.
bool LinksUnsupported(int errnum) {
  return errnum == EPERM || errnum == EOPNOTSUPP || errnum == ENOTSUP || errnum == ENOSYS;
}

std::int64_t Nanoseconds(const struct timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::pair<std::uint64_t, std::uint64_t> FileKey(const struct stat& st) {
  return {st.st_dev, st.st_ino};
}

// The folder of the prior copy that matches the folder being copied, while there is one.
struct Prior {
  int folder = -1;
  std::string path;
};

// One copy operation: a file or a tree, with its options, counts and exclusions.
class Copier {
 public:
  Copier(PosixFileSystem& fs, const CopyOptions& options) : fs_(fs), options_(options) {
    for (const std::string& path : options.exclude) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0) excluded_.insert({st.st_dev, st.st_ino});
    }
  }

  CopyStats stats;

  FsStatus Tree(const std::string& from, const std::string& to) {
    Fd source(OpenReading(from, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!source.valid()) return ErrorFromErrno(errno, from);
    struct stat st {};
    if (::fstat(source.get(), &st) != 0) return ErrorFromErrno(errno, from);
    struct stat existing {};
    if (::stat(to.c_str(), &existing) == 0 && existing.st_dev == st.st_dev &&
        existing.st_ino == st.st_ino) {
      return FsError{FsErrorKind::PathFileAccess, EINVAL, to};  // a folder onto itself
    }
    Fd parent(OpenReading(ParentFolder(to), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.valid()) return ErrorFromErrno(errno, to);
    const std::string name = to.substr(to.rfind('/') + 1);
    Fd prior_folder;
    Prior prior;
    if (!options_.share_from.empty()) {
      prior_folder = Fd(OpenReading(options_.share_from, kOpenFolder));
      prior = {prior_folder.get(), options_.share_from};
    }
    return Folder(std::move(source), st, st.st_dev, parent.get(), name.c_str(), from, to, true,
                  prior);
  }

  FsStatus File(const std::string& from, const std::string& to) {
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0) return ErrorFromErrno(errno, from);
    if (S_ISDIR(st.st_mode)) return FsError{FsErrorKind::PathFileAccess, EISDIR, from};
    struct stat existing {};
    if (::stat(to.c_str(), &existing) == 0 && existing.st_dev == st.st_dev &&
        existing.st_ino == st.st_ino) {
      ++stats.skipped;  // already the file itself
      return FsOk{};
    }
    Fd parent(OpenReading(ParentFolder(to), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.valid()) return ErrorFromErrno(errno, to);
    const std::string name = to.substr(to.rfind('/') + 1);
    if (S_ISLNK(st.st_mode))
      return Link(AT_FDCWD, from.c_str(), parent.get(), name.c_str(), from, to);
    if (!S_ISREG(st.st_mode))
      return Special(AT_FDCWD, from.c_str(), parent.get(), name.c_str(), to);
    Fd prior_folder;
    Prior prior;
    std::string prior_name;
    if (!options_.share_from.empty()) {
      prior_folder = Fd(::open(ParentFolder(options_.share_from).c_str(), kOpenFolder));
      prior = {prior_folder.get(), ParentFolder(options_.share_from)};
      prior_name = options_.share_from.substr(options_.share_from.rfind('/') + 1);
    }
    // Only a file that may replace another needs a temporary name to be cut off under.
    if (FsStatus copied = Regular(AT_FDCWD, from.c_str(), parent.get(), name.c_str(), from, to,
                                  options_.overwrite, prior, prior_name.c_str());
        !copied) {
      return copied;
    }
    return Look();
  }

 private:
  FsStatus Look() const {
    if (options_.observer && !options_.observer->Continue(stats.bytes + stats.shared_bytes)) {
      return FsError{FsErrorKind::Cancelled, 0, {}};
    }
    return FsOk{};
  }

  // A part of a tree failed: left out when the observer says so, else the copy ends.
  FsStatus Failed(const std::string& source, const FsError& error) {
    if (!aborted_ && error.kind != FsErrorKind::Cancelled && options_.observer &&
        options_.observer->Skip(source, error)) {
      ++stats.failed;
      return FsOk{};
    }
    aborted_ = true;  // the observer is asked once; the error now ends every level
    return error;
  }

  std::string TempName() {
    return kTempPrefix + std::to_string(::getpid()) + "-" + std::to_string(++temp_counter_);
  }

  // Creates the target for writing: under its own name when it is new (in a tree, where
  // a cut-off copy is the whole tree's to clean up), else under a temporary name that
  // replaces it once complete.
  FsResult<Fd> CreateTarget(int folder, const char* name, mode_t mode, std::string& temp,
                            const std::string& to, bool always_temp) {
    if (!always_temp) {
      Fd out(::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
      if (out.valid()) return out;
      if (errno != EEXIST) return ErrorFromErrno(errno, to);
    }
    if (!options_.overwrite) {
      struct stat st {};
      if (always_temp ? ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 : true) {
        return FsError{FsErrorKind::AlreadyExists, EEXIST, to};
      }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
      temp = TempName();
      Fd fresh(::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
      if (fresh.valid()) return fresh;
      if (errno != EEXIST) return ErrorFromErrno(errno, to);
    }
    return FsError{FsErrorKind::AlreadyExists, EEXIST, to};
  }

  // Bytes [from, end) at the same offsets: the kernel's offload first, reads and writes
  // where it cannot.
  FsStatus Range(int in, int out, off_t begin, off_t end, const Paths& paths, bool offload) {
    const std::uint64_t start = stats.bytes;
    off_t in_at = begin, out_at = begin;
    while (offload && in_at < end) {
      const auto want = static_cast<std::size_t>(std::min<off_t>(end - in_at, kChunk));
      ssize_t n = ::copy_file_range(in, &in_at, out, &out_at, want, 0);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (CopyOffloadUnsupported(errno)) {
          offload = offload_ = false;
          break;
        }
        return ErrorFromErrno(errno, paths.to);
      }
      if (n == 0) return FsOk{};  // the file shrank meanwhile
      stats.bytes = start + static_cast<std::uint64_t>(in_at - begin);
      if (FsStatus go_on = Look(); !go_on) return go_on;
    }
    if (in_at < end && buffer_.empty()) buffer_.resize(1u << 20);
    while (in_at < end) {
      const auto want = static_cast<std::size_t>(std::min<off_t>(end - in_at, buffer_.size()));
      ssize_t n = ::pread(in, buffer_.data(), want, in_at);
      if (n < 0) {
        if (errno == EINTR) continue;
        return ErrorFromErrno(errno, paths.from);
      }
      if (n == 0) return FsOk{};
      for (ssize_t written = 0; written < n;) {
        ssize_t w = ::pwrite(out, buffer_.data() + written, static_cast<std::size_t>(n - written),
                             in_at + written);
        if (w < 0) {
          if (errno == EINTR) continue;
          return ErrorFromErrno(errno, paths.to);
        }
        written += w;
      }
      in_at += n;
      stats.bytes = start + static_cast<std::uint64_t>(in_at - begin);
      if (FsStatus go_on = Look(); !go_on) return go_on;
    }
    return FsOk{};
  }

  // Only the data parts of a file with holes, then the length: the holes stay holes.
  FsStatus Sparse(int in, int out, const struct stat& st, const Paths& paths) {
    const std::uint64_t start = stats.bytes;
    off_t at = 0;
    while (at < st.st_size) {
      const off_t data = ::lseek(in, at, SEEK_DATA);
      if (data < 0) {
        if (errno == ENXIO) break;  // nothing but a hole up to the end
        return ErrorFromErrno(errno, paths.from);
      }
      off_t hole = ::lseek(in, data, SEEK_HOLE);
      if (hole < 0) hole = st.st_size;
      if (FsStatus copied = Range(in, out, data, hole, paths, offload_); !copied) return copied;
      stats.bytes = start + static_cast<std::uint64_t>(hole);
      at = hole;
    }
    if (::ftruncate(out, st.st_size) != 0) return ErrorFromErrno(errno, paths.to);
    stats.bytes = start + static_cast<std::uint64_t>(st.st_size);
    return FsOk{};
  }

  // Moves the bytes; a clone where the file system can, the data parts of a file with
  // holes, else everything up to the end (kernel files report no size).
  FsStatus Data(int in, int out, const struct stat& st, const Paths& paths) {
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > 0 && clone_ && ::ioctl(out, FICLONE, in) == 0) {
      stats.bytes += size;
      return FsOk{};
    }
    if (size > 0) clone_ = false;  // not offered here; no use asking per file
    if (HasHoles(st)) return Sparse(in, out, st, paths);
    if (size > 0) return Range(in, out, 0, st.st_size, paths, offload_);
    // Kernel files report no size: read to the end.
    return Range(in, out, 0, std::numeric_limits<off_t>::max(), paths, false);
  }

  // Makes the target a further name of the prior copy's file when that file is what a
  // copy would be. False: it must be copied (no such file, or the link was refused).
  bool Share(const struct stat& st, const Prior& prior, const char* prior_name, int to_folder,
             const char* to_name, bool always_temp) {
    if (prior.folder < 0 || link_support_->refused) return false;
    struct stat there {};
    if (::fstatat(prior.folder, prior_name, &there, AT_SYMLINK_NOFOLLOW) != 0 ||
        !MatchesCopy(st, there) || (there.st_dev == st.st_dev && there.st_ino == st.st_ino)) {
      return false;
    }
    std::string temp;
    if (always_temp) {
      struct stat existing {};
      if (::fstatat(to_folder, to_name, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (existing.st_dev == there.st_dev && existing.st_ino == there.st_ino) return true;
        if (!options_.overwrite) return false;  // the copy reports the clash
      }
      temp = TempName();
    }
    if (FsStatus linked =
            fs_.LinkFileAt(prior.folder, prior_name, to_folder,
                           temp.empty() ? to_name : temp.c_str(), JoinPath(prior.path, prior_name));
        !linked) {
      if (LinksUnsupported(linked.error().errnum)) link_support_->refused = true;
      return false;
    }
    if (!temp.empty() && ::renameat(to_folder, temp.c_str(), to_folder, to_name) != 0) {
      ::unlinkat(to_folder, temp.c_str(), 0);
      return false;
    }
    return true;
  }

  void Placed(const std::string& from, const std::string& to, const struct stat& st, bool shared) {
    ++stats.files;
    ++stats.regular;
    if (shared) {
      ++stats.shared;
      stats.shared_bytes += static_cast<std::uint64_t>(st.st_size);
    }
    if (options_.observer) {
      options_.observer->Placed(
          {from, to, static_cast<std::uint64_t>(st.st_size), Nanoseconds(st.st_mtim), shared});
    }
  }

  FsStatus Regular(int from_folder, const char* from_name, int to_folder, const char* to_name,
                   const std::string& from, const std::string& to, bool always_temp,
                   const Prior& prior, const char* prior_name) {
    if (options_.link_files && !link_support_->refused) {
      struct stat st {};
      if (::fstatat(from_folder, from_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return ErrorFromErrno(errno, from);
      }
      if (S_ISREG(st.st_mode)) {
        if (FsStatus linked = fs_.LinkFileAt(from_folder, from_name, to_folder, to_name, from)) {
          Placed(from, to, st, true);
          return FsOk{};
        } else if (LinksUnsupported(linked.error().errnum)) {
          link_support_->refused = true;
        }
      }
    }
    // An unchanged file is shared on its status alone, without opening it; a further name
    // of a file with several is left to the copy below, which links it to its first copy.
    bool share_tried = false;
    if (prior.folder >= 0 && !link_support_->refused) {
      struct stat pre {};
      if (::fstatat(from_folder, from_name, &pre, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISREG(pre.st_mode) &&
          (pre.st_nlink == 1 || !links_->first_copy.count({pre.st_dev, pre.st_ino}))) {
        share_tried = true;
        if (Share(pre, prior, prior_name, to_folder, to_name, always_temp)) {
          if (pre.st_nlink > 1) links_->first_copy.emplace(FileKey(pre), to);
          Placed(from, to, pre, true);
          return FsOk{};
        }
      }
    }
    // Non-blocking, so that a FIFO put in the file's place cannot stall the copy.
    Fd in(OpenReading(from_folder, from_name,
                      O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!in.valid()) return ErrorFromErrno(errno, from);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return ErrorFromErrno(errno, from);
    if (!S_ISREG(st.st_mode)) return Special(from_folder, from_name, to_folder, to_name, to);

    // A further name of a file already copied in this tree becomes a link to its copy.
    const bool linked = st.st_nlink > 1 && !always_temp;
    const std::pair<std::uint64_t, std::uint64_t> id{st.st_dev, st.st_ino};
    if (linked) {
      auto first = links_->first_copy.find(id);
      if (first != links_->first_copy.end() &&
          ::linkat(AT_FDCWD, first->second.c_str(), to_folder, to_name, 0) == 0) {
        Placed(from, to, st, false);
        return FsOk{};
      }
    }
    if (!share_tried && Share(st, prior, prior_name, to_folder, to_name, always_temp)) {
      if (linked) links_->first_copy.emplace(id, to);
      Placed(from, to, st, true);
      return FsOk{};
    }

    if (options_.observer) options_.observer->Starting(from);
    const mode_t mode = st.st_mode & 07777;
    std::string temp;
    auto created = CreateTarget(to_folder, to_name, mode & 0777, temp, to, always_temp);
    if (!created) return created.error();
    Fd out = std::move(created).value();
    const char* written_name = temp.empty() ? to_name : temp.c_str();
    auto fail = [&](const FsError& error) -> FsStatus {
      out.reset();
      ::unlinkat(to_folder, written_name, 0);
      return error;
    };

    if (FsStatus moved = Data(in.get(), out.get(), st, {from, to}); !moved)
      return fail(moved.error());
    KeepMetadata(in.get(), out.get(), st, mode & 0777 & ~ProcessUmask());
    // Network file systems report write failures only here.
    if (::close(out.release()) != 0) return fail(ErrorFromErrno(errno, to));
    if (!temp.empty() && ::renameat(to_folder, temp.c_str(), to_folder, to_name) != 0) {
      return fail(ErrorFromErrno(errno, to));
    }
    if (linked) links_->first_copy.emplace(id, to);
    Placed(from, to, st, false);
    return FsOk{};
  }

  // A FIFO, socket or device is made anew, as `cp -a` does, and never opened.
  FsStatus Special(int from_folder, const char* from_name, int to_folder, const char* to_name,
                   const std::string& to) {
    struct stat st {};
    if (::fstatat(from_folder, from_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      return ErrorFromErrno(errno, to);
    }
    const mode_t kind = st.st_mode & S_IFMT;
    if (::mknodat(to_folder, to_name, kind | (st.st_mode & 0777), st.st_rdev) != 0) {
      if (errno != EEXIST || !options_.overwrite) return ErrorFromErrno(errno, to);
      struct stat there {};
      if (::fstatat(to_folder, to_name, &there, AT_SYMLINK_NOFOLLOW) != 0 ||
          S_ISDIR(there.st_mode) || ::unlinkat(to_folder, to_name, 0) != 0 ||
          ::mknodat(to_folder, to_name, kind | (st.st_mode & 0777), st.st_rdev) != 0) {
        return ErrorFromErrno(errno == 0 ? EEXIST : errno, to);
      }
    }
    KeepMetadataAt(to_folder, to_name, st);
    ++stats.files;
    return FsOk{};
  }

  FsStatus Link(int from_folder, const char* from_name, int to_folder, const char* to_name,
                const std::string& from, const std::string& to) {
    struct stat st {};
    if (::fstatat(from_folder, from_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      return ErrorFromErrno(errno, from);
    }
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n;
    while ((n = ::readlinkat(from_folder, from_name, target.data(), target.size())) ==
           static_cast<ssize_t>(target.size())) {
      target.resize(target.size() * 2);
    }
    if (n < 0) return ErrorFromErrno(errno, from);
    target.resize(static_cast<std::size_t>(n));
    if (::symlinkat(target.c_str(), to_folder, to_name) != 0) {
      if (errno != EEXIST) return ErrorFromErrno(errno, to);
      if (!options_.overwrite) return FsError{FsErrorKind::AlreadyExists, EEXIST, to};
      const std::string temp = TempName();
      if (::symlinkat(target.c_str(), to_folder, temp.c_str()) != 0)
        return ErrorFromErrno(errno, to);
      if (::renameat(to_folder, temp.c_str(), to_folder, to_name) != 0) {
        const int errnum = errno;
        ::unlinkat(to_folder, temp.c_str(), 0);
        return ErrorFromErrno(errnum, to);
      }
    }
    KeepMetadataAt(to_folder, to_name, st);
    ++stats.files;
    stats.bytes += static_cast<std::uint64_t>(n);
    return FsOk{};
  }

  FsStatus Entry(int dir, const char* name, unsigned char type, int target, const std::string& from,
                 const std::string& to, dev_t device, const Prior& prior) {
    if (type == DT_UNKNOWN) {
      struct stat probe {};
      if (::fstatat(dir, name, &probe, AT_SYMLINK_NOFOLLOW) != 0)
        return ErrorFromErrno(errno, from);
      type = S_ISDIR(probe.st_mode)   ? DT_DIR
             : S_ISREG(probe.st_mode) ? DT_REG
             : S_ISLNK(probe.st_mode) ? DT_LNK
                                      : DT_FIFO;
    }
    if (type == DT_REG) {
      FsStatus done = Regular(dir, name, target, name, from, to, false, prior, name);
      return done ? Look() : done;
    }
    if (type == DT_LNK) return Link(dir, name, target, name, from, to);
    if (type != DT_DIR) return Special(dir, name, target, name, to);
    Fd sub(OpenReading(dir, name, kOpenFolder));
    struct stat sub_st {};
    if (!sub.valid() || ::fstat(sub.get(), &sub_st) != 0) return ErrorFromErrno(errno, from);
    Fd sub_prior;
    Prior next;
    if (prior.folder >= 0) {
      sub_prior = Fd(OpenReading(prior.folder, name, kOpenFolder));
      if (sub_prior.valid()) next = {sub_prior.get(), JoinPath(prior.path, name)};
    }
    return Folder(std::move(sub), sub_st, device, target, name, from, to, false, next);
  }

  FsStatus Folder(Fd source, const struct stat& st, dev_t parent_device, int to_parent,
                  const char* to_name, const std::string& from, const std::string& to, bool top,
                  const Prior& prior) {
    if (excluded_.count({st.st_dev, st.st_ino}) ||
        ((top || st.st_dev != parent_device) && IsPseudoFileSystem(source.get()))) {
      ++stats.skipped;
      return FsOk{};
    }
    if (::mkdirat(to_parent, to_name, S_IRWXU) != 0) {
      if (errno != EEXIST) return ErrorFromErrno(errno, to);
      // In a new tree a name taken already is one the destination cannot tell apart.
      if (!top && !options_.overwrite) return FsError{FsErrorKind::AlreadyExists, EEXIST, to};
    }
    Fd target(OpenReading(to_parent, to_name, kOpenFolder));
    if (!target.valid()) {
      if (errno == ENOTDIR || errno == ELOOP)
        return FsError{FsErrorKind::AlreadyExists, EEXIST, to};
      return ErrorFromErrno(errno, to);
    }
    if (top) {
      // A target inside its own source must not be copied into itself.
      struct stat made {};
      if (::fstat(target.get(), &made) == 0) excluded_.insert({made.st_dev, made.st_ino});
    }

    Dir dir(std::move(source));
    if (!dir.valid()) return ErrorFromErrno(errno, from);
    while (struct dirent* entry = dir.Next()) {
      const std::string from_path = JoinPath(from, entry->d_name);
      FsStatus done = Entry(dir.fd(), entry->d_name, entry->d_type, target.get(), from_path,
                            JoinPath(to, entry->d_name), st.st_dev, prior);
      if (!done) {
        if (FsStatus go_on = Failed(from_path, done.error()); !go_on) return go_on;
      }
    }
    if (errno != 0) {
      if (FsStatus go_on = Failed(from, ErrorFromErrno(errno, from)); !go_on) return go_on;
    }

    // The folder's own owner, mode and times last, once nothing more is written in it.
    KeepMetadata(dir.fd(), target.get(), st, S_IRWXU & ~ProcessUmask());
    ++stats.folders;
    return FsOk{};
  }

  PosixFileSystem& fs_;
  const CopyOptions& options_;
  std::set<FileId> excluded_;
  std::vector<char> buffer_;  // for reads and writes where the offload is not offered
  HardLinks own_links_;
  HardLinks* links_ = options_.links ? options_.links : &own_links_;
  LinkSupport own_link_support_;
  LinkSupport* link_support_ = options_.link_support ? options_.link_support : &own_link_support_;
  bool clone_ = true;
  bool offload_ = true;
  bool aborted_ = false;
  unsigned long temp_counter_ = 0;
};

}  // namespace

FsResult<CopyStats> PosixFileSystem::CopyFile(const std::string& from, const std::string& to,
                                              const CopyOptions& options) {
  Copier copier(*this, options);
  if (FsStatus done = copier.File(from, to); !done) return done.error();
  return copier.stats;
}

FsResult<CopyStats> PosixFileSystem::CopyTree(const std::string& from, const std::string& to,
                                              const CopyOptions& options) {
  Copier copier(*this, options);
  if (FsStatus done = copier.Tree(from, to); !done) return done.error();
  return copier.stats;
}

}  // namespace orvessa

namespace orvessa {

FsStatus PosixFileSystem::LinkFileAt(int from_folder, const char* from_name, int to_folder,
                                     const char* to_name, const std::string& existing) {
  if (::linkat(from_folder, from_name, to_folder, to_name, 0) != 0) {
    return ErrorFromErrno(errno, existing);
  }
  return FsOk{};
}

}  // namespace orvessa
