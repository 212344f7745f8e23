#include "core/prior_copies.hpp"

#include <algorithm>
#include <cstdio>

namespace orvessa {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int CopyNumber(const std::string& name) { return (name[4] - '0') * 10 + (name[5] - '0'); }

// True when path is folder or lies inside it; both are real paths.
bool IsInside(const std::string& path, const std::string& folder) {
  return path == folder ||
         (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
          path[folder.size()] == '/');
}

}  // namespace

bool IsCopyFolderName(const std::string& name) {
  return name.size() == 6 && name.compare(0, 4, "Copy") == 0 && IsDigit(name[4]) &&
         IsDigit(name[5]);
}

CopyRotation PlanCopyRotation(const FileSystem& fs, const std::string& destination,
                              std::int16_t copies_to_keep,
                              const std::vector<std::string>& protected_paths) {
  std::vector<std::string> names;
  if (auto listing = fs.ListFolder(destination)) {
    for (const FolderEntry& entry : listing.value()) {
      if (entry.type != EntryType::Folder || !IsCopyFolderName(entry.name)) continue;
      if (names.size() < static_cast<std::size_t>(kMaxCopyFolders)) names.push_back(entry.name);
    }
  }
  // Plain byte order, which for these names is also number order.
  std::sort(names.begin(), names.end());
  const bool wrapped = std::find(names.begin(), names.end(), "Copy99") != names.end();
  const std::size_t keep =
      wrapped || copies_to_keep < 0 ? 0 : static_cast<std::size_t>(copies_to_keep);

  std::vector<std::string> sources;
  for (const std::string& path : protected_paths) {
    if (auto real = fs.RealPath(path)) sources.push_back(real.value());
  }

  CopyRotation rotation;
  for (std::size_t k = 0; k + keep < names.size(); ++k) {
    const std::string folder = Join(destination, names[k]);
    auto real = fs.RealPath(folder);
    if (!real) continue;
    const bool holds_source =
        std::any_of(sources.begin(), sources.end(),
                    [&](const std::string& s) { return IsInside(s, real.value()); });
    if (!holds_source) rotation.to_delete.push_back(names[k]);
  }

  int highest = 0;
  if (!wrapped) {
    for (const std::string& name : names) highest = std::max(highest, CopyNumber(name));
  }
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "Copy%02d", highest + 1);
  rotation.new_name = buffer;
  return rotation;
}

std::string ApplyCopyRotation(FileSystem& fs, const std::string& destination,
                              const CopyRotation& rotation) {
  for (const std::string& name : rotation.to_delete) {
    // A name must never resolve to the destination itself.
    if (!IsCopyFolderName(name)) continue;
    (void)fs.DeleteTree(Join(destination, name), true);
  }
  (void)fs.MakeFolder(Join(destination, rotation.new_name));
  return rotation.new_name;
}

std::string PrepareCopyFolder(FileSystem& fs, const std::string& destination,
                              std::int16_t copies_to_keep,
                              const std::vector<std::string>& protected_paths) {
  return ApplyCopyRotation(fs, destination,
                           PlanCopyRotation(fs, destination, copies_to_keep, protected_paths));
}

}  // namespace orvessa
