#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <optional>

#include "core/backup_job.hpp"
#include "core/schedule.hpp"
#include "platform/clock.hpp"
#include "platform/locale.hpp"
#include "ui/copy_tab.hpp"
#include "ui/shell_host.hpp"
#include "ui/tray_presence.hpp"

namespace orvessa {

// The scheduler: Timer1's tick decides with the schedule whether an automatic run is due,
// starts it, and says on the copy tab when the next one is or why there is none.
class ScheduleTicker : public QObject {
  Q_OBJECT
 public:
  struct Pauses {
    std::chrono::milliseconds settle;     // after the start or a wake-up
    std::chrono::milliseconds after_run;  // the outcome stays on the screen
  };
  ScheduleTicker(ShellHost& host, TrayPresence& presence, CopyTab& copy, const BackupJob& job,
                 const Clock& clock, const Locale& locale, Pauses pauses, QObject* parent);

  // The timer the schedule wants, only when it changes: an automatic run stops and
  // restarts it.
  void ShowTimer(ScheduleTimer mode);
  ScheduleTimer TimerMode() const;
  // At the start: the timer runs while the every-N option is chosen.
  void Start();
  // A look at the schedule soon, as a missed time of copy is due at once.
  void CheckSoon() { ScheduleCheck->start(pauses_.settle); }
  void ShowStatus();

 private:
  void SetTimerMode(ScheduleTimer mode);
  void Timer1_Timer();
  void RunScheduledCopy();
  void CatchUpFrom(std::optional<LocalDate> missed_since);

  ShellHost& host_;
  TrayPresence& presence_;
  CopyTab& copy_;
  const BackupJob& job_;
  const Clock& clock_;
  const Locale& locale_;
  Pauses pauses_;
  QTimer* Timer1;
  QTimer* ScheduleCheck;
  Scheduler scheduler_;
  ScheduleTimer shown_timer_ = ScheduleTimer::Off;
  std::optional<LocalDate> catching_up_;  // the automatic run in progress catches up from
};

}  // namespace orvessa
