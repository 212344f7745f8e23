#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "platform/file_system.hpp"

namespace orvessa {

// The file list of the source browser: the files of one folder that match a wildcard
// pattern and the attribute toggles. Several files can be selected (Shift, Ctrl).
class FileList : public QListWidget {
  Q_OBJECT
 public:
  FileList(const FileSystem& fs, QWidget* parent = nullptr);

  void SetPath(const std::string& folder);
  const std::string& Path() const { return path_; }
  void SetPattern(const QString& pattern);
  const QString& Pattern() const { return pattern_; }
  // This host marks hidden files by a leading dot; system and archive files do not
  // exist here, so those toggles list nothing more and nothing less.
  void SetShowHidden(bool show);
  void SetShowSystem(bool show) { show_system_ = show; }
  void SetShowArchive(bool show) { show_archive_ = show; }

  // The exact names of the rows, in list order.
  const std::vector<std::string>& Names() const { return names_; }
  bool IsSelected(int row) const;

 private:
  void Refresh();

  const FileSystem& fs_;
  std::string path_;
  QString pattern_ = QStringLiteral("*.*");
  bool show_hidden_ = false;
  bool show_system_ = false;
  bool show_archive_ = false;
  std::vector<std::string> names_;
};

// Wildcard match without regard to case; "*.*" matches every name.
bool MatchesPattern(const QString& name, const QString& pattern);

}  // namespace orvessa
