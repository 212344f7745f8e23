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
  std::vector<std::string> to_delete;  // folder names under the destination, oldest first
  std::string new_name;                // "Copy07"
};

// Collects the copy folders of destination, keeps copies_to_keep of them (none after
// "Copy99", none when the number is below 0) and names the next one. A copy folder that
// holds or is one of `protected_paths` (the job's sources) is never planned for deletion.
CopyRotation PlanCopyRotation(const FileSystem& fs, const std::string& destination,
                              std::int16_t copies_to_keep,
                              const std::vector<std::string>& protected_paths = {});

// Deletes the planned folders and creates the new one; failures are skipped (an existing
// new folder is used as it is). Returns the new folder's name.
std::string ApplyCopyRotation(FileSystem& fs, const std::string& destination,
                              const CopyRotation& rotation);

// Both at once: rotates the prior copies and creates this run's copy folder.
std::string PrepareCopyFolder(FileSystem& fs, const std::string& destination,
                              std::int16_t copies_to_keep,
                              const std::vector<std::string>& protected_paths = {});

}  // namespace orvessa
