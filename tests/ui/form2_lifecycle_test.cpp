// The window's life around the tray: the last job restored at start, going to the tray or
// staying in the task bar, restoring, the splash, the first start and the orderly end.
#include <QElapsedTimer>
#include <QSignalSpy>

#include "core/job_file_writer.hpp"
#include "core/run_records.hpp"
#include "tests/ui/form2_harness.hpp"
#include "ui/first_run.hpp"
#include "ui/form1.hpp"
#include "ui/tray.hpp"
#include "ui/tray_wait.hpp"

using namespace orvessa;
using namespace orvessa::testing;
using namespace orvessa::text_id;

namespace {

// The job a successful run left behind: its file and the record naming it.
void LeaveLastJob(Harness& h, const std::string& name, BackupJob job) {
  const std::string path = h.program + "/" + name;
  std::filesystem::create_directories(h.program);
  QVERIFY(SaveJob(h.fs, path, job, h.clock, h.locale));
  QVERIFY(WriteLastCopyRecord(h.fs, h.program, name));
}

std::string Stored(const MemorySettings& settings, const std::string& key) {
  return settings.Get("Language", key, "(none)");
}

class FakeProbe : public SessionProbe {
 public:
  bool xsmp = false;
  std::vector<std::string> session_names, system_names;
  bool XsmpConnected() const override { return xsmp; }
  bool SessionBusHasOwner(const std::string& name) const override {
    return std::find(session_names.begin(), session_names.end(), name) != session_names.end();
  }
  bool SystemBusHasOwner(const std::string& name) const override {
    return std::find(system_names.begin(), system_names.end(), name) != system_names.end();
  }
};

}  // namespace

class Form2LifecycleTest : public WindowTestCase {
  Q_OBJECT
 private slots:
  void startsWithNothingToRestore() {
    // No record yet, or a record naming a job file that is gone.
    for (bool record : {false, true}) {
      Harness h({}, [&](Harness& h) {
        if (record) QVERIFY(WriteLastCopyRecord(h.fs, h.program, "gone.cop"));
      });
      QCOMPARE(h.Label("Label19"), QStringLiteral("0 KB"));
      QVERIFY(h.Panel(2).isEmpty() && h.Label("Label5").isEmpty());
      QVERIFY(Dialogs::ShownMessages().empty());
    }
  }

  void restoresTheLastJobWithTheRestoreRules() {
    // Also under a name the job file's code page cannot hold.
    for (const std::string name : {"weekly.cop", "\u0416\u0443\u0440\u043d\u0430\u043b.cop"}) {
      Harness h({{"a.txt", std::string(3000, 'a')}}, [&](Harness& h) {
        BackupJob job;
        job.Destination = "/backups";
        job.CopyMode = true;
        job.CopiesToKeep = 0;
        job.ManualOnly = true;
        job.EveryN = true;
        job.IntervalCount = 3;
        job.IntervalUnit = std::string(kUnitWeeks);
        job.Sources = {*SourceEntry::ForFile(h.start + "/a.txt")};
        LeaveLastJob(h, name, job);
      });
      QCOMPARE(h.Panel(2), Q(name));
      QCOMPARE(h.Label("Label5"), QStringLiteral("/backups"));
      // Every-N together with manual comes back as manual only, and 0 copies as 1.
      QVERIFY(h.Find<QRadioButton>("optManual")->isChecked());
      QCOMPARE(h.window->TimerMode(), ScheduleTimer::Off);
      QCOMPARE(h.Find<QLineEdit>("txtNcopias")->text(), QStringLiteral("1"));
      QVERIFY(h.Find<QRadioButton>("optIncremental")->isChecked());
      QCOMPARE(h.Label("Label19"), QStringLiteral("3 KB"));
      // The next successful run saves the job under the same name.
      QCOMPARE(h.window->Identity().JobFileName, name);
    }
  }

  void goesToTheTrayOnlyWhenThereIsOne() {
    for (bool tray : {true, false}) {
      Harness h;
      h.window->SetTrayQuery([tray] { return tray; });
      h.window->Form_Activate();
      QTest::qWait(50);
      QVERIFY(h.window->isVisible() != tray && h.window->isMinimized() != tray);
      QCOMPARE(h.window->InTray(), tray);
    }
  }

