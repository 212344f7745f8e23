// The copy tab's option pairs, schedule boxes and number boxes. Code that sets a box
// runs its handler, so every enable and disable rule lives in one handler.
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
// After the start or a wake-up: long enough for the session (and a destination disk) to
// settle, short enough that a missed run starts well within the minute.
constexpr int kPromptCheckMs = 5000;
// The pause after an automatic run before the timer starts again.
constexpr int kAfterRunPause = 11;  // seconds

std::string HourMinute(int hour, int minute) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", hour % 100, minute % 100);
  return text;
}

std::int16_t ValueOf(const QLineEdit* box) { return BoxValue(S(box->text())); }

void Show(QLineEdit* box, int value) { box->setText(Q(BoxText(value))); }

}  // namespace

void Form2::SetTimeBoxesEnabled(bool enabled) {
  for (QWidget* control : {static_cast<QWidget*>(txtHora), static_cast<QWidget*>(txtMinutos),
                           static_cast<QWidget*>(updHora), static_cast<QWidget*>(updMinuto)}) {
    control->setEnabled(enabled);
  }
}

void Form2::SetTimerMode(ScheduleTimer mode) {
  // Once the handlers have settled: the schedule may pass through the at-shutdown state
  // on its way elsewhere, and the session need not hear of that.
  QTimer::singleShot(0, this, [this] { UpdateArming(); });
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

void Form2::SetCheckByCode(QCheckBox* box, bool checked) {
  if (box->isChecked() == checked) return;
  box->setChecked(checked);
  if (box == chkHoraGraba) chkHoraGraba_Click();
  if (box == chkApaga) chkApaga_Click();
  if (box == chkShutDown) chkShutDown_Click();
}

void Form2::optTodo_Click() {
  optTodo->setChecked(true);
  optIncremental->setChecked(false);
  job_.CopyMode = false;
  job_.OverwriteAll = true;
  txtNcopias->setEnabled(false);
}

void Form2::optIncremental_Click() {
  optIncremental->setChecked(true);
  txtNcopias->setEnabled(true);
  optTodo->setChecked(false);
  job_.CopyMode = true;
  job_.OverwriteAll = false;
  job_.CopiesToKeep = ValueOf(txtNcopias);
}

void Form2::txtNcopias_Change() { job_.CopiesToKeep = ValueOf(txtNcopias); }

void Form2::updNC_DownClick() {
  if (ValueOf(txtNcopias) == 0) return;
  job_.CopiesToKeep = BoxValue(std::to_string(job_.CopiesToKeep - 1));
  Show(txtNcopias, job_.CopiesToKeep);
}

void Form2::updNC_UpClick() {
  if (ValueOf(txtNcopias) == 99) return;
  job_.CopiesToKeep = BoxValue(std::to_string(job_.CopiesToKeep + 1));
  Show(txtNcopias, job_.CopiesToKeep);
}

void Form2::optManual_Click() {
  optManual->setChecked(true);
  OptCada->setChecked(false);
  for (QWidget* control : {static_cast<QWidget*>(txtNumDSM), static_cast<QWidget*>(cboDSM),
                           static_cast<QWidget*>(chkHoraGraba), static_cast<QWidget*>(txtHora),
                           static_cast<QWidget*>(txtMinutos), static_cast<QWidget*>(chkApaga)}) {
    control->setEnabled(false);
  }
  job_.ManualOnly = true;
  job_.EveryN = false;
  job_.CopyAtShutdown = false;
  SetTimerMode(ScheduleTimer::Off);
}

void Form2::OptCada_Click() {
  optManual->setChecked(false);
  OptCada->setChecked(true);
  job_.EveryN = true;
  txtNumDSM->setEnabled(true);
  Show(txtNumDSM, job_.IntervalCount);
  cboDSM->setEnabled(true);
  SelectUnitLine(job_.IntervalUnit);
  chkHoraGraba->setEnabled(true);
  chkApaga->setEnabled(shutdown_channel_);
  // Ticking the timed box from code passes through the at-shutdown state first.
  if (!chkHoraGraba->isChecked()) EnterAtShutdownMode();
  EnterTimedMode();
  job_.IntervalCount = ValueOf(txtNumDSM);
  const int line = cboDSM->currentIndex();
  job_.IntervalUnit = line >= 0 && line < 3 ? std::string(form2::kUnits[line]) : std::string();
  job_.CopyHour = ValueOf(txtHora);
  job_.CopyMinute = ValueOf(txtMinutos);
  job_.ManualOnly = false;
  SetTimerMode(ScheduleTimer::Timed);
}

void Form2::SelectUnitLine(const std::string& unit) {
  int line = -1;
  for (int i = 0; i < 3; ++i) {
    if (unit == form2::kUnits[i]) line = i;
  }
  cboDSM->setCurrentIndex(line);
}

void Form2::cboDSM_Click() {
  const int line = cboDSM->currentIndex();
  if (line >= 0 && line < 3) job_.IntervalUnit = std::string(form2::kUnits[line]);
}

void Form2::updDSM_DownClick() {
  const int value = ValueOf(txtNumDSM);
  if (value == 1) return;
  job_.IntervalCount = BoxValue(std::to_string(value - 1));
  Show(txtNumDSM, job_.IntervalCount);
}

void Form2::updDSM_UpClick() {
  const int value = ValueOf(txtNumDSM);
  if (value == 99) return;
  job_.IntervalCount = BoxValue(std::to_string(value + 1));
  Show(txtNumDSM, job_.IntervalCount);
}

void Form2::EnterTimedMode() {
  job_.CopyAtShutdown = false;
  chkHoraGraba->setChecked(true);
  chkApaga->setChecked(false);
  SetTimeBoxesEnabled(true);
  SetTimerMode(ScheduleTimer::Timed);
}

void Form2::EnterAtShutdownMode() {
  job_.CopyAtShutdown = true;
  chkApaga->setChecked(true);
  chkHoraGraba->setChecked(false);
  SetTimeBoxesEnabled(false);
  SetCheckByCode(chkShutDown, false);
  power_off_after_copy_ = false;
  SetTimerMode(ScheduleTimer::AtShutdown);
}

void Form2::EnterDisabledTimedMode() {
  job_.CopyAtShutdown = false;
  chkApaga->setChecked(false);
  SetTimeBoxesEnabled(false);
  SetTimerMode(ScheduleTimer::Off);
}

// A job file may hold any mix of the three schedule flags; the window shows exactly one
// schedule: manual wins, then every N, then at shutdown (which needs the every-N option);
// none at all is manual.
void Form2::ApplyLoadedSchedule(bool manual, bool every, bool at_shutdown) {
  if (manual || (!every && !at_shutdown)) {
    SetCheckByCode(chkApaga, false);
    SetCheckByCode(chkHoraGraba, true);
    optManual_Click();
    return;
  }
  OptCada_Click();
  if (at_shutdown) {
    SetCheckByCode(chkApaga, true);
  } else {
    SetCheckByCode(chkHoraGraba, true);
  }
}

void Form2::chkHoraGraba_Click() {
  if (!chkHoraGraba->isChecked()) {
    EnterAtShutdownMode();
  } else if (chkHoraGraba->isEnabledTo(this)) {
    EnterTimedMode();
  } else {
    EnterDisabledTimedMode();
  }
}

void Form2::chkApaga_Click() {
  if (chkApaga->isChecked()) {
    EnterAtShutdownMode();
    return;
  }
  chkHoraGraba->setChecked(true);
  if (chkHoraGraba->isEnabledTo(this)) {
    EnterTimedMode();
  } else {
    EnterDisabledTimedMode();
  }
}

void Form2::chkShutDown_Click() {
  // Powering off after a copy at shutdown is implied; the box cannot add to it.
  if (job_.CopyAtShutdown) chkShutDown->setChecked(false);
  power_off_after_copy_ = chkShutDown->isChecked();
}

void Form2::txtHora_Change() { job_.CopyHour = ValueOf(txtHora); }

void Form2::updHora_DownClick() {
  int value = ValueOf(txtHora);
  if (value == 0) value = 24;
  job_.CopyHour = BoxValue(std::to_string(value - 1));
  Show(txtHora, job_.CopyHour);
}

void Form2::updHora_UpClick() {
  int value = ValueOf(txtHora) + 1;
  if (value == 24) value = 0;
  job_.CopyHour = BoxValue(std::to_string(value));
  txtHora->setText(value == 0 ? QStringLiteral("00") : Q(BoxText(job_.CopyHour)));
}

void Form2::txtMinutos_Change() { job_.CopyMinute = ValueOf(txtMinutos); }

void Form2::updMinuto_DownClick() {
  int value = ValueOf(txtMinutos);
  if (value == 0) value = 60;
  job_.CopyMinute = BoxValue(std::to_string(value - 1));
  txtMinutos->setText(job_.CopyMinute == 0 ? QStringLiteral("00") : Q(BoxText(job_.CopyMinute)));
}

void Form2::updMinuto_UpClick() {
  int value = ValueOf(txtMinutos) + 1;
  if (value == 60) value = 0;
  job_.CopyMinute = BoxValue(std::to_string(value));
  Show(txtMinutos, job_.CopyMinute);
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
  // Any change of the schedule shows at once what it means, once its handlers have run.
  auto* refresh = new QTimer(this);
  refresh->setSingleShot(true);
  refresh->setInterval(0);
  connect(refresh, &QTimer::timeout, this, [this] { ShowScheduleStatus(); });
  auto later = [refresh] { refresh->start(); };
  for (QLineEdit* box : {txtNumDSM, txtHora, txtMinutos})
    connect(box, &QLineEdit::textChanged, this, later);
  for (QAbstractButton* box :
       std::initializer_list<QAbstractButton*>{optManual, OptCada, chkHoraGraba, chkApaga}) {
    connect(box, &QAbstractButton::toggled, this, later);
  }
  connect(cboDSM, &QComboBox::activated, this, later);
}

void Form2::WatchSleep(SleepWatch& watch) {
  watch.WhenResumed([this] { CheckScheduleSoon(); });
}

void Form2::CheckScheduleSoon() { ScheduleCheck->start(kPromptCheckMs); }

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
  if (decision.state == ScheduleState::CatchUp) catching_up_ = decision.missed_since;
  ShowScheduleStatus();
  RunScheduledCopy();
}

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
    QTimer::singleShot(std::chrono::seconds(kAfterRunPause), this, [this] {
      if (unloaded_) return;
      if (OptCada->isChecked()) Timer1->start();
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
  lblSchedule->setText(Q(text));
  lblSchedule->setVisible(!text.empty());
}

void Form2::NoticeRunEnd() {
  if (notifier_ == nullptr || last_end_ == RunEnd::NotRun) return;
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
    notice.body = run_message_.empty() ? S(Label8->text()) : run_message_;
    if (const std::string carried = CarriedOverText(); !carried.empty() && !run_message_.empty()) {
      (notice.body += '\n') += carried;
    }
  }
  notice.action = TextUtf8(text_id::kTrayTip);
  notice.clicked = [this] { mnupopRestaurar_Click(); };
  notifier_->Notify(std::move(notice));
}

}  // namespace orvessa
