#include "core/schedule_form.hpp"

#include "core/box_number.hpp"

namespace orvessa {
namespace {

constexpr std::string_view kUnits[3] = {kUnitDays, kUnitWeeks, kUnitMonths};

std::int16_t ValueOf(const Box& box) { return BoxValue(box.text); }

}  // namespace

std::string UnitOfLine(int line) {
  return line >= 0 && line < 3 ? std::string(kUnits[line]) : std::string();
}

int LineOfUnit(const std::string& unit) {
  for (int line = 0; line < 3; ++line) {
    if (unit == kUnits[line]) return line;
  }
  return -1;
}

void ScheduleForm::SetTimeBoxesEnabled(bool enabled) {
  c_.txtHora.enabled = c_.txtMinutos.enabled = enabled;
  c_.updHora_enabled = c_.updMinuto_enabled = enabled;
}

void ScheduleForm::SetCheck(Switch& box, bool checked) {
  if (box.checked == checked) return;
  if (&box == &c_.chkHoraGraba) return chkHoraGraba_Click(checked);
  if (&box == &c_.chkApaga) return chkApaga_Click(checked);
  if (&box == &c_.chkShutDown) return chkShutDown_Click(checked);
  box.checked = checked;
}

void ScheduleForm::optTodo_Click() {
  c_.optTodo.checked = true;
  c_.optIncremental.checked = false;
  job_.CopyMode = false;
  job_.OverwriteAll = true;
  c_.txtNcopias.enabled = false;
}

void ScheduleForm::optIncremental_Click() {
  c_.optIncremental.checked = true;
  c_.txtNcopias.enabled = true;
  c_.optTodo.checked = false;
  job_.CopyMode = true;
  job_.OverwriteAll = false;
  job_.CopiesToKeep = ValueOf(c_.txtNcopias);
}

void ScheduleForm::txtNcopias_Change(const std::string& text) {
  c_.txtNcopias.text = text;
  job_.CopiesToKeep = ValueOf(c_.txtNcopias);
}

void ScheduleForm::updNC_DownClick() {
  if (ValueOf(c_.txtNcopias) == 0) return;
  job_.CopiesToKeep = BoxValue(std::to_string(job_.CopiesToKeep - 1));
  c_.txtNcopias.text = BoxText(job_.CopiesToKeep);
}

void ScheduleForm::updNC_UpClick() {
  if (ValueOf(c_.txtNcopias) == 99) return;
  job_.CopiesToKeep = BoxValue(std::to_string(job_.CopiesToKeep + 1));
  c_.txtNcopias.text = BoxText(job_.CopiesToKeep);
}

void ScheduleForm::optManual_Click() {
  c_.optManual.checked = true;
  c_.OptCada.checked = false;
  c_.txtNumDSM.enabled = c_.cboDSM_enabled = c_.chkHoraGraba.enabled = false;
  c_.txtHora.enabled = c_.txtMinutos.enabled = c_.chkApaga.enabled = false;
  job_.ManualOnly = true;
  job_.EveryN = false;
  job_.CopyAtShutdown = false;
  c_.timer = ScheduleTimer::Off;
}

void ScheduleForm::OptCada_Click() {
  c_.optManual.checked = false;
  c_.OptCada.checked = true;
  job_.EveryN = true;
  c_.txtNumDSM.enabled = true;
  c_.txtNumDSM.text = BoxText(job_.IntervalCount);
  c_.cboDSM_enabled = true;
  SelectUnitLine(job_.IntervalUnit);
  c_.chkHoraGraba.enabled = true;
  c_.chkApaga.enabled = channel_;
  // Ticking the timed box from code passes through the at-shutdown state first.
  if (!c_.chkHoraGraba.checked) EnterAtShutdownMode();
  EnterTimedMode();
  job_.IntervalCount = ValueOf(c_.txtNumDSM);
  job_.IntervalUnit = UnitOfLine(c_.cboDSM);
  job_.CopyHour = ValueOf(c_.txtHora);
  job_.CopyMinute = ValueOf(c_.txtMinutos);
  job_.ManualOnly = false;
  c_.timer = ScheduleTimer::Timed;
}

void ScheduleForm::SelectUnitLine(const std::string& unit) { c_.cboDSM = LineOfUnit(unit); }

void ScheduleForm::cboDSM_Click(int line) {
  c_.cboDSM = line;
  if (line >= 0 && line < 3) job_.IntervalUnit = UnitOfLine(line);
}

void ScheduleForm::txtNumDSM_Change(const std::string& text) { c_.txtNumDSM.text = text; }

void ScheduleForm::updDSM_DownClick() {
  const int value = ValueOf(c_.txtNumDSM);
  if (value == 1) return;
  job_.IntervalCount = BoxValue(std::to_string(value - 1));
  c_.txtNumDSM.text = BoxText(job_.IntervalCount);
}

void ScheduleForm::updDSM_UpClick() {
  const int value = ValueOf(c_.txtNumDSM);
  if (value == 99) return;
  job_.IntervalCount = BoxValue(std::to_string(value + 1));
  c_.txtNumDSM.text = BoxText(job_.IntervalCount);
}

void ScheduleForm::EnterTimedMode() {
  job_.CopyAtShutdown = false;
  c_.chkHoraGraba.checked = true;
  c_.chkApaga.checked = false;
  SetTimeBoxesEnabled(true);
  c_.timer = ScheduleTimer::Timed;
}

void ScheduleForm::EnterAtShutdownMode() {
  job_.CopyAtShutdown = true;
  c_.chkApaga.checked = true;
  c_.chkHoraGraba.checked = false;
  SetTimeBoxesEnabled(false);
  SetCheck(c_.chkShutDown, false);
  c_.chkShutDown.checked = false;
  c_.timer = ScheduleTimer::AtShutdown;
}

void ScheduleForm::EnterDisabledTimedMode() {
  job_.CopyAtShutdown = false;
  c_.chkApaga.checked = false;
  SetTimeBoxesEnabled(false);
  c_.timer = ScheduleTimer::Off;
}

void ScheduleForm::ApplyLoadedSchedule(bool manual, bool every, bool at_shutdown) {
  if (manual || (!every && !at_shutdown)) {
    SetCheck(c_.chkApaga, false);
    SetCheck(c_.chkHoraGraba, true);
    optManual_Click();
    return;
  }
  OptCada_Click();
  if (at_shutdown) {
    SetCheck(c_.chkApaga, true);
  } else {
    SetCheck(c_.chkHoraGraba, true);
  }
}

void ScheduleForm::chkHoraGraba_Click(bool checked) {
  c_.chkHoraGraba.checked = checked;
  if (!checked) {
    EnterAtShutdownMode();
  } else if (c_.chkHoraGraba.enabled) {
    EnterTimedMode();
  } else {
    EnterDisabledTimedMode();
  }
}

void ScheduleForm::chkApaga_Click(bool checked) {
  c_.chkApaga.checked = checked;
  if (checked) {
    EnterAtShutdownMode();
    return;
  }
  c_.chkHoraGraba.checked = true;
  if (c_.chkHoraGraba.enabled) {
    EnterTimedMode();
  } else {
    EnterDisabledTimedMode();
  }
}

void ScheduleForm::chkShutDown_Click(bool checked) {
  // Powering off after a copy at shutdown is implied; the box cannot add to it.
  c_.chkShutDown.checked = checked && !job_.CopyAtShutdown;
}

void ScheduleForm::txtHora_Change(const std::string& text) {
  c_.txtHora.text = text;
  job_.CopyHour = ValueOf(c_.txtHora);
}

void ScheduleForm::updHora_DownClick() {
  int value = ValueOf(c_.txtHora);
  if (value == 0) value = 24;
  job_.CopyHour = BoxValue(std::to_string(value - 1));
  c_.txtHora.text = BoxText(job_.CopyHour);
}

void ScheduleForm::updHora_UpClick() {
  int value = ValueOf(c_.txtHora) + 1;
  if (value == 24) value = 0;
  job_.CopyHour = BoxValue(std::to_string(value));
  c_.txtHora.text = value == 0 ? std::string("00") : BoxText(job_.CopyHour);
}

void ScheduleForm::txtMinutos_Change(const std::string& text) {
  c_.txtMinutos.text = text;
  job_.CopyMinute = ValueOf(c_.txtMinutos);
}

void ScheduleForm::updMinuto_DownClick() {
  int value = ValueOf(c_.txtMinutos);
  if (value == 0) value = 60;
  job_.CopyMinute = BoxValue(std::to_string(value - 1));
  c_.txtMinutos.text = job_.CopyMinute == 0 ? std::string("00") : BoxText(job_.CopyMinute);
}

void ScheduleForm::updMinuto_UpClick() {
  int value = ValueOf(c_.txtMinutos) + 1;
  if (value == 60) value = 0;
  job_.CopyMinute = BoxValue(std::to_string(value));
  c_.txtMinutos.text = BoxText(job_.CopyMinute);
}

void ScheduleForm::LoadCopies(std::int16_t copies) {
  job_.CopiesToKeep = copies;
  txtNcopias_Change(BoxText(copies));
}

void ScheduleForm::LoadInterval(std::int16_t count) {
  job_.IntervalCount = count;
  c_.txtNumDSM.text = BoxText(count);
}

void ScheduleForm::LoadUnit(const std::string& unit, int line) {
  job_.IntervalUnit = line >= 0 ? UnitOfLine(line) : unit;
  c_.cboDSM = line;
}

void ScheduleForm::LoadTime(std::optional<std::int16_t> hour, std::optional<std::int16_t> minute) {
  if (hour) txtHora_Change(BoxText(*hour));
  if (minute) txtMinutos_Change(BoxText(*minute));
}

void ScheduleForm::SetShutdownChannel(bool available) {
  channel_ = available;
  if (c_.OptCada.checked) c_.chkApaga.enabled = available;
}

}  // namespace orvessa
