#pragma once

#include <QAction>
#include <QMainWindow>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/backup_job.hpp"
#include "core/backup_run.hpp"
#include "core/job_file_reader.hpp"
#include "core/run_view.hpp"
#include "core/space_accounting.hpp"
#include "ui/copy_tab.hpp"
#include "ui/destination_tab.hpp"
#include "ui/form2_services.hpp"
#include "ui/options_menu.hpp"
#include "ui/schedule_ticker.hpp"
#include "ui/shell_host.hpp"
#include "ui/shutdown_copy.hpp"
#include "ui/source_tab.hpp"
#include "ui/status_panels.hpp"

namespace orvessa {

class RunController;

// What a run reads and shows of the window it runs in.
struct RunParts {
  QMainWindow& window;
  ShellHost& host;
  SpaceView& view;
  SourceTab& source;
  DestinationTab& destination;
  CopyTab& copy;
  OptionsMenu& options;
  ScheduleTicker& ticker;
  ShutdownCopy& shutdown;
  StatusPanels& status;
  std::vector<QAction*> file_commands;  // locked while a run copies
  std::function<bool(int)> show_tab;    // true when the tab was not already shown
};

// One run at a time, from its start to what follows its end: the locked commands, the
// panels, the outcome, the messages it raised and the notice of an automatic run.
class RunSession : public QObject {
  Q_OBJECT
 public:
  RunSession(const Form2Services& services, const Form2Folders& folders, RunParts parts,
             BackupJob& job, const JobFileIdentity& identity, SpaceAccounting& space,
             const std::int16_t& language_base, QObject* parent);
  ~RunSession() override;  // a run in progress is stopped and waited for

  bool Running() const;
  // Starts a run; `then` follows its end, once the window shows how it ended.
  void Start(std::function<void()> then);
  void StartUnattended(std::function<void()> then);
  void StopClicked();
  // The program ends once the run has stopped.
  void StopAndEnd();
  void EndWhenDone() { end_after_run_ = true; }
  bool LastRunSucceeded() const;
  void NoticeRunEnd();

 signals:
  // The run copied everything: a power-off may follow.
  void CopiedAll();
  // The program was to end with the run.
  void EndAfterRun();
  // The notice of an automatic run was clicked.
  void NoticeClicked();
  void RestoreNoticeClicked();  // the notice's Restore button

 private:
  void Connect();
  void OnRunEnd();
  void LockJobCommands(bool locked);
  void ShowRunOutcome();
  std::string CarriedOverText() const;
  std::string LastRunPanel() const;

  FileSystem& fs_;
  const Clock& clock_;
  const Locale& locale_;
  Inhibitor& inhibitor_;
  Notifier& notifier_;
  const Form2Folders& folders_;
  RunParts parts_;
  BackupJob& job_;
  const JobFileIdentity& identity_;
  SpaceAccounting& space_;
  const std::int16_t& language_base_;
  RunController* runner_;
  QTimer* Timer2;

  RunEnd last_end_ = RunEnd::NotRun;
  std::vector<std::pair<std::string, MessageIcon>> run_notices_;  // shown once it ends
  std::function<void()> after_run_;
  std::unique_ptr<InhibitLock> awake_;  // no sleep while a run copies
  bool stop_asked_ = false;
  std::string run_message_;  // the last message a run showed
  // Job-changing controls and whether each was enabled when the run began.
  std::vector<std::pair<QWidget*, bool>> locked_;
  bool end_after_run_ = false;
  // Nobody may be at the computer: a message must not hold the run up until it is read.
  bool unattended_run_ = false;
};

}  // namespace orvessa
