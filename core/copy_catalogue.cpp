#include "core/copy_catalogue.hpp"

#include <algorithm>

#include "core/missing_list.hpp"
#include "core/prior_copies.hpp"
#include "core/space_accounting.hpp"

namespace orvessa {
namespace {

std::string WithoutFinalSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The name a source's copy has inside a copy folder.
std::string NameInCopy(const SourceEntry& entry) {
  return entry.IsFolder() ? CopyNameOf(entry) : entry.LastComponent();
}

// Files of the last runs are often written to within a few minutes of their run's start.
constexpr std::int64_t kSlackSeconds = 300;

void CountMissing(const FileSystem& fs, CopyInfo& copy) {
  // A list longer than this is counted as far as it goes.
  constexpr std::size_t kMaxListBytes = 16 * 1024 * 1024;
  auto list = fs.ReadFile(copy.path + "/" + kMissingListName, kMaxListBytes);
  if (!list) return;
  std::string_view text = list.value().bytes;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (!line.empty()) {
      ++copy.missing;
      if (line.find("\tmissing: ") == std::string_view::npos) ++copy.carried;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

// The newest run of this copy that started before the folder last changed: a later run
// made another copy, or failed before touching this one.
void DateFromHistory(const std::vector<RunRecord>& history, const std::string& destination,
                     const std::string& copy_name, std::int64_t modified, CopyInfo& copy) {
  for (auto record = history.rbegin(); record != history.rend(); ++record) {
    if (WithoutFinalSlash(record->destination) != destination || record->copy != copy_name) {
      continue;
    }
    if (EpochFromText(record->start) > modified + kSlackSeconds) continue;
    copy.when = record->end;
    copy.when_known = true;
    copy.bytes = record->bytes;
    copy.verification_failed = record->mismatched > 0;
    copy.run_failed = record->outcome != RunOutcome::Normal;
    return;
  }
  copy.when = DateTimeText(LocalFromEpoch(modified));
}

CopyInfo Named(std::string name, std::string path) {
  CopyInfo copy;
  copy.name = std::move(name);
  copy.path = std::move(path);
  return copy;
}

}  // namespace

std::vector<CopyInfo> ListCopies(const FileSystem& fs, const BackupJob& job,
                                 const std::vector<RunRecord>& history) {
  std::vector<CopyInfo> copies;
  const std::string destination = WithoutFinalSlash(job.Destination);
  if (destination.empty()) return copies;
  auto listing = fs.ListFolder(destination);
  if (!listing) return copies;
  struct Found {
    CopyInfo info;
    std::int64_t modified;
  };
  std::vector<Found> found;
  std::int64_t destination_modified = 0;
  bool holds_a_source = false;
  const std::string base = destination == "/" ? std::string() : destination;
  for (const FolderEntry& entry : listing.value()) {
    if (entry.type == EntryType::Folder && IsCopyFolderName(entry.name)) {
      found.push_back({Named(entry.name, base + "/" + entry.name), entry.modified});
      continue;
    }
    for (const SourceEntry& source : job.Sources) {
      if (NameInCopy(source) == entry.name) {
        holds_a_source = true;
        destination_modified = std::max(destination_modified, entry.modified);
      }
    }
  }
  if (holds_a_source) {
    const std::size_t slash = destination.rfind('/');
    std::string name = destination.substr(slash + 1);
    found.push_back({Named(name.empty() ? "/" : name, destination), destination_modified});
  }
  for (Found& copy : found) {
    const bool over = copy.info.path == destination;
    DateFromHistory(history, destination, over ? std::string() : copy.info.name, copy.modified,
                    copy.info);
    CountMissing(fs, copy.info);
  }
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.info.when != b.info.when ? a.info.when > b.info.when : a.info.name > b.info.name;
  });
  for (Found& copy : found) copies.push_back(std::move(copy.info));
  return copies;
}

std::optional<CopyInfo> FindCopy(const std::vector<CopyInfo>& copies, const std::string& name) {
  for (const CopyInfo& copy : copies) {
    if (copy.name == name) return copy;
  }
  return std::nullopt;
}

std::optional<std::string> PathInCopy(const BackupJob& job, const std::string& copy_path,
                                      const std::string& original_path) {
  const std::string original = WithoutFinalSlash(original_path);
  std::optional<std::string> best;
  std::size_t best_length = 0;
  for (const SourceEntry& source : job.Sources) {
    const std::string path = source.Path();
    const std::string top = WithoutFinalSlash(copy_path) + "/" + NameInCopy(source);
    if (!source.IsFolder()) {
      if (original == path && (!best || path.size() > best_length)) {
        best = top;
        best_length = path.size();
      }
      continue;
    }
    const std::string prefix = source.IsRootFolder() ? std::string("/") : path + "/";
    if (original == path || original.starts_with(prefix)) {
      if (best && path.size() <= best_length) continue;
      best = original == path ? top : top + "/" + original.substr(prefix.size());
      best_length = path.size();
    }
  }
  return best;
}

std::optional<std::string> OriginalOf(const BackupJob& job, const std::string& copy_path,
                                      const std::string& inside_path) {
  const std::string copy = WithoutFinalSlash(copy_path) + "/";
  const std::string inside = WithoutFinalSlash(inside_path);
  if (!inside.starts_with(copy)) return std::nullopt;
  const std::string relative = inside.substr(copy.size());
  const std::size_t slash = relative.find('/');
  const std::string top = relative.substr(0, slash);
  const std::string rest = slash == std::string::npos ? std::string() : relative.substr(slash);
  for (const SourceEntry& source : job.Sources) {
    if (NameInCopy(source) != top) continue;
    if (!source.IsFolder()) {
      if (rest.empty()) return source.Path();
      continue;
    }
    if (source.IsRootFolder()) return rest.empty() ? std::string("/") : rest;
    return source.Path() + rest;
  }
  return std::nullopt;
}

}  // namespace orvessa
