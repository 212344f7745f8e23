// The copy tab's schedule and number boxes, the job files and the languages, driven
// through the window's controls.
#include <cerrno>
#include <cstring>
#include <optional>

#include "tests/ui/form2_harness.hpp"

using namespace orvessa;
using namespace orvessa::testing;

namespace {

// A job file as a user might have edited it by hand.
std::string JobText(bool manual, bool every, bool at_shutdown,
                    const std::vector<std::string>& entries, int outcome = 0,
                    const std::string& unit = "Meses", bool keep_copies = false) {
  std::string text = "10:20:30\r\n01/02/2025\r\n/backups\r\n";
  text += keep_copies ? "Falso\r\nVerdadero\r\n 3 \r\n" : "Falso\r\nFalso\r\n 3 \r\n";
  for (bool flag : {manual, every, at_shutdown}) text += flag ? "Verdadero\r\n" : "Falso\r\n";
  text += " 4 \r\n" + unit + "\r\n 7 \r\n 45 \r\n 0 \r\n " + std::to_string(outcome) + " \r\n " +
          std::to_string(entries.size()) + " \r\n";
  for (const std::string& entry : entries) text += entry + "\r\n";
  return text + "\r\n";
}

QString Problem(const std::string& path, int errnum) {
  return Q(path) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errnum));
}

// The schedule as the copy tab shows it, and whether the job and the timer agree.
enum class Shown { Manual, Timed, AtShutdown, Contradictory };

Shown ScheduleShown(const Harness& h) {
  const Form2& w = *h.window;
  const BackupJob& job = w.Job();
  const bool manual = h.Find<QRadioButton>("optManual")->isChecked();
  const bool every = h.Find<QRadioButton>("OptCada")->isChecked();
  const bool timed = h.Find<QCheckBox>("chkHoraGraba")->isChecked();
  const bool at_shutdown = h.Find<QCheckBox>("chkApaga")->isChecked();
  const bool schedule_enabled = h.Find("txtNumDSM")->isEnabled() && h.Find("cboDSM")->isEnabled() &&
                                h.Find("chkHoraGraba")->isEnabled() &&
                                h.Find("chkApaga")->isEnabled();
  const bool time_enabled = h.Find("txtHora")->isEnabled() && h.Find("txtMinutos")->isEnabled() &&
                            h.Find("updHora")->isEnabled() && h.Find("updMinuto")->isEnabled();
  const bool time_disabled = !h.Find("txtHora")->isEnabled() && !h.Find("txtMinutos")->isEnabled();
  if (manual == every) return Shown::Contradictory;
  if (manual && !at_shutdown && !schedule_enabled && time_disabled && job.ManualOnly &&
      !job.EveryN && !job.CopyAtShutdown && w.TimerMode() == ScheduleTimer::Off) {
    return Shown::Manual;
  }
  if (every && timed != at_shutdown && schedule_enabled && !job.ManualOnly && job.EveryN) {
    if (timed && time_enabled && !job.CopyAtShutdown && w.TimerMode() == ScheduleTimer::Timed)
      return Shown::Timed;
    if (at_shutdown && time_disabled && job.CopyAtShutdown &&
        w.TimerMode() == ScheduleTimer::AtShutdown &&
        !h.Find<QCheckBox>("chkShutDown")->isChecked())
      return Shown::AtShutdown;
  }
  return Shown::Contradictory;
}

}  // namespace

class Form2Test : public WindowTestCase {
  Q_OBJECT
 private slots:
  // The schedule's rules are the schedule form's (tested on their own); here a click on
  // each kind of control reaches it, and what it decides reaches the controls and the timer.
  void copyTabControlsReachTheScheduleFormAndShowWhatItDecides() {
    Harness h;
    Form2& w = *h.window;
    auto* shutdown = h.Find<QCheckBox>("chkShutDown");
    QCOMPARE(ScheduleShown(h), Shown::Manual);
    Click(shutdown);
    QVERIFY(w.PowerOffAfterCopy());
    Click(h.Find<QRadioButton>("OptCada"));
    QVERIFY(!shutdown->isChecked() && !w.PowerOffAfterCopy());
    QCOMPARE(ScheduleShown(h), Shown::Timed);
    QCOMPARE(h.Find<QTimer>("Timer1")->interval(), 50000);
    Click(h.Arrow("updHora", "down"));
    Type(h.Find<QLineEdit>("txtMinutos"), QStringLiteral("45"));
    Click(h.Arrow("updDSM", "up"));
    Choose(h.Find<QComboBox>("cboDSM"), 1);
    QCOMPARE(h.Find<QLineEdit>("txtHora")->text(), QStringLiteral("23"));
    QVERIFY(w.Job().CopyHour == 23 && w.Job().CopyMinute == 45 && w.Job().IntervalCount == 1);
    QCOMPARE(w.Job().IntervalUnit, std::string("Semanas"));
    Click(h.Find<QCheckBox>("chkApaga"));
    QCOMPARE(ScheduleShown(h), Shown::AtShutdown);
    QCOMPARE(h.Find<QTimer>("Timer1")->interval(), 1000);
    Click(h.Find<QCheckBox>("chkHoraGraba"));
    QCOMPARE(ScheduleShown(h), Shown::Timed);

    Type(h.Find<QLineEdit>("txtNcopias"), QStringLiteral("6"));
    Click(h.Find<QRadioButton>("optIncremental"));
    QVERIFY(w.Job().CopyMode && w.Job().CopiesToKeep == 6);
    QVERIFY(!h.Find<QRadioButton>("optTodo")->isChecked());
    Click(h.Find<QRadioButton>("optTodo"));
    QVERIFY(!w.Job().CopyMode && !h.Find("txtNcopias")->isEnabled());
  }

