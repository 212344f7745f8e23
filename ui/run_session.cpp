#include "ui/run_session.hpp"

#include "core/run_records.hpp"
#include "i18n/string_table.hpp"
#include "i18n/text_ids.hpp"
#include "ui/dialogs.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_controller.hpp"

namespace orvessa {
using Outcome = StatusPanels::Outcome;

RunSession::RunSession(const Form2Services& services, const Form2Folders& folders, RunParts parts,
                       BackupJob& job, const JobFileIdentity& identity, SpaceAccounting& space,
                       const std::int16_t& language_base, QObject* parent)
    : QObject(parent),
      fs_(services.fs),
      clock_(services.clock),
      locale_(services.locale),
      inhibitor_(services.inhibitor),
      notifier_(services.notifier),
      folders_(folders),
      parts_(std::move(parts)),
      job_(job),
      identity_(identity),
      space_(space),
      language_base_(language_base) {
  setObjectName(QStringLiteral("RunSession"));
  runner_ = new RunController(
      RunServices{services.fs, services.copier, services.clock, services.locale, services.time},
      this);
  runner_->setObjectName(QStringLiteral("RunController"));
  // Each tick only lets the event loop run; Qt's loop delivers it, so nothing is left to do.
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(1000);
  Connect();
}

RunSession::~RunSession() {
  // The run stops and is waited for while the window is still whole.
  runner_->disconnect(this);
  delete runner_;
}

bool RunSession::Running() const { return runner_->Running(); }

std::string RunSession::LastRunPanel() const {
  return job_.LastRunDate + "  " + job_.LastRunTime + "  ";
}

void RunSession::Start(std::function<void()> then) {
  if (runner_->Running()) return;
  stop_asked_ = false;
  run_message_.clear();
  run_notices_.clear();
  last_end_ = RunEnd::NotRun;
  after_run_ = std::move(then);
  LockJobCommands(true);
  // Going to sleep would cut the copy off; the lock goes with the run, however it ends.
  awake_ = inhibitor_.Inhibit({"sleep:idle", "Orvessa", "Backup in progress", "block"});
  // The run's first steps are the window's: the copy tab, the panels, the animation.
  if (parts_.show_tab(2)) parts_.copy.ShowNeeded(parts_.source.NeededText());
  parts_.status.Show(1, Q(identity_.JobFileName));
  parts_.status.Show(2, Q(job_.Destination));
  parts_.status.Show(3, Q(LastRunPanel()));
  Timer2->start();
  parts_.copy.Run().ShowStart(folders_.data_folder + "/filecopy.gif");
  RunSettings settings;
  settings.text = [base = language_base_](int number) { return LoadText(base, number); };
  settings.share_unchanged = parts_.options.ShareUnchanged();
  settings.state_folder = folders_.state_folder;
  settings.measure_selection = parts_.source.MeasuringSelection();
  runner_->Start(job_, std::move(settings));
}

void RunSession::StartUnattended(std::function<void()> then) {
  last_end_ = RunEnd::NotRun;  // a run refused before it began is no success
  unattended_run_ = true;
  Start([this, then = std::move(then)] {
    unattended_run_ = false;
    then();
  });
}

void RunSession::Connect() {
  connect(runner_, &RunController::measured, this, [this](double free, const QString& drive) {
    space_.FreeBytes = free;
    space_.DestinationDrive = S(drive);
    if (drive != Q(std::string(kNetworkDrive))) {
      parts_.destination.ShowFreeSpace(Q(FormatKilobytes(free, locale_)));
      parts_.copy.ShowFreeSpace(parts_.destination.FreeSpaceText());
    }
    const int colour = job_.SelectedBytes < free ? kColourEnoughSpace : kColourShortOfSpace;
    parts_.view.SetLabelColour(Control::Label20, colour);
    parts_.view.SetLabelColour(Control::Label21, colour);
  });
  connect(runner_, &RunController::copying, this, [this](int entries) {
    parts_.copy.Run().ShowCopying(entries);
    parts_.view.SetCopyCursor(true);
  });
  RunPanel* panel = &parts_.copy.Run();
  connect(runner_, &RunController::entry, panel, &RunPanel::ShowEntry);
  connect(runner_, &RunController::line, panel, &RunPanel::ShowLine);
  connect(runner_, &RunController::progress, this, [panel](const RunProgress& progress) {
    panel->ShowBytesCopied(progress.bytes, progress.selected_bytes);
  });
  connect(runner_, &RunController::notice, this, [this](int text, int icon) {
    run_message_ = parts_.host.TextUtf8(text);
    run_notices_.emplace_back(run_message_, static_cast<MessageIcon>(icon));
  });
  connect(runner_, &RunController::finished, this, [this] { OnRunEnd(); });
}

// What follows a run is decided here from how it ended: the job's saves and record, the
// power-off, the messages it raised.
void RunSession::OnRunEnd() {
  const RunResult& result = runner_->Result();
  last_end_ = result.end;
  awake_.reset();
  RecordRun(fs_, clock_, locale_, folders_.program_folder, folders_.state_folder, job_, identity_,
            result);
  if (job_.Destination.empty()) {
    // Reported as not ready: forgotten.
    parts_.destination.Forget();
  }
  if (result.end == RunEnd::Normal || result.end == RunEnd::Error) {
    parts_.status.Show(2, Q(job_.Destination));
    parts_.status.Show(3, Q(LastRunPanel()));
  }
  if (result.end == RunEnd::Normal) {
    parts_.copy.Run().ShowAllCopied();
    emit CopiedAll();
    ClearReadOnlyInDestination(fs_, job_.Destination);
  }
  LockJobCommands(false);
  ShowRunOutcome();
  parts_.ticker.ShowStatus();  // a successful run moves the next automatic one
  // What the run had to say, now that it no longer waits for anyone: whoever started it by
  // hand reads it; nobody may be at the computer for an automatic run.
  for (const auto& [text, icon] : run_notices_) {
    if (unattended_run_) {
      Dialogs::Show(&parts_.window, Q(text), icon);
    } else {
      Dialogs::Message(&parts_.window, Q(text), icon);
    }
  }
  if (end_after_run_) {
    emit EndAfterRun();
    return;
  }
  parts_.shutdown.RunEnded();
  if (after_run_) {
    auto then = std::move(after_run_);
    after_run_ = {};
    then();
  }
}

// Which older copies gave the files a run could not copy, and how many each gave.
std::string RunSession::CarriedOverText() const {
  const RunReport& report = runner_->Result().report;
  if (last_end_ == RunEnd::NotRun || report.carried == 0) return {};
  std::string text = parts_.host.TextUtf8(text_id::kCarriedOver);
  bool first = true;
  for (const auto& [copy, count] : report.carried_from) {
    text += first ? " " : ", ";
    first = false;
    text += copy.empty() ? parts_.host.TextUtf8(text_id::kPreviousCopy) : copy;
    text += " (" + std::to_string(count) + ")";
  }
  return text;
}

void RunSession::StopClicked() {
  if (!runner_->Running()) return;
  stop_asked_ = true;
  runner_->Stop();
  parts_.copy.Run().DisableStop();
}

void RunSession::StopAndEnd() {
  // The run stops at its next yield; the program ends once it has returned.
  runner_->Stop();
  end_after_run_ = true;
}

// A run copies from the job as it was when it started, so nothing may change the job
// until it ends.
void RunSession::LockJobCommands(bool locked) {
  for (QAction* command : parts_.file_commands) command->setEnabled(!locked);
  if (locked) {
    locked_.clear();
    for (const std::vector<QWidget*>& commands :
         {parts_.source.JobCommands(), parts_.destination.JobCommands(),
          parts_.copy.JobCommands()}) {
      for (QWidget* control : commands) {
        locked_.emplace_back(control, control->isEnabledTo(&parts_.window));
        control->setEnabled(false);
      }
    }
  } else {
    for (const auto& [control, enabled] : locked_) control->setEnabled(enabled);
    locked_.clear();
    parts_.copy.RenderSchedule();  // what changed meanwhile (the session's channel) shows now
  }
  parts_.copy.Run().ShowLocked(locked);
}

// However a run ended, the window says how, and nothing still looks busy.
void RunSession::ShowRunOutcome() {
  parts_.copy.Run().ShowEnd();
  Timer2->stop();
  parts_.window.unsetCursor();
  const LocalDateTime now = clock_.Now();
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on `"literal" + string`.
  std::string when(1, ' ');
  when += locale_.FormatShortDate(now.date);
  when += ' ';
  when += locale_.FormatTime(now.time);
  std::string why;
  if (!run_message_.empty()) (why += '\n') += run_message_;
  if (const std::string carried = CarriedOverText(); !carried.empty()) (why += '\n') += carried;
  RunPanel& panel = parts_.copy.Run();
  Outcome outcome = Outcome::Error;
  switch (last_end_) {
    case RunEnd::NotRun:
      return;
    case RunEnd::Normal:
      if (job_.LastRunOutcome == 0) outcome = Outcome::Successful;
      break;
    case RunEnd::Error:
      if (stop_asked_) {
        outcome = Outcome::Stopped;
        panel.ShowLine(Q(parts_.host.TextUtf8(text_id::kBackupStopped) + when));
      } else {
        panel.ShowLine(Q(parts_.host.TextUtf8(text_id::kBackupError) + when + why));
      }
      break;
    case RunEnd::StoppedAtCheck:
      panel.ShowLine(Q(parts_.host.TextUtf8(text_id::kBackupError) + when + why));
      break;
  }
  parts_.status.ShowOutcome(outcome);
}

bool RunSession::LastRunSucceeded() const {
  return last_end_ == RunEnd::Normal && job_.LastRunOutcome == 0;
}

void RunSession::NoticeRunEnd() {
  if (last_end_ == RunEnd::NotRun) return;
  Notice notice;
  if (LastRunSucceeded()) {
    const RunReport& report = runner_->Result().report;
    notice.summary = parts_.host.TextUtf8(text_id::kFinishedBackup);
    notice.body = parts_.host.TextUtf8(text_id::kFiles);
    notice.body += ": ";
    notice.body += std::to_string(report.files);
    notice.body += ", ";
    notice.body +=
        FormatKilobytes(static_cast<double>(report.bytes + report.shared_bytes), locale_);
    notice.body += '\n';
    notice.body += parts_.host.TextUtf8(text_id::kDestinationFolder);
    notice.body += ": ";
    notice.body += job_.Destination;
  } else {
    notice.summary =
        parts_.host.TextUtf8(stop_asked_ ? text_id::kBackupStopped : text_id::kBackupError);
    notice.body = run_message_.empty() ? S(parts_.copy.Run().Line()) : run_message_;
    if (const std::string carried = CarriedOverText(); !carried.empty() && !run_message_.empty()) {
      (notice.body += '\n') += carried;
    }
  }
  notice.action = parts_.host.TextUtf8(text_id::kTrayTip);
  notice.clicked = [this] { emit NoticeClicked(); };
  // "Restore…" without its dots: a notice's button opens the window at once.
  QString restore = parts_.host.Text(text_id::kRestoreMenu);
  while (restore.endsWith(QChar(0x2026)) || restore.endsWith(QLatin1Char('.'))) restore.chop(1);
  notice.other_action = restore.toStdString();
  notice.other_clicked = [this] { emit RestoreNoticeClicked(); };
  notifier_.Notify(std::move(notice));
}

}  // namespace orvessa
