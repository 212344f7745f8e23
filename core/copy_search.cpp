#include "core/copy_search.hpp"

#include <algorithm>
#include <cctype>

#include "core/space_accounting.hpp"

namespace orvessa {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// Walks the copy of each source inside the copy, depth first, one folder listed at a time.
// `visit` sees every item with whether its original folder is already known to be gone, and
// returns whether to go on; a folder is entered when `enter` says so.
template <typename Visit>
bool WalkCopy(const FileSystem& fs, const BackupJob& job, const CopyInfo& copy, Visit visit,
              std::stop_token stop) {
  struct Pending {
    std::string path, original;
    bool gone;
  };
  for (const SourceEntry& source : job.Sources) {
    const std::string name = source.IsFolder() ? CopyNameOf(source) : source.LastComponent();
    CopyItem top{copy.name, source.Path(), copy.path + "/" + name};
    auto stamp = fs.Stamp(top.path);
    if (!stamp) continue;
    top.type = fs.FolderExists(top.path) ? EntryType::Folder : EntryType::File;
    top.size = stamp.value().size;
    top.modified = stamp.value().modified_ns / 1'000'000'000;
    bool gone = false;
    if (!visit(top, gone)) return false;
    if (top.type != EntryType::Folder) continue;
    std::vector<Pending> stack{{top.path, top.original, gone}};
    while (!stack.empty()) {
      if (stop.stop_requested()) return false;
      Pending folder = std::move(stack.back());
      stack.pop_back();
      auto listing = fs.ListFolder(folder.path);
      if (!listing) continue;
      for (const FolderEntry& entry : listing.value()) {
        CopyItem item{copy.name,
                      Joined(folder.original, entry.name),
                      folder.path + "/" + entry.name,
                      entry.type,
                      entry.size,
                      entry.modified};
        bool item_gone = folder.gone;
        if (!visit(item, item_gone)) return false;
        if (entry.type == EntryType::Folder) {
          stack.push_back({std::move(item.path), std::move(item.original), item_gone});
        }
      }
    }
  }
  return true;
}

}  // namespace

void SearchCopies(const FileSystem& fs, const BackupJob& job, const std::vector<CopyInfo>& copies,
                  std::string_view needle, const ItemSink& sink, std::stop_token stop) {
  const std::string wanted = Lower(needle);
  for (const CopyInfo& copy : copies) {
    const bool went_on = WalkCopy(
        fs, job, copy,
        [&](const CopyItem& item, bool&) {
          const std::string name = item.path.substr(item.path.rfind('/') + 1);
          return Lower(name).find(wanted) == std::string::npos || sink(item);
        },
        stop);
    if (!went_on) return;
  }
}

void DeletedSince(const FileSystem& fs, const BackupJob& job, const CopyInfo& copy,
                  const ItemSink& sink, std::stop_token stop) {
  WalkCopy(
      fs, job, copy,
      [&](const CopyItem& item, bool& gone) {
        // Below a folder that is gone, everything is gone without asking each file.
        if (!gone) {
          gone = item.type == EntryType::Folder ? !fs.FolderExists(item.original)
                                                : !fs.Stamp(item.original).ok();
        }
        return !gone || item.type == EntryType::Folder || sink(item);
      },
      stop);
}

std::vector<FileVersion> VersionsOf(const FileSystem& fs, const CopyEngine& copier,
                                    const BackupJob& job, const std::vector<CopyInfo>& copies,
                                    const std::string& original, std::stop_token stop) {
  std::vector<FileVersion> versions;
  for (const CopyInfo& copy : copies) {
    if (stop.stop_requested()) break;
    auto path = PathInCopy(job, copy.path, original);
    if (!path) continue;
    auto stamp = fs.Stamp(*path);
    if (!stamp) continue;
    FileVersion version;
    version.item = {copy.name,
                    original,
                    *path,
                    fs.FolderExists(*path) ? EntryType::Folder : EntryType::File,
                    stamp.value().size,
                    stamp.value().modified_ns / 1'000'000'000};
    version.when = copy.when;
    versions.push_back(std::move(version));
  }
  for (std::size_t i = 0; i + 1 < versions.size(); ++i) {
    const CopyItem& newer = versions[i].item;
    const CopyItem& older = versions[i + 1].item;
    if (newer.type != EntryType::File || older.type != EntryType::File) {
      versions[i].changed = newer.type != older.type;
      continue;
    }
    const auto a = fs.Stamp(newer.path), b = fs.Stamp(older.path);
    if (a && b && a.value() == b.value()) {
      versions[i].changed = false;
    } else if (newer.size == older.size) {
      auto same = copier.SameContent(newer.path, older.path, nullptr);
      versions[i].changed = !same || !same.value();
    }
  }
  return versions;
}

}  // namespace orvessa
