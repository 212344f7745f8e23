#include "core/schedule_form.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "core/box_number.hpp"

namespace orvessa {
namespace {

// The leading number, blanks skipped; halves to the even neighbour; bounded to 16 bits; 0
// without a number.
TEST(BoxValue, ReadsTheLeadingNumberRoundedAndBounded) {
  const std::pair<const char*, int> cases[] = {{"15", 15},
                                               {" 1 5 ", 15},
                                               {"-1 ", -1},
                                               {"+7", 7},
                                               {"12abc", 12},
                                               {"3:30", 3},
                                               {"1e2", 100},
                                               {"2e", 2},
                                               {"", 0},
                                               {"abc", 0},
                                               {"-", 0},
                                               {".", 0},
                                               {"0.5", 0},
                                               {"1.5", 2},
                                               {"2.5", 2},
                                               {"2.51", 3},
                                               {"-2.5", -2},
                                               {".7", 1},
                                               {"32768", 32767},
                                               {"-40000", -32768},
                                               {"-32768", -32768},
                                               {"1e400", 32767},
                                               {"99999999999999999999999", 32767}};
  for (const auto& [text, value] : cases) EXPECT_EQ(BoxValue(text), value) << text;
}

enum class Shown { Manual, Timed, AtShutdown, TimedOff, Contradictory };

// Which schedule the controls show, as a user reads them.
Shown ShownBy(const ScheduleControls& c) {
  if (c.optManual.checked && !c.OptCada.checked && c.timer == ScheduleTimer::Off &&
      !c.txtNumDSM.enabled && !c.chkApaga.enabled) {
    return Shown::Manual;
  }
  if (!c.OptCada.checked || c.optManual.checked) return Shown::Contradictory;
  if (c.chkHoraGraba.checked && !c.chkApaga.checked && c.txtHora.enabled) {
    return c.timer == ScheduleTimer::Timed ? Shown::Timed : Shown::Contradictory;
  }
  if (c.chkApaga.checked && !c.chkHoraGraba.checked && !c.txtHora.enabled) {
    return c.timer == ScheduleTimer::AtShutdown ? Shown::AtShutdown : Shown::Contradictory;
  }
  if (c.chkHoraGraba.checked && !c.txtHora.enabled && c.timer == ScheduleTimer::Off) {
    return Shown::TimedOff;
  }
  return Shown::Contradictory;
}

class Form : public ::testing::Test {
 protected:
  BackupJob job;
  ScheduleForm form{job};
  const ScheduleControls& c = form.Controls();
};

TEST_F(Form, TheScheduleBoxesWorkAsAPairAndThePowerOffFollowsThem) {
  EXPECT_EQ(ShownBy(c), Shown::Manual);
  form.chkShutDown_Click(true);
  EXPECT_TRUE(form.PowerOffAfterCopy());
  // Ticking the timed box from code passes through the at-shutdown state, which clears it.
  form.OptCada_Click();
  EXPECT_EQ(c.txtNumDSM.text, "0");
  EXPECT_FALSE(form.PowerOffAfterCopy());
  EXPECT_EQ(ShownBy(c), Shown::Timed);
  form.chkShutDown_Click(true);
  form.chkApaga_Click(true);
  EXPECT_EQ(ShownBy(c), Shown::AtShutdown);
  EXPECT_TRUE(job.CopyAtShutdown && !form.PowerOffAfterCopy());
  form.chkShutDown_Click(true);  // implied by the copy at shutdown: it unticks itself
  EXPECT_FALSE(form.PowerOffAfterCopy());
  form.chkApaga_Click(false);
  EXPECT_EQ(ShownBy(c), Shown::Timed);
  form.chkHoraGraba_Click(false);
  EXPECT_EQ(ShownBy(c), Shown::AtShutdown);
  form.chkHoraGraba_Click(true);
  EXPECT_EQ(ShownBy(c), Shown::Timed);
  EXPECT_FALSE(job.CopyAtShutdown);

  // Without a session that tells of its end, the copy at shutdown is not offered.
  form.SetShutdownChannel(false);
  EXPECT_FALSE(c.chkApaga.enabled);
  form.optManual_Click();
  form.OptCada_Click();
  EXPECT_FALSE(c.chkApaga.enabled);
  form.SetShutdownChannel(true);
  EXPECT_TRUE(c.chkApaga.enabled);
}

TEST_F(Form, ManualKeepsTheEveryNSettingsAndTheCopyModeDecidesTheCopiesBox) {
  form.OptCada_Click();
  form.txtNumDSM_Change("7");
  EXPECT_EQ(job.IntervalCount, 0) << "the count follows the arrows, not typing";
  form.updDSM_UpClick();
  EXPECT_EQ(job.IntervalCount, 8);
  form.cboDSM_Click(1);
  EXPECT_EQ(job.IntervalUnit, "Semanas");
  form.cboDSM_Click(2);
  form.updHora_UpClick();
  form.optManual_Click();
  EXPECT_EQ(ShownBy(c), Shown::Manual);
  EXPECT_EQ(c.txtNumDSM.text, "8");
  EXPECT_EQ(c.cboDSM, 2);
  EXPECT_EQ(job.IntervalUnit, "Meses");
  EXPECT_EQ(c.txtHora.text, "1");
  EXPECT_TRUE(c.chkHoraGraba.checked);

  form.txtNcopias_Change("6");
  form.optIncremental_Click();
  EXPECT_TRUE(c.optIncremental.checked && !c.optTodo.checked && c.txtNcopias.enabled);
  EXPECT_TRUE(job.CopyMode && !job.OverwriteAll && job.CopiesToKeep == 6);
  form.optTodo_Click();
  EXPECT_TRUE(c.optTodo.checked && !c.optIncremental.checked && !c.txtNcopias.enabled);
  EXPECT_TRUE(!job.CopyMode && job.OverwriteAll);
}

TEST_F(Form, NumberBoxesWrapStopAndBound) {
  form.updNC_DownClick();  // counts from the box's first "2", not from nothing
  EXPECT_EQ(c.txtNcopias.text, "1");
  form.OptCada_Click();
  using Typing = void (ScheduleForm::*)(const std::string&);
  using Arrow = void (ScheduleForm::*)();
  struct Case {
    Typing type;
    Arrow arrow;  // none: typing alone
    const char* typed;
    const char* shown;
    std::optional<int> field;
  };
  const Typing hour = &ScheduleForm::txtHora_Change, minute = &ScheduleForm::txtMinutos_Change,
               count = &ScheduleForm::txtNumDSM_Change, copies = &ScheduleForm::txtNcopias_Change;
  const Case cases[] = {
      {hour, &ScheduleForm::updHora_DownClick, "0", "23", 23},
      {hour, &ScheduleForm::updHora_DownClick, "5", "4", 4},
      {hour, &ScheduleForm::updHora_UpClick, "23", "00", 0},
      {hour, &ScheduleForm::updHora_UpClick, "7", "8", 8},
      {hour, nullptr, "12", "12", 12},
      {minute, &ScheduleForm::updMinuto_UpClick, "59", "0", 0},
      {minute, &ScheduleForm::updMinuto_UpClick, "30", "31", 31},
      {minute, &ScheduleForm::updMinuto_DownClick, "1", "00", 0},
      {minute, &ScheduleForm::updMinuto_DownClick, "0", "59", 59},
      {minute, nullptr, "17", "17", 17},
      {count, &ScheduleForm::updDSM_DownClick, "1", "1", {}},
      {count, &ScheduleForm::updDSM_DownClick, "5", "4", 4},
      {count, &ScheduleForm::updDSM_UpClick, "99", "99", {}},
      {count, &ScheduleForm::updDSM_UpClick, "150", "151", 151},
      {copies, &ScheduleForm::updNC_DownClick, "1", "0", 0},
      {copies, &ScheduleForm::updNC_DownClick, "0", "0", 0},
      {copies, &ScheduleForm::updNC_UpClick, "98", "99", 99},
      {copies, &ScheduleForm::updNC_UpClick, "99", "99", 99},
      {copies, nullptr, "99999", "99999", 32767},
      {copies, &ScheduleForm::updNC_UpClick, "99999", "32767", 32767},
      {copies, nullptr, "2.5", "2.5", 2},
      {copies, nullptr, "3.5", "3.5", 4},
      {copies, nullptr, "x3", "x3", 0},
  };
  for (const Case& k : cases) {
    (form.*k.type)(k.typed);
    if (k.arrow) (form.*k.arrow)();
    const Box& box = k.type == hour     ? c.txtHora
                     : k.type == minute ? c.txtMinutos
                     : k.type == count  ? c.txtNumDSM
                                        : c.txtNcopias;
    const int field = k.type == hour     ? job.CopyHour
                      : k.type == minute ? job.CopyMinute
                      : k.type == count  ? job.IntervalCount
                                         : job.CopiesToKeep;
    EXPECT_EQ(box.text, k.shown) << k.typed;
    if (k.field) {
      EXPECT_EQ(field, *k.field) << k.typed;
    }
  }
}

// A job file may hold any mix of the three flags; the form shows exactly one schedule,
// whatever it showed before.
TEST(LoadedSchedule, AnyMixOfFlagsShowsExactlyOneSchedule) {
  struct Case {
    bool manual, every, at_shutdown;
    Shown shown;
  };
  const Case cases[] = {
      {false, false, false, Shown::Manual},   {true, false, false, Shown::Manual},
      {true, true, true, Shown::Manual},      {false, true, false, Shown::Timed},
      {false, true, true, Shown::AtShutdown}, {false, false, true, Shown::AtShutdown},
      {true, false, true, Shown::Manual}};
  const std::function<void(ScheduleForm&)> before[] = {[](ScheduleForm&) {},
                                                       [](ScheduleForm& f) { f.OptCada_Click(); },
                                                       [](ScheduleForm& f) {
                                                         f.OptCada_Click();
                                                         f.chkApaga_Click(true);
                                                       }};
  for (const Case& k : cases) {
    for (std::size_t b = 0; b < std::size(before); ++b) {
      BackupJob job;
      ScheduleForm form(job);
      before[b](form);
      form.ApplyLoadedSchedule(k.manual, k.every, k.at_shutdown);
      EXPECT_EQ(ShownBy(form.Controls()), k.shown)
          << k.manual << k.every << k.at_shutdown << " after " << b;
      EXPECT_EQ(job.ManualOnly, k.shown == Shown::Manual);
      EXPECT_EQ(job.CopyAtShutdown, k.shown == Shown::AtShutdown);
    }
  }
}

}  // namespace
}  // namespace orvessa
