#include "core/temporary_copies.hpp"

namespace orvessa {
namespace {

constexpr std::string_view kNewSuffix = ".orvessa-new";
constexpr std::string_view kOldSuffix = ".orvessa-old";     // replaced: put back if alone
constexpr std::string_view kGoneSuffix = ".orvessa-gone";   // being deleted: never put back
constexpr std::string_view kPartPrefix = ".orvessa-part-";  // the file copier's

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// The X of ".X<suffix>", empty when name is not of that form.
std::string InnerName(const std::string& name, std::string_view suffix) {
  if (name.size() <= suffix.size() + 1 || name[0] != '.' || !name.ends_with(suffix)) return {};
  return name.substr(1, name.size() - suffix.size() - 1);
}

bool Present(const FileSystem& fs, const std::string& path) {
  return fs.FolderExists(path) || fs.FileExists(path);
}

}  // namespace

std::string NewCopyPath(const std::string& folder, const std::string& name) {
  return Join(folder, "." + name + std::string(kNewSuffix));
}

std::string OldCopyPath(const std::string& folder, const std::string& name) {
  return Join(folder, "." + name + std::string(kOldSuffix));
}

std::string FinalPath(const std::string& path) {
  std::string shown;
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find('/', begin);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(begin, end - begin);
    const std::string inner = InnerName(part, kNewSuffix);
    shown += inner.empty() ? part : inner;
    if (end < path.size()) shown += '/';
    begin = end + 1;
  }
  return shown;
}

FsStatus PutInPlace(FileSystem& fs, const std::string& fresh, const std::string& folder,
                    const std::string& name) {
  const std::string target = Join(folder, name);
  if (!Present(fs, target)) return fs.Rename(fresh, target);
  const std::string old = OldCopyPath(folder, name);
  if (Present(fs, old)) {
    if (FsStatus removed = fs.DeleteTree(old, true); !removed) return removed;
  }
  if (FsStatus moved = fs.Rename(target, old); !moved) return moved;
  if (FsStatus placed = fs.Rename(fresh, target); !placed) {
    (void)fs.Rename(old, target);
    return placed;
  }
  return fs.DeleteTree(old, true);
}

FsStatus DeleteCopy(FileSystem& fs, const std::string& folder, const std::string& name) {
  const std::string old = Join(folder, "." + name + std::string(kGoneSuffix));
  if (Present(fs, old)) {
    if (FsStatus removed = fs.DeleteTree(old, true); !removed) return removed;
  }
  if (FsStatus moved = fs.Rename(Join(folder, name), old); !moved) return moved;
  return fs.DeleteTree(old, true);
}

void RemoveLeftovers(FileSystem& fs, const std::string& destination) {
  auto listing = fs.ListFolder(destination);
  if (!listing) return;
  for (const FolderEntry& entry : listing.value()) {
    const std::string path = Join(destination, entry.name);
    if (std::string place = InnerName(entry.name, kOldSuffix); !place.empty()) {
      if (!Present(fs, Join(destination, place)) && fs.Rename(path, Join(destination, place))) {
        continue;
      }
      (void)fs.DeleteTree(path, true);
    } else if (!InnerName(entry.name, kNewSuffix).empty() ||
               !InnerName(entry.name, kGoneSuffix).empty() || entry.name.starts_with(kPartPrefix)) {
      (void)fs.DeleteTree(path, true);
    }
  }
}

}  // namespace orvessa
