#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.hpp"

namespace orvessa {

inline constexpr int kMaxCopyFolders = 99;

// True for the names runs give their copy folders: "Copy" and exactly two digits.
bool IsCopyFolderName(const std::string& name);

// What a rotation will do, worked out without touching anything.
struct CopyRotation {
  std::vector<std::string> to_delete;  // names under the destination, oldest first
  std::string new_name;                // "Copy07"; empty when no name is free
  std::string newest;  // the highest-numbered copy folder (not a link); empty when none
};

// Collects the copy folders of destination (a link of such a name too, to be removed as a
// link), keeps copies_to_keep of them (none after "Copy99") and names the next one. A
// number below 0, as for a value that could not be read, keeps every copy. A copy folder
// that holds or is one of `protected_paths` (the job's sources) is never planned for
// deletion.
CopyRotation PlanCopyRotation(const FileSystem& fs, const std::string& destination,
                              std::int16_t copies_to_keep,
                              const std::vector<std::string>& protected_paths = {});

// Gives the complete copy at `fresh` its new name. A copy of that name the plan gives up
// (after "Copy99") is parked until DeleteRotatedCopies. Fails, touching nothing, when the
// name is taken by something the plan does not delete.
FsStatus PlaceNewCopy(FileSystem& fs, const std::string& destination, const CopyRotation& rotation,
                      const std::string& fresh);

// Deletes the folders the plan gives up, once the new copy's name is durable; a failure
// to delete one leaves it where it is.
void DeleteRotatedCopies(FileSystem& fs, const std::string& destination,
                         const CopyRotation& rotation);

// For a copy that misses files: the newest prior copy that missed nothing (whose top holds
// no list of missing files) is taken off the plan's deletions.
void KeepNewestCompleteCopy(const FileSystem& fs, const std::string& destination,
                            CopyRotation& rotation);

}  // namespace orvessa
