#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvessa::posix {

struct MountPoint {
  std::string path;  // where it is mounted
  std::string type;  // "ext4", "nfs4", "fuse.sshfs", ...
};

// The mount holding the resolved path, from the text of /proc/self/mountinfo: the
// longest mount point that is the path or a folder above it, the last such line
// winning (a later mount hides an earlier one on the same point).
std::optional<MountPoint> MountOf(std::string_view mountinfo, const std::string& real_path);

bool IsNetworkFileSystemType(std::string_view type);

}  // namespace orvessa::posix
