#pragma once

#include "platform/fs_error.hpp"

namespace orvessa {

// How a run answers a failed step.
enum class ErrorReaction {
  Skip,           // leave the failing file or entry out, report it, go on; an error end follows
  DiskFullEnd,    // "not enough space", error end
  PermissionEnd,  // "the system denies the permission", error end
  WrongPathEnd,   // "the access path of destination drive is wrong", error end
  NotReadyEnd,    // "destination drive is not ready", error end
  StoppedEnd,     // the user stopped the run: error end without a message
};

struct RunErrorContext {
  bool network_destination = false;
  bool DeletedExisting = false;
  bool DriveConfirmed = false;
  // The folder the copies go to is gone: nothing more can be copied, so the run must
  // not go on to end as a success.
  bool destination_missing = false;
  bool at_destination = false;  // the failing path is the copy's side, not the source's
};

ErrorReaction ReactionTo(const FsError& error, const RunErrorContext& context);

// String number of the message an error end shows; 0 for none.
int MessageFor(ErrorReaction reaction);

}  // namespace orvessa
