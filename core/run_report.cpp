#include "core/run_report.hpp"

#include <cstdio>
#include <cstring>

namespace orvessa {

void RunReport::AddFailure(const std::string& path, const FsError& error, bool at_destination) {
  ++failed;
  if (error.kind == FsErrorKind::PermissionDenied) permission_denied = true;
  if (failures.size() < kListedFailures) {
    failures.push_back({path, ReasonInWords(error, at_destination)});
  }
}

void RunReport::AddCarried(const std::string& copy, std::uint64_t files) {
  carried += files;
  for (auto& [name, count] : carried_from) {
    if (name == copy) {
      count += files;
      return;
    }
  }
  carried_from.emplace_back(copy, files);
}

void Verification::AddMismatch(const std::string& path, const std::string& reason) {
  ++mismatched;
  if (mismatches.size() < kListedFailures) mismatches.push_back({path, reason});
}

void Verification::AddChanged(const std::string& path) {
  ++changed;
  if (changed_paths.size() < kListedFailures) changed_paths.push_back(path);
}

std::string ReasonInWords(const FsError& error, bool at_destination) {
  switch (error.errnum) {
    case ENOENT:
    case EINVAL:
    case EILSEQ:
      // Where the copy should go, such errors mean the name was refused.
      if (at_destination) return "the destination cannot hold this name";
      return error.errnum == ENOENT ? "it vanished or was not found" : std::strerror(error.errnum);
    case EACCES:
    case EPERM:
      if (at_destination) {
        return "the destination refuses it (a name or kind of file it cannot hold, or no "
               "permission to write there)";
      }
      return "the system denies the permission to read it";
    case ENOSYS:
    case EOPNOTSUPP:
      return "the destination cannot hold this kind of file (a link, a FIFO, a device)";
    case EROFS:
      return "the destination is read-only";
    case ENOSPC:
    case EDQUOT:
      return "there is not enough space on the destination";
    case EFBIG:
      return "the file is too big for the destination's file system";
    case ENAMETOOLONG:
      return "the name is too long for the destination";
    case EEXIST:
      return "another file already has this name at the destination (it may not tell "
             "upper and lower case apart)";
    case EIO:
      return at_destination ? "the destination could not be written (input/output error)"
                            : "the disk could not be read (input/output error)";
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
