#include "ui/file_list.hpp"

#include <QRegularExpression>
#include <algorithm>

#include "ui/qt_text.hpp"

namespace orvessa {

bool MatchesPattern(const QString& name, const QString& pattern) {
  // On the system the pattern comes from, "*.*" also lists names without a dot.
  if (pattern == QStringLiteral("*.*") || pattern == QStringLiteral("*")) return true;
  const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                              QRegularExpression::CaseInsensitiveOption);
  return re.match(name).hasMatch();
}

FileList::FileList(const FileSystem& fs, QWidget* parent) : QListWidget(parent), fs_(fs) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setUniformItemSizes(true);
}

void FileList::SetPath(const std::string& folder) {
  if (folder != path_) clearSelection();  // another folder's names are other files
  path_ = folder;
  Refresh();
}

void FileList::SetPattern(const QString& pattern) {
  pattern_ = pattern;
  Refresh();
}

void FileList::SetShowHidden(bool show) {
  show_hidden_ = show;
  Refresh();
}

bool FileList::IsSelected(int row) const {
  const QListWidgetItem* it = item(row);
  return it != nullptr && it->isSelected();
}

// Listing again keeps the files the user selected, as far as they are still listed.
void FileList::Refresh() {
  std::vector<std::string> selected;
  for (int row = 0; row < count(); ++row) {
    if (IsSelected(row)) selected.push_back(names_[static_cast<std::size_t>(row)]);
  }
  clear();
  names_.clear();
  if (path_.empty()) return;
  auto listing = fs_.ListFolder(path_);
  if (!listing) return;
  const std::string prefix = path_ == "/" ? path_ : path_ + "/";
  for (const FolderEntry& entry : listing.value()) {
    if (entry.hidden && !show_hidden_) continue;
    const bool file = entry.type == EntryType::File ||
                      (entry.type == EntryType::Link && !fs_.FolderExists(prefix + entry.name));
    if (file && MatchesPattern(Q(entry.name), pattern_)) names_.push_back(entry.name);
  }
  std::sort(names_.begin(), names_.end(), [](const std::string& a, const std::string& b) {
    const int order = QString::compare(Q(a), Q(b), Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
  });
  for (const std::string& name : names_) {
    addItem(Q(name));
    if (std::find(selected.begin(), selected.end(), name) != selected.end()) {
      item(count() - 1)->setSelected(true);
    }
  }
}

}  // namespace orvessa
