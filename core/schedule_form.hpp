#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/backup_job.hpp"

namespace orvessa {

// The timer the schedule asks for: none, a look every 50 s, or the copy at shutdown.
enum class ScheduleTimer { Off, Timed, AtShutdown };

// What one control of the copy tab shows.
struct Switch {
  bool checked = false;
  bool enabled = true;
  bool operator==(const Switch&) const = default;
};
struct Box {
  std::string text;
  bool enabled = true;
  bool operator==(const Box&) const = default;
};

// Every control of the copy mode and schedule, as the window shows them.
struct ScheduleControls {
  Switch optTodo, optIncremental;
  Box txtNcopias{"2"};
  Switch optManual{true, true}, OptCada;
  Box txtNumDSM{"1", false};
  int cboDSM = -1;  // the unit's line, -1 for none
  bool cboDSM_enabled = false;
  Switch chkHoraGraba{false, false};
  Box txtHora{"00", false}, txtMinutos{"00", false};
  bool updHora_enabled = true, updMinuto_enabled = true;
  Switch chkApaga{false, false};
  Switch chkShutDown;
  ScheduleTimer timer = ScheduleTimer::Off;
  bool operator==(const ScheduleControls&) const = default;
};

// The copy tab's copy mode and schedule without the window: each handler keeps the job and
// the controls in step, and one handler decides every enable rule of its pair, as clicking
// the control would. The window renders Controls() after each.
class ScheduleForm {
 public:
  // The job starts as the controls do: two copies to keep (the box's "2"), manual only.
  explicit ScheduleForm(BackupJob& job) : job_(job) {
    job_.CopiesToKeep = 2;
    job_.ManualOnly = true;
  }

  const ScheduleControls& Controls() const { return c_; }
  bool PowerOffAfterCopy() const { return c_.chkShutDown.checked; }

  void optTodo_Click();
  void optIncremental_Click();
  void txtNcopias_Change(const std::string& text);
  void updNC_DownClick();
  void updNC_UpClick();

  void optManual_Click();
  void OptCada_Click();
  void cboDSM_Click(int line);
  void txtNumDSM_Change(const std::string& text);
  void updDSM_DownClick();
  void updDSM_UpClick();
  void chkHoraGraba_Click(bool checked);
  void chkApaga_Click(bool checked);
  void txtHora_Change(const std::string& text);
  void updHora_DownClick();
  void updHora_UpClick();
  void txtMinutos_Change(const std::string& text);
  void updMinuto_DownClick();
  void updMinuto_UpClick();
  void chkShutDown_Click(bool checked);
  // Closing the window never powers the computer off.
  void ClearPowerOff() { c_.chkShutDown.checked = false; }

  // A loaded job's copy mode, boxes and schedule; any mix of the three schedule flags
  // shows as exactly one schedule: manual wins, then every N, then at shutdown (which
  // needs every N); none at all is manual.
  void LoadCopies(std::int16_t copies);
  void LoadInterval(std::int16_t count);
  // `line`: the unit list's line the stored unit stands for, -1 for none.
  void LoadUnit(const std::string& unit, int line);
  void LoadTime(std::optional<std::int16_t> hour, std::optional<std::int16_t> minute);
  void ApplyLoadedSchedule(bool manual, bool every, bool at_shutdown);

  // Whether the session tells of its end: without it the copy at shutdown is not offered.
  void SetShutdownChannel(bool available);
  bool ShutdownChannel() const { return channel_; }

 private:
  void SetCheck(Switch& box, bool checked);  // as a click would, when it changes
  void SetTimeBoxesEnabled(bool enabled);
  void EnterTimedMode();
  void EnterAtShutdownMode();
  void EnterDisabledTimedMode();
  void SelectUnitLine(const std::string& unit);

  BackupJob& job_;
  ScheduleControls c_;
  bool channel_ = true;
};

// The unit word a line of the unit box stands for, whatever the language.
std::string UnitOfLine(int line);
int LineOfUnit(const std::string& unit);

}  // namespace orvessa
