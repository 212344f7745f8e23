#include "core/run_errors.hpp"

namespace orvessa {

ErrorReaction ReactionTo(const FsError& error, const RunErrorContext& context) {
  switch (error.kind) {
    case FsErrorKind::DiskFull:
      return context.network_destination ? ErrorReaction::Skip : ErrorReaction::DiskFullEnd;
    case FsErrorKind::PermissionDenied:
      return ErrorReaction::PermissionEnd;
    case FsErrorKind::PathNotFound:
      if (context.destination_missing) return ErrorReaction::WrongPathEnd;
      if (context.DeletedExisting && !context.DriveConfirmed) return ErrorReaction::WrongPathEnd;
      return ErrorReaction::Skip;
    case FsErrorKind::NotReady:
      return ErrorReaction::NotReadyEnd;
    case FsErrorKind::Cancelled:
      return ErrorReaction::StoppedEnd;
    default:
      return ErrorReaction::Skip;
  }
}

int MessageFor(ErrorReaction reaction) {
  switch (reaction) {
    case ErrorReaction::DiskFullEnd:
      return 89;
    case ErrorReaction::PermissionEnd:
      return 92;
    case ErrorReaction::WrongPathEnd:
      return 84;
    case ErrorReaction::NotReadyEnd:
      return 86;
    default:
      return 0;
  }
}

}  // namespace orvessa
