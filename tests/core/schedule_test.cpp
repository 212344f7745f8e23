#include "core/schedule.hpp"

#include <gtest/gtest.h>

#include "tests/support/fake_services.hpp"

namespace orvessa {
namespace {

using testing::FakeClock;
using testing::FakeLocale;

constexpr LocalDate kSat5Dec{2026, 12, 5};

LocalDateTime At(LocalDate date, int hour, int minute, int second = 0) {
  return {date, {hour, minute, second}};
}
LocalDateTime Dec(int day, int hour, int minute, int second = 0) {
  return At({2026, 12, day}, hour, minute, second);
}
using enum ScheduleState;
using States = std::vector<ScheduleState>;

TEST(ScheduleCounts, CountCalendarDatesAcrossMonthsYearsAndLeapDays) {
  EXPECT_EQ(DaysBetween({2026, 12, 31}, {2027, 1, 1}), 1);
  EXPECT_EQ(DaysBetween({2028, 2, 28}, {2028, 3, 1}), 2);  // leap year
  EXPECT_EQ(DaysBetween({2027, 2, 28}, {2027, 3, 1}), 1);
  EXPECT_EQ(DaysBetween({2027, 1, 1}, {2026, 12, 31}), -1);
  EXPECT_EQ(AddDays({2026, 12, 30}, 3), (LocalDate{2027, 1, 2}));
  // Sundays after the reference, up to and including today.
  EXPECT_EQ(WeeksBetween(kSat5Dec, {2026, 12, 6}), 1);
  EXPECT_EQ(WeeksBetween(kSat5Dec, {2026, 12, 12}), 1);
  EXPECT_EQ(WeeksBetween(kSat5Dec, {2026, 12, 13}), 2);
  EXPECT_EQ(WeeksBetween({2026, 12, 6}, {2026, 12, 12}), 0);  // a Sunday reference
  EXPECT_EQ(WeeksBetween({2026, 12, 26}, {2027, 1, 3}), 2);
  EXPECT_EQ(MonthsBetween({2027, 1, 31}, {2027, 2, 1}), 1);
  EXPECT_EQ(MonthsBetween({2026, 12, 1}, {2027, 1, 31}), 1);
  EXPECT_EQ(MonthsBetween({2026, 11, 30}, {2027, 2, 1}), 3);
}

TEST(ScheduleCounts, WithoutAReferenceOnlyEveryDayHoldsAndBadCountsNever) {
  EXPECT_TRUE(DayIsDue(kUnitDays, 1, std::nullopt, {2026, 12, 4}));
  EXPECT_FALSE(DayIsDue(kUnitDays, 2, std::nullopt, {2026, 12, 4}));
  EXPECT_FALSE(DayIsDue(kUnitDays, -1, LocalDate{2026, 12, 1}, {2026, 12, 9}));
  EXPECT_FALSE(DayIsDue("Years", 1, LocalDate{2026, 12, 1}, {2030, 1, 1}));
}

// A timed job and a scheduler on a clock the test moves; a successful run stamps the job.
struct Schedule : ::testing::Test {
  FakeClock clock{Dec(1, 8, 0)};
  FakeLocale locale;
  Scheduler scheduler{clock, locale};
  BackupJob job;

