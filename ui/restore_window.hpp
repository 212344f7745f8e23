#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
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
#include "core/copy_engine.hpp"
#include "core/restore.hpp"
#include "platform/clock.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"

namespace orvessa {

class RestoreWorker;

struct RestoreServices {
  FileSystem& fs;
  CopyEngine& copier;
  const Clock& clock;  // the date of the names a kept-both file takes
  const Locale& locale;
};

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
  void StartSearch();
  void TabShown(int tab);
  void ShowVersions();
  void ShowDeleted();
  void UpdateButtons();

  // The restore itself (restore_run.cpp).
  std::optional<RestoreRequest> Selected() const;
  void RestoreClicked(bool to_folder);
  void Plan(RestoreRequest request, bool asked);
  void Planned(RestoreRequest request, RestorePlan plan, bool asked);
  void Run(RestorePlan plan);
  void ShowProgress(std::uint64_t done, std::uint64_t total);
  void ShowSummary(const RestoreResult& result, const std::vector<FailedPath>& problems);
  void SetRestoring(bool restoring);

  RestoreServices services_;
  std::string state_folder_;
  std::int16_t language_base_;
  BackupJob job_;
  std::vector<CopyInfo> copies_;
  std::string chosen_original_;  // the file whose versions are asked for
  std::vector<FailedPath> plan_problems_;
  bool restoring_ = false;

  RestoreWorker* browse_;   // the copies, the folders of a copy, versions, deleted files
  RestoreWorker* search_;   // one search at a time; a new one stops the old
  RestoreWorker* restore_;  // the plan and the restore

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
  QPushButton* cmdRestoreInPlace;
  QPushButton* cmdRestoreToFolder;
  QPushButton* cmdStopRestore;
  QProgressBar* barRestore;
  QPlainTextEdit* txtSummary;
};

}  // namespace orvessa
