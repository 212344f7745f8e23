// The copy tab's schedule and number boxes, the job files and the languages, driven
// through the window's controls.
#include <cerrno>
#include <cstring>
#include <optional>

#include "tests/ui/form2_harness.hpp"

using namespace orvessa;
using namespace orvessa::testing;

namespace {

const PrivateHome private_home;

// A job file as a user might have edited it by hand.
std::string JobText(bool manual, bool every, bool at_shutdown,
                    const std::vector<std::string>& entries, int outcome = 0) {
  std::string text = "10:20:30\r\n01/02/2025\r\n/backups\r\nFalso\r\nFalso\r\n 3 \r\n";
  for (bool flag : {manual, every, at_shutdown}) text += flag ? "Verdadero\r\n" : "Falso\r\n";
  text += " 4 \r\nMeses\r\n 7 \r\n 45 \r\n 0 \r\n " + std::to_string(outcome) + " \r\n " +
          std::to_string(entries.size()) + " \r\n";
  for (const std::string& entry : entries) text += entry + "\r\n";
  return text + "\r\n";
}

QString Problem(const std::string& path, int errnum) {
  return Q(path) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errnum));
}

bool TimeBoxesEnabled(const Form2& w, bool enabled) {
  for (const QWidget* box :
       std::initializer_list<const QWidget*>{w.txtHora, w.txtMinutos, w.updHora, w.updMinuto}) {
    if (box->isEnabled() != enabled) return false;
  }
  return true;
}

void CheckAtShutdown(const Form2& w) {
  QVERIFY(w.chkApaga->isChecked() && !w.chkHoraGraba->isChecked() && w.Job().CopyAtShutdown);
  QVERIFY(TimeBoxesEnabled(w, false));
  QVERIFY(!w.chkShutDown->isChecked() && !w.PowerOffAfterCopy());
  QVERIFY(w.TimerMode() == ScheduleTimer::AtShutdown && w.Timer1->interval() == 1000);
}

void CheckTimed(const Form2& w) {
  QVERIFY(!w.chkApaga->isChecked() && w.chkHoraGraba->isChecked() && !w.Job().CopyAtShutdown);
  QVERIFY(TimeBoxesEnabled(w, true));
  QVERIFY(w.Timer1->isActive() && w.Timer1->interval() == 50000);
}

}  // namespace

