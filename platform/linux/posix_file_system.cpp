#include "platform/linux/posix_file_system.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/linux/posix_fd.hpp"

namespace orvessa {
namespace {

using posix::Fd;
using posix::OpenReading;
using posix::ParentFolder;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A job file reached through a symbolic link is replaced where the link points,
// so the link itself survives the rename.
std::string ResolveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (real) return real.get();
  }
  return path;
}

// What a save killed before its rename left: ".<base>.XXXXXX", the pattern mkostemp fills.
void RemoveKilledSaves(const std::string& folder, const std::string& base) {
  const std::string prefix = "." + base + ".";
  posix::Dir dir(Fd(OpenReading(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
  if (!dir.valid()) return;
  while (struct dirent* entry = dir.Next()) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) continue;
    const std::string_view tail = name.substr(prefix.size());
    if (!std::all_of(tail.begin(), tail.end(), [](char c) { return std::isalnum(c) != 0; })) {
      continue;
    }
    struct stat st {};
    if (::fstatat(dir.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
      ::unlinkat(dir.fd(), entry->d_name, 0);
    }
  }
}

}  // namespace

FsResult<FileContent> PosixFileSystem::ReadFile(const std::string& path,
                                                std::size_t max_bytes) const {
  // O_NONBLOCK so that a FIFO under the name cannot stall the caller.
  Fd fd(OpenReading(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) return ErrorFromErrno(errno, path);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return ErrorFromErrno(errno, path);
  if (S_ISDIR(st.st_mode)) return FsError{FsErrorKind::PathFileAccess, EISDIR, path};
  if (!S_ISREG(st.st_mode)) return FsError{FsErrorKind::PathFileAccess, EINVAL, path};

  FileContent content;
  std::size_t want = max_bytes;
  if (st.st_size >= 0 && static_cast<std::size_t>(st.st_size) < want) {
    want = static_cast<std::size_t>(st.st_size);
  }
  content.bytes.resize(want);
  std::size_t got = 0;
  while (got < want) {
    ssize_t n = ::read(fd.get(), content.bytes.data() + got, want - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno, path);
    }
    if (n == 0) break;  // the file shrank while being read
    got += static_cast<std::size_t>(n);
  }
  content.bytes.resize(got);
  if (got == max_bytes) {
    // The size from fstat may be stale; one more byte tells whether anything is left.
    char probe;
    ssize_t n;
    do {
      n = ::read(fd.get(), &probe, 1);
    } while (n < 0 && errno == EINTR);
    content.truncated = n > 0;
  }
  return content;
}

FsStatus PosixFileSystem::WriteFileAtomic(const std::string& path, std::string_view bytes) {
  const std::string target = ResolveTarget(path);
  const std::string folder = ParentFolder(target);
  const auto slash = target.rfind('/');
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) return FsError{FsErrorKind::PathNotFound, ENOENT, path};

  RemoveKilledSaves(folder, base);
  std::string temp = folder + "/." + base + ".XXXXXX";
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return ErrorFromErrno(errno, path);

  auto fail = [&](int errnum) -> FsStatus {
    ::unlink(temp.c_str());
    return ErrorFromErrno(errnum, path);
  };

  // Keep the permissions of the file being replaced; a new file gets the usual ones.
  struct stat old {};
  mode_t mode;
  if (::stat(target.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd.get(), mode) != 0) return fail(errno);
  if (!WriteAll(fd.get(), bytes)) return fail(errno);
  if (::fsync(fd.get()) != 0) return fail(errno);
  if (::close(fd.release()) != 0) return fail(errno);
  if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);

  // Make the rename itself durable; a failure here no longer risks the old contents.
  Fd dir(OpenReading(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return FsOk{};
}

FsStatus PosixFileSystem::WriteNewFile(const std::string& path, std::string_view bytes) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!fd.valid()) return ErrorFromErrno(errno, path);
  if (!WriteAll(fd.get(), bytes) || ::close(fd.release()) != 0) {
    const int errnum = errno;
    ::unlink(path.c_str());
    return ErrorFromErrno(errnum, path);
  }
  return FsOk{};
}

