#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>

#include <cstdio>
#include <set>
#include <utility>
#include <vector>

#include "platform/linux/posix_fd.hpp"
#include "platform/linux/posix_file_system.hpp"

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

// One copy operation: a file or a tree, with its options, counts and exclusions.
class Copier {
 public:
  explicit Copier(const CopyOptions& options) : options_(options) {
    for (const std::string& path : options.exclude) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0) excluded_.insert({st.st_dev, st.st_ino});
    }
  }

  CopyStats stats;

  FsStatus Tree(const std::string& from, const std::string& to) {
    Fd source(::open(from.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!source.valid()) return ErrorFromErrno(errno, from);
    struct stat st {};
    if (::fstat(source.get(), &st) != 0) return ErrorFromErrno(errno, from);
    struct stat existing {};
    if (::stat(to.c_str(), &existing) == 0 && existing.st_dev == st.st_dev &&
        existing.st_ino == st.st_ino) {
      return FsError{FsErrorKind::PathFileAccess, EINVAL, to};  // a folder onto itself
    }
    Fd parent(::open(ParentFolder(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.valid()) return ErrorFromErrno(errno, to);
    const std::string name = to.substr(to.rfind('/') + 1);
    return Folder(std::move(source), st, st.st_dev, parent.get(), name.c_str(), from, to, true);
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
    Fd parent(::open(ParentFolder(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.valid()) return ErrorFromErrno(errno, to);
    const std::string name = to.substr(to.rfind('/') + 1);
    if (S_ISLNK(st.st_mode))
      return Link(AT_FDCWD, from.c_str(), parent.get(), name.c_str(), from, to);
    if (!S_ISREG(st.st_mode)) {
      ++stats.skipped;
      return FsOk{};
    }
    if (FsStatus copied = Regular(AT_FDCWD, from.c_str(), parent.get(), name.c_str(), from, to);
        !copied) {
      return copied;
    }
    return Look();
  }

 private:
  FsStatus Look() const {
    if (options_.observer && !options_.observer->Continue(stats.bytes)) {
      return FsError{FsErrorKind::Cancelled, 0, {}};
    }
    return FsOk{};
  }

  // Creates the target for writing: under its own name when it is new, else under a
  // temporary name that replaces it once complete.
  FsResult<Fd> CreateTarget(int folder, const char* name, mode_t mode, std::string& temp,
                            const std::string& to) {
    Fd out(::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (out.valid()) return out;
    if (errno != EEXIST) return ErrorFromErrno(errno, to);
    if (!options_.overwrite) return FsError{FsErrorKind::AlreadyExists, EEXIST, to};
    for (int attempt = 0; attempt < 100; ++attempt) {
      temp = kTempPrefix + std::to_string(::getpid()) + "-" + std::to_string(++temp_counter_);
      Fd fresh(::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
      if (fresh.valid()) return fresh;
      if (errno != EEXIST) return ErrorFromErrno(errno, to);
    }
    return FsError{FsErrorKind::AlreadyExists, EEXIST, to};
  }

  // Moves the bytes; the kernel's offload first, plain reads and writes where it
  // cannot (other file systems, kernel files that report no size).
  FsStatus Data(int in, int out, const struct stat& st, const std::string& to) {
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t start = stats.bytes;
    if (size > 0 && clone_ && ::ioctl(out, FICLONE, in) == 0) {
      stats.bytes += size;
      return FsOk{};
    }
    if (size > 0) clone_ = false;  // not offered here; no use asking per file
    std::uint64_t done = 0;
    bool offload = size > 0;
    while (offload) {
      ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (CopyOffloadUnsupported(errno)) break;
        return ErrorFromErrno(errno, to);
      }
      if (n == 0) break;
      done += static_cast<std::uint64_t>(n);
      stats.bytes = start + done;
      if (done >= size) return FsOk{};
      if (FsStatus go_on = Look(); !go_on) return go_on;
    }
    std::vector<char> buffer(size == 0 ? 4096 : 1u << 20);
    for (;;) {
      ssize_t n = ::read(in, buffer.data(), buffer.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return ErrorFromErrno(errno, to);
      }
      if (n == 0) return FsOk{};
      for (ssize_t written = 0; written < n;) {
        ssize_t w = ::write(out, buffer.data() + written, static_cast<std::size_t>(n - written));
        if (w < 0) {
          if (errno == EINTR) continue;
          return ErrorFromErrno(errno, to);
        }
        written += w;
      }
      done += static_cast<std::uint64_t>(n);
      stats.bytes = start + done;
      if (FsStatus go_on = Look(); !go_on) return go_on;
    }
  }

  FsStatus Regular(int from_folder, const char* from_name, int to_folder, const char* to_name,
                   const std::string& from, const std::string& to) {
    // Non-blocking, so that a FIFO put in the file's place cannot stall the copy.
    Fd in(::openat(from_folder, from_name,
                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!in.valid()) {
      if (errno == ENOENT) {  // gone since the folder was listed
        ++stats.skipped;
        return FsOk{};
      }
      return ErrorFromErrno(errno, from);
    }
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return ErrorFromErrno(errno, from);
    if (!S_ISREG(st.st_mode)) {
      ++stats.skipped;
      return FsOk{};
    }
    const mode_t mode = st.st_mode & 07777;
    std::string temp;
    auto created = CreateTarget(to_folder, to_name, mode & 0777, temp, to);
    if (!created) return created.error();
    Fd out = std::move(created).value();
    const char* written_name = temp.empty() ? to_name : temp.c_str();
    auto fail = [&](const FsError& error) -> FsStatus {
      out.reset();
      ::unlinkat(to_folder, written_name, 0);
      return error;
    };

    if (FsStatus moved = Data(in.get(), out.get(), st, to); !moved) return fail(moved.error());
    if ((mode & ~ProcessUmask()) != mode) {  // the umask took bits the source has
      if (::fchmod(out.get(), mode) != 0) return fail(ErrorFromErrno(errno, to));
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out.get(), times) != 0) return fail(ErrorFromErrno(errno, to));
    // Network file systems report write failures only here.
    if (::close(out.release()) != 0) return fail(ErrorFromErrno(errno, to));
    if (!temp.empty() && ::renameat(to_folder, temp.c_str(), to_folder, to_name) != 0) {
      return fail(ErrorFromErrno(errno, to));
    }
    ++stats.files;
    return FsOk{};
  }

  FsStatus Link(int from_folder, const char* from_name, int to_folder, const char* to_name,
                const std::string& from, const std::string& to) {
    struct stat st {};
    if (::fstatat(from_folder, from_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) {
        ++stats.skipped;
        return FsOk{};
      }
      return ErrorFromErrno(errno, from);
    }
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n;
    while ((n = ::readlinkat(from_folder, from_name, target.data(), target.size())) ==
           static_cast<ssize_t>(target.size())) {
      target.resize(target.size() * 2);
    }
    if (n < 0) {
      if (errno == ENOENT) {
        ++stats.skipped;
        return FsOk{};
      }
      return ErrorFromErrno(errno, from);
    }
    target.resize(static_cast<std::size_t>(n));
    std::string temp;
    if (::symlinkat(target.c_str(), to_folder, to_name) != 0) {
      if (errno != EEXIST) return ErrorFromErrno(errno, to);
      if (!options_.overwrite) return FsError{FsErrorKind::AlreadyExists, EEXIST, to};
      temp = kTempPrefix + std::to_string(::getpid()) + "-" + std::to_string(++temp_counter_);
      if (::symlinkat(target.c_str(), to_folder, temp.c_str()) != 0)
        return ErrorFromErrno(errno, to);
      if (::renameat(to_folder, temp.c_str(), to_folder, to_name) != 0) {
        const int errnum = errno;
        ::unlinkat(to_folder, temp.c_str(), 0);
        return ErrorFromErrno(errnum, to);
      }
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(to_folder, to_name, times, AT_SYMLINK_NOFOLLOW);
    ++stats.files;
    stats.bytes += static_cast<std::uint64_t>(n);
    return FsOk{};
  }

  FsStatus Folder(Fd source, const struct stat& st, dev_t parent_device, int to_parent,
                  const char* to_name, const std::string& from, const std::string& to, bool top) {
    if (excluded_.count({st.st_dev, st.st_ino}) ||
        ((top || st.st_dev != parent_device) && IsPseudoFileSystem(source.get()))) {
      ++stats.skipped;
      return FsOk{};
    }
    if (::mkdirat(to_parent, to_name, S_IRWXU) != 0 && errno != EEXIST) {
      return ErrorFromErrno(errno, to);
    }
    Fd target(::openat(to_parent, to_name, kOpenFolder));
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
      const char* name = entry->d_name;
      unsigned char type = entry->d_type;
      if (type == DT_UNKNOWN) {
        struct stat probe {};
        if (::fstatat(dir.fd(), name, &probe, AT_SYMLINK_NOFOLLOW) != 0) {
          if (errno == ENOENT) continue;
          return ErrorFromErrno(errno, JoinPath(from, name));
        }
        type = S_ISDIR(probe.st_mode)   ? DT_DIR
               : S_ISREG(probe.st_mode) ? DT_REG
               : S_ISLNK(probe.st_mode) ? DT_LNK
                                        : DT_FIFO;
      }
      FsStatus done = FsOk{};
      if (type == DT_REG) {
        done =
            Regular(dir.fd(), name, target.get(), name, JoinPath(from, name), JoinPath(to, name));
        if (done) done = Look();
      } else if (type == DT_LNK) {
        done = Link(dir.fd(), name, target.get(), name, JoinPath(from, name), JoinPath(to, name));
      } else if (type == DT_DIR) {
        Fd sub(::openat(dir.fd(), name, kOpenFolder));
        struct stat sub_st {};
        if (!sub.valid() || ::fstat(sub.get(), &sub_st) != 0) {
          if (errno == ENOENT) {
            ++stats.skipped;
            continue;
          }
          return ErrorFromErrno(errno, JoinPath(from, name));
        }
        done = Folder(std::move(sub), sub_st, st.st_dev, target.get(), name, JoinPath(from, name),
                      JoinPath(to, name), false);
      } else {
        ++stats.skipped;  // FIFO, socket, device: never read
      }
      if (!done) return done;
    }
    if (errno != 0) return ErrorFromErrno(errno, from);

    // The folder's own permissions and times last, once nothing more is written in it.
    if (::fchmod(target.get(), st.st_mode & 07777) != 0) return ErrorFromErrno(errno, to);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(target.get(), times);
    ++stats.folders;
    return FsOk{};
  }

  const CopyOptions& options_;
  std::set<FileId> excluded_;
  bool clone_ = true;
  unsigned long temp_counter_ = 0;
};

}  // namespace

FsResult<CopyStats> PosixFileSystem::CopyFile(const std::string& from, const std::string& to,
                                              const CopyOptions& options) {
  Copier copier(options);
  if (FsStatus done = copier.File(from, to); !done) return done.error();
  return copier.stats;
}

FsResult<CopyStats> PosixFileSystem::CopyTree(const std::string& from, const std::string& to,
                                              const CopyOptions& options) {
  Copier copier(options);
  if (FsStatus done = copier.Tree(from, to); !done) return done.error();
  return copier.stats;
}

}  // namespace orvessa