  void saveWritesTheJobFileWithTheUnitWordInEveryLanguage() {
    Harness h({{"a.txt", std::string(1500, 'a')}});
    Form2& w = *h.window;
    const TempFolder dest;
    h.AddFile(QStringLiteral("a.txt"));
    h.Pick(dest.path().string(), "cmdDestino");
    Click(h.Find<QRadioButton>("optIncremental"));
    Type(h.Find<QLineEdit>("txtNcopias"), QStringLiteral("5"));
    Click(h.Find<QRadioButton>("OptCada"));
    for (int i = 0; i < 3; ++i) Click(h.Arrow("updDSM", "up"));
    Choose(h.Find<QComboBox>("cboDSM"), 1);
    Click(h.Arrow("updHora", "down"));
    Click(h.Arrow("updMinuto", "down"));

    const std::string path = h.temp / "job.cop";
    const std::string expected = "13:05:09\r\n06/12/2026\r\n" + dest.path().string() +
                                 "\r\nFalso\r\nVerdadero\r\n 5 \r\nFalso\r\nVerdadero\r\nFalso\r\n"
                                 " 3 \r\nSemanas\r\n 23 \r\n 59 \r\n"
                                 " 1500 \r\n 0 \r\n 1 \r\n" +
                                 h.start + "/a.txt\r\n\r\n";
    // The unit word is the same whatever language the window speaks.
    for (const char* language : {"mnuLang_ingl\u00e9s", "mnuLang_alem\u00e1n"}) {
      h.Action(language)->trigger();
      h.Pick(path, "cmdGuardar");
      QCOMPARE(ReadText(path), expected);
    }
    QCOMPARE(Dialogs::AskedFilters().back(),
             QStringLiteral("Ficheros Orvessa (*.cop);;Todos los ficheros (*)"));
    QCOMPARE(Dialogs::AskedFolders().back(), Q(h.program));
    QCOMPARE(h.Panel(2), QStringLiteral("job.cop"));
    QVERIFY(Dialogs::ShownMessages().empty());

    // Nothing was written, so the job keeps its name.
    const std::string bad = h.temp / "missing/job2.cop";
    h.Pick(bad, "mnuGuardaTrab");
    QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
    QVERIFY(LastMessageIs(Problem(bad, ENOENT), MessageIcon::Critical));
    QCOMPARE(h.Panel(2), QStringLiteral("job.cop"));
    QCOMPARE(w.Identity().JobFilePath, path);
  }

