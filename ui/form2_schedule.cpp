// What automatic runs need of the window: the timer the schedule wants, the unattended
// run, and the notice at its end.
#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_controller.hpp"

namespace orvessa {

// After each rendering of the schedule: the power-off it asks for, and the timer.
void Form2::ScheduleShown(bool power_off, ScheduleTimer timer) {
  power_off_after_copy_ = power_off;
  ticker_->ShowTimer(timer);
  // Once the handlers have settled: the schedule may pass through the at-shutdown state
  // on its way elsewhere, and the session need not hear of that.
  QTimer::singleShot(0, this, [this] { shutdown_->UpdateArming(); });
}

ScheduleTimer Form2::TimerMode() const { return ticker_->TimerMode(); }

void Form2::CheckScheduleSoon() { ticker_->CheckSoon(); }

void Form2::StartUnattendedRun(std::function<void()> then) {
  last_end_ = RunEnd::NotRun;  // a run refused before it began is no success
  unattended_run_ = true;
  StartRun([this, then = std::move(then)] {
    unattended_run_ = false;
    then();
  });
}

bool Form2::LastRunSucceeded() const {
  return last_end_ == RunEnd::Normal && job_.LastRunOutcome == 0;
}

void Form2::NoticeRunEnd() {
  if (last_end_ == RunEnd::NotRun) return;
  Notice notice;
  if (last_end_ == RunEnd::Normal && job_.LastRunOutcome == 0) {
    const RunReport& report = runner_->Result().report;
    notice.summary = TextUtf8(text_id::kFinishedBackup);
    notice.body = TextUtf8(text_id::kFiles);
    notice.body += ": ";
    notice.body += std::to_string(report.files);
    notice.body += ", ";
    notice.body +=
        FormatKilobytes(static_cast<double>(report.bytes + report.shared_bytes), locale_);
    notice.body += '\n';
    notice.body += TextUtf8(text_id::kDestinationFolder);
    notice.body += ": ";
    notice.body += job_.Destination;
  } else {
    notice.summary = TextUtf8(stop_asked_ ? text_id::kBackupStopped : text_id::kBackupError);
    notice.body = run_message_.empty() ? S(copy_->Run().Line()) : run_message_;
    if (const std::string carried = CarriedOverText(); !carried.empty() && !run_message_.empty()) {
      (notice.body += '\n') += carried;
    }
  }
  notice.action = TextUtf8(text_id::kTrayTip);
  notice.clicked = [this] { mnupopRestaurar_Click(); };
  notifier_.Notify(std::move(notice));
}

}  // namespace orvessa