bool PosixFileSystem::FolderExists(const std::string& path) const {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::FileExists(const std::string& path) const {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return !S_ISDIR(st.st_mode);
  return ::lstat(path.c_str(), &st) == 0;  // a link whose target is gone is still there
}

FsResult<std::uint64_t> PosixFileSystem::FileSize(const std::string& path) const {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return ErrorFromErrno(errno, path);
  if (S_ISDIR(st.st_mode)) return FsError{FsErrorKind::PathFileAccess, EISDIR, path};
  return static_cast<std::uint64_t>(st.st_size);
}

FsResult<std::string> PosixFileSystem::RealPath(const std::string& path) const {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  if (!real) return ErrorFromErrno(errno, path);
  return std::string(real.get());
}

FsStatus PosixFileSystem::MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0) return ErrorFromErrno(errno, path);
  return FsOk{};
}

FsStatus PosixFileSystem::MakeFolders(const std::string& path) {
  if (path.empty()) return FsError{FsErrorKind::PathNotFound, ENOENT, path};
  if (FolderExists(path)) return FsOk{};
  const std::string parent = ParentFolder(path);
  if (parent != path && parent != "." && !FolderExists(parent)) {
    if (FsStatus made = MakeFolders(parent); !made) return made;
  }
  if (::mkdir(path.c_str(), 0777) != 0 && !(errno == EEXIST && FolderExists(path))) {
    return ErrorFromErrno(errno, path);
  }
  return FsOk{};
}

FsStatus PosixFileSystem::RemoveFolder(const std::string& path) {
  if (::rmdir(path.c_str()) != 0) return ErrorFromErrno(errno, path);
  return FsOk{};
}

FsStatus PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return FsOk{};
  }
  if (errno != EINVAL && errno != ENOSYS) return ErrorFromErrno(errno, errno == EEXIST ? to : from);
  // File systems without the no-replace flag: check first, accepting the small race.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return FsError{FsErrorKind::AlreadyExists, EEXIST, to};
  if (::rename(from.c_str(), to.c_str()) != 0) return ErrorFromErrno(errno, from);
  return FsOk{};
}

