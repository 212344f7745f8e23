// The schedule's timer and the automatic runs it starts.
#include <cstdio>

#include "core/box_number.hpp"
#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"
#include "ui/form2_tables.hpp"
#include "ui/qt_text.hpp"
#include "ui/run_controller.hpp"

namespace orvessa {
namespace {

constexpr int kTimedInterval = 50000;
constexpr int kAtShutdownInterval = 1000;

std::string HourMinute(int hour, int minute) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", hour % 100, minute % 100);
  return text;
}

}  // namespace

// After each rendering of the schedule: the power-off it asks for, and the timer only when
// the schedule changes it, as an automatic run stops and restarts it.
void Form2::ScheduleShown(bool power_off, ScheduleTimer timer) {
  power_off_after_copy_ = power_off;
  if (timer != shown_timer_) {
    shown_timer_ = timer;
    SetTimerMode(timer);
  }
  // Once the handlers have settled: the schedule may pass through the at-shutdown state
  // on its way elsewhere, and the session need not hear of that.
  QTimer::singleShot(0, this, [this] { UpdateArming(); });
}

void Form2::SetTimerMode(ScheduleTimer mode) {
  if (mode == ScheduleTimer::Off) {
    Timer1->stop();
    return;
  }
  Timer1->setInterval(mode == ScheduleTimer::Timed ? kTimedInterval : kAtShutdownInterval);
  Timer1->start();
}

ScheduleTimer Form2::TimerMode() const {
  if (!Timer1->isActive()) return ScheduleTimer::Off;
  return Timer1->interval() == kTimedInterval ? ScheduleTimer::Timed : ScheduleTimer::AtShutdown;
}

// ---- The scheduler ----

void Form2::ConnectScheduler() {
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
  ScheduleCheck = new QTimer(this);
  ScheduleCheck->setObjectName(QStringLiteral("ScheduleCheck"));
  ScheduleCheck->setSingleShot(true);
  connect(ScheduleCheck, &QTimer::timeout, this, [this] {
    // Only the timed mode has a time of copy to catch up with.
    if (TimerMode() == ScheduleTimer::Timed) Timer1_Timer();
  });
  // Any change of the schedule shows at once what it means.
  connect(copy_, &CopyTab::ScheduleChanged, this, [this] { ShowScheduleStatus(); });
}

void Form2::CheckScheduleSoon() { ScheduleCheck->start(settle_pause_); }

void Form2::Timer1_Timer() {
  // At shutdown the session's own end-of-session events start the copy, not this tick.
  if (job_.CopyAtShutdown) return;
  const ScheduleDecision decision = scheduler_.Check(job_);
  // One run at a time: a run started by hand lets ticks through while it copies.
  if (!decision.Start() || runner_->Running() || unloaded_) {
    ShowScheduleStatus();
    return;
  }
  scheduler_.Started();
  if (decision.state == ScheduleState::CatchUp) CatchUpFrom(decision.missed_since);
  ShowScheduleStatus();
  RunScheduledCopy();
}

// Out of line: GCC 12 at -O3 warns falsely (-Wdangling-pointer) on the assignment inline.
void Form2::CatchUpFrom(std::optional<LocalDate> missed_since) { catching_up_ = missed_since; }

void Form2::RunScheduledCopy() {
  in_tray_ = false;
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  Timer1->stop();
  unattended_run_ = true;
  StartRun([this] {
    unattended_run_ = false;
    NoticeRunEnd();
    if (unloaded_) return;
    // The catching up is over, whatever its outcome: the line says when the next run is.
    catching_up_.reset();
    ShowScheduleStatus();
    // A pause before the timer looks again; then back to the tray after a success, while
    // a failure stays on the screen until it is read.
    QTimer::singleShot(after_run_pause_, this, [this] {
      if (unloaded_) return;
      if (copy_->EveryChecked()) Timer1->start();
      if (last_end_ == RunEnd::Normal && job_.LastRunOutcome == 0) GoResident();
      StayVisibleWhenActive_ = false;
    });
  });
}

void Form2::ShowScheduleStatus() {
  const ScheduleDecision decision = scheduler_.Check(job_);
  std::string text;
  auto when = [this](const LocalDate& date, int hour, int minute) {
    std::string at = locale_.FormatShortDate(date);
    at += ' ';
    at += HourMinute(hour, minute);
    return at;
  };
  const std::optional<LocalDate> missed = catching_up_ ? catching_up_ : decision.missed_since;
  if (missed) {
    text = TextUtf8(text_id::kScheduleCatchUp);
    text += ' ';
    text += when(*missed, job_.CopyHour, job_.CopyMinute);
  } else if (decision.state == ScheduleState::InvalidTime) {
    text = TextUtf8(text_id::kScheduleInvalidTime);
  } else if (decision.state == ScheduleState::NoReference) {
    text = TextUtf8(text_id::kScheduleNoReference);
  } else if (decision.state != ScheduleState::NotTimed) {
    const LocalDateTime next = decision.next.value_or(
        LocalDateTime{clock_.Now().date, {job_.CopyHour, job_.CopyMinute, 0}});
    if (decision.next || decision.Start()) {
      text = TextUtf8(text_id::kScheduleNext);
      text += ' ';
      text += when(next.date, next.time.hour, next.time.minute);
    }
  }
  copy_->ShowScheduleText(Q(text));
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