  void minimisingHidesIntoATrayAndRestoringBringsItBack() {
    bool tray = false;
    Harness h;
    h.window->SetTrayQuery([&tray] { return tray; });
    h.window->OtherFormActivated();
    h.window->showMinimized();
    QTest::qWait(50);
    QVERIFY(h.window->isVisible() && !h.window->InTray());
    // A tray turns up: the minimised window goes into it, and back when the tray goes.
    tray = true;
    h.window->TrayChanged(true);
    QVERIFY(!h.window->isVisible() && h.window->InTray());
    tray = false;
    h.window->TrayChanged(false);
    QVERIFY(h.window->isVisible() && h.window->isMinimized());
    // Restoring keeps the page; minimised with a tray it hides again.
    tray = true;
    h.Find<QTabWidget>("SSTab1")->setCurrentIndex(2);
    h.Action("mnupopRestaurar")->trigger();
    QVERIFY(h.window->isVisible() && !h.window->isMinimized() && !h.window->InTray());
    QCOMPARE(h.Find<QTabWidget>("SSTab1")->currentIndex(), 2);
    h.window->OtherFormActivated();
    h.window->showMinimized();
    QTest::qWait(50);
    QVERIFY(!h.window->isVisible() && !h.window->StayVisibleWhenActive());
    // Coming back from another window of the program shows the first page and stays up.
    h.window->mnupopRestaurar_Click();
    h.window->OtherFormActivated();
    h.window->Form_Activate();
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.Find<QTabWidget>("SSTab1")->currentIndex(), 0);
  }

  void trayTipKeepsTheLanguageOfItsAddAndGoesAtTheEnd() {
    Harness h;
    TrayIcon tray(QIcon(), h.window->TrayMenu());
    QObject::connect(h.window.get(), &Form2::TrayIconWanted, &tray, &TrayIcon::Add);
    QObject::connect(h.window.get(), &Form2::Unloading, &tray, &TrayIcon::Remove);
    h.window->SetTrayQuery([] { return true; });
    h.window->Form_Activate();
    QVERIFY(tray.Added());
    QCOMPARE(tray.Tip(), Text(kTrayTip));
    h.Action("mnuLang_alem\u00e1n")->trigger();
    QCOMPARE(h.Action("mnupopRestaurar")->text(), Text(kTrayRestore, kGermanBase));
    QCOMPARE(h.Action("mnupopSalir")->text(), Text(kTrayExit, kGermanBase));
    h.window->OtherFormActivated();
    h.window->Form_Activate();
    QCOMPARE(tray.Tip(), Text(kTrayTip));
    // Exit from the tray: the icon goes and the language is kept.
    h.Action("mnupopSalir")->trigger();
    QVERIFY(h.window->Unloaded());
    QVERIFY(!tray.Added());
    QCOMPARE(Stored(h.settings, "Language"), std::string("328"));
  }

  void onlyTheExitCommandsPowerOff() {
    // The tray's Exit is an exit by code; a signal ends like the close box.
    for (bool by_signal : {false, true}) {
      Harness h;
      Click(h.Find<QCheckBox>("chkShutDown"));
      QVERIFY(h.window->PowerOffAfterCopy());
      if (by_signal) {
        h.window->EndBySignal();
      } else {
        h.window->mnupopSalir_Click();
      }
      QVERIFY(h.window->Unloaded());
      QCOMPARE(h.window->PowerOffRequested(), !by_signal);
      QCOMPARE(h.Find<QCheckBox>("chkShutDown")->isChecked(), !by_signal);
      QCOMPARE(Stored(h.settings, "Language"), std::string("214"));
    }
  }

  // Which channel wins is the probe's own test; here what it found is stored once.
  void firstStartLearnsTheShutdownChannelOnce() {
    MemorySettings settings;
    FakeProbe probe;
    probe.session_names = {"org.gnome.SessionManager"};
    probe.system_names = {"org.freedesktop.login1"};
    QVERIFY(LearnShutdownChannel(nullptr, settings, probe, kGermanBase));
    QCOMPARE(Stored(settings, "ShutDown"), std::string("gnome-session"));
    QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
    QCOMPARE(Dialogs::ShownMessages().back().text, Text(kWelcome, kGermanBase));
    // The next start neither asks again nor shows the message.
    probe.xsmp = true;
    QVERIFY(!LearnShutdownChannel(nullptr, settings, probe, kGermanBase));
    QCOMPARE(Stored(settings, "ShutDown"), std::string("gnome-session"));
    QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
  }

  void splashShowsItsTextsForItsTime() {
    Form1 splash(QString(), kFrenchBase);
    splash.Form_Load();
    QCOMPARE(splash.windowTitle(), Text(kSplashTitle, kFrenchBase));
    QCOMPARE(splash.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
             Text(kSplashHint, kFrenchBase));
    QSignalSpy shown(&splash, &Form1::MinimumShown);
    QElapsedTimer clock;
    clock.start();
    splash.ShowFor(std::chrono::milliseconds(300));
    QVERIFY(splash.isVisible());
    QVERIFY(shown.wait(2000));
    QVERIFY(clock.elapsed() >= 300);
    QCOMPARE(shown.size(), 1);
  }

  void trayWaitEndsWhenATrayComesOrTheTimeIsUp() {
    bool present = false;
    TrayWait wait([&present] { return present; });
    QSignalSpy finished(&wait, &TrayWait::Finished);
    QElapsedTimer clock;
    clock.start();
    wait.Start(std::chrono::milliseconds(5000));
    QTimer::singleShot(300, [&present] { present = true; });
    QVERIFY(finished.wait(2000));
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(finished.takeFirst().at(0).toBool(), true);

    present = false;
    clock.restart();
    wait.Start(std::chrono::milliseconds(400));
    QVERIFY(finished.wait(2000));
    QVERIFY(clock.elapsed() >= 400);
    QCOMPARE(finished.takeFirst().at(0).toBool(), false);
    QVERIFY(wait.Done());
  }
};

QTEST_MAIN(Form2LifecycleTest)
#include "form2_lifecycle_test.moc"