FsResult<bool> PosixFileSystem::SameContent(const std::string& a, const std::string& b,
                                            CopyObserver* observer,
                                            const std::vector<ByteRange>& ranges) const {
  Fd first(OpenReading(a, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
  if (!first.valid()) return ErrorFromErrno(errno, a);
  Fd second(OpenReading(b, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
  if (!second.valid()) return ErrorFromErrno(errno, b);
  struct stat sa {
  }, sb{};
  if (::fstat(first.get(), &sa) != 0) return ErrorFromErrno(errno, a);
  if (::fstat(second.get(), &sb) != 0) return ErrorFromErrno(errno, b);
  if (!S_ISREG(sa.st_mode)) return FsError{FsErrorKind::PathFileAccess, EINVAL, a};
  if (!S_ISREG(sb.st_mode)) return FsError{FsErrorKind::PathFileAccess, EINVAL, b};
  if (sa.st_size != sb.st_size) return false;
  const off_t size = sa.st_size;
  // Allocated once per thread and never cleared: a fresh pair per file cost a zero fill
  // and new pages for every comparison.
  constexpr std::size_t kChunk = 256u << 10;
  thread_local const std::unique_ptr<char[]> buffer(new char[2 * kChunk]);
  char* const left = buffer.get();
  char* const right = buffer.get() + kChunk;
  std::uint64_t done = 0;
  // Compares [at, end); false when they differ, true when equal.
  auto compare = [&](off_t at, off_t end) -> FsResult<bool> {
    while (at < end) {
      const auto want = static_cast<std::size_t>(std::min<off_t>(end - at, kChunk));
      const ssize_t n = ::pread(first.get(), left, want, at);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return ErrorFromErrno(errno, a);
      const ssize_t m = ::pread(second.get(), right, want, at);
      if (m < 0 && errno == EINTR) continue;
      if (m < 0) return ErrorFromErrno(errno, b);
      if (n != m || std::memcmp(left, right, static_cast<std::size_t>(n)) != 0) return false;
      if (n == 0) return true;  // both shrank alike meanwhile
      at += n;
      done += static_cast<std::uint64_t>(n);
      if (observer && !observer->Continue(done)) return FsError{FsErrorKind::Cancelled, 0, {}};
    }
    return true;
  };

  if (!ranges.empty()) {
    for (const ByteRange& range : ranges) {
      const auto begin = static_cast<off_t>(std::min<std::uint64_t>(range.offset, size));
      const auto end =
          static_cast<off_t>(std::min<std::uint64_t>(range.offset + range.length, size));
      auto same = compare(begin, end);
      if (!same || !same.value()) return same;
    }
    return true;
  }

  ::posix_fadvise(first.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  ::posix_fadvise(second.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  // Where the next data may lie: a hole both files have reads as zeros in both.
  auto next_data = [size](int fd, off_t at) {
    const off_t data = ::lseek(fd, at, SEEK_DATA);
    if (data >= 0) return data;
    return errno == ENXIO ? size : at;  // no more data, or no hole support
  };
  auto next_hole = [size](int fd, off_t at) {
    const off_t hole = ::lseek(fd, at, SEEK_HOLE);
    return hole >= 0 ? hole : size;
  };
  off_t at = 0;
  while (at < size) {
    at = std::min(next_data(first.get(), at), next_data(second.get(), at));
    if (at >= size) break;
    const off_t end = std::max(next_hole(first.get(), at), next_hole(second.get(), at));
    auto same = compare(at, end);
    if (!same || !same.value()) return same;
    at = end;
  }
  return true;
}

void PosixFileSystem::DropCached(const std::string& path) const {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
  if (fd.valid()) ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
}

FsStatus PosixFileSystem::SyncFileSystem(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!fd.valid()) return ErrorFromErrno(errno, path);
  if (::syncfs(fd.get()) != 0) return ErrorFromErrno(errno, path);
  return FsOk{};
}

FsStatus PosixFileSystem::SyncFolder(const std::string& path) {
  Fd fd(OpenReading(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return ErrorFromErrno(errno, path);
  // Some file systems keep no folder state to flush and say so.
  if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) {
    return ErrorFromErrno(errno, path);
  }
  return FsOk{};
}

FsResult<FileStamp> PosixFileSystem::Stamp(const std::string& path) const {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return ErrorFromErrno(errno, path);
  return FileStamp{
      static_cast<std::uint64_t>(st.st_size),
      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

FsResult<bool> PosixFileSystem::IsReadOnly(const std::string& path) const {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return ErrorFromErrno(errno, path);
  return (st.st_mode & S_IWUSR) == 0;
}

FsStatus PosixFileSystem::ClearReadOnly(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return ErrorFromErrno(errno, path);
  if (st.st_mode & S_IWUSR) return FsOk{};
  if (::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0)
    return ErrorFromErrno(errno, path);
  return FsOk{};
}

namespace {

// An advisory lock on the folder's own descriptor: nothing is written into the folder.
class PosixFolderLock : public FolderLock {
 public:
  explicit PosixFolderLock(Fd fd) : fd_(std::move(fd)) {}

 private:
  Fd fd_;  // closing it releases the lock
};

}  // namespace

FsResult<std::shared_ptr<FolderLock>> PosixFileSystem::LockFolder(const std::string& path) {
  Fd fd(OpenReading(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return ErrorFromErrno(errno, path);
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return std::shared_ptr<FolderLock>();
    return ErrorFromErrno(errno, path);
  }
  return std::shared_ptr<FolderLock>(std::make_shared<PosixFolderLock>(std::move(fd)));
}

}  // namespace orvessa
