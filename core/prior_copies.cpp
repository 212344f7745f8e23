#include "core/prior_copies.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>

#include "core/missing_list.hpp"
#include "core/temporary_copies.hpp"

namespace orvessa {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int CopyNumber(const std::string& name) { return (name[4] - '0') * 10 + (name[5] - '0'); }

std::string CopyName(int number) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "Copy%02d", number);
  return buffer;
}

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
  std::set<std::string> links;
  if (auto listing = fs.ListFolder(destination)) {
    for (const FolderEntry& entry : listing.value()) {
      const bool link = entry.type == EntryType::Link;
      if ((entry.type != EntryType::Folder && !link) || !IsCopyFolderName(entry.name)) continue;
      if (names.size() >= static_cast<std::size_t>(kMaxCopyFolders)) continue;
      names.push_back(entry.name);
      if (link) links.insert(entry.name);
    }
  }
  // Plain byte order, which for these names is also number order.
  std::sort(names.begin(), names.end());
  const bool wrapped = std::find(names.begin(), names.end(), "Copy99") != names.end();
  const bool keep_all = copies_to_keep < 0;
  const std::size_t keep = keep_all  ? names.size()
                           : wrapped ? 0
                                     : static_cast<std::size_t>(copies_to_keep);

  std::vector<std::string> sources;
  for (const std::string& path : protected_paths) {
    if (auto real = fs.RealPath(path)) sources.push_back(real.value());
  }

  CopyRotation rotation;
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    if (!links.count(*name)) {
      rotation.newest = *name;
      break;
    }
  }
  for (std::size_t k = 0; k + keep < names.size(); ++k) {
    // Removing a link removes nothing it points to.
    auto real = fs.RealPath(Join(destination, names[k]));
    const bool holds_source =
        !links.count(names[k]) && real &&
        std::any_of(sources.begin(), sources.end(),
                    [&](const std::string& s) { return IsInside(s, real.value()); });
    if (!holds_source) rotation.to_delete.push_back(names[k]);
  }

  int next = 1;
  if (keep_all && wrapped) {
    // Every copy stays: the lowest number not taken.
    while (next <= kMaxCopyFolders &&
           std::binary_search(names.begin(), names.end(), CopyName(next))) {
      ++next;
    }
    if (next > kMaxCopyFolders) return rotation;
  } else if (!wrapped) {
    for (const std::string& name : names) next = std::max(next, CopyNumber(name) + 1);
  }
  rotation.new_name = CopyName(next);
  return rotation;
}

FsStatus PlaceNewCopy(FileSystem& fs, const std::string& destination, const CopyRotation& rotation,
                      const std::string& fresh) {
  const std::string target = Join(destination, rotation.new_name);
  const bool planned_out = std::find(rotation.to_delete.begin(), rotation.to_delete.end(),
                                     rotation.new_name) != rotation.to_delete.end();
  if (!IsCopyFolderName(rotation.new_name) ||
      (!planned_out && (fs.FolderExists(target) || fs.FileExists(target)))) {
    return FsError{FsErrorKind::AlreadyExists, EEXIST, target};
  }
  // After "Copy99" the new Copy01 may take the place of the old one.
  auto placed = SwapIn(fs, fresh, destination, rotation.new_name);
  if (!placed) return placed.error();
  return FsOk{};
}

void DeleteRotatedCopies(FileSystem& fs, const std::string& destination,
                         const CopyRotation& rotation) {
  for (const std::string& name : rotation.to_delete) {
    // A name must never resolve to the destination itself.
    if (!IsCopyFolderName(name)) continue;
    if (name == rotation.new_name) {
      (void)DeleteParked(fs, destination, name);
    } else {
      (void)DeleteCopy(fs, destination, name);
    }
  }
}

void KeepNewestCompleteCopy(const FileSystem& fs, const std::string& destination,
                            CopyRotation& rotation) {
  auto listing = fs.ListFolder(destination);
  if (!listing) return;
  std::vector<std::string> names;
  for (const FolderEntry& entry : listing.value()) {
    if (entry.type == EntryType::Folder && IsCopyFolderName(entry.name)) {
      names.push_back(entry.name);
    }
  }
  std::sort(names.rbegin(), names.rend());
  for (const std::string& name : names) {
    if (fs.FileExists(Join(Join(destination, name), kMissingListName))) continue;
    std::erase(rotation.to_delete, name);
    return;
  }
}

}  // namespace orvessa
