// The computer's power around a run: kept awake while a run copies, powered off only
// after a successful one, and the copy asked for when the session is about to end.
#include <QSignalSpy>

#include "tests/ui/form2_harness.hpp"

using namespace orvessa;
using namespace orvessa::testing;

namespace {

// The run harness with its events and the armed state in one list, in order.
struct PowerHarness : RunHarness {
  PowerHarness() {
    QObject::connect(window.get(), &Form2::AtShutdownArmedChanged, window.get(),
                     [this](bool armed) { power.events.push_back(armed ? "armed" : "disarmed"); });
  }
  // Every N with the copy at shutdown, as a user sets it.
  void Arm() {
    Click(Find<QRadioButton>("OptCada"));
    Click(Find<QCheckBox>("chkApaga"));
    QTRY_VERIFY(window->AtShutdownArmed() && power.events == Strings{"armed"});
  }
  using Strings = std::vector<std::string>;
};

}  // namespace

class Form2ShutdownTest : public WindowTestCase {
  Q_OBJECT
 private slots:
  void aRunHoldsTheSleepLockExactlyWhileItLasts() {
    RunHarness h;
    int held_during = -1;
    h.RunWhile([&] { held_during = h.inhibitor.held; });
    QVERIFY(h.seen_running && held_during == 1 && h.inhibitor.held == 0);
    QCOMPARE(h.inhibitor.requests.size(), std::size_t{1});
    const InhibitRequest& asked = h.inhibitor.requests.front();
    QCOMPARE(asked.what + "|" + asked.who + "|" + asked.why + "|" + asked.mode,
             std::string("sleep:idle|Orvessa|Backup in progress|block"));
    QCOMPARE(ReadText(h.dest / "one.txt"), std::string("one"));

    // Stopped, refused at its checks, or without any lock to be had: nothing stays held
    // and the run is not held up.
    h.RunWhile([&] { Click(h.Find<QPushButton>("cmdDetener")); });
    QCOMPARE(h.Panel(5), Text(text_id::kStopped));
    std::filesystem::remove_all(h.dest.path());
    h.RunToEnd();
    QCOMPARE(h.inhibitor.requests.size(), std::size_t{3});
    QCOMPARE(h.inhibitor.held, 0);
    // A destination found missing is dropped from the job; the user picks it again.
    std::filesystem::create_directories(h.dest.path());
    h.Pick(h.dest.path().string(), "cmdDestino");
    h.inhibitor.refuse = true;
    h.RunToEnd();
    QCOMPARE(h.Panel(5), Text(text_id::kSuccessful));
  }

  void powerOffAfterACopyOnlyWhenItSucceeded() {
    PowerHarness h;
    Click(h.Find<QCheckBox>("chkShutDown"));
    std::filesystem::remove_all(h.dest.path());
    h.RunToEnd();
    // The failure stays on the screen and the computer stays on.
    QVERIFY(h.power.events.empty());
    QVERIFY(!h.window->Unloaded() && h.window->isVisible());
    QVERIFY(h.Label("Label8").startsWith(Text(text_id::kBackupError)));
    QVERIFY(h.Find<QCheckBox>("chkShutDown")->isChecked());

    std::filesystem::create_directories(h.dest.path());
    h.Pick(h.dest.path().string(), "cmdDestino");
    h.RunToEnd();
    QCOMPARE(h.power.events, (PowerHarness::Strings{"privilege", "exit 12"}));
    QVERIFY(h.window->Unloaded());
    QCOMPARE(ReadText(h.dest / "docs/b.txt"), std::string("beta"));
  }

  void atShutdownIsOfferedOnlyWhereTheSessionAnnouncesItsEnd() {
    Harness h({}, [](Harness& before) { before.settings.Save("Language", "ShutDown", "none"); });
    auto* box = h.Find<QCheckBox>("chkApaga");
    Click(h.Find<QRadioButton>("OptCada"));
    QVERIFY(!box->isEnabled() && h.Find<QCheckBox>("chkHoraGraba")->isEnabled());
    h.Action("mnuLang_alem\u00e1n")->trigger();
    QCOMPARE(box->toolTip(), Text(text_id::kNoShutdownChannel, kGermanBase));
    // Learned later on a first start: offered from then on, with nothing to explain.
    h.window->SetShutdownChannel("xsmp");
    QVERIFY(box->isEnabled() && box->toolTip().isEmpty());
    Click(box);
    QVERIFY(box->isChecked() && h.window->AtShutdownArmed());
    Click(h.Find<QRadioButton>("optManual"));
    h.window->SetShutdownChannel("none");
    Click(h.Find<QRadioButton>("OptCada"));
    QVERIFY(!box->isEnabled() && !h.window->AtShutdownArmed());
  }