  void Every(int count, std::string_view unit, int hour = 9, int minute = 5) {
    job.EveryN = true;
    job.IntervalCount = static_cast<std::int16_t>(count);
    job.IntervalUnit = std::string(unit);
    job.CopyHour = static_cast<std::int16_t>(hour);
    job.CopyMinute = static_cast<std::int16_t>(minute);
  }
  void LastRun(LocalDateTime when) {
    job.LastRunDate = locale.FormatShortDate(when.date);
    job.LastRunTime = locale.FormatTime(when.time);
  }
  ScheduleState StateAt(LocalDateTime now) {
    clock.Set(now);
    return scheduler.Check(job).state;
  }
  States StatesAt(std::initializer_list<LocalDateTime> times) {
    States states;
    for (const LocalDateTime& now : times) states.push_back(StateAt(now));
    return states;
  }
  // A start whose run succeeded at `done`.
  void Ran(LocalDateTime done) {
    scheduler.Started();
    LastRun(done);
  }
  // Ticks every 50 s from `from` for `days` days; each start succeeds `seconds` later.
  // The minutes at which runs started.
  std::vector<LocalDateTime> Ticks(LocalDateTime from, int days, bool succeed = true) {
    std::vector<LocalDateTime> starts;
    for (long t = 0; t < days * 86400L; t += 50) {
      LocalDate date = AddDays(from.date, static_cast<int>(t / 86400));
      const long s = t % 86400;
      const LocalDateTime now{date, {int(s / 3600), int(s / 60 % 60), int(s % 60)}};
      clock.Set(now);
      if (!scheduler.Check(job).Start()) continue;
      scheduler.Started();
      starts.push_back(now);
      if (succeed) LastRun(now);
    }
    return starts;
  }
};

TEST_F(Schedule, EveryNDaysWeeksAndMonthsStartOnTheirDaysOnlyAtTheTimeOfCopy) {
  struct Case {
    int count;
    std::string_view unit;
    LocalDate last;
    int days;
    std::vector<LocalDate> expected;
  };
  const Case cases[] = {
      {1,
       kUnitDays,
       {2026, 12, 29},
       5,
       {{2026, 12, 30}, {2026, 12, 31}, {2027, 1, 1}, {2027, 1, 2}, {2027, 1, 3}}},
      {3, kUnitDays, {2026, 12, 1}, 10, {{2026, 12, 4}, {2026, 12, 7}, {2026, 12, 10}}},
      // Last run on a Saturday: two weeks are two Sundays later, eight days on.
      {2, kUnitWeeks, kSat5Dec, 22, {{2026, 12, 13}, {2026, 12, 27}}},
      {1, kUnitMonths, {2027, 1, 31}, 40, {{2027, 2, 1}, {2027, 3, 1}}},
      {1, kUnitMonths, {2026, 12, 15}, 20, {{2027, 1, 1}}},
  };
  for (const Case& c : cases) {
    Every(c.count, c.unit);
    LastRun(At(c.last, 9, 5));
    scheduler = Scheduler(clock, locale);
    std::vector<LocalDate> dates;
    for (const auto& s : Ticks(At(AddDays(c.last, 1), 0, 0), c.days)) {
      dates.push_back(s.date);
      EXPECT_EQ(std::pair(s.time.hour, s.time.minute), std::pair(9, 5));
    }
    EXPECT_EQ(dates, c.expected) << c.count << " " << c.unit;
  }
}

TEST_F(Schedule, AMissedDueDayIsCaughtUpAtTheNextTimeOfCopyOrAtStartUp) {
  Every(3, kUnitDays);
  LastRun(Dec(1, 9, 5));
  // Off on the 4th; the next day at the time of copy still counts (the count only grows).
  EXPECT_EQ(StatesAt({Dec(5, 9, 4), Dec(5, 9, 5, 40)}), (States{Waiting, Due}));
  // Started after the time of copy on an overdue day: a catch-up, naming the first day missed.
  clock.Set(Dec(9, 14, 30));
  const ScheduleDecision late = scheduler.Check(job);
  EXPECT_EQ(late.state, CatchUp);
  EXPECT_EQ(late.missed_since, (LocalDate{2026, 12, 4}));
  Ran(Dec(9, 14, 31));
  EXPECT_EQ(StateAt(Dec(9, 14, 31, 10)), Waiting);
  EXPECT_EQ(scheduler.Check(job).next, Dec(12, 9, 5));
}

TEST_F(Schedule, AFailedAutomaticRunIsTriedAgainAtTheNextDueTimeNotSooner) {
  Every(3, kUnitDays);
  LastRun(Dec(1, 9, 5));
  const auto starts = Ticks(Dec(4, 0, 0), 3, /*succeed=*/false);
  ASSERT_EQ(starts.size(), 3u);  // the 4th, then once on each following day
  for (const auto& s : starts) EXPECT_EQ(s.time.minute, 5);
  clock.Set(Dec(6, 20, 0));
  EXPECT_EQ(scheduler.Check(job).next, Dec(7, 9, 5));
}

TEST_F(Schedule, WithoutASuccessfulRunOnlyTheDailyRuleStarts) {
  Every(2, kUnitWeeks);
  EXPECT_EQ(StateAt(Dec(6, 9, 5)), NoReference);
  job.LastRunDate = "not a date";
  EXPECT_EQ(StateAt(Dec(6, 9, 5)), NoReference);
  Every(1, kUnitDays);
  EXPECT_EQ(StateAt(Dec(6, 9, 5)), Due);
}

TEST_F(Schedule, CountZeroRunsAgainOnADayARunBeforeTheTimeOfCopySucceeded) {
  Every(0, kUnitDays);
  LastRun(Dec(6, 8, 0));  // by hand, before the time of copy
  EXPECT_EQ(StateAt(Dec(6, 9, 5)), Due);
  Ran(Dec(6, 9, 6));
  EXPECT_EQ(StateAt(Dec(6, 9, 7)), Waiting);
  EXPECT_EQ(Ticks(Dec(7, 0, 0), 3).size(), 3u);
}

TEST_F(Schedule, AnInvalidTimeOfCopyNeverStarts) {
  for (auto [hour, minute] : {std::pair{24, 0}, {9, 60}, {-1, 5}, {99, 99}}) {
    Every(1, kUnitDays, hour, minute);
    EXPECT_EQ(StateAt(Dec(6, 12, 0)), InvalidTime);
    EXPECT_TRUE(Ticks(Dec(6, 0, 0), 2).empty()) << hour << ":" << minute;
  }
  Every(1, kUnitDays, 23, 59);
  EXPECT_EQ(StateAt(Dec(6, 23, 59)), Due);
}

TEST_F(Schedule, AClockMovedBackDoesNotRepeatTheDaysRunNorForwardRunOncePerDaySkipped) {
  Every(1, kUnitDays);
  EXPECT_EQ(StateAt(Dec(6, 9, 5)), Due);
  Ran(Dec(6, 9, 6));
  // Back an hour, then through the time of copy again; back over midnight (a zone change
  // westwards): that repeated day runs nothing either...
  EXPECT_EQ(StatesAt({Dec(6, 8, 10), Dec(6, 9, 5), Dec(5, 23, 0), Dec(5, 23, 30)}),
            (States{Waiting, Waiting, Waiting, Waiting}));
  // ...and the next days run as before, also after a restart of the program.
  scheduler = Scheduler(clock, locale);
  EXPECT_EQ(StatesAt({Dec(6, 9, 5), Dec(7, 9, 5)}), (States{Waiting, Due}));

  // Asleep from the evening until three days later at noon.
  scheduler = Scheduler(clock, locale);
  LastRun(Dec(6, 9, 5));
  EXPECT_EQ(StatesAt({Dec(6, 22, 0), Dec(9, 12, 0)}), (States{Waiting, CatchUp}));
  Ran(Dec(9, 12, 1));
  EXPECT_EQ(StateAt(Dec(9, 23, 59)), Waiting);
  EXPECT_EQ(Ticks(Dec(10, 0, 0), 1).size(), 1u);
}

TEST_F(Schedule, ALastRunStampedFarInTheFutureDoesNotStopTheSchedule) {
  Every(2, kUnitWeeks);
  LastRun(At({2031, 5, 1}, 9, 5));  // by a clock set years ahead
  EXPECT_EQ(StateAt(Dec(6, 9, 5)), Due);
  // One day ahead is a zone change: that run counts as today's.
  Every(1, kUnitDays);
  LastRun(Dec(7, 0, 30));
  EXPECT_EQ(StatesAt({Dec(6, 23, 0), Dec(7, 9, 5)}), (States{Waiting, Due}));
  // Two days ahead is a wrong clock: nothing is counted from it.
  LastRun(Dec(8, 0, 30));
  EXPECT_EQ(StateAt(Dec(6, 23, 0)), CatchUp);
}

}  // namespace
}  // namespace orvessa
