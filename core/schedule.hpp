#pragma once

#include <optional>
#include <string_view>

#include "core/backup_job.hpp"
#include "platform/clock.hpp"
#include "platform/locale.hpp"

namespace orvessa {

// Calendar counts of the every-N rules, on dates alone (time of day ignored).
int DaysBetween(const LocalDate& from, const LocalDate& to);
// Sundays after `from` and on or before `to`.
int WeeksBetween(const LocalDate& from, const LocalDate& to);
int MonthsBetween(const LocalDate& from, const LocalDate& to);
LocalDate AddDays(const LocalDate& date, int days);

// Whether `day` is due under the job's every-N rule, counted from the reference date (the
// last successful run). "At least N", so that a day missed does not stop the schedule.
bool DayIsDue(std::string_view unit, int count, const std::optional<LocalDate>& reference,
              const LocalDate& day);

bool IsValidTimeOfCopy(int hour, int minute);

enum class ScheduleState {
  NotTimed,     // manual, or the copy at shutdown
  InvalidTime,  // the time of copy is not a time of day: nothing ever fires
  NoReference,  // no successful run to count from, and the rule needs one
  Waiting,      // the next run is at `next`
  Due,          // start a run now, at the time of copy
  CatchUp,      // start a run now: the time of copy of a due day has passed
};

struct ScheduleDecision {
  ScheduleState state = ScheduleState::NotTimed;
  bool Start() const { return state == ScheduleState::Due || state == ScheduleState::CatchUp; }
  // Waiting: when the next run falls due; none when no day within reach is due.
  std::optional<LocalDateTime> next;
  // CatchUp: the first day a run was due and none happened.
  std::optional<LocalDate> missed_since;
};

// Decides when a timed job runs, from the clock it is handed. It compares calendar dates
// and the time of copy, never elapsed time, so that a clock moved back or forward (sleep,
// a zone change, a hand-set clock) neither repeats a run of a day nor drops a due one.
class Scheduler {
 public:
  Scheduler(const Clock& clock, const Locale& locale) : clock_(&clock), locale_(&locale) {}

  // Also forgets a start stamped by a clock that has since been moved back.
  ScheduleDecision Check(const BackupJob& job);
  // An automatic run starts now. Whatever its outcome, no other starts for this day: a
  // failed run is tried again at the next due time of copy, not every minute.
  void Started();

 private:
  const Clock* clock_;
  const Locale* locale_;
  std::optional<LocalDate> started_on_;
};

}  // namespace orvessa