  void openReplacesTheJob() {
    Harness h(
        {{"old.txt", "old"}, {"f.txt", std::string(1500, 'f')}, {"d/g", std::string(2200, 'g')}});
    Form2& w = *h.window;
    h.AddFile(QStringLiteral("old.txt"));
    QVERIFY(h.Panel(5).isEmpty());

    const std::string file = h.start + "/f.txt", folder = h.start + "/d/*";
    const std::string path = h.temp / "every.cop";
    WriteText(path, JobText(false, true, false, {file, folder}, 0, "Meses", true));
    h.Pick(path, "mnuAbreTrab");
    QCOMPARE(Dialogs::AskedFilters().back(), QStringLiteral("Orvessa (*.cop);;(*)"));
    QCOMPARE(Dialogs::AskedFolders().back(), Q(h.program));
    QCOMPARE(h.Panel(2), QStringLiteral("every.cop"));
    QCOMPARE(h.Panel(3), QStringLiteral("/backups"));
    QCOMPARE(h.Panel(4), QStringLiteral("01/02/2025  10:20:30 "));
    QCOMPARE(h.Panel(5), Text(65));
    QCOMPARE(h.Label("Label5"), QStringLiteral("/backups"));
    QCOMPARE(ScheduleShown(h), Shown::Timed);
    QVERIFY(h.Find<QRadioButton>("optIncremental")->isChecked());
    QStringList boxes;
    for (const char* box : {"txtNcopias", "txtNumDSM", "txtHora", "txtMinutos"})
      boxes << h.Find<QLineEdit>(box)->text();
    QCOMPARE(boxes.join(u' '), QStringLiteral("3 4 7 45"));
    QCOMPARE(h.Find<QComboBox>("cboDSM")->currentIndex(), 2);
    QCOMPARE(Lines(h.Find<QListWidget>("List1")), QStringList({Q(file), Q(folder)}));
    QCOMPARE(h.Label("Label9"), QStringLiteral("4 KB"));
    QCOMPARE(h.Label("Label19"), QStringLiteral("4 KB"));

    // A caption where the unit word belongs, in any language, reads as the word.
    const std::pair<const char*, const char*> units[] = {{"Weeks", "Semanas"},
                                                         {"Monate", "Meses"},
                                                         {"Jours",
                                                          "D\xC3\xAD"
                                                          "as"},
                                                         {"Meses", "Meses"}};
    for (const auto& [stored, word] : units) {
      WriteText(path, JobText(false, true, false, {}, 0, stored));
      h.Pick(path, "mnuAbreTrab");
      QCOMPARE(w.Job().IntervalUnit, std::string(word));
    }
    QCOMPARE(h.Find<QComboBox>("cboDSM")->currentIndex(), 2);
    QVERIFY(h.Find<QRadioButton>("optTodo")->isChecked());

    // The power-off box belongs to the session, not to the job.
    Click(h.Find<QRadioButton>("optManual"));
    Click(h.Find<QCheckBox>("chkShutDown"));
    WriteText(path, JobText(true, false, false, {}, 1));
    h.Pick(path, "mnuAbreTrab");
    QVERIFY(h.Find<QCheckBox>("chkShutDown")->isChecked() && w.PowerOffAfterCopy());
    QCOMPARE(h.Panel(5), Text(66));
    QCOMPARE(h.Find<QListWidget>("List1")->count(), 0);
    QCOMPARE(h.Label("Label9"), QStringLiteral("0 KB"));
  }

  void openOfAnUnreadableFileChangesNothing() {
    Harness h({{"old.txt", "old"}});
    h.AddFile(QStringLiteral("old.txt"));
    const std::pair<std::string, int> cases[] = {{h.temp / "gone.cop", ENOENT}, {h.start, EISDIR}};
    for (const auto& [path, errnum] : cases) {
      Dialogs::ClearShown();
      h.Pick(path, "mnuAbreTrab");
      QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
      QVERIFY(LastMessageIs(Problem(path, errnum), MessageIcon::Critical));
      QCOMPARE(h.Find<QListWidget>("List1")->count(), 1);
      QVERIFY(h.Panel(2).isEmpty() && h.Find<QRadioButton>("optManual")->isChecked());
    }
    Dialogs::ClearShown();
    h.Action("mnuAbreTrab")->trigger();  // cancelled
    QVERIFY(Dialogs::ShownMessages().empty());
    QCOMPARE(h.Find<QListWidget>("List1")->count(), 1);
  }

  void languageSwitchKeepsTheJobShown() {
    Harness h({{"a.txt", "a"}, {"b.xls", "b"}});
    Form2& w = *h.window;
    const std::string path = h.temp / "failed.cop";
    WriteText(path, JobText(false, true, false, {}, 1));
    h.Pick(path, "mnuAbreTrab");
    QCOMPARE(h.Panel(5), Text(66));
    auto* units = h.Find<QComboBox>("cboDSM");
    auto* filter = h.Find<QComboBox>("Filtro");
    Choose(units, 1);
    Choose(filter, 3);
    QCOMPARE(h.Find<QListWidget>("File1")->count(), 1);

    h.Action("mnuLang_franc\u00e9s")->trigger();
    QCOMPARE(w.LanguageBase(), kFrenchBase);
    QCOMPARE(units->currentIndex(), 1);
    QCOMPARE(units->itemText(1), Text(107, kFrenchBase));
    QCOMPARE(filter->currentIndex(), 0);
    QCOMPARE(filter->itemText(1), Text(96, kFrenchBase));
    QCOMPARE(h.Find<QListWidget>("File1")->count(), 2);
    QCOMPARE(h.Label("Label2"), QStringLiteral("2"));
    QCOMPARE(h.Panel(5), Text(66, kFrenchBase));

    h.Action("mnuLang_alem\u00e1n")->trigger();
    Choose(units, 0);
    QCOMPARE(w.Job().IntervalUnit, std::string(kUnitDays));

    // The greyed entries have no language behind them.
    const char* const all[7] = {"mnuLang_ingl\u00e9s", "mnuLang_espa\u00f1ol",
                                "mnuLang_alem\u00e1n", "mnuLang_franc\u00e9s",
                                "mnuLang_italiano",    "mnuLang_portugu\u00e9s",
                                "mnuLang_catal\u00e1n"};
    for (int entry = 0; entry < 7; ++entry) {
      QCOMPARE(h.Action(all[entry])->isEnabled(), entry < 4);
      QCOMPARE(h.Action(all[entry])->isChecked(), entry == 2);
    }
    w.Form_Unload();
    QCOMPARE(h.settings.Get("Language", "Language", ""), std::string("328"));
  }
};

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
