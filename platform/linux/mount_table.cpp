#include "platform/linux/mount_table.hpp"

#include <array>
#include <sstream>

namespace orvessa::posix {
namespace {

// mountinfo writes blanks, tabs, newlines and backslashes as three octal digits.
std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
      continue;
    }
    out += field[i];
  }
  return out;
}

bool IsUnder(const std::string& path, const std::string& mount) {
  if (mount == "/") return !path.empty() && path[0] == '/';
  if (path.compare(0, mount.size(), mount) != 0) return false;
  return path.size() == mount.size() || path[mount.size()] == '/';
}

}  // namespace

std::optional<MountPoint> MountOf(std::string_view mountinfo, const std::string& real_path) {
  std::optional<MountPoint> best;
  std::istringstream lines{std::string(mountinfo)};
  std::string line;
  while (std::getline(lines, line)) {
    // id parent major:minor root mount-point options [optional...] - type source super
    std::istringstream fields(line);
    std::string id, parent, device, root, point, word;
    if (!(fields >> id >> parent >> device >> root >> point)) continue;
    std::string type;
    while (fields >> word) {
      if (word == "-") {
        fields >> type;
        break;
      }
    }
    if (type.empty()) continue;
    std::string mount = Unescape(point);
    if (!IsUnder(real_path, mount)) continue;
    if (!best || mount.size() >= best->path.size()) best = MountPoint{mount, type};
  }
  return best;
}

std::vector<std::string> ConfiguredMountPoints(std::string_view fstab,
                                               const std::vector<std::string>& units) {
  std::vector<std::string> points;
  auto add = [&](std::string point) {
    while (point.size() > 1 && point.back() == '/') point.pop_back();
    if (!point.empty() && point[0] == '/') points.push_back(std::move(point));
  };
  std::istringstream lines{std::string(fstab)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, point;
    if (!(fields >> device >> point) || device[0] == '#') continue;
    add(Unescape(point));  // fstab escapes blanks as mountinfo does
  }
  for (const std::string& unit : units) {
    std::istringstream unit_lines(unit);
    while (std::getline(unit_lines, line)) {
      const auto start = line.find_first_not_of(" \t");
      if (start == std::string::npos || line.compare(start, 6, "Where=") != 0) continue;
      std::string where = line.substr(start + 6);
      while (!where.empty() && (where.back() == ' ' || where.back() == '\r')) where.pop_back();
      add(where);
    }
  }
  return points;
}

std::string InnermostHolding(const std::vector<std::string>& points, const std::string& real_path) {
  std::string best;
  for (const std::string& point : points) {
    if (IsUnder(real_path, point) && point.size() > best.size()) best = point;
  }
  return best;
}

bool IsNetworkFileSystemType(std::string_view type) {
  static constexpr std::array<std::string_view, 14> kNetwork = {
      "nfs", "nfs4",  "cifs", "smb3",      "smbfs",  "fuse.sshfs",  "9p",
      "afs", "ncpfs", "ceph", "glusterfs", "lustre", "fuse.rclone", "davfs"};
  for (auto name : kNetwork) {
    if (type == name) return true;
  }
  return type.rfind("fuse.sshfs", 0) == 0;
}

}  // namespace orvessa::posix
