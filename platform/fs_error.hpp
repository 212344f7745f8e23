#pragma once

#include <cerrno>
#include <string>
#include <utility>
#include <variant>

namespace orvessa {

// Failure kinds the program reacts to; the numbers are the ones its messages are keyed on.
enum class FsErrorKind {
  DiskFull = 61,
  PermissionDenied = 70,
  PathFileAccess = 75,
  PathNotFound = 76,
  AlreadyExists = 1000,
  NotReady = 1001,
  Other = 1002,
  Cancelled = 1003,  // the caller asked the operation to stop
};

struct FsError {
  FsErrorKind kind = FsErrorKind::Other;
  int errnum = 0;  // the host's errno, 0 when the failure did not come from the host
  std::string path;
};

inline FsErrorKind KindFromErrno(int errnum) {
  switch (errnum) {
    case ENOSPC:
    case EDQUOT:
      return FsErrorKind::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
      return FsErrorKind::PermissionDenied;
    case ENOTEMPTY:
    case EBUSY:
      return FsErrorKind::PathFileAccess;
    case ENOENT:
    case ENOTDIR:
      return FsErrorKind::PathNotFound;
    case EEXIST:
      return FsErrorKind::AlreadyExists;
    default:
      return FsErrorKind::Other;
  }
}

inline FsError ErrorFromErrno(int errnum, std::string path) {
  return FsError{KindFromErrno(errnum), errnum, std::move(path)};
}

// A value or the failure that prevented it.
template <typename T>
class FsResult {
 public:
  FsResult(T value) : state_(std::move(value)) {}        // NOLINT: implicit by design
  FsResult(FsError error) : state_(std::move(error)) {}  // NOLINT

  bool ok() const { return std::holds_alternative<T>(state_); }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return std::get<T>(state_); }
  T& value() & { return std::get<T>(state_); }
  T&& value() && { return std::get<T>(std::move(state_)); }
  const FsError& error() const { return std::get<FsError>(state_); }

 private:
  std::variant<T, FsError> state_;
};

struct FsOk {};
using FsStatus = FsResult<FsOk>;

}  // namespace orvessa
