#include "core/job_editor.hpp"

#include <algorithm>

#include "i18n/text_ids.hpp"

namespace orvessa {

bool JobEditor::Listed(const SourceEntry& entry) const {
  return std::find(job_.Sources.begin(), job_.Sources.end(), entry) != job_.Sources.end();
}

std::vector<SourceEntry> JobEditor::AddFiles(const std::string& folder,
                                             const std::vector<std::string>& names) {
  std::vector<SourceEntry> added;
  for (const std::string& name : names) {
    const std::string path = (folder == "/" ? folder : folder + "/") + name;
    const auto entry = SourceEntry::ForFile(path);
    if (!entry || Listed(*entry)) break;
    const auto size = fs_.FileSize(path);
    if (!size) break;
    job_.Sources.push_back(*entry);
    job_.SelectedBytes += static_cast<double>(size.value());
    added.push_back(*entry);
  }
  return added;
}

std::optional<SourceEntry> JobEditor::AddFolder(std::string_view folder) {
  auto entry = SourceEntry::ForFolder(folder);
  if (!entry || Listed(*entry)) return std::nullopt;
  job_.Sources.push_back(*entry);
  return entry;
}

std::optional<SourceEntry> JobEditor::RemoveAt(int row) {
  if (row < 0 || row >= static_cast<int>(job_.Sources.size())) return std::nullopt;
  const auto at = job_.Sources.begin() + row;
  SourceEntry entry = *at;
  job_.Sources.erase(at);
  return entry;
}

void JobEditor::RemoveAll() {
  job_.Sources.clear();
  job_.SelectedBytes = 0;
}

FolderCommand JobEditor::NewFolder(std::string_view name) const {
  const std::string& dest = job_.Destination;
  if (dest.empty()) return {text_id::kNoDestination, {}, {}};
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) {
    return {text_id::kNewFolderName, {}, {}};
  }
  std::string folder = dest;
  if (folder.back() != '/') folder += '/';
  folder += name;
  return {0, folder, folder};
}

FolderCommand JobEditor::EraseFolder(std::string_view name) const {
  const std::string& dest = job_.Destination;
  if (dest.empty()) return {text_id::kNoDestination, {}, {}};
  const auto slash = dest.rfind('/');
  const std::string_view last = slash == std::string::npos
                                    ? std::string_view(dest)
                                    : std::string_view(dest).substr(slash + 1);
  if (name.empty() || name != last) return {text_id::kEraseNameMustMatch, {}, {}};
  return {0, dest, dest.substr(0, dest.size() - name.size())};
}

}  // namespace orvessa
