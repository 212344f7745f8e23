// What automatic runs need of the window: the timer the schedule wants, the unattended
// run, and the notice at its end.
#include "i18n/text_ids.hpp"
#include "ui/form2.hpp"
#include "ui/qt_text.hpp"

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

}  // namespace orvessa
