#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The mount points the system's configuration names: the second field of each line of an
// fstab text, and the Where= of each mount or automount unit text. Swap has none.
std::vector<std::string> ConfiguredMountPoints(std::string_view fstab,
                                               const std::vector<std::string>& units);

// The innermost of `points` that is real_path or a folder above it; empty when none is.
std::string InnermostHolding(const std::vector<std::string>& points, const std::string& real_path);

}  // namespace orvessa::posix
