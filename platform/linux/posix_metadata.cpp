#include "platform/linux/posix_metadata.hpp"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace orvessa::posix {
namespace {

bool IsRoot() {
  static const bool root = ::geteuid() == 0;
  return root;
}

void KeepOwner(int to, const struct stat& st) {
  if (IsRoot()) {
    (void)::fchown(to, st.st_uid, st.st_gid);
  } else if (st.st_gid != ::getegid()) {
    (void)::fchown(to, static_cast<uid_t>(-1), st.st_gid);  // allowed for own groups only
  }
}

void KeepExtendedAttributes(int from, int to) {
  ssize_t size = ::flistxattr(from, nullptr, 0);
  if (size <= 0) return;
  std::vector<char> names(static_cast<std::size_t>(size));
  size = ::flistxattr(from, names.data(), names.size());
  if (size <= 0) return;
  std::vector<char> value;
  for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
    ssize_t length = ::fgetxattr(from, name, nullptr, 0);
    if (length < 0) continue;
    value.resize(static_cast<std::size_t>(length));
    length = ::fgetxattr(from, name, value.data(), value.size());
    if (length < 0) continue;
    if (::fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0) != 0 &&
        (errno == ENOTSUP || errno == EOPNOTSUPP)) {
      return;  // the destination holds none
    }
  }
}

}  // namespace

bool MatchesCopy(const struct stat& source, const struct stat& copy) {
  if (!S_ISREG(copy.st_mode) || copy.st_size != source.st_size ||
      copy.st_mtim.tv_sec != source.st_mtim.tv_sec ||
      copy.st_mtim.tv_nsec != source.st_mtim.tv_nsec ||
      (copy.st_mode & 07777) != (source.st_mode & 07777) || copy.st_gid != source.st_gid) {
    return false;
  }
  // Others than root own their copies themselves.
  return copy.st_uid == (IsRoot() ? source.st_uid : ::geteuid());
}

void KeepMetadata(int from, int to, const struct stat& st, mode_t created) {
  KeepOwner(to, st);
  KeepExtendedAttributes(from, to);
  // After the owner: a change of owner clears setuid and setgid.
  const mode_t mode = st.st_mode & 07777;
  if (mode != created) (void)::fchmod(to, mode);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  (void)::futimens(to, times);
}

void KeepMetadataAt(int folder, const char* name, const struct stat& st) {
  const bool link = S_ISLNK(st.st_mode);
  if (IsRoot()) (void)::fchownat(folder, name, st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
  if (!link) (void)::fchmodat(folder, name, st.st_mode & 07777, 0);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  (void)::utimensat(folder, name, times, AT_SYMLINK_NOFOLLOW);
}

}  // namespace orvessa::posix
