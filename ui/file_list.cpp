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

void FileList::Refresh() {
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
  for (const std::string& name : names_) addItem(Q(name));
}

}  // namespace orvessa