  void armedOnlyInTheAtShutdownSchedule() {
    PowerHarness h;
    h.window->SessionEndRequested();
    QVERIFY(Dialogs::ShownMessages().empty());
    h.Arm();
    // Back to the timed schedule: disarmed. Manual and back to every-N never arms again.
    Click(h.Find<QCheckBox>("chkHoraGraba"));
    QTRY_COMPARE(h.power.events, (PowerHarness::Strings{"armed", "disarmed"}));
    Click(h.Find<QRadioButton>("optManual"));
    Click(h.Find<QRadioButton>("OptCada"));
    QTest::qWait(50);
    QCOMPARE(h.power.events.size(), std::size_t{2});
    h.window->SessionEndRequested();
    QVERIFY(Dialogs::ShownMessages().empty());
  }

  void cancelEndsTheProgramWithoutCopyOrPowerOff() {
    PowerHarness h;
    h.Arm();
    Dialogs::setNextAnswer(QMessageBox::Cancel);
    h.window->SessionEndRequested();
    QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
    const Dialogs::Shown& asked = Dialogs::ShownMessages().front();
    QCOMPARE(asked.text, Text(text_id::kBackupThenShutdown));
    QCOMPARE(asked.title, Text(text_id::kMainTitle));
    QVERIFY(h.window->Unloaded());
    QVERIFY(!Exists(h.dest / "one.txt"));
    QCOMPARE(h.power.events, (PowerHarness::Strings{"armed", "disarmed"}));
  }

  void okCopiesThenPowersOffOnceDisarmed() {
    PowerHarness h;
    h.window->hide();
    h.Arm();
    bool shown_during = false;
    int held_during = -1;
    h.time.Close();
    Dialogs::setNextAnswer(QMessageBox::Ok);
    h.window->SessionEndRequested();
    QTRY_VERIFY(h.time.Waits() > 0);
    shown_during = h.window->isVisible() && h.window->RunInProgress();
    held_during = h.inhibitor.held;
    // A second request meanwhile is called off by the channels and asks nothing more.
    h.window->SessionEndRequested();
    h.time.Open();
    // The run, the pause that shows how it ended, then the power-off.
    QTRY_VERIFY_WITH_TIMEOUT(h.window->Unloaded(), 15000);
    QVERIFY(shown_during && held_during == 1);
    QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
    QCOMPARE(ReadText(h.dest / "docs/a.txt"), std::string("alpha"));
    // The copy first, then the shutdown lock goes, then the power-off.
    QCOMPARE(h.power.events, (PowerHarness::Strings{"armed", "privilege", "disarmed", "exit 12"}));
    QVERIFY(h.window->Unloaded() && !h.window->isVisible());
    QCOMPARE(h.inhibitor.held, 0);
  }

  void aFailedCopyAtShutdownLeavesTheComputerOnShowingWhy() {
    PowerHarness h;
    h.Arm();
    std::filesystem::remove_all(h.dest.path());
    Dialogs::setNextAnswer(QMessageBox::Ok);
    h.window->SessionEndRequested();
    h.WaitForRunEnd();
    QTest::qWait(3 * kAfterRunPause.count());  // past the pause, when the power-off would come
    QCOMPARE(h.power.events, PowerHarness::Strings{"armed"});
    QVERIFY(!h.window->Unloaded() && h.window->isVisible());
    QCOMPARE(h.Panel(5), Text(text_id::kError));
    QVERIFY(h.Label("Label8").startsWith(Text(text_id::kBackupError)));
    QVERIFY(!Dialogs::ShownMessages().back().modal);  // the user had walked away
    // Still armed: the next request is asked about again.
    QVERIFY(h.window->AtShutdownArmed());
    Dialogs::setNextAnswer(QMessageBox::Cancel);
    h.window->SessionEndRequested();
    QVERIFY(h.window->Unloaded());
    QCOMPARE(h.power.events, (PowerHarness::Strings{"armed", "disarmed"}));
  }

  void aRequestDuringARunByHandIsAskedOnceItEnds() {
    PowerHarness h;
    h.Arm();
    Dialogs::setNextAnswer(QMessageBox::Cancel);
    h.RunWhile([&] {
      h.window->SessionEndRequested();
      QVERIFY(Dialogs::ShownMessages().empty());
    });
    QVERIFY(h.seen_running);
    QCOMPARE(ReadText(h.dest / "one.txt"), std::string("one"));
    QTRY_VERIFY(h.window->Unloaded());
    QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
    QVERIFY(std::find(h.power.events.begin(), h.power.events.end(), "exit 12") ==
            h.power.events.end());
  }
};

QTEST_MAIN(Form2ShutdownTest)
#include "form2_shutdown_test.moc"
