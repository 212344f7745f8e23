#include "ui/folder_list.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

#include "ui/qt_text.hpp"

namespace orvessa {
namespace {

// "/", "/home", "/home/ann" for "/home/ann".
std::vector<std::string> Ancestry(const std::string& path) {
  std::vector<std::string> chain{"/"};
  std::size_t at = 1;
  while (at < path.size()) {
    std::size_t slash = path.find('/', at);
    if (slash == std::string::npos) slash = path.size();
    if (slash > at) chain.push_back(path.substr(0, slash));
    at = slash + 1;
  }
  return chain;
}

std::string NameOf(const std::string& path) {
  if (path == "/") return path;
  return path.substr(path.rfind('/') + 1);
}

std::string Child(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

bool NameLess(const std::string& a, const std::string& b) {
  const int order = QString::compare(Q(a), Q(b), Qt::CaseInsensitive);
  return order != 0 ? order < 0 : a < b;
}

}  // namespace

FolderList::FolderList(const FileSystem& fs, QWidget* parent) : QListWidget(parent), fs_(fs) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  connect(this, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { Open(row(item)); });
}

FsStatus FolderList::SetPath(const std::string& requested) {
  std::string path = requested;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  auto listing = fs_.ListFolder(path);
  if (!listing) return listing.error();

  std::vector<std::string> subfolders;
  for (const FolderEntry& entry : listing.value()) {
    if (entry.hidden && !show_hidden_) continue;
    const std::string child = Child(path, entry.name);
    if (entry.type == EntryType::Folder ||
        (entry.type == EntryType::Link && fs_.FolderExists(child))) {
      subfolders.push_back(child);
    }
  }
  std::sort(subfolders.begin(), subfolders.end(), [](const std::string& a, const std::string& b) {
    return NameLess(NameOf(a), NameOf(b));
  });

  clear();
  paths_ = Ancestry(path);
  const int open_row = static_cast<int>(paths_.size()) - 1;
  paths_.insert(paths_.end(), subfolders.begin(), subfolders.end());
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirIcon);
  for (int i = 0; i < static_cast<int>(paths_.size()); ++i) {
    const int depth = std::min(i, open_row + 1);
    auto* item = new QListWidgetItem(i <= open_row ? open_icon : closed_icon,
                                     QString(depth * 2, QLatin1Char(' ')) + Q(NameOf(paths_[i])));
    item->setToolTip(Q(paths_[i]));
    addItem(item);
  }
  path_ = path;
  setCurrentRow(open_row);
  scrollToItem(currentItem());
  emit PathChanged();
  return FsOk{};
}

std::string FolderList::HighlightedPath() const {
  const QList<QListWidgetItem*> highlighted = selectedItems();
  const int at = highlighted.isEmpty() ? -1 : row(highlighted.front());
  if (at < 0 || at >= static_cast<int>(paths_.size())) return path_;
  return paths_[static_cast<std::size_t>(at)];
}

void FolderList::SetShowHidden(bool show) {
  if (show == show_hidden_) return;
  show_hidden_ = show;
  if (path_.empty()) return;
  // Listing again must not move the highlight the user set, while its folder is listed.
  const std::string highlighted = HighlightedPath();
  (void)SetPath(path_);
  const auto again = std::find(paths_.begin(), paths_.end(), highlighted);
  if (again != paths_.end()) setCurrentRow(static_cast<int>(again - paths_.begin()));
}

void FolderList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Open(currentRow());
    return;
  }
  QListWidget::keyPressEvent(event);
}

void FolderList::Open(int row) {
  if (row < 0 || row >= static_cast<int>(paths_.size())) return;
  // A folder that cannot be listed is not opened.
  if (!SetPath(paths_[static_cast<std::size_t>(row)])) QApplication::beep();
}

}  // namespace orvessa
