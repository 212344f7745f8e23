#include "core/schedule.hpp"

#include <algorithm>
#include <chrono>

namespace orvessa {
namespace {

// Days since 1970-01-01, a Thursday.
int Serial(const LocalDate& date) {
  using namespace std::chrono;
  const year_month_day ymd{year{date.year}, month{static_cast<unsigned>(date.month)},
                           day{static_cast<unsigned>(date.day)}};
  return static_cast<int>(sys_days(ymd).time_since_epoch().count());
}

LocalDate FromSerial(int serial) {
  using namespace std::chrono;
  const year_month_day ymd{sys_days(days(serial))};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

ScheduleDecision Only(ScheduleState state) {
  ScheduleDecision decision;
  decision.state = state;
  return decision;
}

int FloorDiv(int a, int b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

// Sundays from an early epoch up to and including the day; 1970-01-04 was a Sunday.
int SundaysUpTo(int serial) { return FloorDiv(serial - 3, 7); }

bool AtOrAfter(int hour, int minute, int at_hour, int at_minute) {
  return hour > at_hour || (hour == at_hour && minute >= at_minute);
}

// A wrong clock can have stamped the last run in the future. One day ahead is a zone change
// or a small correction: it counts as today, so that day is not run twice. Further ahead
// nothing can be counted from it, and waiting for that date would stop the schedule.
constexpr int kTrustedDaysAhead = 1;
// Far enough for 99 months.
constexpr int kSearchDays = 3100;

}  // namespace

int DaysBetween(const LocalDate& from, const LocalDate& to) { return Serial(to) - Serial(from); }

int WeeksBetween(const LocalDate& from, const LocalDate& to) {
  return SundaysUpTo(Serial(to)) - SundaysUpTo(Serial(from));
}

int MonthsBetween(const LocalDate& from, const LocalDate& to) {
  return (12 * to.year + to.month) - (12 * from.year + from.month);
}

LocalDate AddDays(const LocalDate& date, int days) { return FromSerial(Serial(date) + days); }

bool DayIsDue(std::string_view unit, int count, const std::optional<LocalDate>& reference,
              const LocalDate& day) {
  if (unit == kUnitDays && count == 1) return true;
  if (!reference || count < 0) return false;
  if (unit == kUnitDays) return DaysBetween(*reference, day) >= count;
  if (unit == kUnitWeeks) return WeeksBetween(*reference, day) >= count;
  if (unit == kUnitMonths) return MonthsBetween(*reference, day) >= count;
  return false;
}

bool IsValidTimeOfCopy(int hour, int minute) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

ScheduleDecision Scheduler::Check(const BackupJob& job) {
  if (!job.EveryN || job.ManualOnly || job.CopyAtShutdown) return {};
  if (!IsValidTimeOfCopy(job.CopyHour, job.CopyMinute)) return Only(ScheduleState::InvalidTime);
  const LocalDateTime now = clock_->Now();
  const LocalDate today = now.date;
  const int unit_count = job.IntervalCount;
  const bool daily = job.IntervalUnit == kUnitDays && unit_count == 1;

  std::optional<LocalDate> reference = locale_->ParseShortDate(job.LastRunDate);
  bool ran_today = false;
  bool overdue = false;
  if (reference) {
    const int ahead = DaysBetween(today, *reference);
    if (ahead > kTrustedDaysAhead) {
      reference.reset();
      overdue = true;
    } else if (ahead >= 0) {
      reference = today;
      // The run's own time says whether today's time of copy was served; a time that
      // cannot be read counts as served rather than risk a second run.
      const std::optional<LocalTime> at = locale_->ParseTime(job.LastRunTime);
      ran_today = ahead > 0 || !at || AtOrAfter(at->hour, at->minute, job.CopyHour, job.CopyMinute);
    }
  }
  if (!reference && !daily && !overdue) return Only(ScheduleState::NoReference);
  if (started_on_ && DaysBetween(today, *started_on_) >= 0) {
    ran_today = true;
    started_on_ = today;  // a clock moved back blocks that one day, not the days until then
  }

  const bool time_reached = AtOrAfter(now.time.hour, now.time.minute, job.CopyHour, job.CopyMinute);
  auto due = [&](const LocalDate& day) {
    return overdue || DayIsDue(job.IntervalUnit, unit_count, reference, day);
  };
  ScheduleDecision decision;
  if (time_reached && !ran_today && due(today)) {
    const bool on_time = now.time.hour == job.CopyHour && now.time.minute == job.CopyMinute;
    decision.state = on_time ? ScheduleState::Due : ScheduleState::CatchUp;
    if (!on_time) {
      // The first day after the last run that was due, however long ago.
      LocalDate first = today;
      if (reference) {
        const int gap = std::min(DaysBetween(*reference, today), kSearchDays);
        for (int back = gap - 1; back >= 1; --back) {
          const LocalDate day = AddDays(today, -back);
          if (due(day)) {
            first = day;
            break;
          }
        }
      }
      decision.missed_since = first;
    }
    return decision;
  }
  decision.state = ScheduleState::Waiting;
  const int from = (time_reached || ran_today) ? 1 : 0;
  for (int ahead = from; ahead <= kSearchDays; ++ahead) {
    const LocalDate day = AddDays(today, ahead);
    if (due(day)) {
      decision.next = LocalDateTime{day, {job.CopyHour, job.CopyMinute, 0}};
      break;
    }
  }
  return decision;
}

void Scheduler::Started() { started_on_ = clock_->Now().date; }

}  // namespace orvessa
