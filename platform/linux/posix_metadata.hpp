#pragma once

#include <sys/stat.h>

namespace orvessa::posix {

// What `cp -a` keeps besides the bytes: the owner (root only; others keep the group
// where they may), extended attributes, mode bits with setuid, setgid and sticky, and
// the times. A destination that cannot hold one of them (vfat and modes or owners, no
// extended attributes) simply does without: none of this fails a copy.

// For an open file or folder `to` made from the open `from`; `created` is the mode it
// was created with, so that the mode is set only when it differs.
void KeepMetadata(int from, int to, const struct stat& st, mode_t created);

// For a link or special file made as `name` in `folder`, which cannot be opened.
void KeepMetadataAt(int folder, const char* name, const struct stat& st);

// True when `copy` is a regular file that a copy of `source` made now would equal in
// size, modification time, mode and owner, so that it can be shared instead.
bool MatchesCopy(const struct stat& source, const struct stat& copy);

}  // namespace orvessa::posix