class Form2Test : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { Dialogs::TestMode(true); }
  void init() { Dialogs::ClearShown(); }

  void scheduleBoxesWorkAsAPair() {
    Harness h;
    Form2& w = *h.window;
    QVERIFY(w.TimerMode() == ScheduleTimer::Off);
    Click(w.chkShutDown);
    QVERIFY(w.PowerOffAfterCopy());
    // Ticking the timed box from code passes through the at-shutdown state.
    Click(w.OptCada);
    QVERIFY(w.OptCada->isChecked() && !w.optManual->isChecked());
    QCOMPARE(w.txtNumDSM->text(), QStringLiteral("0"));
    QVERIFY(!w.chkShutDown->isChecked() && !w.PowerOffAfterCopy());
    CheckTimed(w);

    Click(w.chkShutDown);
    Click(w.chkApaga);
    CheckAtShutdown(w);
    Click(w.chkShutDown);
    CheckAtShutdown(w);
    Click(w.chkApaga);
    CheckTimed(w);
    Click(w.chkShutDown);
    Click(w.chkHoraGraba);
    CheckAtShutdown(w);
    Click(w.chkHoraGraba);
    CheckTimed(w);
  }

  void manualKeepsTheEveryNSettings() {
    Harness h;
    Form2& w = *h.window;
    Click(w.OptCada);
    Type(w.txtNumDSM, QStringLiteral("7"));
    QCOMPARE(w.Job().IntervalCount, 0);
    Click(w.updDSM->UpButton());
    QCOMPARE(w.Job().IntervalCount, 8);
    Choose(w.cboDSM, 1);
    QCOMPARE(w.Job().IntervalUnit, std::string("Semanas"));
    Click(w.updHora->UpButton());

    Click(w.optManual);
    QVERIFY(w.optManual->isChecked() && !w.OptCada->isChecked() && !w.Timer1->isActive());
    QVERIFY(w.Job().ManualOnly && !w.Job().EveryN && !w.Job().CopyAtShutdown);
    for (QWidget* box : std::initializer_list<QWidget*>{w.txtNumDSM, w.cboDSM, w.chkHoraGraba,
                                                        w.txtHora, w.txtMinutos, w.chkApaga}) {
      QVERIFY2(!box->isEnabled(), qPrintable(box->objectName()));
    }
    QCOMPARE(w.txtNumDSM->text(), QStringLiteral("8"));
    QCOMPARE(w.cboDSM->currentIndex(), 1);
    QCOMPARE(w.txtHora->text(), QStringLiteral("1"));
    QVERIFY(w.chkHoraGraba->isChecked() && !w.chkApaga->isChecked());
  }

  void numberBoxesWrapStopAndBound() {
    Harness h;
    Form2& w = *h.window;
    Click(w.updNC->DownButton());  // counts from the box's first "2", not from nothing
    QCOMPARE(w.txtNcopias->text(), QStringLiteral("1"));
    Click(w.OptCada);
    const BackupJob& job = w.Job();
    struct Case {
      QLineEdit* box;
      QToolButton* button;  // none: typing alone
      const char* typed;
      const char* shown;
      std::optional<int> field;
    };
    const Case cases[] = {
        {w.txtHora, w.updHora->DownButton(), "0", "23", 23},
        {w.txtHora, w.updHora->UpButton(), "23", "00", 0},
        {w.txtMinutos, w.updMinuto->UpButton(), "59", "0", 0},
        {w.txtMinutos, w.updMinuto->DownButton(), "1", "00", 0},
        {w.txtNumDSM, w.updDSM->DownButton(), "1", "1", {}},
        {w.txtNumDSM, w.updDSM->UpButton(), "99", "99", {}},
        {w.txtNumDSM, w.updDSM->UpButton(), "150", "151", 151},
        {w.txtNcopias, w.updNC->DownButton(), "1", "0", 0},
        {w.txtNcopias, w.updNC->DownButton(), "0", "0", 0},
        {w.txtNcopias, w.updNC->UpButton(), "99", "99", 99},
        {w.txtNcopias, nullptr, "99999", "99999", 32767},
        {w.txtNcopias, w.updNC->UpButton(), "99999", "32767", 32767},
        {w.txtNcopias, nullptr, "2.5", "2.5", 2},
        {w.txtNcopias, nullptr, "3.5", "3.5", 4},
        {w.txtNcopias, nullptr, "x3", "x3", 0},
    };
    for (const Case& c : cases) {
      const QByteArray name = c.box->objectName().toUtf8() + ' ' + c.typed;
      Type(c.box, QString::fromLatin1(c.typed));
      if (c.button) Click(c.button);
      QCOMPARE(c.box->text(), QString::fromLatin1(c.shown));
      const int field = c.box == w.txtHora      ? job.CopyHour
                        : c.box == w.txtMinutos ? job.CopyMinute
                        : c.box == w.txtNumDSM  ? job.IntervalCount
                                                : job.CopiesToKeep;
      if (c.field) QVERIFY2(field == *c.field, name.constData());
    }
  }

  void saveWritesTheJobFile() {
    Harness h({{"a.txt", std::string(1500, 'a')}});
    Form2& w = *h.window;
    const TempFolder dest;
    ClickRow(w.File1, QStringLiteral("a.txt"));
    Click(w.cmdAnadirFich);
    Dialogs::setNextFileName(Q(dest.path().string()));
    Click(w.cmdDestino);
    Click(w.optIncremental);
    Type(w.txtNcopias, QStringLiteral("5"));
    Click(w.OptCada);
    for (int i = 0; i < 3; ++i) Click(w.updDSM->UpButton());
    Choose(w.cboDSM, 0);
    Click(w.updHora->DownButton());
    Click(w.updMinuto->DownButton());

    const std::string path = h.temp / "job.cop";
    Dialogs::setNextFileName(Q(path));
    Click(w.cmdGuardar);
    QCOMPARE(Dialogs::AskedFilters().back(),
             QStringLiteral("Ficheros Orvessa (*.cop);;Todos los ficheros (*)"));
    QCOMPARE(Dialogs::AskedFolders().back(), Q(h.program));
    QCOMPARE(w.StatusPanel(2), std::string("job.cop"));
    QVERIFY(Dialogs::ShownMessages().empty());
    QCOMPARE(ReadText(path), "13:05:09\r\n06/12/2026\r\n" + dest.path().string() +
                                 "\r\nFalso\r\nVerdadero\r\n 5 \r\nFalso\r\nVerdadero\r\nFalso\r\n"
                                 " 3 \r\nD\xED" /* Windows-1252 */
                                 "as\r\n 23 \r\n 59 \r\n"
                                 " 1500 \r\n 0 \r\n 1 \r\n" +
                                 h.start + "/a.txt\r\n\r\n");

    // Nothing was written, so the job keeps its name.
    const std::string bad = h.temp / "missing/job2.cop";
    Dialogs::setNextFileName(Q(bad));
    Click(w.cmdGuardar);
    QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
    QVERIFY(LastMessageIs(Problem(bad, ENOENT), MessageIcon::Critical));
    QCOMPARE(w.StatusPanel(2), std::string("job.cop"));
    QCOMPARE(w.Identity().JobFilePath, path);
  }

  void openReplacesTheJob() {
    Harness h(
        {{"old.txt", "old"}, {"f.txt", std::string(1500, 'f')}, {"d/g", std::string(2200, 'g')}});
    Form2& w = *h.window;
    ClickRow(w.File1, QStringLiteral("old.txt"));
    Click(w.cmdAnadirFich);
    QVERIFY(w.StatusPanel(5).empty());

    const std::string file = h.start + "/f.txt", folder = h.start + "/d/*";
    const std::string path = h.temp / "both.cop", manual = h.temp / "manual.cop";
    WriteText(path, JobText(true, true, false, {file, folder}));
    WriteText(manual, JobText(true, false, true, {}));
    Dialogs::setNextFileName(Q(path));
    w.mnuAbreTrab->trigger();
    QCOMPARE(Dialogs::AskedFilters().back(), QStringLiteral("Orvessa (*.cop);;(*)"));
    QCOMPARE(Dialogs::AskedFolders().back(), Q(h.program));
    QCOMPARE(w.StatusPanel(2), std::string("both.cop"));
    QCOMPARE(w.StatusPanel(4), std::string("01/02/2025  10:20:30 "));
    QCOMPARE(Q(w.StatusPanel(5)), Text(65));
    QCOMPARE(w.Label5->text(), QStringLiteral("/backups"));
    QVERIFY(w.OptCada->isChecked() && !w.optManual->isChecked());
    CheckTimed(w);
    QCOMPARE(w.txtNumDSM->text(), QStringLiteral("4"));
    QCOMPARE(w.cboDSM->currentIndex(), 2);
    QCOMPARE(w.txtMinutos->text(), QStringLiteral("45"));
    QCOMPARE(Lines(w.List1), QStringList({Q(file), Q(folder)}));
    QCOMPARE(w.Label9->text(), QStringLiteral("4 KB"));
    QCOMPARE(w.Label19->text(), QStringLiteral("4 KB"));

    // Line 9 counts only without the manual option.
    Click(w.chkApaga);
    Dialogs::setNextFileName(Q(manual));
    w.mnuAbreTrab->trigger();
    QVERIFY(w.chkHoraGraba->isChecked() && !w.chkApaga->isChecked() && !w.Job().CopyAtShutdown);
    QVERIFY(w.optManual->isChecked() && w.TimerMode() == ScheduleTimer::Off);
    QCOMPARE(w.List1->count(), 0);
    QCOMPARE(w.Label9->text(), QStringLiteral("0 KB"));

    // Manual wins at start-up.
    Harness other;
    Form2& o = *other.window;
    o.LoadJob(path, true);
    QVERIFY(o.optManual->isChecked() && !o.OptCada->isChecked());
    QVERIFY(o.TimerMode() == ScheduleTimer::Off);
    QCOMPARE(o.List1->count(), 2);
    // The power-off box belongs to the session, not to the job.
    Click(o.chkShutDown);
    Dialogs::setNextFileName(Q(manual));
    o.mnuAbreTrab->trigger();
    QVERIFY(o.chkShutDown->isChecked() && o.PowerOffAfterCopy());
  }

  void openOfAnUnreadableFileChangesNothing() {
    Harness h({{"old.txt", "old"}});
    Form2& w = *h.window;
    ClickRow(w.File1, QStringLiteral("old.txt"));
    Click(w.cmdAnadirFich);
    const std::pair<std::string, int> cases[] = {{h.temp / "gone.cop", ENOENT}, {h.start, EISDIR}};
    for (const auto& [path, errnum] : cases) {
      Dialogs::ClearShown();
      Dialogs::setNextFileName(Q(path));
      w.mnuAbreTrab->trigger();
      QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
      QVERIFY(LastMessageIs(Problem(path, errnum), MessageIcon::Critical));
      QCOMPARE(w.List1->count(), 1);
      QVERIFY(w.StatusPanel(2).empty() && w.optManual->isChecked());
    }
  }

  void languageSwitchKeepsTheJobShown() {
    Harness h({{"a.txt", "a"}, {"b.xls", "b"}});
    Form2& w = *h.window;
    const auto help = [&w] { return Q(w.HelpFile()); };
    QVERIFY(w.mnuLang[0]->isChecked() && !w.mnuLang[1]->isChecked());
    QVERIFY(help().endsWith(QStringLiteral("/ayuda_eng.html")));
    const std::string path = h.temp / "failed.cop";
    WriteText(path, JobText(false, true, false, {}, 1));
    Dialogs::setNextFileName(Q(path));
    w.mnuAbreTrab->trigger();
    QCOMPARE(Q(w.StatusPanel(5)), Text(66));
    Choose(w.cboDSM, 1);
    Choose(w.Filtro, 3);
    QCOMPARE(w.File1->count(), 1);

    w.mnuLang[3]->trigger();
    QCOMPARE(w.LanguageBase(), kFrenchBase);
    QCOMPARE(w.cmdCopiar->text(), Text(62, kFrenchBase));
    QCOMPARE(w.SSTab1->tabText(2), Text(43, kFrenchBase));
    QVERIFY(help().endsWith(QStringLiteral("/ayuda_eng.html")));
    QCOMPARE(w.cboDSM->currentIndex(), 1);
    QCOMPARE(w.cboDSM->itemText(1), Text(107, kFrenchBase));
    QCOMPARE(w.Filtro->currentIndex(), 0);
    QCOMPARE(w.File1->count(), 2);
    QCOMPARE(w.Label2->text(), QStringLiteral("2"));
    QCOMPARE(Q(w.StatusPanel(5)), Text(66, kFrenchBase));

    w.mnuLang[2]->trigger();
    QVERIFY(help().endsWith(QStringLiteral("/ayuda_dutch.html")));
    Choose(w.cboDSM, 0);
    QCOMPARE(w.Job().IntervalUnit, std::string(kUnitDays));

    // The greyed entries have no language behind them.
    for (std::size_t entry = 4; entry < 7; ++entry) {
      QVERIFY(!w.mnuLang[entry]->isEnabled());
      w.SelectLanguage(static_cast<int>(entry));
      for (std::size_t other = 0; other < 7; ++other) {
        QCOMPARE(w.mnuLang[other]->isChecked(), other == entry);
      }
      QCOMPARE(w.LanguageBase(), kGermanBase);
      QCOMPARE(w.cmdCopiar->text(), Text(62, kGermanBase));
      QVERIFY(help().endsWith(QStringLiteral("/ayuda_dutch.html")));
    }
    w.Form_Unload();
    QCOMPARE(h.settings.Get("Language", "Language", ""), std::string("328"));
  }
};

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
