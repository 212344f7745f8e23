#include "ui/drive_list.hpp"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

#include "ui/qt_text.hpp"

namespace orvessa {
namespace {

bool UserVolume(const QString& root, const QString& home_root) {
  if (root == QStringLiteral("/") || root == home_root) return true;
  for (const char* base : {"/media/", "/run/media/", "/mnt/"}) {
    if (root.startsWith(QLatin1String(base))) return true;
  }
  return false;
}

bool Holds(const std::string& root, const std::string& path) {
  if (root == "/") return true;
  return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                          path[root.size()] == '/');
}

}  // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) { Fill(); }

void DriveList::Fill() {
  const QSignalBlocker quiet(this);
  const QString previous = currentData().toString();
  clear();
  const QString home_root = QStorageInfo(QDir::homePath()).rootPath();
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    if (!volume.isValid() || roots.contains(root) || !UserVolume(root, home_root)) continue;
    roots << root;
    const QString name = volume.displayName();
    addItem(name.isEmpty() || name == root ? root
                                           : root + QStringLiteral("  [") + name + QLatin1Char(']'),
            root);
  }
  if (!roots.contains(QStringLiteral("/"))) insertItem(0, QStringLiteral("/"), QStringLiteral("/"));
  const int again = findData(previous);
  setCurrentIndex(again >= 0 ? again : 0);
}

std::string DriveList::SelectedRoot() const { return S(currentData().toString()); }

void DriveList::SelectDriveOf(const std::string& path) {
  const QSignalBlocker quiet(this);
  int best = -1;
  std::size_t best_length = 0;
  for (int i = 0; i < count(); ++i) {
    const std::string root = S(itemData(i).toString());
    if (Holds(root, path) && (best < 0 || root.size() > best_length)) {
      best = i;
      best_length = root.size();
    }
  }
  if (best >= 0) setCurrentIndex(best);
}

void DriveList::showPopup() {
  Fill();
  QComboBox::showPopup();
}

}  // namespace orvessa
