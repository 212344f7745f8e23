#include "platform/linux/posix_file_system.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace orvessa {
namespace {

// Closes a descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

std::string ParentFolder(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

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

}  // namespace

FsResult<FileContent> PosixFileSystem::ReadFile(const std::string& path,
                                                std::size_t max_bytes) const {
  // O_NONBLOCK so that a FIFO under the name cannot stall the caller.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
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
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return FsOk{};
}

}  // namespace orvessa
