#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/backup_job.hpp"
#include "core/copy_catalogue.hpp"
#include "ui/restore_panel.hpp"

namespace orvessa {

class RestoreWorker;

// The copies of the current job and what they hold: browsing a copy, searching all of
// them, the versions of a file, what was deleted since a copy, and restoring from a copy.
// Everything that touches the disk runs on the window's workers, never on its thread.
class RestoreWindow : public QWidget {
  Q_OBJECT
 public:
  RestoreWindow(RestoreServices services, std::string state_folder, std::int16_t language_base,
                QWidget* parent);
  ~RestoreWindow() override;  // stops a search or restore under way and waits for it

  // Lists the copies of the job as it is now.
  void Open(const BackupJob& job);
  void SetLanguage(std::int16_t language_base);
  // Something is being listed, searched or restored.
  bool Busy() const;

 private:
  QString Text(int number) const;
  void Build();
  void Connect();
  void ApplyTexts();
  void ShowCopies(std::vector<CopyInfo> copies);
  std::optional<CopyInfo> ChosenCopy() const;
  void CopyChosen();
  void ListFolder(QTreeWidgetItem* folder);
  QString OriginalText(const std::string& inside) const;
  void FileChosen(QTreeWidgetItem* item);
  void SelectedAlone(QTreeWidgetItem* item);
  void StartSearch();
  void TabShown(int tab);
  void ShowVersions();
  void ShowDeleted();
  std::optional<RestoreRequest> Selected() const;

  RestoreServices services_;
  std::string state_folder_;
  std::int16_t language_base_;
  BackupJob job_;
  std::vector<CopyInfo> copies_;
  std::string chosen_original_;  // the file whose versions are asked for

  RestoreWorker* browse_;  // the copies, the folders of a copy, versions, deleted files
  RestoreWorker* search_;  // one search at a time; a new one stops the old

  QLabel* lblCopies;
  QTreeWidget* lstCopies;
  QTabWidget* tabsRestore;
  QTreeWidget* treeCopy;
  QLabel* lblOriginal;
  QLineEdit* txtSearch;
  QPushButton* cmdSearch;
  QTreeWidget* lstFound;
  QLabel* lblVersionsOf;
  QTreeWidget* lstVersions;
  QTreeWidget* lstDeleted;
  RestorePanel* panel_;  // the restore buttons, its progress and summary
};

}  // namespace orvessa
