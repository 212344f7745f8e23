#include "core/run_report.hpp"

#include <cstdio>
#include <cstring>

namespace orvessa {

void RunReport::AddFailure(const std::string& path, const FsError& error) {
  ++failed;
  if (error.kind == FsErrorKind::PermissionDenied) permission_denied = true;
  if (failures.size() < kListedFailures) failures.push_back({path, ReasonInWords(error)});
}

std::string ReasonInWords(const FsError& error) {
  switch (error.errnum) {
    case ENOENT:
      return "it was not found (it may have been moved or deleted)";
    case EACCES:
    case EPERM:
      return "the system denies the permission";
    case EROFS:
      return "the destination is read-only";
    case ENOSPC:
    case EDQUOT:
      return "there is not enough space on the destination";
    case EFBIG:
      return "the file is too big for the destination's file system";
    case ENAMETOOLONG:
      return "the name is too long for the destination";
    case EINVAL:
      return "the destination cannot hold this name or kind of file";
    case EEXIST:
      return "another file already has this name at the destination (it may not tell "
             "upper and lower case apart)";
    case EIO:
      return "the disk could not be read or written (input/output error)";
    case ELOOP:
      return "too many levels of symbolic links";
    case ENOTDIR:
      return "a part of its path is not a folder";
    case 0:
      return "it could not be copied";
    default:
      return std::strerror(error.errnum);
  }
}

std::string DurationInWords(std::chrono::milliseconds elapsed) {
  const long long ms = elapsed.count();
  char text[64];
  if (ms < 60'000) {
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
  } else if (ms < 3'600'000) {
    std::snprintf(text, sizeof text, "%lld min %lld s", ms / 60'000, ms / 1000 % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld h %lld min", ms / 3'600'000, ms / 60'000 % 60);
  }
  return text;
}

}  // namespace orvessa
