#pragma once

#include <string>

#include "platform/file_system.hpp"

namespace orvessa {

// Which file system each destination lay on when a run last reached its disk, kept in the
// program's state folder so that the window and orvessa-run share it.
inline constexpr const char* kDestinationDisksName = "destination-disks";

// The mount point recorded for the destination; empty when none is.
std::string RememberedMount(const FileSystem& fs, const std::string& state_folder,
                            const std::string& destination);

// Records the mount point the destination lies on now; the file is replaced atomically
// and only when the record changes.
FsStatus RememberMount(FileSystem& fs, const std::string& state_folder,
                       const std::string& destination, const std::string& mount_point);

// False for a destination that is only the bare folder a file system belongs on: one the
// system's configuration mounts there, or one the destination lay on before, is not
// mounted now, so the folder is the disk above it. Another disk mounted there is fine.
bool OnItsDisk(const DriveInfo& drive, const std::string& remembered_mount);

// The destination's folder answers and lies on its own disk.
bool DestinationReady(const FileSystem& fs, const std::string& state_folder,
                      const std::string& destination, DriveInfo* drive = nullptr);

}  // namespace orvessa
