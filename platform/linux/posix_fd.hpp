#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace orvessa::posix {

// A folder below the starting point: links are never followed.
inline constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Opens for reading without touching the access time where the system allows it (the
// owner, root): listing or restoring from a copy must leave the copy exactly as it was.
inline int OpenReading(int folder, const char* name, int flags) {
  const int fd = ::openat(folder, name, flags | O_NOATIME);
  if (fd >= 0 || errno != EPERM) return fd;
  return ::openat(folder, name, flags);
}
inline int OpenReading(const std::string& path, int flags) {
  return OpenReading(AT_FDCWD, path.c_str(), flags);
}

// Closes a descriptor on every path out of a function.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.release();
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// A directory stream that owns its descriptor.
class Dir {
 public:
  explicit Dir(Fd fd) {
    if (fd.valid()) {
      dir_ = ::fdopendir(fd.get());
      if (dir_) fd.release();
    }
  }
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  ~Dir() {
    if (dir_) ::closedir(dir_);
  }
  bool valid() const { return dir_ != nullptr; }
  int fd() const { return ::dirfd(dir_); }
  // The next entry other than "." and "..", or nullptr at the end (errno set on failure).
  struct dirent* Next() {
    for (;;) {
      errno = 0;
      struct dirent* entry = ::readdir(dir_);
      if (!entry) return nullptr;
      const char* n = entry->d_name;
      if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
      return entry;
    }
  }

 private:
  DIR* dir_ = nullptr;
};

inline std::string JoinPath(const std::string& folder, const char* name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

inline std::string ParentFolder(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Kernel-made file systems whose "files" are not data: never measured, copied or deleted.
bool IsPseudoFileSystem(int fd);

}  // namespace orvessa::posix
