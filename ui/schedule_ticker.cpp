#include "ui/schedule_ticker.hpp"

#include <cstdio>

#include "i18n/text_ids.hpp"
#include "ui/qt_text.hpp"

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

ScheduleTicker::ScheduleTicker(ShellHost& host, TrayPresence& presence, CopyTab& copy,
                               const BackupJob& job, const Clock& clock, const Locale& locale,
                               Pauses pauses, QObject* parent)
    : QObject(parent),
      host_(host),
      presence_(presence),
      copy_(copy),
      job_(job),
      clock_(clock),
      locale_(locale),
      pauses_(pauses),
      scheduler_(clock, locale) {
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
  ScheduleCheck = new QTimer(this);
  ScheduleCheck->setObjectName(QStringLiteral("ScheduleCheck"));
  ScheduleCheck->setSingleShot(true);
  connect(ScheduleCheck, &QTimer::timeout, this, [this] {
    // Only the timed mode has a time of copy to catch up with.
    if (TimerMode() == ScheduleTimer::Timed) Timer1_Timer();
  });
  // Any change of the schedule shows at once what it means.
  connect(&copy_, &CopyTab::ScheduleChanged, this, [this] { ShowStatus(); });
}

void ScheduleTicker::Start() {
  if (copy_.EveryChecked()) {
    Timer1->start();
  } else {
    Timer1->stop();
  }
}

void ScheduleTicker::ShowTimer(ScheduleTimer mode) {
  if (mode == shown_timer_) return;
  shown_timer_ = mode;
  SetTimerMode(mode);
}

void ScheduleTicker::SetTimerMode(ScheduleTimer mode) {
  if (mode == ScheduleTimer::Off) {
    Timer1->stop();
    return;
  }
  Timer1->setInterval(mode == ScheduleTimer::Timed ? kTimedInterval : kAtShutdownInterval);
  Timer1->start();
}

ScheduleTimer ScheduleTicker::TimerMode() const {
  if (!Timer1->isActive()) return ScheduleTimer::Off;
  return Timer1->interval() == kTimedInterval ? ScheduleTimer::Timed : ScheduleTimer::AtShutdown;
}

void ScheduleTicker::Timer1_Timer() {
  // At shutdown the session's own end-of-session events start the copy, not this tick.
  if (job_.CopyAtShutdown) return;
  const ScheduleDecision decision = scheduler_.Check(job_);
  // One run at a time: a run started by hand lets ticks through while it copies.
  if (!decision.Start() || host_.RunInProgress() || host_.Unloaded()) {
    ShowStatus();
    return;
  }
  scheduler_.Started();
  if (decision.state == ScheduleState::CatchUp) CatchUpFrom(decision.missed_since);
  ShowStatus();
  RunScheduledCopy();
}

// Out of line: GCC 12 at -O3 warns falsely (-Wdangling-pointer) on the assignment inline.
void ScheduleTicker::CatchUpFrom(std::optional<LocalDate> missed_since) {
  catching_up_ = missed_since;
}

void ScheduleTicker::RunScheduledCopy() {
  presence_.BringUp();
  Timer1->stop();
  host_.StartUnattendedRun([this] {
    host_.NoticeRunEnd();
    if (host_.Unloaded()) return;
    // The catching up is over, whatever its outcome: the line says when the next run is.
    catching_up_.reset();
    ShowStatus();
    // A pause before the timer looks again; then back to the tray after a success, while
    // a failure stays on the screen until it is read.
    QTimer::singleShot(pauses_.after_run, this, [this] {
      if (host_.Unloaded()) return;
      if (copy_.EveryChecked()) Timer1->start();
      if (host_.LastRunSucceeded()) presence_.GoResident();
      presence_.StayVisible(false);
    });
  });
}

void ScheduleTicker::ShowStatus() {
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
    text = host_.TextUtf8(text_id::kScheduleCatchUp);
    text += ' ';
    text += when(*missed, job_.CopyHour, job_.CopyMinute);
  } else if (decision.state == ScheduleState::InvalidTime) {
    text = host_.TextUtf8(text_id::kScheduleInvalidTime);
  } else if (decision.state == ScheduleState::NoReference) {
    text = host_.TextUtf8(text_id::kScheduleNoReference);
  } else if (decision.state != ScheduleState::NotTimed) {
    const LocalDateTime next = decision.next.value_or(
        LocalDateTime{clock_.Now().date, {job_.CopyHour, job_.CopyMinute, 0}});
    if (decision.next || decision.Start()) {
      text = host_.TextUtf8(text_id::kScheduleNext);
      text += ' ';
      text += when(next.date, next.time.hour, next.time.minute);
    }
  }
  copy_.ShowScheduleText(Q(text));
}

}  // namespace orvessa
