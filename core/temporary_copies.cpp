#include "core/temporary_copies.hpp"

#include <cstdint>
#include <cstdio>

namespace orvessa {
namespace {

constexpr std::size_t kNameMax = 255;  // bytes of one name on the file systems of this host

constexpr std::string_view kNewSuffix = ".orvessa-new";
constexpr std::string_view kOldSuffix = ".orvessa-old";     // replaced: put back if alone
constexpr std::string_view kGoneSuffix = ".orvessa-gone";   // being deleted: never put back
constexpr std::string_view kPartPrefix = ".orvessa-part-";  // the file copier's

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// FNV-1a: stable across builds, so a later run finds an earlier run's names.
std::string Hash(const std::string& name) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string TemporaryName(const std::string& name, std::string_view suffix) {
  if (1 + name.size() + suffix.size() <= kNameMax) return "." + name + std::string(suffix);
  return std::string(suffix) + "-" + Hash(name);
}

// The X of ".X<suffix>", empty when name is not of that form.
std::string InnerName(const std::string& name, std::string_view suffix) {
  if (name.size() <= suffix.size() + 1 || name[0] != '.' || !name.ends_with(suffix)) return {};
  return name.substr(1, name.size() - suffix.size() - 1);
}

// Whether name is "<suffix>-<16 hex digits>", the form for names too long to extend.
bool IsHashedName(const std::string& name, std::string_view suffix) {
  if (name.size() != suffix.size() + 17 || !name.starts_with(suffix) || name[suffix.size()] != '-')
    return false;
  return name.find_first_not_of("0123456789abcdef", suffix.size() + 1) == std::string::npos;
}

bool Present(const FileSystem& fs, const std::string& path) {
  return fs.FolderExists(path) || fs.FileExists(path);
}

}  // namespace

std::string NewCopyPath(const std::string& folder, const std::string& name) {
  return Join(folder, TemporaryName(name, kNewSuffix));
}

std::string OldCopyPath(const std::string& folder, const std::string& name) {
  return Join(folder, TemporaryName(name, kOldSuffix));
}

FsResult<bool> SwapIn(FileSystem& fs, const std::string& fresh, const std::string& folder,
                      const std::string& name) {
  const std::string target = Join(folder, name);
  if (!Present(fs, target)) {
    if (FsStatus moved = fs.Rename(fresh, target); !moved) return moved.error();
    return false;
  }
  const std::string old = OldCopyPath(folder, name);
  if (Present(fs, old)) {
    if (FsStatus removed = fs.DeleteTree(old, true); !removed) return removed.error();
  }
  if (FsStatus moved = fs.Rename(target, old); !moved) return moved.error();
  if (FsStatus placed = fs.Rename(fresh, target); !placed) {
    (void)fs.Rename(old, target);
    return placed.error();
  }
  return true;
}

FsStatus DeleteParked(FileSystem& fs, const std::string& folder, const std::string& name) {
  return fs.DeleteTree(OldCopyPath(folder, name), true);
}

FsStatus DeleteCopy(FileSystem& fs, const std::string& folder, const std::string& name) {
  const std::string old = Join(folder, TemporaryName(name, kGoneSuffix));
  if (Present(fs, old)) {
    if (FsStatus removed = fs.DeleteTree(old, true); !removed) return removed;
  }
  if (FsStatus moved = fs.Rename(Join(folder, name), old); !moved) return moved;
  return fs.DeleteTree(old, true);
}

void RemoveLeftovers(FileSystem& fs, const std::string& destination,
                     const std::vector<std::string>& names) {
  auto listing = fs.ListFolder(destination);
  if (!listing) return;
  for (const FolderEntry& entry : listing.value()) {
    const std::string path = Join(destination, entry.name);
    std::string place = InnerName(entry.name, kOldSuffix);
    if (place.empty() && IsHashedName(entry.name, kOldSuffix)) {
      for (const std::string& name : names) {
        if (TemporaryName(name, kOldSuffix) == entry.name) place = name;
      }
      if (place.empty()) continue;  // whose it is cannot be told: it stays
    }
    if (!place.empty()) {
      if (!Present(fs, Join(destination, place)) && fs.Rename(path, Join(destination, place))) {
        continue;
      }
      (void)fs.DeleteTree(path, true);
    } else if (!InnerName(entry.name, kNewSuffix).empty() ||
               !InnerName(entry.name, kGoneSuffix).empty() ||
               IsHashedName(entry.name, kNewSuffix) || IsHashedName(entry.name, kGoneSuffix) ||
               entry.name.starts_with(kPartPrefix)) {
      (void)fs.DeleteTree(path, true);
    }
  }
}

}  // namespace orvessa
