// Automatic runs in the window: the tick that starts one, the catch-up after a wake-up, the
// schedule's state on the copy tab and the notice at the end of an automatic run only.
#include <QTimer>

#include "tests/ui/form2_harness.hpp"
#include "ui/restore_window.hpp"

using namespace orvessa;
using namespace orvessa::testing;

namespace {

// A job of one file into a fresh destination, saved, every day at the given time.
struct ScheduleHarness : Harness {
  ScheduleHarness(const char* hour, const char* minute) : Harness({{"one.txt", "one"}}) {
    AddFile(QStringLiteral("one.txt"));
    Pick(dest.path().string(), "cmdDestino");
    Pick(program + "/job.cop", "cmdGuardar");
    Click(Find<QRadioButton>("OptCada"));  // every 0 days, as the new job holds
    Click(Arrow("updDSM", "up"));
    Choose(Find<QComboBox>("cboDSM"), 0);
    Type(Find<QLineEdit>("txtHora"), QString::fromLatin1(hour));
    Type(Find<QLineEdit>("txtMinutos"), QString::fromLatin1(minute));
    notifier.on_notice = [this] { schedule_at_notice = Label("lblSchedule"); };
  }
  QString Schedule() {
    QCoreApplication::processEvents();
    return Label("lblSchedule");
  }

  TempFolder dest;
  QString schedule_at_notice;
};

QString Next(const char* when) { return Text(text_id::kScheduleNext) + u' ' + QLatin1String(when); }

}  // namespace

class Form2ScheduleTest : public WindowTestCase {
  Q_OBJECT
 private slots:
  void theTickStartsOneRunAtTheTimeOfCopyAndAnnouncesIt() {
    ScheduleHarness h("13", "6");
    auto* timer = h.Find<QTimer>("Timer1");
    QVERIFY(timer->isActive());
    QCOMPARE(h.Schedule(), Next("06/12/2026 13:06"));
    timer->setInterval(20);  // ticks come quickly; the clock alone says when it is time
    QTest::qWait(300);
    QVERIFY(h.notifier.notices.empty());
    QVERIFY(!std::filesystem::exists(h.dest / "one.txt"));

    h.clock.Set({{2026, 12, 6}, {13, 6, 0}});
    QTRY_COMPARE_WITH_TIMEOUT(h.notifier.notices.size(), std::size_t{1}, 5000);
    QCOMPARE(ReadText(h.dest / "one.txt"), std::string("one"));
    const Notice& notice = h.notifier.notices.front();
    QCOMPARE(Q(notice.summary), Text(text_id::kFinishedBackup));
    QVERIFY2(Q(notice.body).startsWith(Text(text_id::kFiles) + QStringLiteral(": 1, ")),
             notice.body.c_str());
    QVERIFY(Q(notice.body).contains(Q(h.dest.path().string())));
    // The pause, then the timer again: still the same minute, and nothing more starts.
    QTRY_VERIFY_WITH_TIMEOUT(timer->isActive(), 15000);
    QTest::qWait(300);
    QCOMPARE(h.notifier.notices.size(), std::size_t{1});
    QCOMPARE(h.Schedule(), Next("07/12/2026 13:06"));
    // Back out of the way once it succeeded (no tray here: minimised in the task bar).
    QVERIFY(h.window->isMinimized());
    // Its Restore button opens the copies of the job.
    QVERIFY(!h.window->RestoreBox());
    h.notifier.notices.front().other_clicked();
    QVERIFY(h.window->RestoreBox() && h.window->RestoreBox()->isVisible());
  }

  void aWakeUpAfterTheTimeOfCopyCatchesUpAndSaysSo() {
    ScheduleHarness h("9", "0");
    // Today's copy is done by hand; that is no automatic run and no notice.
    h.RunToEnd();
    QCOMPARE(ReadText(h.dest / "one.txt"), std::string("one"));
    QCOMPARE(h.Schedule(), Next("07/12/2026 09:00"));
    WriteText(h.dest.path().string() + "/one.txt", "old");

    // Asleep until the next day at ten.
    h.clock.Set({{2026, 12, 7}, {10, 0, 0}});
    QVERIFY(h.sleep.wake);
    h.sleep.wake();
    QTRY_COMPARE_WITH_TIMEOUT(h.notifier.notices.size(), std::size_t{1}, 8000);
    QCOMPARE(ReadText(h.dest / "one.txt"), std::string("one"));
    QCOMPARE(h.schedule_at_notice,
             Text(text_id::kScheduleCatchUp) + QStringLiteral(" 07/12/2026 09:00"));
    QTRY_VERIFY_WITH_TIMEOUT(h.Find<QTimer>("Timer1")->isActive(), 15000);
    QCOMPARE(h.Schedule(), Next("08/12/2026 09:00"));
  }

  void aFailedAutomaticRunIsAnnouncedAndStaysOnTheScreen() {
    ScheduleHarness h("9", "0");
    std::filesystem::remove_all(h.dest.path());
    h.window->CheckScheduleSoon();
    QTRY_COMPARE_WITH_TIMEOUT(h.notifier.notices.size(), std::size_t{1}, 8000);
    QCOMPARE(Q(h.notifier.notices.front().summary), Text(text_id::kBackupError));
    QVERIFY(!h.notifier.notices.front().body.empty());
    // The message did not hold the run up: it ended, and was announced, with it still open.
    QCOMPARE(Dialogs::ShownMessages().size(), std::size_t{1});
    QVERIFY(!Dialogs::ShownMessages().back().modal);
    QTRY_VERIFY_WITH_TIMEOUT(h.Find<QTimer>("Timer1")->isActive(), 15000);
    QVERIFY(h.window->isVisible() && !h.window->isMinimized());
    // Tried again at the next time of copy, not at the next tick.
    QCOMPARE(h.Schedule(), Next("07/12/2026 09:00"));
    h.window->hide();
    h.notifier.notices.front().clicked();
    QVERIFY(h.window->isVisible());
  }

  void theCopyTabSaysWhyNoRunWillStart() {
    ScheduleHarness h("25", "0");
    QCOMPARE(h.Schedule(), Text(text_id::kScheduleInvalidTime));
    Type(h.Find<QLineEdit>("txtHora"), QStringLiteral("23"));
    Type(h.Find<QLineEdit>("txtMinutos"), QStringLiteral("60"));
    QCOMPARE(h.Schedule(), Text(text_id::kScheduleInvalidTime));
    Type(h.Find<QLineEdit>("txtMinutos"), QStringLiteral("30"));
    QCOMPARE(h.Schedule(), Next("06/12/2026 23:30"));
    // Every two weeks counts from a successful run, and there has been none.
    Type(h.Find<QLineEdit>("txtNumDSM"), QStringLiteral("2"));
    Click(h.Find<QRadioButton>("OptCada"));
    Choose(h.Find<QComboBox>("cboDSM"), 1);
    QCOMPARE(h.Schedule(), Text(text_id::kScheduleNoReference));
    Click(h.Find<QRadioButton>("optManual"));
    QCOMPARE(h.Schedule(), QString());
    QVERIFY(!h.Find("lblSchedule")->isVisible());
  }
};

QTEST_MAIN(Form2ScheduleTest)
#include "form2_schedule_test.moc"
