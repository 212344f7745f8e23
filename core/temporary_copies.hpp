#pragma once

#include <string>
#include <vector>

#include "platform/file_system.hpp"

namespace orvessa {

// A copy is built under a temporary name beside its place and takes the place only when
// complete; the copy it replaces is parked under another temporary name until it is
// deleted. Only these names are ever cleaned up, and nothing else.
//
// The names are ".<name>.orvessa-new" (and -old, -gone); where that would be longer than
// a file system allows a name to be, ".orvessa-new-<hash of the name>".

// A copy being built.
std::string NewCopyPath(const std::string& folder, const std::string& name);
// A copy on its way out.
std::string OldCopyPath(const std::string& folder, const std::string& name);

// Puts the complete copy at `fresh` in the place of `folder`/`name`. Whatever was there is
// parked under OldCopyPath; when the new copy cannot take the name, the old one is put
// back. True when something was parked, for DeleteParked once the new name is durable.
FsResult<bool> SwapIn(FileSystem& fs, const std::string& fresh, const std::string& folder,
                      const std::string& name);
// Deletes what SwapIn parked for `folder`/`name`.
FsStatus DeleteParked(FileSystem& fs, const std::string& folder, const std::string& name);

// Deletes the folder `folder`/`name` (a link as a link), renaming it away first so that an
// interrupted deletion never leaves part of it under its name, nor puts it back.
FsStatus DeleteCopy(FileSystem& fs, const std::string& folder, const std::string& name);

// Cleans what an interrupted run left directly in the destination: copies being built,
// half-written files and copies being deleted are deleted; a replaced copy whose place is
// empty (a swap cut short) is put back, otherwise deleted. `names` are the names the job's
// copies have, which a parked copy under a hashed name is recognised by; one that matches
// none of them is left alone.
void RemoveLeftovers(FileSystem& fs, const std::string& destination,
                     const std::vector<std::string>& names = {});

}  // namespace orvessa
