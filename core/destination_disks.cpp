#include "core/destination_disks.hpp"

#include <map>
#include <sstream>

namespace orvessa {
namespace {

constexpr std::size_t kMaxRecordBytes = 1u << 20;

std::string Key(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string RecordPath(const std::string& state_folder) {
  return state_folder + (state_folder.ends_with('/') ? "" : "/") + kDestinationDisksName;
}

// One line a destination: its mount point, a tab, the destination.
std::map<std::string, std::string> ReadRecord(const FileSystem& fs,
                                              const std::string& state_folder) {
  std::map<std::string, std::string> mounts;
  auto content = fs.ReadFile(RecordPath(state_folder), kMaxRecordBytes);
  if (!content) return mounts;
  std::istringstream lines(content.value().bytes);
  std::string line;
  while (std::getline(lines, line)) {
    const auto tab = line.find('\t');
    if (tab == std::string::npos || tab == 0 || tab + 1 == line.size()) continue;
    mounts[line.substr(tab + 1)] = line.substr(0, tab);
  }
  return mounts;
}

// `inner` lies strictly below `outer`.
bool StrictlyBelow(const std::string& inner, const std::string& outer) {
  if (inner.size() <= outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
  return outer == "/" || inner[outer.size()] == '/';
}

}  // namespace

std::string RememberedMount(const FileSystem& fs, const std::string& state_folder,
                            const std::string& destination) {
  const auto mounts = ReadRecord(fs, state_folder);
  const auto found = mounts.find(Key(destination));
  return found == mounts.end() ? std::string() : found->second;
}

FsStatus RememberMount(FileSystem& fs, const std::string& state_folder,
                       const std::string& destination, const std::string& mount_point) {
  const std::string key = Key(destination);
  // A name with a line end could not be read back as one record.
  if (key.empty() || mount_point.empty() || key.find_first_of("\t\n") != std::string::npos ||
      mount_point.find_first_of("\t\n") != std::string::npos) {
    return FsOk{};
  }
  auto mounts = ReadRecord(fs, state_folder);
  if (auto found = mounts.find(key); found != mounts.end() && found->second == mount_point) {
    return FsOk{};
  }
  mounts[key] = mount_point;
  std::string text;
  for (const auto& [where, mount] : mounts) text += mount + "\t" + where + "\n";
  (void)fs.MakeFolders(state_folder);
  return fs.WriteFileAtomic(RecordPath(state_folder), text);
}

bool OnItsDisk(const DriveInfo& drive, const std::string& remembered_mount) {
  if (drive.mount_point.empty()) return true;  // nothing known of the mounts here
  const std::string now = Key(drive.mount_point);
  for (const std::string& expected : {drive.configured_mount, remembered_mount}) {
    if (!expected.empty() && StrictlyBelow(Key(expected), now)) return false;
  }
  return true;
}

bool DestinationReady(const FileSystem& fs, const std::string& state_folder,
                      const std::string& destination, DriveInfo* drive) {
  DriveInfo info = fs.GetDrive(destination);
  const bool ready =
      info.ready &&
      OnItsDisk(info, state_folder.empty() ? std::string()
                                           : RememberedMount(fs, state_folder, destination));
  if (drive) *drive = std::move(info);
  return ready;
}

}  // namespace orvessa
