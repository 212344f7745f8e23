#include "core/run_errors.hpp"

#include "i18n/text_ids.hpp"

namespace orvessa {
namespace {

// The destination's device is gone or broken: every further write would fail as well.
bool DestinationLost(int errnum) {
  switch (errnum) {
    case EIO:
    case ENODEV:
    case ENXIO:
    case ENOTCONN:
    case ESTALE:
    case ESHUTDOWN:
      return true;
    default:
      return false;
  }
}

}  // namespace

ErrorReaction ReactionTo(const FsError& error, const RunErrorContext& context) {
  switch (error.kind) {
    case FsErrorKind::DiskFull:
      // Also on the network, where only the check before copying is left out.
      return ErrorReaction::DiskFullEnd;
    case FsErrorKind::PermissionDenied:
      return error.errnum == EROFS ? ErrorReaction::PermissionEnd : ErrorReaction::Skip;
    case FsErrorKind::PathNotFound:
      if (context.destination_missing) return ErrorReaction::WrongPathEnd;
      if (context.DeletedExisting && !context.DriveConfirmed) return ErrorReaction::WrongPathEnd;
      return ErrorReaction::Skip;
    case FsErrorKind::NotReady:
      return ErrorReaction::NotReadyEnd;
    case FsErrorKind::Cancelled:
      return ErrorReaction::StoppedEnd;
    default:
      if (context.at_destination && DestinationLost(error.errnum)) {
        return ErrorReaction::NotReadyEnd;
      }
      return ErrorReaction::Skip;
  }
}

int MessageFor(ErrorReaction reaction) {
  switch (reaction) {
    case ErrorReaction::DiskFullEnd:
      return text_id::kNotEnoughSpace;
    case ErrorReaction::PermissionEnd:
      return text_id::kPermissionDenied;
    case ErrorReaction::WrongPathEnd:
      return text_id::kWrongPath;
    case ErrorReaction::NotReadyEnd:
      return text_id::kDriveNotReady;
    default:
      return 0;
  }
}

}  // namespace orvessa
