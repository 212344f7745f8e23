#pragma once

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/backup_job.hpp"
#include "core/copy_engine.hpp"
#include "core/restore.hpp"
#include "platform/clock.hpp"
#include "platform/file_system.hpp"
#include "platform/locale.hpp"
#include "ui/restore_lists.hpp"

namespace orvessa {

class RestoreWorker;

struct RestoreServices {
  FileSystem& fs;
  CopyEngine& copier;
  const Clock& clock;  // the date of the names a kept-both file takes
  const Locale& locale;
};

// The restore of what the Restore window has chosen: the restore buttons, the question
// about different files in the way, the run on a worker of its own, its progress and
// summary. The window says what is chosen; the panel does the rest.
class RestorePanel : public QWidget {
  Q_OBJECT
 public:
  // The files and folders chosen on the window's page shown, if they are all of one copy.
  using SelectionFn = std::function<std::optional<RestoreRequest>()>;

  RestorePanel(RestoreServices services, SelectionFn selected, TextFn text, QWidget* parent);
  ~RestorePanel() override;  // stops a restore under way and waits for it

  void SetJob(const BackupJob& job) { job_ = job; }
  void ApplyTexts();
  // What is chosen changed, or a restore began or ended.
  void UpdateButtons();
  bool Busy() const;
  // Tab goes from `previous` through the panel's controls.
  void ChainTabOrderAfter(QWidget* previous);

 private:
  std::optional<RestoreRequest> Chosen() const;
  void RestoreClicked(bool to_folder);
  void Plan(RestoreRequest request, bool asked);
  void Planned(RestoreRequest request, RestorePlan plan, bool asked);
  void Run(RestorePlan plan);
  void ShowProgress(std::uint64_t done, std::uint64_t total);
  void ShowSummary(const RestoreResult& result, const std::vector<FailedPath>& problems);
  void SetRestoring(bool restoring);

  RestoreServices services_;
  SelectionFn selected_;
  TextFn text_;
  BackupJob job_;
  std::vector<FailedPath> plan_problems_;
  bool restoring_ = false;
  RestoreWorker* restore_;  // the plan and the restore

  QPushButton* cmdRestoreInPlace;
  QPushButton* cmdRestoreToFolder;
  QPushButton* cmdStopRestore;
  QProgressBar* barRestore;
  QPlainTextEdit* txtSummary;
};

}  // namespace orvessa
