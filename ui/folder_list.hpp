#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "platform/file_system.hpp"

namespace orvessa {

// The folder list of the source browser: the open folder with its parents above it and
// its subfolders below. A click only highlights a folder; a double click or Enter opens it.
class FolderList : public QListWidget {
  Q_OBJECT
 public:
  FolderList(const FileSystem& fs, QWidget* parent = nullptr);

  const std::string& Path() const { return path_; }
  // Opens the folder; on failure the list keeps showing the previous one.
  FsStatus SetPath(const std::string& path);
  // The highlighted folder, or the open one when nothing else is highlighted.
  std::string HighlightedPath() const;
  void SetShowHidden(bool show);

 signals:
  void PathChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Open(int row);

  const FileSystem& fs_;
  std::string path_;
  std::vector<std::string> paths_;  // one per row, exact bytes
  bool show_hidden_ = false;
};

}  // namespace orvessa
