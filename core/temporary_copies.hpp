#pragma once

#include <string>

#include "platform/file_system.hpp"

namespace orvessa {

// A copy is built under a temporary name beside its place and takes the place only when
// complete; the copy it replaces goes under another temporary name until it is deleted.
// Only these names are ever cleaned up, and nothing else.

// "<folder>/.<name>.orvessa-new": a copy being built.
std::string NewCopyPath(const std::string& folder, const std::string& name);
// "<folder>/.<name>.orvessa-old": a copy on its way out.
std::string OldCopyPath(const std::string& folder, const std::string& name);

// The path a file inside a copy being built will have once the copy is in place.
std::string FinalPath(const std::string& path);

// Puts the complete copy at `fresh` in the place of `folder`/`name`. Whatever was there
// is moved out of the way first and deleted only once the new copy has its name; when
// the new copy cannot take the name, the old one is put back.
FsStatus PutInPlace(FileSystem& fs, const std::string& fresh, const std::string& folder,
                    const std::string& name);

// Deletes the folder `folder`/`name` (a link as a link), renaming it away first so that an
// interrupted deletion never leaves part of it under its name, nor puts it back.
FsStatus DeleteCopy(FileSystem& fs, const std::string& folder, const std::string& name);

// Cleans what an interrupted run left directly in the destination: copies being built
// half-written files and copies being deleted are deleted; a replaced copy whose place
// is empty (a swap cut short) is put back, otherwise deleted.
void RemoveLeftovers(FileSystem& fs, const std::string& destination);

}  // namespace orvessa
